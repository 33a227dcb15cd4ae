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
    cycleTimer->DelayMicroseconds(10'000);
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

class ChipRules : public DeviceFixture {
protected:
    ChipRules() : DeviceFixture(10'000, true) {}
    void Enter() {
        SetProgrammingMode(1);
        cycleTimer->DelayMicroseconds(10'000);
        ProgrammingEnable();
    }
};

// Write Lock Bits needs its cycle: RST falling at once leaves the bits as they were. A
// data-memory instruction with bits 7..6 set is no instruction at all.
TEST_F(ChipRules, ALockCutShortAndAStrayDataInstructionChangeNothing) {
    Enter();
    SendByte(0xAC);
    SendByte(LockBitsByte(3));
    SendByte(0x00);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->LockBits(), 0);
    Enter();
    SendByte(0x46);  // Write Data to 0x010 with bit 6 set
    SendByte(0x10);
    SendByte(0x77);
    cycleTimer->DelayMicroseconds(3000);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Eeprom()[0x010], 0xFF);
    ASSERT_EQ(chip->Violations().size(), 2u);
    EXPECT_TRUE(chip->Violations()[0].what.starts_with("RST fell during Write Lock Bits (busy"));
    EXPECT_EQ(chip->Violations()[1].what,
              "unknown instruction 0x46: a data-memory instruction has bits 7..6 clear");
    chip->ClearViolations();
}

}  // namespace
