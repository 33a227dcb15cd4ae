#include "sim/vcd_trace.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "sim_link_fixture.h"

namespace {

// What a reader of the dump sees: the declared wires, the time stamps and the clocked bits.
struct ParsedVcd {
    std::string timescale;
    std::map<std::string, std::string> codeToName;
    std::vector<std::uint64_t> times;
    int clockedBits = 0;  // rising SCK edges while RST is high
    std::vector<int> mosiBytes;
    std::string error;
};

ParsedVcd ParseVcd(std::istream& in) {
    ParsedVcd vcd;
    std::string token;
    std::map<std::string, char> level;
    bool definitionsDone = false;
    int bitsInByte = 0;
    int byte = 0;
    while (in >> token) {
        if (!definitionsDone) {
            if (token == "$timescale") {
                std::string value;
                while (in >> value && value != "$end") {
                    vcd.timescale += value;
                }
            } else if (token == "$var") {
                std::string type, width, code, name, end;
                in >> type >> width >> code >> name >> end;
                if (type != "wire" || width != "1" || end != "$end") {
                    vcd.error = "bad $var for " + name;
                    return vcd;
                }
                vcd.codeToName[code] = name;
            } else if (token == "$enddefinitions") {
                in >> token;
                definitionsDone = true;
            }
            continue;
        }
        if (token[0] == '#') {
            const std::uint64_t t = std::stoull(token.substr(1));
            if (!vcd.times.empty() && t <= vcd.times.back()) {
                vcd.error = "time stamps not increasing at " + token;
                return vcd;
            }
            vcd.times.push_back(t);
        } else if (token == "$dumpvars" || token == "$end") {
            continue;
        } else if (token[0] == '0' || token[0] == '1') {
            const auto it = vcd.codeToName.find(token.substr(1));
            if (it == vcd.codeToName.end()) {
                vcd.error = "unknown wire " + token;
                return vcd;
            }
            const std::string& name = it->second;
            const char previous = level.count(name) != 0 ? level[name] : 'x';
            level[name] = token[0];
            if (name == "SCK" && previous == '0' && token[0] == '1' && level["RST"] == '1') {
                ++vcd.clockedBits;
                byte = (byte << 1) | (level["MOSI"] == '1' ? 1 : 0);
                if (++bitsInByte == 8) {
                    vcd.mosiBytes.push_back(byte);
                    bitsInByte = 0;
                    byte = 0;
                }
            }
        } else {
            vcd.error = "unexpected token " + token;
            return vcd;
        }
    }
    return vcd;
}

class EraseTraceTest : public SimLinkFixture {
protected:
    void SetUp() override {
        trace = &recorded;
        SimLinkFixture::SetUp();
    }
    void RunErase() {
        SetProgrammingMode(1);
        ProgrammingEnable();
        ChipErase();
        SetProgrammingMode(0);
    }
    std::string WriteTraceFile() {
        const std::string path = ::testing::TempDir() + "isp8252_erase_trace.vcd";
        std::string why;
        EXPECT_TRUE(recorded.WriteVcdFile(path, &why)) << why;
        return path;
    }

    sim::VcdTrace recorded;
};

TEST_F(EraseTraceTest, DumpIsValidVcdWithFortyEightClockedBits) {
    RunErase();
    EXPECT_NO_VIOLATIONS();
    std::ifstream file(WriteTraceFile());
    ASSERT_TRUE(file);
    const ParsedVcd vcd = ParseVcd(file);
    ASSERT_EQ(vcd.error, "");
    EXPECT_EQ(vcd.timescale, "1ns");
    const std::map<std::string, std::string> wires{
        {"r", "RST"}, {"c", "SCK"}, {"i", "MOSI"}, {"o", "MISO"}};
    EXPECT_EQ(vcd.codeToName, wires);
    ASSERT_FALSE(vcd.times.empty());
    EXPECT_EQ(vcd.times.front(), recorded.StartNs());
    EXPECT_EQ(vcd.clockedBits, 48);
    EXPECT_EQ(vcd.mosiBytes, (std::vector<int>{0xAC, 0x53, 0x00, 0xAC, 0x04, 0x00}));
    // RST up and down, per bit a clock fall and rise, and MOSI only where the next bit differs
    // (20 times for these bytes, from the low it idles at).
    std::map<sim::Pin, int> changes;
    for (const auto& change : recorded.Changes()) {
        ++changes[change.pin];
    }
    EXPECT_EQ(changes[sim::Pin::kRst], 2);
    EXPECT_EQ(changes[sim::Pin::kSck], 96);
    EXPECT_EQ(changes[sim::Pin::kMosi], 20);
    EXPECT_EQ(changes[sim::Pin::kMiso], 0);
}

TEST_F(EraseTraceTest, ReadShowsItsByteOnMiso) {
    std::vector<std::uint8_t> image(8192, 0xFF);
    image[0x0123] = 0xA6;
    chip->LoadFlash(image);
    SetProgrammingMode(1);
    ProgrammingEnable();
    EXPECT_EQ(ReadCodeByte(0x0123), 0xA6);
    SetProgrammingMode(0);
    // 0xA6 = 1010 0110 from a resting high: falls at bits 2, 4 and 8, rises at 3 and 6, and back
    // high when the interface resets as RST falls.
    std::vector<bool> misoLevels;
    for (const auto& change : recorded.Changes()) {
        if (change.pin == sim::Pin::kMiso) {
            misoLevels.push_back(change.level);
        }
    }
    EXPECT_EQ(misoLevels, (std::vector<bool>{false, true, false, true, false, true}));
}

TEST_F(EraseTraceTest, SigrokDecodesTheSixInstructionBytes) {
    if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "sigrok-cli is not installed";
    }
    RunErase();
    const std::string path = WriteTraceFile();
    // SPI mode 0 (data taken on the rising clock edge), MSB first.
    const std::string command = "sigrok-cli -I vcd -i '" + path +
                                "' -P spi:clk=SCK:mosi=MOSI:miso=MISO:cpol=0:cpha=0:bitorder="
                                "msb-first -A spi=mosi-data 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
        output += buffer.data();
    }
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "spi-1: AC\nspi-1: 53\nspi-1: 00\nspi-1: AC\nspi-1: 04\nspi-1: 00\n");
}

TEST(VcdTraceTest, SameTimeChangesShareOneStampAndTimeNeverGoesBack) {
    sim::VcdTrace trace;
    trace.Begin(100, sim::PinLevels{false, true, false, true});
    trace.Record(150, sim::Pin::kRst, true);
    trace.Record(150, sim::Pin::kMosi, true);
    trace.Record(120, sim::Pin::kSck, false);  // a clock that stepped back
    trace.Record(200, sim::Pin::kMiso, false);
    std::ostringstream out;
    trace.WriteVcd(out);
    const std::string text = out.str();
    const std::string body = text.substr(text.find("$enddefinitions $end\n") + 21);
    EXPECT_EQ(body,
              "#100\n$dumpvars\n0r\n1c\n0i\n1o\n$end\n"
              "#150\n1r\n1i\n0c\n"
              "#200\n0o\n");
}

TEST(VcdTraceTest, UnwritablePathIsReported) {
    sim::VcdTrace trace;
    trace.Begin(0, {});
    std::string why;
    EXPECT_FALSE(trace.WriteVcdFile("/nonexistent-dir/x.vcd", &why));
    EXPECT_EQ(why, "cannot write /nonexistent-dir/x.vcd");
}

}  // namespace
