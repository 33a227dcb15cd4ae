// isp8252-cli as a user runs it, against simulated chips kept in files.

#include <gtest/gtest.h>

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
using test_support::WriteFileBytes;

const std::filesystem::path kCli = ISP_CLI_PATH;
const std::string kBlink = std::string(ISP_SOURCE_DIR) + "/examples/blink/blink.obj";

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CliProcessTest : public ::testing::Test {
protected:
    // "$DIR/" in an argument stands for the case's own directory.
    ChildResult Run(std::vector<std::string> arguments) {
        for (std::string& argument : arguments) {
            if (const auto at = argument.find("$DIR/"); at != std::string::npos) {
                argument.replace(at, 5, Path(""));
            }
        }
        return RunChild(kCli, arguments, capture.path());
    }
    std::string Path(const char* name) const { return (dir.path() / name).string(); }
    std::string Chip() const { return "--sim=" + Path("chip file.bin"); }

    test_support::ScratchDir dir{true};
    test_support::ScratchDir capture;
};

struct OptionCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitStatus;
    const char* message;  // a line of its stdout or stderr begins with it
};

class CliOptionTest : public CliProcessTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CliOptionTest, ExitsWithItsStatusAndMessage) {
    WriteFileBytes(dir.path() / "bad.hex", ":0100000041BF\n:00000001FF\n");  // checksum wrong
    WriteFileBytes(dir.path() / "over size.bin", std::string(9000, '\0'));
    WriteFileBytes(dir.path() / "a b.BIN", std::string("\x12\x34\xFF\x00\x56", 5));
    WriteFileBytes(dir.path() / "code.s19", "S1060010A1B2C3D3\nS9030000FC\n");  // 3 bytes at 0x10
    std::filesystem::create_directories(dir.path() / "a directory");
    const ChildResult run = Run(GetParam().arguments);
    EXPECT_EQ(run.exitStatus, GetParam().exitStatus) << run.err;
    // Status lines on stderr may come first: the message begins a line.
    EXPECT_NE(("\n" + run.out + run.err).find("\n" + std::string(GetParam().message)),
              std::string::npos)
        << run.out << run.err;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CliOptionTest,
    ::testing::Values(
        OptionCase{"Erase", {"--sim=$DIR/c.bin", "erase"}, 0, ""},
        OptionCase{"RawInAnyCase", {"--sim=$DIR/c.bin", "--trace=$DIR/t.vcd", "program", "$DIR/a b.BIN"}, 0, "WRITE SUCCESSFUL!\n"},
        OptionCase{"OptionAfterTheCommand", {"verify", "$DIR/code.s19", "--sim=$DIR/c.bin"}, 1, "DIFFERENT\n"},
        OptionCase{"ReadErased", {"--sim=$DIR/c.bin", "read", "$DIR/r.bin"}, 0, "0 bytes\n"},
        OptionCase{"DumpErased", {"--sim=$DIR/c.bin", "dump"}, 0, ""},
        OptionCase{"NoCommand", {}, 2, "isp8252-cli: no command\nusage:"},
        OptionCase{"UnknownCommand", {"burn"}, 2, "isp8252-cli: unknown command burn\nusage:"},
        OptionCase{"UnknownOption", {"--fast", "erase"}, 2, "isp8252-cli: unknown option --fast\n"},
        OptionCase{"MissingFileArgument", {"verify"}, 2, "isp8252-cli: verify takes one file\n"},
        OptionCase{"EraseWithAFile", {"erase", "x.bin"}, 2, "isp8252-cli: erase takes no file\n"},
        OptionCase{"TwoFiles", {"read", "a.bin", "b.bin"}, 2, "isp8252-cli: read takes one file\n"},
        OptionCase{"EmptySim", {"--sim=", "erase"}, 2, "isp8252-cli: --sim= needs a file name\n"},
        OptionCase{"TraceWithoutSim", {"--trace=$DIR/t.vcd", "dump"}, 2,
                   "isp8252-cli: --trace needs --sim: only the simulated chip's pins can be traced\n"},
        OptionCase{"CrystalOutOfRange", {"--osc=2M", "erase"}, 2,
                   "isp8252-cli: --osc: 2M is not a crystal from 3 to 24 MHz\nusage:"},
        OptionCase{"FullWithoutRead", {"--full", "dump"}, 2, "isp8252-cli: --full goes with read"},
        OptionCase{"SimOscWithoutSim", {"--sim-osc=6M", "erase"}, 2, "isp8252-cli: --sim-osc"},
        OptionCase{"MissingFile", {"--sim=$DIR/c.bin", "program", "$DIR/nowhere.hex"}, 3, "FILE DOES NOT EXIST: "},
        OptionCase{"BadFirmware", {"--sim=$DIR/c.bin", "program", "$DIR/bad.hex"}, 3, "COULD NOT READ FILE: "},
        OptionCase{"ChipFileTooLarge", {"--sim=$DIR/over size.bin", "erase"}, 3, "COULD NOT READ FILE: "},
        OptionCase{"ReadIntoADirectory", {"--sim=$DIR/c.bin", "read", "$DIR/a directory"}, 3, "COULD NOT WRITE FILE: "},
        OptionCase{"NoParallelPort", {"erase"}, 3, "COULD NOT OPEN PARALLEL PORT: "},
        OptionCase{"NoSuchPortDevice", {"--port=/dev/parport9", "erase"}, 3, "COULD NOT OPEN PARALLEL PORT: "},
        OptionCase{"BadPortText", {"--port=lpt", "erase"}, 2, "isp8252-cli: --port: bad port \"lpt\""},
        OptionCase{"PortWithSim", {"--port=0x278", "--sim=$DIR/c.bin", "erase"}, 2,
                   "isp8252-cli: --port names a real port; --sim has none\n"},
        OptionCase{"OscFasterThanTheSimulatedCrystal", {"--sim=$DIR/c.bin", "--sim-osc=6M", "--osc=12M", "erase"}, 4,
                   "simulated chip: "}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(CliProcessTest, ProgramVerifyReadAndDumpShareOneChip) {
    const ChildResult program = Run({Chip(), "program", kBlink});
    EXPECT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_EQ(program.out, "WRITE SUCCESSFUL!\n");
    const std::string chip = FileBytes(dir.path() / "chip file.bin");
    ASSERT_EQ(chip.size(), 8192u);
    EXPECT_EQ(chip.substr(164), std::string(8192 - 164, '\xFF'));
    EXPECT_EQ(Run({Chip(), "verify", kBlink}).out, "SAME\n");
    EXPECT_EQ(Run({Chip(), "read", Path("read back.bin")}).out, "164 bytes\n");
    EXPECT_EQ(FileBytes(dir.path() / "read back.bin"), chip.substr(0, 164));
    const auto dump = Lines(Run({Chip(), "dump"}).out);
    ASSERT_EQ(dump.size(), 164u);
    EXPECT_EQ(dump[0], "0         2");  // LJMP at the reset vector
    EXPECT_EQ(dump[0xA3].rfind("A3         ", 0), 0u);
}

// Every SCK phase while RST is high, in nanoseconds, and RST's last level, from a VCD trace.
std::vector<std::uint64_t> SckPhasesNs(const std::string& vcd, char* lastRst = nullptr) {
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
    if (lastRst != nullptr) {
        *lastRst = rst ? '1' : '0';
    }
    return phases;
}

// --osc: each byte read first, written only when it differs, polled until true; read --full.
TEST_F(CliProcessTest, OscWritesOnlyWhatDiffersAtTheDataSheetPace) {
    WriteFileBytes(dir.path() / "four.bin", std::string("\x5A\xA5\x01\x80", 4));
    const std::string crystal = "--sim-osc=12M";
    const ChildResult first = Run(
        {Chip(), crystal, "--osc=12M", "--trace=" + Path("p.vcd"), "program", Path("four.bin")});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, "WRITE SUCCESSFUL!\n");
    EXPECT_TRUE(std::regex_search(
        first.err,
        std::regex("\n4 bytes: 4 written, 0 already equal, verified, [0-9]+\\.[0-9] s\n$")))
        << first.err;
    const ChildResult again = Run({Chip(), crystal, "--osc=12M", "program", Path("four.bin")});
    EXPECT_NE(again.err.find("\n4 bytes: 0 written, 4 already equal, verified, "),
              std::string::npos)
        << again.err;
    const ChildResult full = Run({Chip(), "--osc=12M", "read", "--full", Path("all.bin")});
    EXPECT_EQ(full.out, "8192 bytes\n") << full.err;
    EXPECT_EQ(FileBytes(dir.path() / "all.bin"), FileBytes(dir.path() / "chip file.bin"));

    const auto phases = SckPhasesNs(FileBytes(dir.path() / "p.vcd"));
    ASSERT_GT(phases.size(), 48u * 13u);
    EXPECT_GE(*std::min_element(phases.begin(), phases.end()), 2000u);  // 24 periods of 12 MHz
    // Under Wine the Linux path exists, but a Linux program cannot be started from there.
#if defined(_WIN32)
    GTEST_SKIP() << "sigrok-cli is a Linux program";
#endif
    if (!std::filesystem::exists("/usr/bin/sigrok-cli")) {
        GTEST_SKIP() << "sigrok-cli is not installed";
    }
    const ChildResult decoded = RunChild("/usr/bin/sigrok-cli",
                                         {"-I", "vcd", "-i", Path("p.vcd"), "-P",
                                          "spi:clk=SCK:mosi=MOSI:miso=MISO", "-A", "spi=mosi-data"},
                                         capture.path());
    std::vector<std::string> bytes;
    for (const std::string& line : Lines(decoded.out)) {
        bytes.push_back(line.substr(line.size() - 2));
    }
    // Enable; each byte read first, written, polled until true; then the verify reads.
    std::size_t at = 3;
    const auto take = [&](const std::string& op, int address) {
        const bool match = at + 3 <= bytes.size() && bytes[at] == op &&
                           bytes[at + 1] == "0" + std::to_string(address);
        at += match ? 3 : 0;
        return match;
    };
    ASSERT_EQ(bytes.at(0), "AC");
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

#if !defined(_WIN32)  // a console Ctrl-C cannot be sent to a child from here
// Ctrl-C once the child reports it is programming: the chip is let go, partly written.
TEST_F(CliProcessTest, CtrlCDuringProgramCancelsAndLeavesTheChipOutOfProgrammingMode) {
    std::string image(3000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 13);
    }
    WriteFileBytes(dir.path() / "big.bin", image);
    const auto child = test_support::StartChild(
        kCli, {Chip(), "--trace=" + Path("cancel trace.vcd"), "program", Path("big.bin")},
        capture.path());
    // A bounded wait: a child that never says so fails the test rather than hanging it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (FileBytes(child.errPath).find("PROGRAMMING DEVICE\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    test_support::InterruptChild(child);
    const ChildResult run = test_support::WaitChild(child);
    ASSERT_NE(run.err.find("PROGRAMMING DEVICE\n"), std::string::npos)
        << "never started programming";
    EXPECT_EQ(run.exitStatus, 130);
    EXPECT_EQ(run.out, "CANCELLED!\n");
    char rst = '?';
    SckPhasesNs(FileBytes(dir.path() / "cancel trace.vcd"), &rst);
    EXPECT_EQ(rst, '0') << "the chip must be out of programming mode";
    const std::string chip = FileBytes(dir.path() / "chip file.bin");
    ASSERT_EQ(chip.size(), 8192u);
    EXPECT_NE(chip.substr(0, image.size()), image);  // interrupted before the end
}

#endif

}  // namespace
