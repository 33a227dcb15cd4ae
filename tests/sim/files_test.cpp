// What the simulator keeps in files: the chip's flash between runs and the cable's VCD trace.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "case_name.h"
#include "child_process.h"
#include "scratch_dir.h"
#include "sim/chip_factory.h"
#include "sim/chip_state_file.h"
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
    EXPECT_FALSE(sim::LoadChipStateFile(chip, path, &why));
    EXPECT_EQ(why, path + " holds more than 8192 bytes");
    EXPECT_FALSE(sim::LoadChipStateFile(chip, path + "x", &why));
    EXPECT_EQ(why, "cannot open " + path + "x");
    chip.Flash()[8191] = 0x42;
    const std::string missing = (dir.path() / "none" / "CHIP.bin").string();
    EXPECT_FALSE(sim::SaveChipStateFile(chip, missing, &why));
    EXPECT_TRUE(why.starts_with(missing + ": cannot create a temporary file beside it: ")) << why;
#if !defined(_WIN32)
    const std::string link = (dir.path() / "link.bin").string();
    std::filesystem::create_symlink("CHIP.bin", link);
    ASSERT_TRUE(sim::SaveChipStateFile(chip, link, &why)) << why;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_EQ(test_support::FileBytes(path), std::string(8191, '\xFF') + "\x42");
#endif
    ASSERT_TRUE(sim::SaveChipStateFile(chip, path, &why)) << why;
    const sim::ChipModel s51 = *sim::MakeChipModel("at89s51");
    EXPECT_FALSE(sim::LoadChipStateFile(*s51.cells, path, &why))
        << "a bare image is an AT89S8252's";
    EXPECT_EQ(why, path + " holds an AT89S8252, not an AT89S51: name that chip or another file");
}

struct StateCase {
    const char* name;
    const char* chip;  // as a user may type it
    std::size_t fileBytes;
    const char* other;
    const char* refusal;  // loading the file into `other`, after the path
};

class ChipStateFile : public ::testing::TestWithParam<StateCase> {};

// Every cell and lock bit comes back into the same chip; another chip refuses the file.
TEST_P(ChipStateFile, RoundTripsAndNamesItsChip) {
    const StateCase& c = GetParam();
    const test_support::ScratchDir dir;
    const std::string path = (dir.path() / "CHIP.bin").string();
    const sim::ChipModel saved = *sim::MakeChipModel(c.chip);
    std::vector<std::uint8_t> code(saved.cells->Cells().code.size());
    std::vector<std::uint8_t> eeprom(saved.cells->Cells().eeprom.size());
    for (std::size_t i = 0; i < code.size(); ++i) {
        code[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
    }
    std::fill(eeprom.begin(), eeprom.end(), 0x5E);
    saved.cells->RestoreCells(code, eeprom, sim::kLockBit1 | sim::kLockBit3);
    std::string why;
    ASSERT_TRUE(sim::SaveChipStateFile(*saved.cells, path, &why)) << why;
    EXPECT_EQ(test_support::FileBytes(path).size(), c.fileBytes);

    const sim::ChipModel loaded = *sim::MakeChipModel(c.chip);
    ASSERT_TRUE(sim::LoadChipStateFile(*loaded.cells, path, &why)) << why;
    const sim::CellsView cells = loaded.cells->Cells();
    EXPECT_EQ(std::vector<std::uint8_t>(cells.code.begin(), cells.code.end()), code);
    EXPECT_EQ(std::vector<std::uint8_t>(cells.eeprom.begin(), cells.eeprom.end()), eeprom);
    EXPECT_EQ(cells.lockBits, sim::kLockBit1 | sim::kLockBit3);

    const sim::ChipModel other = *sim::MakeChipModel(c.other);
    EXPECT_FALSE(sim::LoadChipStateFile(*other.cells, path, &why));
    EXPECT_EQ(why, path + c.refusal);
    EXPECT_EQ(other.cells->Cells().code[0], 0xFF) << "a refused file changes nothing";
}

// An AT89S8252 keeps its old layouts: the code and EEPROM with the version 1 trailer here. A file
// without a trailer is an AT89S8252's too.
INSTANTIATE_TEST_SUITE_P(
    Chips, ChipStateFile,
    ::testing::Values(
        StateCase{"AT89S51", "at89s51", 4096 + 25, "AT89S52",
                  " holds an AT89S51, not an AT89S52: name that chip or another file"},
        StateCase{"AT89S52", "AT89S52", 8192 + 25, "at89s8252",
                  " holds an AT89S52, not an AT89S8252: name that chip or another file"},
        StateCase{"AT89S53", "at89S53", 12288 + 25, "at89s8253",
                  " holds an AT89S53, not an AT89S8253: name that chip or another file"},
        StateCase{"AT89S8253", "at89s8253", 12288 + 2048 + 25, "at89s53",
                  " holds an AT89S8253, not an AT89S53: name that chip or another file"},
        StateCase{"AT89S8252", "at89s8252", 10249, "at89s51",
                  " holds an AT89S8252, not an AT89S51: name that chip or another file"}),
    CaseName{});

TEST(ChipModels, AreMadeByNameOnly) {
    std::vector<std::string> names;
    for (const std::string_view name : sim::ChipModelNames()) {
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"at89s51", "at89s52", "at89s53", "at89s8252",
                                               "at89s8253"}));
    EXPECT_FALSE(sim::MakeChipModel("at89s5"));
    EXPECT_FALSE(sim::MakeChipModel("at89s521"));
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
