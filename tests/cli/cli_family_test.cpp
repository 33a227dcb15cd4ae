// The family and the adapters as a user runs them: each chip and each adapter kind through the
// real link into its independent model, as sequences of commands on one simulated chip.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "case_name.h"
#include "child_process.h"
#include "scratch_dir.h"

namespace {

using test_support::ChildResult;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::WriteFileBytes;

struct Step {
    std::vector<std::string> arguments;  // after --sim=$DIR/chip.bin
    int exitStatus;
    const char* message;  // a regular expression matching the start of a line of stdout or stderr
};

struct FamilyCase {
    const char* name;
    std::vector<Step> steps;
    // When given, the chip file's first bytes after the last step (an untouched chip stays FF).
    std::string chipStart = {};
};

// 300 bytes crossing page boundaries of every page size, none of them FF.
std::string Pattern(int seed) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
        bytes += static_cast<char>((i * 7 + seed) % 255);
    }
    return bytes;
}

class CliFamilyTest : public ::testing::TestWithParam<FamilyCase> {
protected:
    test_support::ScratchDir dir{true};
    test_support::ScratchDir capture;
};

TEST_P(CliFamilyTest, RunsEachStep) {
    WriteFileBytes(dir.path() / "f.bin", Pattern(1));
    WriteFileBytes(dir.path() / "g.bin", Pattern(2));
    WriteFileBytes(dir.path() / "e.bin", std::string("\x11\x22\x33", 3));
    // Four bytes at 0x2F00: A13 set and A12 clear, where only the 12 KB chips have cells.
    WriteFileBytes(dir.path() / "high.hex", ":042F0000A1B2C3D4E3\n:00000001FF\n");
    for (const Step& step : GetParam().steps) {
        std::vector<std::string> arguments{"--sim=" + (dir.path() / "chip.bin").string()};
        for (const std::string& argument : step.arguments) {
            const auto at = argument.find("$DIR/");
            arguments.push_back(at == std::string::npos
                                    ? argument
                                    : argument.substr(0, at) + (dir.path() / "").string() +
                                          argument.substr(at + 5));
        }
        const ChildResult run = RunChild(ISP_CLI_PATH, arguments, capture.path());
        SCOPED_TRACE(step.arguments.back());
        EXPECT_EQ(run.exitStatus, step.exitStatus) << run.out << run.err;
        EXPECT_TRUE(
            std::regex_search(run.out + run.err, std::regex(std::string("(^|\n)") + step.message)))
            << run.out << run.err;
    }
    if (!GetParam().chipStart.empty()) {
        EXPECT_EQ(FileBytes(dir.path() / "chip.bin").substr(0, GetParam().chipStart.size()),
                  GetParam().chipStart);
    }
}

