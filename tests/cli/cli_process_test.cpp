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

#include "case_name.h"
#include "child_process.h"
#include "scratch_dir.h"

namespace {

using test_support::ChildResult;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::WriteFileBytes;

const std::string kBlink = std::string(ISP_SOURCE_DIR) + "/examples/blink/blink.obj";
const std::string kSigrok = "/usr/bin/sigrok-cli";

class CliProcessTest : public ::testing::Test {
protected:
    // "$DIR/" in an argument stands for the case's own directory.
    ChildResult Run(std::vector<std::string> arguments) {
        for (std::string& argument : arguments) {
            if (const auto at = argument.find("$DIR/"); at != std::string::npos) {
                argument.replace(at, 5, Path(""));
            }
        }
        return RunChild(ISP_CLI_PATH, arguments, capture.path());
    }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
    std::string ChipBytes() const { return FileBytes(dir.path() / "chip file.bin"); }
    void Write(const char* name, const std::string& bytes) {
        WriteFileBytes(dir.path() / name, bytes);
    }

    // The bytes sigrok's SPI decoder finds on MOSI in the trace t.vcd, two hex digits each.
    std::vector<std::string> DecodedMosi() {
        const ChildResult decoded =
            RunChild(kSigrok,
                     {"-I", "vcd", "-i", Path("t.vcd"), "-P", "spi:clk=SCK:mosi=MOSI:miso=MISO",
                      "-A", "spi=mosi-data"},
                     capture.path());
        std::istringstream lines(decoded.out);
        std::vector<std::string> bytes;
        for (std::string line; std::getline(lines, line);) {
            bytes.push_back(line.substr(line.size() - 2));
        }
        return bytes;
    }

    test_support::ScratchDir dir{true};
    test_support::ScratchDir capture;
};

const std::string kSim = "--sim=$DIR/chip file.bin";

struct OptionCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitStatus;
    const char* message;  // a regular expression matching the start of a line of stdout or stderr
    std::vector<std::string> mosi = {};  // when given, the bytes sigrok decodes from $DIR/t.vcd
};

