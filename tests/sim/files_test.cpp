// What the simulator keeps in files: the chip's flash between runs and the cable's VCD trace.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "case_name.h"
#include "child_process.h"
#include "scratch_dir.h"
#include "sim/flash_file.h"
#include "sim/vcd_trace.h"

namespace {

TEST(FlashFile, SaveGoesThroughATemporaryFile) {
    const test_support::ScratchDir dir;
    const std::string path = (dir.path() / "CHIP.bin").string();
    test_support::WriteFileBytes(path, std::string(8192, 'x'));
    std::filesystem::create_directory(path + ".tmp");  // makes the write fail
    sim::At89s8252 chip;
    chip.Flash()[8191] = 0x42;
    std::string why;
    EXPECT_FALSE(sim::SaveFlashFile(chip, path, &why));
    EXPECT_EQ(why, "cannot write " + path + ".tmp");
    EXPECT_EQ(test_support::FileBytes(path), std::string(8192, 'x'));
    std::filesystem::remove(path + ".tmp");
    ASSERT_TRUE(sim::SaveFlashFile(chip, path, &why)) << why;
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(test_support::FileBytes(path), std::string(8191, '\xFF') + "\x42");
}

struct LoadCase {
    const char* name;
    int bytes;        // -1: no file at all
    const char* why;  // "@" stands for the path; empty when the load succeeds
};

class FlashFileLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(FlashFileLoad, FillsTheStartLeavesTheRestErasedOrRefusesAndChangesNothing) {
    const test_support::ScratchDir dir;
    const std::string path = (dir.path() / "chip.bin").string();
    if (GetParam().bytes >= 0) {
        std::ofstream(path, std::ios::binary)
            << std::string(static_cast<std::size_t>(GetParam().bytes), '\x10');
    }
    sim::At89s8252 chip;
    chip.Flash().fill(0x42);
    std::string why;
    std::string expectedWhy = GetParam().why;
    if (!expectedWhy.empty()) {
        expectedWhy.replace(expectedWhy.find('@'), 1, path);
    }
    EXPECT_EQ(sim::LoadFlashFile(chip, path, &why), expectedWhy.empty());
    EXPECT_EQ(why, expectedWhy);
    std::vector<std::uint8_t> expected(8192, 0x42);
    if (expectedWhy.empty()) {
        std::fill(expected.begin(), expected.end(), 0xFF);
        std::fill_n(expected.begin(), GetParam().bytes, 0x10);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(chip.Flash().begin(), chip.Flash().end()), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, FlashFileLoad,
                         ::testing::Values(LoadCase{"Short", 3, ""}, LoadCase{"Full", 8192, ""},
                                           LoadCase{"Missing", -1, "cannot open @"},
                                           LoadCase{"OneByteTooLong", 8193,
                                                    "@ holds more than 8192 bytes"}),
                         CaseName{});

TEST(VcdTrace, WritesOneStampPerTimeNeverGoingBack) {
    sim::VcdTrace trace;
    trace.Begin(100, sim::PinLevels{false, true, false, true});
    trace.Record(150, sim::Pin::kRst, true);
    trace.Record(150, sim::Pin::kMosi, true);
    trace.Record(120, sim::Pin::kSck, false);  // a clock that stepped back
    trace.Record(200, sim::Pin::kMiso, false);
    std::ostringstream out;
    trace.WriteVcd(out);
    EXPECT_EQ(out.str(),
              "$version isp8252 simulated cable $end\n$timescale 1ns $end\n"
              "$scope module cable $end\n$var wire 1 r RST $end\n$var wire 1 c SCK $end\n"
              "$var wire 1 i MOSI $end\n$var wire 1 o MISO $end\n$upscope $end\n"
              "$enddefinitions $end\n#100\n$dumpvars\n0r\n1c\n0i\n1o\n$end\n"
              "#150\n1r\n1i\n0c\n#200\n0o\n");
}

}  // namespace
