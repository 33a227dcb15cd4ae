// The lock modes and the data EEPROM, through the real link in virtual time.

#include <gtest/gtest.h>

#include <algorithm>

#include "case_name.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device_fixture.h"

namespace {

struct LockCase {
    const char* name;
    int mode;
    std::uint8_t lockBits;
    std::uint8_t codeStored;  // after writing 0xA5 over 0x5A
    std::int32_t codeRead;
};

class LockModeTest : public DeviceFixture, public ::testing::WithParamInterface<LockCase> {
protected:
    LockModeTest() : DeviceFixture(10'000, true) {}
};

TEST_P(LockModeTest, BlocksWhatItsModeBlocksUntilAChipErase) {
    const LockCase& c = GetParam();
    chip->Flash()[0x10] = 0x5A;
    SetProgrammingMode(1);
    ProgrammingEnable();
    WriteLockBits(c.mode);
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
    EXPECT_EQ(std::ranges::count(chip->Flash(), 0xFF) + std::ranges::count(chip->Eeprom(), 0xFF),
              8192 + 2048);
    WriteCodeByte(0x10, 0xA5);
    EXPECT_EQ(ReadCodeByte(0x10), 0xA5);
}

INSTANTIATE_TEST_SUITE_P(Modes, LockModeTest,
                         ::testing::Values(LockCase{"Mode2", 2, 0x1, 0x5A, 0x5A},
                                           LockCase{"Mode3", 3, 0x3, 0x5A, 0xFF},
                                           LockCase{"Mode4", 4, 0x7, 0x5A, 0xFF}),
                         CaseName{});

}  // namespace