class CliOptionTest : public CliProcessTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CliOptionTest, ExitsWithItsStatusAndMessage) {
    Write("chip file.bin", "\x12");
    Write("bad.hex", ":0100000041BF\n:00000001FF\n");  // checksum wrong
    Write("over size.bin", std::string(9000, '\0'));
    Write("a b.BIN", std::string("\x12\x34\xFF\x00\x56", 5));
    Write("cal.bin", "\x11\x22\x33");
    Write("code.s19", "S1060010A1B2C3D3\nS9030000FC\n");  // 3 bytes at 0x10
    Write("beyond.hex", ":0307FE00A1B2C3E2\n:00000001FF\n");
    Write("beyond.bin", std::string(2049, '\0'));
    Write("eeprom full.bin", std::string(2048, '\0'));
    Write("empty.bin", "");
    std::filesystem::create_directories(dir.path() / "a directory");
    const ChildResult run = Run(GetParam().arguments);
    EXPECT_EQ(run.exitStatus, GetParam().exitStatus) << run.err;
    // Status lines on stderr may come first: the message begins a line.
    EXPECT_TRUE(std::regex_search(run.out + run.err,
                                  std::regex(std::string("(^|\n)") + GetParam().message)))
        << run.out << run.err;
    if (!GetParam().mosi.empty()) {
#if defined(_WIN32)
        // Under Wine the Linux path exists, but a Linux program cannot be started from there.
        GTEST_SKIP() << "sigrok-cli decodes the trace on Linux only";
#else
        ASSERT_TRUE(std::filesystem::exists(kSigrok))
            << kSigrok << " is missing: scripts/install-deps.sh installs it";
        EXPECT_EQ(DecodedMosi(), GetParam().mosi);
#endif
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CliOptionTest,
    ::testing::Values(
        OptionCase{"RawInAnyCase", {kSim, "--trace=$DIR/t.vcd", "program", "$DIR/a b.BIN"}, 0, "WRITE SUCCESSFUL!\n"},
        // --osc: each byte read first, written only when it differs (the chip holds 12).
        OptionCase{"OscWritesOnlyWhatDiffers", {kSim, "--osc=12M", "program", "$DIR/a b.BIN"}, 0,
                   "5 bytes: 3 written, 2 already equal, verified, [0-9]+\\.[0-9] s\n$"},
        OptionCase{"FullRead", {kSim, "--osc=12M", "read", "--full", "$DIR/r.bin"}, 0, "8192 bytes\n"},
        OptionCase{"OptionAfterTheCommand", {"verify", "$DIR/code.s19", kSim}, 1, "DIFFERENT\n"},
        // Enable, then Write Lock Bits.
        OptionCase{"LockMode3", {kSim, "--trace=$DIR/t.vcd", "lock", "3"}, 0,
                   "LOCK MODE 3 SENT: further programming of the code flash and reading it back disabled\n",
                   {"AC", "53", "00", "AC", "27", "00"}},
        OptionCase{"LockMode4", {kSim, "lock", "4"}, 0,
                   "LOCK MODE 4 SENT: code flash programming and read-back disabled, and execution from external memory\n"},
        // Enable, Write Data (00 aaa 110) per byte, then Read Data (00 aaa 101) for the verify.
        OptionCase{"EepromTrace", {kSim, "--trace=$DIR/t.vcd", "--memory=eeprom", "program", "$DIR/cal.bin"}, 0,
                   "WRITE SUCCESSFUL!\n", {"AC", "53", "00", "06", "00", "11", "06", "01", "22", "06", "02",
                   "33", "05", "00", "00", "05", "01", "FF", "05", "02", "00"}},
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
        OptionCase{"LockModeOne", {"lock", "1"}, 2, "isp8252-cli: lock takes a mode: 2, 3 or 4\nusage:"},
        OptionCase{"LockModeWithLeadingZero", {"lock", "02"}, 2, "isp8252-cli: lock takes a mode: 2, 3 or 4\n"},
        OptionCase{"EmptyPort", {"--port=", "erase"}, 2, "isp8252-cli: --port= needs a port: "},
        OptionCase{"UnknownMemory", {"--memory=data", "dump"}, 2, "isp8252-cli: --memory: data is neither code nor eeprom\nusage:"},
        OptionCase{"MemoryWithErase", {"--memory=eeprom", "erase"}, 2,
                   "isp8252-cli: --memory goes with program, read, verify and dump only\nusage:"},
        OptionCase{"MissingFile", {kSim, "program", "$DIR/nowhere.hex"}, 3, "FILE DOES NOT EXIST: "},
        OptionCase{"BadFirmware", {kSim, "program", "$DIR/bad.hex"}, 3, "COULD NOT READ FILE: "},
        OptionCase{"HexBeyondTheEeprom", {kSim, "--memory=eeprom", "program", "$DIR/beyond.hex"}, 3,
                   "COULD NOT READ FILE: .*[/\\\\]beyond.hex:1: data at address 0x0800 lies beyond the 2048-byte EEPROM\n$"},
        OptionCase{"RawBeyondTheEeprom", {kSim, "--memory=eeprom", "verify", "$DIR/beyond.bin"}, 3,
                   "COULD NOT READ FILE: .*[/\\\\]beyond.bin: data at address 0x0800 lies beyond the 2048-byte EEPROM\n$"},
        OptionCase{"EepromFileOfFullSize", {kSim, "--osc=12M", "--memory=eeprom", "verify", "$DIR/eeprom full.bin"}, 1, "DIFFERENT\n"},
        OptionCase{"RawCodeLargerThanTheChip", {kSim, "program", "$DIR/over size.bin"}, 3,
                   "COULD NOT READ FILE: .*[/\\\\]over size.bin: 9000 bytes, more than the 8192-byte code memory\n$"},
        OptionCase{"EmptyRawFile", {kSim, "program", "$DIR/empty.bin"}, 3, "COULD NOT READ FILE: .*[/\\\\]empty.bin: the file is empty\n$"},
        OptionCase{"ChipFileTooLarge", {"--sim=$DIR/over size.bin", "erase"}, 3, "COULD NOT READ FILE: "},
        OptionCase{"ReadIntoADirectory", {kSim, "read", "$DIR/a directory"}, 3, "COULD NOT WRITE FILE: "},
        OptionCase{"NoParallelPort", {"erase"}, 3, "COULD NOT OPEN PARALLEL PORT: "},
        OptionCase{"BadPortText", {"--port=lpt", "erase"}, 2, "isp8252-cli: --port: bad port \"lpt\""},
        OptionCase{"PortWithSim", {"--port=0x278", kSim, "erase"}, 2,
                   "isp8252-cli: --port names a real parallel port; --sim has none \\(it takes an adapter\\)\n"},
        OptionCase{"OscFasterThanTheSimulatedCrystal", {kSim, "--sim-osc=6M", "--osc=12M", "erase"}, 4,
                   "simulated chip: "}),
    CaseName{});
// clang-format on

TEST_F(CliProcessTest, ProgramVerifyReadAndDumpShareOneChip) {
    // The exit status of a good run is the RawInAnyCase row's.
    EXPECT_EQ(Run({kSim, "program", kBlink}).out, "WRITE SUCCESSFUL!\n");
    // A run that changes nothing leaves the chip file as it is, not even replaced by a copy.
#if !defined(_WIN32)
    std::filesystem::create_hard_link(Path("chip file.bin"), Path("same file"));
#endif
    EXPECT_EQ(Run({kSim, "verify", kBlink}).out, "SAME\n");
#if !defined(_WIN32)
    EXPECT_TRUE(std::filesystem::equivalent(Path("chip file.bin"), Path("same file")));
#endif
    EXPECT_EQ(Run({kSim, "read", "$DIR/read back.bin"}).out, "164 bytes\n");
    EXPECT_EQ(ChipBytes(),
              FileBytes(dir.path() / "read back.bin") + std::string(8192 - 164, '\xFF'));
    const std::string dump = Run({kSim, "dump"}).out;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 164);
    EXPECT_TRUE(dump.starts_with("0         2\n")) << dump;  // LJMP at the reset vector
    EXPECT_NE(dump.find("\nA3         "), std::string::npos);
}

