// isp8252-cli as a user runs it, against simulated chips kept in files.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"

namespace {

using test_support::ChildResult;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::ScratchDir;
using test_support::WriteFileBytes;

const std::filesystem::path kCli = ISP_CLI_PATH;
#if defined(_WIN32)
constexpr bool kOnWindows = true;
#else
constexpr bool kOnWindows = false;
#endif
const std::filesystem::path kBlink =
    std::filesystem::path(ISP_SOURCE_DIR) / "examples/blink/blink.obj";

class CliProcessTest : public ::testing::Test {
protected:
    ChildResult Run(std::vector<std::string> arguments) {
        return RunChild(kCli, arguments, capture.path());
    }
    std::string Chip() const { return "--sim=" + (dir.path() / "chip file.bin").string(); }
    std::string Path(const char* name) const { return (dir.path() / name).string(); }

    // The firmware as hex-bin makes it: SDCC's example.
    std::string BlinkBytes() {
        const ChildResult run = Run({Chip(), "program", kBlink.string()});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        return FileBytes(dir.path() / "chip file.bin").substr(0, 164);
    }

    ScratchDir dir{true};
    ScratchDir capture;
};

TEST_F(CliProcessTest, ProgramVerifyReadAndDumpShareOneChip) {
    const ChildResult program = Run({Chip(), "program", kBlink.string()});
    EXPECT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_EQ(program.out, "WRITE SUCCESSFUL!\n");
    EXPECT_EQ(program.err, "");  // not a terminal: no progress bar
    const std::string chip = FileBytes(dir.path() / "chip file.bin");
    ASSERT_EQ(chip.size(), 8192u);
    EXPECT_EQ(chip.substr(164), std::string(8192 - 164, '\xFF'));

    const ChildResult verify = Run({Chip(), "verify", kBlink.string()});
    EXPECT_EQ(verify.exitStatus, 0);
    EXPECT_EQ(verify.out, "SAME\n");

    const ChildResult read = Run({Chip(), "read", Path("read back.bin")});
    EXPECT_EQ(read.exitStatus, 0) << read.err;
    EXPECT_EQ(read.out, "164 bytes\n");
    EXPECT_EQ(FileBytes(dir.path() / "read back.bin"), chip.substr(0, 164));

    const ChildResult dump = Run({Chip(), "dump"});
    EXPECT_EQ(dump.exitStatus, 0);
    std::istringstream lines(dump.out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) {
        all.push_back(line);
    }
    ASSERT_EQ(all.size(), 164u);
    EXPECT_EQ(all[0], "0         2");  // LJMP at the reset vector
    EXPECT_EQ(all[0xA3].rfind("A3         ", 0), 0u);
}

TEST_F(CliProcessTest, VerifyAfterEraseFindsADifference) {
    BlinkBytes();
    EXPECT_EQ(Run({Chip(), "erase"}).exitStatus, 0);
    EXPECT_EQ(FileBytes(dir.path() / "chip file.bin"), std::string(8192, '\xFF'));
    const ChildResult verify = Run({Chip(), "verify", kBlink.string()});
    EXPECT_EQ(verify.exitStatus, 1);
    EXPECT_EQ(verify.out, "DIFFERENT\n");
}

TEST_F(CliProcessTest, RawBinariesInAnyCaseAndSRecordsLoad) {
    WriteFileBytes(dir.path() / "raw.BIN", std::string("\x12\x34\xFF\x00\x56", 5));
    EXPECT_EQ(Run({Chip(), "program", Path("raw.BIN")}).exitStatus, 0);
    EXPECT_EQ(FileBytes(dir.path() / "chip file.bin").substr(0, 6),
              std::string("\x12\x34\xFF\x00\x56\xFF", 6));
    // S1 record: 3 data bytes at 0x0010.
    WriteFileBytes(dir.path() / "code.s19", "S1060010A1B2C3D3\nS9030000FC\n");
    EXPECT_EQ(Run({Chip(), "program", Path("code.s19")}).out, "WRITE SUCCESSFUL!\n");
    EXPECT_EQ(FileBytes(dir.path() / "chip file.bin").substr(0x10, 3), "\xA1\xB2\xC3");
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;  // "$DIR/" is replaced by the scratch directory
    int exitStatus;
    const char* errStart;
};

class CliFailureTest : public CliProcessTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailureTest, ExitsWithItsStatusAndMessage) {
    WriteFileBytes(dir.path() / "bad.hex", ":0100000041BF\n:00000001FF\n");  // checksum wrong
    WriteFileBytes(dir.path() / "oversized.bin", std::string(9000, '\0'));
    std::filesystem::create_directories(dir.path() / "a directory");
    std::vector<std::string> arguments;
    for (std::string argument : GetParam().arguments) {
        const auto at = argument.find("$DIR/");
        if (at != std::string::npos) {
            argument.replace(at, 5, dir.path().string() + "/");
        }
        arguments.push_back(argument);
    }
    const ChildResult run = Run(arguments);
    EXPECT_EQ(run.exitStatus, GetParam().exitStatus) << run.err;
    EXPECT_EQ(run.err.rfind(GetParam().errStart, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliFailureTest,
    ::testing::Values(
        FailureCase{"NoCommand", {}, 2, "isp8252-cli: no command\nusage:"},
        FailureCase{"UnknownCommand", {"burn"}, 2, "isp8252-cli: unknown command burn\nusage:"},
        FailureCase{"MissingFileArgument", {"verify"}, 2, "isp8252-cli: verify takes one file"},
        FailureCase{"TraceWithoutSim", {"--trace=$DIR/t.vcd", "dump"}, 2, "isp8252-cli: --trace"},
        FailureCase{"MissingFile",
                    {"--sim=$DIR/c.bin", "program", "$DIR/nowhere.hex"},
                    3,
                    "FILE DOES NOT EXIST: "},
        FailureCase{"BadFirmware",
                    {"--sim=$DIR/c.bin", "program", "$DIR/bad.hex"},
                    3,
                    "COULD NOT READ FILE: "},
        FailureCase{
            "ChipFileTooLarge", {"--sim=$DIR/oversized.bin", "erase"}, 3, "COULD NOT READ FILE: "},
        FailureCase{"ReadIntoADirectory",
                    {"--sim=$DIR/c.bin", "read", "$DIR/a directory"},
                    3,
                    "COULD NOT WRITE FILE: "},
        FailureCase{"NoParallelPort", {"erase"}, 3, "COULD NOT OPEN PARALLEL PORT: "},
        FailureCase{"CrystalOutOfRange",
                    {"--osc=2M", "erase"},
                    2,
                    "isp8252-cli: --osc: 2M is not a crystal from 3 to 24 MHz\nusage:"},
        FailureCase{"FullWithoutRead", {"--full", "dump"}, 2, "isp8252-cli: --full goes with read"},
        FailureCase{"SimOscWithoutSim", {"--sim-osc=6M", "erase"}, 2, "isp8252-cli: --sim-osc"},
        FailureCase{"OscFasterThanTheSimulatedCrystal",
                    {"--sim=$DIR/c.bin", "--sim-osc=6M", "--osc=12M", "erase"},
                    4,
                    "simulated chip: "}),
    [](const auto& param) { return std::string(param.param.name); });

// Every SCK phase while RST is high, in nanoseconds, from a VCD trace of the cable.
std::vector<std::uint64_t> SckPhasesNs(const std::string& vcd) {
    std::istringstream in(vcd.substr(vcd.find("$enddefinitions")));
    std::vector<std::uint64_t> phases;
    std::uint64_t now = 0;
    std::uint64_t lastEdge = 0;
    bool rst = false;
    for (std::string line; std::getline(in, line);) {
        if (line[0] == '#') {
            now = std::stoull(line.substr(1));
        } else if (line == "1r" || line == "0r") {
            rst = line[0] == '1';
            lastEdge = 0;
        } else if ((line == "1c" || line == "0c") && rst) {
            if (lastEdge != 0) {
                phases.push_back(now - lastEdge);
            }
            lastEdge = now;
        }
    }
    return phases;
}

TEST_F(CliProcessTest, OscWritesOnlyWhatDiffersAtTheDataSheetPace) {
    WriteFileBytes(dir.path() / "four.bin", std::string("\x5A\xA5\x01\x80", 4));
    const std::string crystal = "--sim-osc=12M";
    const ChildResult first = Run(
        {Chip(), crystal, "--osc=12M", "--trace=" + Path("p.vcd"), "program", Path("four.bin")});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, "WRITE SUCCESSFUL!\n");
    EXPECT_TRUE(std::regex_match(first.err, std::regex("4 bytes: 4 written, 0 already equal, "
                                                       "verified, [0-9]+\\.[0-9] s\n")))
        << first.err;
    const ChildResult again = Run({Chip(), crystal, "--osc=12M", "program", Path("four.bin")});
    EXPECT_EQ(again.err.rfind("4 bytes: 0 written, 4 already equal, verified, ", 0), 0u);
    const ChildResult full = Run({Chip(), "--osc=12M", "read", "--full", Path("all.bin")});
    EXPECT_EQ(full.out, "8192 bytes\n") << full.err;
    EXPECT_EQ(FileBytes(dir.path() / "all.bin"), FileBytes(dir.path() / "chip file.bin"));

    const std::string vcd = FileBytes(dir.path() / "p.vcd");
    const auto phases = SckPhasesNs(vcd);
    ASSERT_GT(phases.size(), 48u * 13u);
    EXPECT_GE(*std::min_element(phases.begin(), phases.end()), 2000u);  // 24 periods of 12 MHz
    if (!std::filesystem::exists("/usr/bin/sigrok-cli")) {
        GTEST_SKIP() << "sigrok-cli is not installed";
    }
    const ChildResult decoded = RunChild("/usr/bin/sigrok-cli",
                                         {"-I", "vcd", "-i", Path("p.vcd"), "-P",
                                          "spi:clk=SCK:mosi=MOSI:miso=MISO", "-A", "spi=mosi-data"},
                                         capture.path());
    std::istringstream lines(decoded.out);
    std::vector<std::string> bytes;
    for (std::string line; std::getline(lines, line);) {
        bytes.push_back(line.substr(line.size() - 2));
    }
    // Enable; each byte read first, written, polled until true; then the verify reads.
    std::size_t at = 0;
    const auto take = [&](const std::string& op, int address) {
        const std::string low = "0" + std::to_string(address);
        const bool match = at + 3 <= bytes.size() && bytes[at] == op && bytes[at + 1] == low;
        at += match ? 3 : 0;
        return match;
    };
    ASSERT_EQ(bytes.at(0), "AC");
    at = 3;
    const char* data[] = {"5A", "A5", "01", "80"};
    for (int a = 0; a < 4; ++a) {
        ASSERT_TRUE(take("01", a) && take("02", a)) << a << "\n" << decoded.out;
        EXPECT_EQ(bytes[at - 1], data[a]);
        ASSERT_TRUE(take("01", a)) << "no poll after writing " << a;
        while (take("01", a)) {
        }
    }
    for (int a = 0; a < 4; ++a) {
        ASSERT_TRUE(take("01", a)) << "verify " << a << "\n" << decoded.out;
    }
    EXPECT_EQ(at, bytes.size());
}

TEST_F(CliProcessTest, BadFirmwareNamesTheLine) {
    WriteFileBytes(dir.path() / "bad.hex", ":00000001FF\n:0100000041XX\n");
    const ChildResult run = Run({Chip(), "program", Path("bad.hex")});
    EXPECT_NE(run.err.find("bad.hex:"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "chip file.bin"));  // nothing was run
}

#if !defined(_WIN32)  // a console Ctrl-C cannot be sent to a child from here

// Reads the last level of a wire from a VCD file.
char LastLevel(const std::string& vcd, const std::string& wire) {
    std::istringstream in(vcd);
    std::string line;
    std::string id;
    char level = '?';
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "$var") {
            std::string type;
            std::string width;
            std::string code;
            std::string name;
            words >> type >> width >> code >> name;
            if (name == wire) {
                id = code;
            }
        } else if (!id.empty() && line.size() == 1 + id.size() && line.substr(1) == id &&
                   (line[0] == '0' || line[0] == '1')) {
            level = line[0];
        }
    }
    return level;
}

