// The simulated chip driven by the program's own link and programming commands.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "case_name.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "sim_link_fixture.h"

namespace {

std::uint8_t Pattern(std::int32_t address) {
    return static_cast<std::uint8_t>(address * 37 + (address >> 8) * 11 + 0x5A);
}

// Ten microseconds per counter read: the link's 10 us phases become a read or two, so the full
// array goes by quickly while every edge is still timed.
class FullArrayTest : public SimLinkFixture {
protected:
    FullArrayTest() : SimLinkFixture(10000) {}
};

TEST_F(FullArrayTest, WritesAndReadsBackEveryAddress) {
    SetProgrammingMode(1);
    timer->DelayMicroseconds(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
    for (std::int32_t a = 0; a < 8192; ++a) {
        WriteCodeByte(a, Pattern(a));
    }
    std::int32_t wrong = 0;
    for (std::int32_t a = 0; a < 8192; ++a) {
        const std::int32_t value = ReadCodeByte(a);
        if (value != Pattern(a)) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << "address " << a << " read " << value;
            if (++wrong == 10) {
                break;
            }
        }
    }
    SetProgrammingMode(0);
    for (std::size_t a = 0; a < 8192; ++a) {
        ASSERT_EQ(chip->Flash()[a], Pattern(static_cast<std::int32_t>(a))) << a;
    }
    EXPECT_EQ(chip->Counts().obeyed, 1u + 8192u + 8192u);
    EXPECT_EQ(chip->Counts().ignored, 0u);
    EXPECT_NO_VIOLATIONS();
}

using ChipLinkTest = SimLinkFixture;

struct BeforeEnableCase {
    const char* name;
    std::function<std::int32_t()> instruction;
    // What the instruction leaves at address 0x123 (preloaded with 0x00) once it is obeyed.
    std::uint8_t obeyedCell;
    std::int32_t readWhenIgnored;
    std::int32_t readWhenObeyed;
};

class BeforeEnableTest : public SimLinkFixture,
                         public ::testing::WithParamInterface<BeforeEnableCase> {};

TEST_P(BeforeEnableTest, IsIgnoredUntilProgrammingEnableArrives) {
    const auto& c = GetParam();
    std::vector<std::uint8_t> image(8192, 0x11);
    image[0x123] = 0x00;
    chip->LoadFlash(image);

    SetProgrammingMode(1);
    EXPECT_EQ(c.instruction(), c.readWhenIgnored);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x123], 0x00);
    EXPECT_EQ(chip->Flash()[0x124], 0x11);
    EXPECT_EQ(chip->Counts().obeyed, 0u);
    EXPECT_EQ(chip->Counts().ignored, 1u);

    EnterAndEnable();
    EXPECT_EQ(c.instruction(), c.readWhenObeyed);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x123], c.obeyedCell);
    EXPECT_EQ(chip->Counts().obeyed, 2u);
    EXPECT_EQ(chip->Counts().ignored, 1u);
    EXPECT_NO_VIOLATIONS();
}

// An ignored read shifts nothing out: MISO rests high and the link reads 0xFF.
INSTANTIATE_TEST_SUITE_P(Instructions, BeforeEnableTest,
                         ::testing::Values(BeforeEnableCase{"ChipErase",
                                                            [] {
                                                                ChipErase();
                                                                return -1;
                                                            },
                                                            0xFF, -1, -1},
                                           BeforeEnableCase{"WriteCode",
                                                            [] {
                                                                WriteCodeByte(0x123, 0x5C);
                                                                return -1;
                                                            },
                                                            0x5C, -1, -1},
                                           BeforeEnableCase{"ReadCode",
                                                            [] { return ReadCodeByte(0x123); },
                                                            0x00, 0xFF, 0x00}),
                         CaseName{});

TEST_F(ChipLinkTest, ResetLowClearsProgrammingEnable) {
    EnterAndEnable();
    EXPECT_TRUE(chip->ProgrammingEnabled());
    SetProgrammingMode(0);
    EXPECT_FALSE(chip->ProgrammingEnabled());
    SetProgrammingMode(1);
    WriteCodeByte(0x10, 0x00);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x10], 0xFF);
    EXPECT_EQ(chip->Counts().obeyed, 1u);
    EXPECT_EQ(chip->Counts().ignored, 1u);
    EXPECT_NO_VIOLATIONS();
}

struct PartialByteCase {
    const char* name;
    int strayBits;
    bool resetBetween;
    bool written;
    std::uint64_t obeyed;
    std::uint64_t ignored;
};

class PartialByteTest : public SimLinkFixture,
                        public ::testing::WithParamInterface<PartialByteCase> {};

TEST_P(PartialByteTest, ResetLowDropsBitsOfAnUnfinishedInstruction) {
    const auto& c = GetParam();
    SetProgrammingMode(1);
    // The first byte of an instruction and a few bits more, cut short.
    SendByte(0x0A);
    for (int i = 0; i < c.strayBits; ++i) {
        SendBit(i & 1);
    }
    if (c.resetBetween) {
        SetProgrammingMode(0);
    }
    EnterAndEnable();
    WriteCodeByte(0x155, 0x3C);
    const std::int32_t readBack = ReadCodeByte(0x155);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x155] == 0x3C, c.written);
    EXPECT_EQ(readBack == 0x3C, c.written);
    EXPECT_EQ(chip->Counts().obeyed, c.obeyed);
    EXPECT_EQ(chip->Counts().ignored, c.ignored);
    EXPECT_NO_VIOLATIONS();
}

