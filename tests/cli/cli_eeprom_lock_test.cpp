// isp8252-cli on the data EEPROM and the lock bits, against simulated chips kept in files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"
#include "sim/flash_file.h"

namespace {

using test_support::ChildResult;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::WriteFileBytes;

class CliEepromLockTest : public ::testing::Test {
protected:
    ChildResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "--sim=" + Path("chip.bin"));
        return RunChild(ISP_CLI_PATH, arguments, capture.path());
    }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
    std::string Chip() const { return FileBytes(dir.path() / "chip.bin"); }

    test_support::ScratchDir dir;
    test_support::ScratchDir capture;
};

struct RoundTripCase {
    const char* name;
    const char* file;
    std::string contents;
    std::size_t at;  // where the data lands in the EEPROM
    std::string data;
    const char* dumpLine;  // one of the lines `dump` lists
};

class EepromRoundTripTest : public CliEepromLockTest,
                            public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(EepromRoundTripTest, ProgramVerifyReadAndDumpTheEeprom) {
    const RoundTripCase& c = GetParam();
    WriteFileBytes(dir.path() / c.file, c.contents);
    const std::string eeprom = "--memory=eeprom";
    const ChildResult program = Run({"--osc=12M", eeprom, "program", Path(c.file)});
    EXPECT_EQ(program.out, "WRITE SUCCESSFUL!\n") << program.err;
    std::string expected(2048, '\xFF');
    expected.replace(c.at, c.data.size(), c.data);
    const std::string chip = Chip();
    ASSERT_EQ(chip.size(), sim::kStateFileBytes);
    EXPECT_EQ(chip.substr(0, 8192), std::string(8192, '\xFF'));  // the code memory untouched
    EXPECT_EQ(chip.substr(8192, 2048), expected);

    EXPECT_EQ(Run({"--osc=12M", eeprom, "verify", Path(c.file)}).out, "SAME\n");
    EXPECT_EQ(Run({"--osc=12M", eeprom, "read", Path("back.bin")}).out, "2048 bytes\n");
    EXPECT_EQ(FileBytes(dir.path() / "back.bin"), expected);
    const ChildResult dump = Run({"--osc=12M", eeprom, "dump"});
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 2048);
    EXPECT_NE(dump.out.find(c.dumpLine), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Files, EepromRoundTripTest,
    ::testing::Values(RoundTripCase{"Raw", "cal.bin", std::string("\x12\x34\x00\xFF\x56\xFF", 6), 0,
                                    std::string("\x12\x34\x00\xFF\x56\xFF", 6), "\n1         34\n"},
                      RoundTripCase{"IntelHex", "cal.hex", ":0307FD00A1B2C3E3\n:00000001FF\n",
                                    0x7FD, "\xA1\xB2\xC3", "\n7FF         C3\n"}),
    [](const auto& param) { return std::string(param.param.name); });

// The bytes sigrok's SPI decoder finds on MOSI in a VCD trace, one two-digit hex string each.
std::vector<std::string> DecodedMosi(const std::string& vcd, const std::filesystem::path& capture) {
    const ChildResult decoded = RunChild(
        "/usr/bin/sigrok-cli",
        {"-I", "vcd", "-i", vcd, "-P", "spi:clk=SCK:mosi=MOSI:miso=MISO", "-A", "spi=mosi-data"},
        capture);
    std::istringstream lines(decoded.out);
    std::vector<std::string> bytes;
    for (std::string line; std::getline(lines, line);) {
        bytes.push_back(line.substr(line.size() - 2));
    }
    return bytes;
}