TEST_F(CliProcessTest, CtrlCDuringProgramCancelsAndLeavesTheChipOutOfProgrammingMode) {
    std::string image(3000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 13);
    }
    WriteFileBytes(dir.path() / "big.bin", image);
    const auto child = test_support::StartChild(
        kCli, {Chip(), "--trace=" + Path("cancel trace.vcd"), "program", Path("big.bin")},
        capture.path());
    // Calibration takes 200 ms, the settle 10 ms, then about 3.5 ms per byte.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    test_support::InterruptChild(child);
    const ChildResult run = test_support::WaitChild(child);
    EXPECT_EQ(run.exitStatus, 130);
    EXPECT_EQ(run.out, "CANCELLED!\n");
    const std::string vcd = FileBytes(dir.path() / "cancel trace.vcd");
    EXPECT_EQ(LastLevel(vcd, "RST"), '0') << "the chip must be out of programming mode";
    // Some bytes were written before the cancel, not all.
    const std::string chip = FileBytes(dir.path() / "chip file.bin");
    ASSERT_EQ(chip.size(), 8192u);
    EXPECT_EQ(chip.substr(0, 10), image.substr(0, 10));
    EXPECT_NE(chip.substr(0, image.size()), image);
}
#endif

TEST_F(CliProcessTest, AProgramTraceDecodesAsTheWrittenInstructions) {
    // Under Wine the Linux path exists, but a Linux program cannot be started from there.
    if (!std::filesystem::exists("/usr/bin/sigrok-cli") || kOnWindows) {
        GTEST_SKIP() << "sigrok-cli is not installed";
    }
    WriteFileBytes(dir.path() / "four.bin", std::string("\x5A\xA5\x01\x80", 4));
    const ChildResult program =
        Run({Chip(), "--trace=" + Path("program.vcd"), "program", Path("four.bin")});
    ASSERT_EQ(program.exitStatus, 0) << program.err;

    const std::string decoder = "spi:clk=SCK:mosi=MOSI:miso=MISO:cpol=0:cpha=0:bitorder=msb-first";
    const ChildResult mosi =
        RunChild("/usr/bin/sigrok-cli",
                 {"-I", "vcd", "-i", Path("program.vcd"), "-P", decoder, "-A", "spi=mosi-data"},
                 capture.path());
    std::string expected = "spi-1: AC\nspi-1: 53\nspi-1: 00\n";
    const char* data[] = {"5A", "A5", "01", "80"};
    for (int a = 0; a < 4; ++a) {  // Write Code: 0x02, address, data
        expected += "spi-1: 02\nspi-1: 0" + std::to_string(a) + "\nspi-1: " + data[a] + "\n";
    }
    for (int a = 0; a < 4; ++a) {  // Read Code: 0x01, address, then the data line held
        expected += "spi-1: 01\nspi-1: 0" + std::to_string(a) +
                    "\nspi-1: " + std::string(a % 2 == 1 ? "FF" : "00") + "\n";
    }
    EXPECT_EQ(mosi.out, expected);

    const ChildResult miso =
        RunChild("/usr/bin/sigrok-cli",
                 {"-I", "vcd", "-i", Path("program.vcd"), "-P", decoder, "-A", "spi=miso-data"},
                 capture.path());
    // The chip answers each read in its third byte.
    std::istringstream lines(miso.out);
    std::vector<std::string> bytes;
    for (std::string line; std::getline(lines, line);) {
        bytes.push_back(line.substr(line.size() - 2));
    }
    ASSERT_EQ(bytes.size(), 3u + 24u);
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(bytes[static_cast<std::size_t>(3 + 12 + 3 * a + 2)], data[a]) << "read " << a;
    }
}

}  // namespace