#if !defined(_WIN32)  // a console Ctrl-C cannot be sent to a child from here
// Ctrl-C once the child reports it is programming: the chip is let go, partly written.
TEST_F(CliProcessTest, CtrlCDuringProgramCancelsAndLeavesTheChipOutOfProgrammingMode) {
    const std::string image(3000, '\x5A');
    Write("big.bin", image);
    const auto child = test_support::StartChild(
        ISP_CLI_PATH,
        {"--sim=" + Path("chip file.bin"), "--trace=" + Path("t.vcd"), "program", Path("big.bin")},
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
    const std::string vcd = FileBytes(dir.path() / "t.vcd");
    EXPECT_GT(vcd.rfind("\n0r"), vcd.rfind("\n1r")) << "the chip must be out of programming mode";
    const std::string chip = ChipBytes();  // saved, partly written: begun, not finished
    ASSERT_EQ(chip.size(), 8192u);
    EXPECT_EQ(chip[0], '\x5A');
    EXPECT_EQ(chip[image.size() - 1], '\xFF');
}
#endif

// The EEPROM has no end-of-data rule: read and dump cover all of it. (Raw files reach it through
// the EepromTrace row.)
// As in the README's production script, a calibration at 0x000 and a serial number at 0x7FD go in
// by two runs: each writes and verifies only the addresses its file names.
TEST_F(CliProcessTest, ProgramVerifyReadAndDumpTheEeprom) {
    Write("cal.bin", "\x11\x22\x33");
    Write("serial.hex", ":0307FD00A1B2C3E3\n:00000001FF\n");
    const std::string eeprom = "--memory=eeprom";
    EXPECT_EQ(Run({kSim, eeprom, "program", "$DIR/cal.bin"}).out, "WRITE SUCCESSFUL!\n");
    EXPECT_EQ(Run({kSim, "--osc=12M", eeprom, "program", "$DIR/serial.hex"}).out,
              "WRITE SUCCESSFUL!\n");
    EXPECT_EQ(Run({kSim, "--osc=12M", eeprom, "verify", "$DIR/cal.bin"}).out, "SAME\n");
    const std::string expected =
        std::string("\x11\x22\x33") + std::string(0x7FA, '\xFF') + "\xA1\xB2\xC3";
    // The code memory untouched; the runs below load the saved chip file back.
    EXPECT_EQ(ChipBytes().substr(0, 8192 + 2048), std::string(8192, '\xFF') + expected);
    EXPECT_EQ(Run({kSim, "--osc=12M", eeprom, "verify", "$DIR/serial.hex"}).out, "SAME\n");
    EXPECT_EQ(Run({kSim, "--osc=12M", eeprom, "read", "$DIR/back.bin"}).out, "2048 bytes\n");
    EXPECT_EQ(FileBytes(dir.path() / "back.bin"), expected);
    const std::string dump = Run({kSim, "--osc=12M", eeprom, "dump"}).out;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 2048);
    EXPECT_TRUE(dump.ends_with("\n7FF         C3\n")) << dump.substr(dump.size() - 40);
}

// A lock persists in the chip file: later writes fail, with a hint, until an erase clears it.
TEST_F(CliProcessTest, ALockedChipFailsToProgramUntilAnErase) {
    Write("code.bin", "\x01\x02");
    EXPECT_EQ(Run({kSim, "lock", "2"}).out,
              "LOCK MODE 2 SENT: further programming of the code flash disabled\nOnly a chip erase "
              "(isp8252-cli erase) clears the lock bits.\nThe lock bits cannot be read back "
              "serially: not verified.\n");
    const ChildResult polled = Run({kSim, "--osc=12M", "program", "$DIR/code.bin"});
    EXPECT_EQ(polled.exitStatus, 1);
    EXPECT_EQ(polled.out, "WRITE FAILED!\n");
    EXPECT_EQ(polled.err,
              "PROGRAMMING DEVICE\nWRITE FAILED!\naddress 0x0000 did not read back true within "
              "10 ms\nthe chip may be locked: only `erase` clears the lock bits (and the whole "
              "chip)\n");
    EXPECT_EQ(Run({kSim, "erase"}).exitStatus, 0);
    EXPECT_EQ(ChipBytes(), std::string(8192, '\xFF'));  // lock bits cleared: a plain image again
    EXPECT_EQ(Run({kSim, "--osc=12M", "program", "$DIR/code.bin"}).out, "WRITE SUCCESSFUL!\n");
}

}  // namespace
