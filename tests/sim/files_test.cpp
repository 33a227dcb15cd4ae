// What the simulator keeps in files: the chip's flash between runs and the cable's VCD trace.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "child_process.h"
#include "scratch_dir.h"
#include "sim/flash_file.h"
#include "sim/vcd_trace.h"

namespace {

// A chip file that cannot be read or saved leaves the chip and the file as they were; a saved
// one replaces the file the link points to, and the link stays.
TEST(FlashFile, LoadsOnlyWhatFitsAndSavesThroughTheLink) {
    const test_support::ScratchDir dir;
    const std::string path = (dir.path() / "CHIP.bin").string();
    test_support::WriteFileBytes(path, std::string(8193, 'x'));
    sim::At89s8252 chip;
    std::string why;
    EXPECT_FALSE(sim::LoadFlashFile(chip, path, &why));
    EXPECT_EQ(why, path + " holds more than 8192 bytes");
    EXPECT_FALSE(sim::LoadFlashFile(chip, path + "x", &why));
    EXPECT_EQ(why, "cannot open " + path + "x");
    chip.Flash()[8191] = 0x42;
    const std::string missing = (dir.path() / "none" / "CHIP.bin").string();
    EXPECT_FALSE(sim::SaveFlashFile(chip, missing, &why));
    EXPECT_TRUE(why.starts_with(missing + ": cannot create a temporary file beside it: ")) << why;
#if !defined(_WIN32)
    const std::string link = (dir.path() / "link.bin").string();
    std::filesystem::create_symlink("CHIP.bin", link);
    ASSERT_TRUE(sim::SaveFlashFile(chip, link, &why)) << why;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_EQ(test_support::FileBytes(path), std::string(8191, '\xFF') + "\x42");
#endif
}

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