TEST_F(CliEepromLockTest, LockModesHoldUntilAnErase) {
    WriteFileBytes(dir.path() / "code.bin", "\xAA\xBB");
    WriteFileBytes(dir.path() / "other.bin", "\x01\x02");
    WriteFileBytes(dir.path() / "cal.bin", "\x5A");
    ASSERT_EQ(Run({"--osc=12M", "program", Path("code.bin")}).exitStatus, 0);
    ASSERT_EQ(Run({"--osc=12M", "--memory=eeprom", "program", Path("cal.bin")}).exitStatus, 0);
    const ChildResult lock2 = Run({"lock", "2"});
    EXPECT_EQ(lock2.exitStatus, 0);
    EXPECT_EQ(lock2.out,
              "LOCK MODE 2 SENT: further programming of the code flash disabled\n"
              "Only a chip erase (isp8252-cli erase) clears the lock bits.\n"
              "The lock bits cannot be read back serially: not verified.\n");
    const std::string hint =
        "the chip may be locked: only `erase` clears the lock bits (and the whole chip)\n";
    const ChildResult polled = Run({"--osc=12M", "program", Path("other.bin")});
    EXPECT_EQ(polled.exitStatus, 1);
    EXPECT_EQ(polled.out, "WRITE FAILED!\n");
    EXPECT_EQ(polled.err,
              "PROGRAMMING DEVICE\nWRITE FAILED!\naddress 0x0000 did not read back "
              "true within 10 ms\n" +
                  hint);
    EXPECT_EQ(Run({"--osc=12M", "read", Path("mode2.bin")}).out, "2 bytes\n");
    EXPECT_EQ(FileBytes(dir.path() / "mode2.bin"), "\xAA\xBB");

    const std::string lock3 = Run({"--trace=" + Path("l.vcd"), "lock", "3"}).out;
    EXPECT_TRUE(
        lock3.starts_with("LOCK MODE 3 SENT: further programming of the code flash and "
                          "reading it back disabled\n"))
        << lock3;
    if (std::filesystem::exists("/usr/bin/sigrok-cli")) {  // Enable, then Write Lock Bits
        EXPECT_EQ(DecodedMosi(Path("l.vcd"), capture.path()),
                  (std::vector<std::string>{"AC", "53", "00", "AC", "27", "00"}));
    }
    EXPECT_EQ(Run({"--osc=12M", "read", "--full", Path("mode3.bin")}).exitStatus, 0);
    EXPECT_EQ(FileBytes(dir.path() / "mode3.bin"), std::string(8192, '\xFF'));

    EXPECT_EQ(Run({"--osc=12M", "erase"}).exitStatus, 0);
    EXPECT_EQ(Chip(), std::string(8192, '\xFF'));  // code, EEPROM and lock bits all cleared
    EXPECT_EQ(Run({"--osc=12M", "program", Path("other.bin")}).out, "WRITE SUCCESSFUL!\n");
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;  // "$DIR/" is replaced by the scratch directory
    int exitStatus;
    const char* err;  // a regular expression stderr must match
};

class CliEepromFailureTest : public CliEepromLockTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliEepromFailureTest, ExitsWithItsStatusAndMessageAndLeavesTheChipAlone) {
    WriteFileBytes(dir.path() / "beyond.hex", ":0307FE00A1B2C3E2\n:00000001FF\n");
    WriteFileBytes(dir.path() / "beyond.bin", std::string(2049, '\0'));
    std::vector<std::string> arguments;
    for (std::string argument : GetParam().arguments) {
        arguments.push_back(argument.starts_with("$DIR/") ? Path(argument.substr(5)) : argument);
    }
    const ChildResult run = Run(arguments);
    EXPECT_EQ(run.exitStatus, GetParam().exitStatus) << run.err;
    EXPECT_TRUE(std::regex_search(run.err, std::regex(GetParam().err))) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "chip.bin"));  // nothing was run
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliEepromFailureTest,
    ::testing::Values(
        FailureCase{"HexBeyondTheEeprom",
                    {"--memory=eeprom", "program", "$DIR/beyond.hex"},
                    3,
                    "^COULD NOT READ FILE: .*/beyond.hex:1: data at address 0x0800 lies beyond "
                    "the 2048-byte EEPROM\n$"},
        FailureCase{"RawBeyondTheEeprom",
                    {"--memory=eeprom", "verify", "$DIR/beyond.bin"},
                    3,
                    "^COULD NOT READ FILE: .*/beyond.bin: data at address 0x0800 lies beyond the "
                    "2048-byte EEPROM\n$"},
        FailureCase{
            "LockModeOne", {"lock", "1"}, 2, "^isp8252-cli: lock takes a mode: 2, 3 or 4\nusage:"},
        FailureCase{"UnknownMemory",
                    {"--memory=data", "dump"},
                    2,
                    "^isp8252-cli: --memory: data is neither code nor eeprom\nusage:"},
        FailureCase{
            "MemoryWithErase",
            {"--memory=eeprom", "erase"},
            2,
            "^isp8252-cli: --memory goes with program, read, verify and dump only\nusage:"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(CliEepromLockTest, AnEepromProgramTraceDecodesAsDataMemoryInstructions) {
    if (!std::filesystem::exists("/usr/bin/sigrok-cli")) {
        GTEST_SKIP() << "sigrok-cli is not installed";
    }
    WriteFileBytes(dir.path() / "cal.bin", "\x11\x22\x33");
    ASSERT_EQ(
        Run({"--trace=" + Path("e.vcd"), "--memory=eeprom", "program", Path("cal.bin")}).exitStatus,
        0);
    // Enable, Write Data (00 aaa 110) per byte, then Read Data (00 aaa 101) for the verify.
    EXPECT_EQ(
        DecodedMosi(Path("e.vcd"), capture.path()),
        (std::vector<std::string>{"AC", "53", "00", "06", "00", "11", "06", "01", "22", "06", "02",
                                  "33", "05", "00", "00", "05", "01", "FF", "05", "02", "00"}));
}

}  // namespace