// Without RST going low the stray bits stay in the shift register and every later frame is out
// of step: Programming Enable is never recognised and nothing is obeyed.
INSTANTIATE_TEST_SUITE_P(Cuts, PartialByteTest,
                         ::testing::Values(PartialByteCase{"ThreeBitsReset", 3, true, true, 3, 0},
                                           PartialByteCase{"ElevenBitsReset", 11, true, true, 3, 0},
                                           PartialByteCase{"ThreeBitsNoReset", 3, false, false, 0,
                                                           3}),
                         CaseName{});

TEST_F(ChipLinkTest, ChipEraseLeavesFfEverywhere) {
    std::vector<std::uint8_t> image(8192);
    for (std::size_t a = 0; a < image.size(); ++a) {
        image[a] = static_cast<std::uint8_t>(a & 0x7F);
    }
    chip->LoadFlash(image);
    // The erase action exactly: no settle, no pause after the instruction.
    SetProgrammingMode(1);
    ProgrammingEnable();
    ChipErase();
    SetProgrammingMode(0);
    for (std::size_t a = 0; a < 8192; ++a) {
        ASSERT_EQ(chip->Flash()[a], 0xFF) << a;
    }
    EXPECT_EQ(chip->Counts().obeyed, 2u);
    EXPECT_EQ(chip->Counts().ignored, 0u);
    EXPECT_TRUE(chip->Busy(counter.Peek()));
    EXPECT_NO_VIOLATIONS();
}

TEST_F(ChipLinkTest, WritesDuringChipEraseAreLostAndRecordedWhileReadsAnswerZero) {
    EnterAndEnable();
    ChipErase();
    const std::uint64_t eraseEnds = chip->BusyUntilNs();
    const std::uint64_t before = counter.Peek();
    EXPECT_EQ(ReadCodeByte(0x40), 0x00);
    WriteCodeByte(0x40, 0x12);
    EXPECT_EQ(chip->Flash()[0x40], 0xFF);
    ASSERT_EQ(chip->Violations().size(), 1u);
    EXPECT_EQ(chip->Violations()[0].kind, sim::ViolationKind::kWriteWhileBusy);
    EXPECT_EQ(chip->Violations()[0].what,
              "Write Code 0x0040 ignored: busy until " + std::to_string(eraseEnds) + " ns");
    EXPECT_GT(chip->Violations()[0].timeNs, before);
    EXPECT_LT(chip->Violations()[0].timeNs, eraseEnds);
    // Once the erase has run its 16 ms the chip listens again.
    timer->DelayMicroseconds(16000);
    WriteCodeByte(0x40, 0x12);
    EXPECT_EQ(ReadCodeByte(0x40), 0x12);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->ViolationCount(), 1u);
}

struct ReplaceCase {
    std::uint8_t before;
    std::uint8_t written;
};

class ReplaceTest : public SimLinkFixture, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceTest, WriteWithoutEraseReplacesTheByte) {
    const auto& c = GetParam();
    std::vector<std::uint8_t> image(0x1000, c.before);
    chip->LoadFlash(image);
    EnterAndEnable();
    WriteCodeByte(0x0ABC, c.written);
    EXPECT_EQ(ReadCodeByte(0x0ABC), c.written);
    EXPECT_EQ(ReadCodeByte(0x0ABB), c.before);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x0ABC], c.written);
    EXPECT_NO_VIOLATIONS();
}

// Bits go both ways: a cell that could only be programmed (1 -> 0) would fail the 0 -> 1 cases.
INSTANTIATE_TEST_SUITE_P(Values, ReplaceTest,
                         ::testing::Values(ReplaceCase{0x00, 0xFF}, ReplaceCase{0x00, 0xA5},
                                           ReplaceCase{0x5A, 0xA5}, ReplaceCase{0xFF, 0x00},
                                           ReplaceCase{0x0F, 0xF0}));

TEST_F(ChipLinkTest, AddressesDecodeFromBothInstructionBytes) {
    EnterAndEnable();
    const std::int32_t addresses[] = {0x0000, 0x00FF, 0x0100, 0x0800, 0x1555, 0x1FFF};
    for (const std::int32_t a : addresses) {
        WriteCodeByte(a, a & 0x7F);
    }
    // Bit 13 is not sent: 8192 lands on address 0.
    WriteCodeByte(8192, 0x42);
    SetProgrammingMode(0);
    std::vector<std::uint8_t> expected(8192, 0xFF);
    for (const std::int32_t a : addresses) {
        expected[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a & 0x7F);
    }
    expected[0] = 0x42;
    EXPECT_EQ(std::vector<std::uint8_t>(chip->Flash().begin(), chip->Flash().end()), expected);
    EXPECT_NO_VIOLATIONS();
}

TEST_F(ChipLinkTest, UnknownInstructionIsIgnored) {
    EnterAndEnable();
    // An operation no instruction has (xxxxx011) and an AC frame that is neither enable, erase
    // nor lock bits.
    SendByte(0x03);
    SendByte(0x10);
    SendByte(0x00);
    SendByte(0xAC);
    SendByte(0xE0);
    SendByte(0x00);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Counts().obeyed, 1u);
    EXPECT_EQ(chip->Counts().ignored, 2u);
    EXPECT_EQ(chip->Flash()[0x10], 0xFF);
    EXPECT_FALSE(chip->Busy(counter.Peek()));
    EXPECT_NO_VIOLATIONS();
}

}  // namespace
