// The data EEPROM, the lock bits and the chip's state file, through the real link in virtual time.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "case_name.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "scratch_dir.h"
#include "sim/flash_file.h"
#include "sim_link_fixture.h"

namespace {

bool AllErased(const auto& cells) {
    return std::all_of(cells.begin(), cells.end(), [](std::uint8_t b) { return b == 0xFF; });
}

struct LockCase {
    const char* name;
    int mode;  // 1: no lock sent
    std::uint8_t lockBits;
    std::uint8_t codeStored;  // after writing 0xA5 over 0x5A
    std::int32_t codeRead;
};

class LockModeTest : public SimLinkFixture, public ::testing::WithParamInterface<LockCase> {};

TEST_P(LockModeTest, BlocksWhatItsModeBlocksUntilAChipErase) {
    const LockCase& c = GetParam();
    chip->Flash()[0x10] = 0x5A;
    EnterAndEnable();
    if (c.mode > 1) {
        WriteLockBits(c.mode);
    }
    EXPECT_EQ(chip->LockBits(), c.lockBits);
    WriteCodeByte(0x10, 0xA5);
    EXPECT_EQ(ReadCodeByte(0x10), c.codeRead);
    EXPECT_EQ(chip->Flash()[0x10], c.codeStored);
    // The EEPROM stays open in every mode.
    WriteMemoryByte(Memory::kEeprom, 0x7F0, 0x44);
    EXPECT_EQ(ReadMemoryByte(Memory::kEeprom, 0x7F0), 0x44);

    ChipErase();
    cycleTimer->DelayMicroseconds(20'000);
    EXPECT_EQ(chip->LockBits(), 0);
    EXPECT_TRUE(AllErased(chip->Flash()));
    EXPECT_TRUE(AllErased(chip->Eeprom()));
    WriteCodeByte(0x10, 0xA5);
    EXPECT_EQ(ReadCodeByte(0x10), 0xA5);
    EXPECT_NO_VIOLATIONS();
}

INSTANTIATE_TEST_SUITE_P(Modes, LockModeTest,
                         ::testing::Values(LockCase{"Unlocked", 1, 0x0, 0xA5, 0xA5},
                                           LockCase{"Mode2", 2, 0x1, 0x5A, 0x5A},
                                           LockCase{"Mode3", 3, 0x3, 0x5A, 0xFF},
                                           LockCase{"Mode4", 4, 0x7, 0x5A, 0xFF}),
                         CaseName{});

class EepromLinkTest : public SimLinkFixture {};

TEST_F(EepromLinkTest, AnEepromWriteIsPolledUntilItsCycleEnds) {
    linkTiming = DataSheetLinkTiming(12'000'000);
    EnterAndEnable();
    const std::uint64_t start = counter.Peek();
    ASSERT_TRUE(WriteMemoryByteAndWait(Memory::kEeprom, 0x7FF, 0x80));
    EXPECT_GE(counter.Peek() - start, sim::kWriteCycleTypicalNanoseconds);
    EXPECT_EQ(chip->Eeprom()[0x7FF], 0x80);
    EXPECT_TRUE(AllErased(chip->Flash()));  // A10..A8 did not land in the code memory
    EXPECT_NO_VIOLATIONS();
}

TEST(ChipStateFileTest, KeepsEepromAndLocksAndReadsTodaysCodeOnlyFiles) {
    const test_support::ScratchDir dir;
    const auto path = dir.path() / "CHIP.bin";
    sim::At89s8252 chip;
    chip.Flash()[1] = 0x11;
    chip.Eeprom()[0x7FF] = 0x22;
    chip.SetLockBits(sim::kLockBit1 | sim::kLockBit2);
    ASSERT_TRUE(sim::SaveFlashFile(chip, path.string()));
    EXPECT_EQ(std::filesystem::file_size(path), sim::kStateFileBytes);
    sim::At89s8252 restored;
    ASSERT_TRUE(sim::LoadFlashFile(restored, path.string()));
    EXPECT_EQ(restored.Flash(), chip.Flash());
    EXPECT_EQ(restored.Eeprom(), chip.Eeprom());
    EXPECT_EQ(restored.LockBits(), chip.LockBits());

    std::filesystem::resize_file(path, sim::kCodeFlashBytes);  // a code-only file of today
    ASSERT_TRUE(sim::LoadFlashFile(restored, path.string()));
    EXPECT_EQ(restored.Flash(), chip.Flash());
    EXPECT_TRUE(AllErased(restored.Eeprom()));
    EXPECT_EQ(restored.LockBits(), 0);
}

}  // namespace