// Program, verify and read back the whole chip, then its signature and lock bits.
std::vector<Step> Round(const std::string& chip, const std::string& osc, const char* size,
                        const char* signature, const char* lock, bool twelveKilobytes = false) {
    const std::string sim = "--sim-chip=" + chip;
    const std::string named = "--chip=" + chip;
    // The 12 KB chips first get four bytes where only A13 tells them from a 4 KB address.
    std::vector<Step> steps;
    if (twelveKilobytes) {
        steps.push_back({{sim, named, osc, "program", "$DIR/high.hex"}, 0, "WRITE SUCCESSFUL!\n"});
    }
    steps.push_back({{sim, named, osc, "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!\n"});
    steps.push_back({{sim, named, osc, "verify", "$DIR/f.bin"}, 0, "SAME\n"});
    steps.push_back({{sim, named, osc, "read", "--full", "$DIR/r.bin"}, 0, size});
    steps.push_back({{sim, named, osc, "signature"}, signature[0] == '1' ? 0 : 3, signature});
    steps.push_back({{sim, named, osc, "lock", "3"}, 0, lock});
    return steps;
}

const std::string kFixed = "--sim-osc=3M";  // no --osc: the fixed timing, at the slowest crystal
const std::string kOsc = "--osc=12M";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Chips, CliFamilyTest,
    ::testing::Values(
        FamilyCase{"S51Fixed", Round("at89s51", kFixed, "4096 bytes\n", "1E 51 06 AT89S51\n", "LOCK MODE 3 SET: .*\n.*\nRead back: verified\\.")},
        FamilyCase{"S52Osc", Round("at89s52", kOsc, "8192 bytes\n", "1E 52 06 AT89S52\n", "LOCK MODE 3 SET: ")},
        FamilyCase{"S52Fixed", Round("at89s52", kFixed, "8192 bytes\n", "1E 52 06 AT89S52\n", "LOCK MODE 3 SET: ")},
        FamilyCase{"S53Osc", Round("at89s53", kOsc, "12288 bytes\n", "the AT89S53 has no signature", "LOCK MODE 3 SENT: ", true)},
        FamilyCase{"S53Fixed", Round("at89s53", kFixed, "12288 bytes\n", "the AT89S53 has no signature", "LOCK MODE 3 SENT: ")},
        FamilyCase{"S8253Osc", Round("at89s8253", kOsc, "12288 bytes\n", "1E 73 AT89S8253\n", "LOCK MODE 3 SET: ", true)},
        FamilyCase{"S8253Fixed", Round("at89s8253", kFixed, "12288 bytes\n", "1E 73 AT89S8253\n", "LOCK MODE 3 SET: ")},
        FamilyCase{"S8252Osc", Round("at89s8252", kOsc, "8192 bytes\n", "the AT89S8252 has no signature", "LOCK MODE 3 SENT: ")},
        // Nothing is written into a chip that is not the one named.
        FamilyCase{"WrongChipRefused", {{{"--sim-chip=at89s51", "--chip=at89s52", kOsc, "program", "$DIR/f.bin"}, 3,
                   "signature 1E 51 06 names AT89S51, not the AT89S52 \\(1E 52 06\\): nothing written"}},
                   std::string(64, '\xFF')},
        FamilyCase{"S52NamedOnAnS8252", {{{"--chip=at89s52", "program", "$DIR/f.bin"}, 3,
                   "the chip did not answer Programming Enable with 69 \\(it answered FF\\)"}},
                   std::string(64, '\xFF')},
        FamilyCase{"AutoFindsTheChip", {{{"--sim-chip=at89s52", "--chip=auto", kOsc, "program", "$DIR/f.bin"}, 0, "found AT89S52\n"}}},
        // However a three-byte chip frames the probe's bytes, it writes, erases and locks nothing.
        FamilyCase{"AutoOnS8252", {{{"--chip=auto", "program", "$DIR/f.bin"}, 3, "no AT89S51, AT89S52 or AT89S8253 answered"}},
                   std::string(64, '\xFF')},
        FamilyCase{"AutoOnS53", {{{"--sim-chip=at89s53", "--chip=auto", "program", "$DIR/f.bin"}, 3, "no AT89S51"}},
                   std::string(64, '\xFF')},
        // Rewriting the AT89S8253's code needs an erase, which clears its EEPROM: kept across it.
        FamilyCase{"S8253KeepsItsEeprom",
                   {{{"--sim-chip=at89s8253", "--chip=at89s8253", kOsc, "--memory=eeprom", "program", "$DIR/e.bin"}, 0, "WRITE SUCCESSFUL!"},
                    {{"--sim-chip=at89s8253", "--chip=at89s8253", kOsc, "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"},
                    {{"--sim-chip=at89s8253", "--chip=at89s8253", kOsc, "program", "$DIR/g.bin"}, 0,
                     "the chip holds other code: erasing it first \\(its data EEPROM is saved and written back\\)"},
                    {{"--sim-chip=at89s8253", "--chip=at89s8253", kOsc, "verify", "$DIR/g.bin"}, 0, "SAME"},
                    {{"--sim-chip=at89s8253", "--chip=at89s8253", kOsc, "--memory=eeprom", "verify", "$DIR/e.bin"}, 0, "SAME"}}},
        FamilyCase{"EepromOnlyWhereThereIsOne", {{{"--sim-chip=at89s52", "--chip=at89s52", "--memory=eeprom", "read", "$DIR/r.bin"}, 2,
                   "isp8252-cli: --memory=eeprom: the AT89S52 has no data EEPROM"}}}),
    CaseName{});

// Every adapter kind, through its model into the simulated AT89S8252: the chip's timing checks
// pass (exit 0, not 4) and the bytes come back.
INSTANTIATE_TEST_SUITE_P(
    Adapters, CliFamilyTest,
    ::testing::Values(
        // On a 3 MHz crystal a phase (8.4 us) is longer than the FT232R's shortest state.
        FamilyCase{"Ft232rFastClock", {{{"--port=ft232r", "--sim-ftdi-clock=16", "--sim-osc=3M", "--osc=3M", "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"},
                                       {{"--port=ft232r", "--sim-ftdi-clock=16", "verify", "$DIR/f.bin"}, 0, "SAME"}}},
        FamilyCase{"Ft232rSlowClock", {{{"--port=ft232r", "--sim-ftdi-clock=4", "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"}}},
        FamilyCase{"Ft232rOtherPins", {{{"--port=ft232r:sck=3,mosi=5,miso=6,rst=7,invert=rst+miso", kOsc, "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"}}},
        FamilyCase{"Ft232hS52", {{{"--port=ft232h", "--sim-chip=at89s52", "--chip=at89s52", kOsc, "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"},
                                 {{"--port=ft232h", "--sim-chip=at89s52", "--chip=at89s52", kOsc, "verify", "$DIR/f.bin"}, 0, "SAME"}}},
        FamilyCase{"Ft2232hChannelB", {{{"--port=ft2232h:B", kOsc, "program", "$DIR/f.bin"}, 0, "WRITE SUCCESSFUL!"}}}),
    CaseName{});
// clang-format on

}  // namespace
