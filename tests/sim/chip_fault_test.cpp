// Faults a user can meet, seen through the program's own link.
#include <gtest/gtest.h>

#include <vector>

#include "case_name.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "sim/chip_timing.h"
#include "sim_link_fixture.h"

namespace {

struct MisoCase {
    const char* name;
    sim::MisoFault fault;
    std::int32_t received;
    std::uint8_t status;
};

class MisoFaultTest : public SimLinkFixture, public ::testing::WithParamInterface<MisoCase> {};

TEST_P(MisoFaultTest, ReadsWhatTheStuckLineShows) {
    const auto& c = GetParam();
    std::vector<std::uint8_t> image(8192, 0x5A);
    chip->LoadFlash(image);
    chip->SetMisoFault(c.fault);
    EnterAndEnable();
    EXPECT_EQ(CurrentPort()->ReadStatus(), c.status);
    EXPECT_EQ(ReceiveByte(), c.received);
    EXPECT_EQ(ReadCodeByte(0x0333), c.received);
    SetProgrammingMode(0);
    EXPECT_NO_VIOLATIONS();
}

INSTANTIATE_TEST_SUITE_P(
    NoChip, MisoFaultTest,
    ::testing::Values(MisoCase{"StuckLow", sim::MisoFault::kStuckLow, 0x00, 0x08},
                      MisoCase{"StuckHigh", sim::MisoFault::kStuckHigh, 0xFF, 0x00}),
    CaseName{});

struct CellCase {
    const char* name;
    bool unprogrammable;
    std::uint8_t stuckMask;
    std::uint8_t stuckLevels;
    std::uint8_t written;
    std::uint8_t readBack;
};

class BadCellTest : public SimLinkFixture, public ::testing::WithParamInterface<CellCase> {};

TEST_P(BadCellTest, FailsItsReadBackWhileNeighboursSucceed) {
    const auto& c = GetParam();
    constexpr std::int32_t kBad = 0x0800;
    if (c.unprogrammable) {
        chip->AddUnprogrammableCell(kBad);
    } else {
        chip->AddStuckBits(kBad, c.stuckMask, c.stuckLevels);
    }
    EnterAndEnable();
    ChipErase();
    timer->DelayMicroseconds(16000);
    for (std::int32_t a = kBad - 2; a <= kBad + 2; ++a) {
        WriteCodeByte(a, c.written);
    }
    for (std::int32_t a = kBad - 2; a <= kBad + 2; ++a) {
        EXPECT_EQ(ReadCodeByte(a), a == kBad ? c.readBack : c.written) << a;
    }
    SetProgrammingMode(0);
    EXPECT_NO_VIOLATIONS();
}

INSTANTIATE_TEST_SUITE_P(
    Cells, BadCellTest,
    ::testing::Values(CellCase{"WillNotProgram", true, 0, 0, 0x55, 0xFF},
                      CellCase{"BitsStuckAtOne", false, 0x81, 0x81, 0x00, 0x81},
                      CellCase{"BitsStuckAtZero", false, 0x18, 0x00, 0xFF, 0xE7},
                      CellCase{"MixedStuckBits", false, 0x81, 0x01, 0xFE, 0x7F}),
    CaseName{});

struct WriteCycleCase {
    const char* name;
    std::uint64_t writeCycleNs;
    bool verifies;
    std::uint64_t lostWrites;
    std::int32_t readStraightAfterWrite;
};

class WriteCycleTest : public SimLinkFixture,
                       public ::testing::WithParamInterface<WriteCycleCase> {};

// After each write the program pauses 3000 us and does not poll: a write cycle that outlasts the
// pause loses the next write, and a read straight after a write answers with the complement.
TEST_P(WriteCycleTest, PauseAfterEachWriteMustOutlastTheWriteCycle) {
    const auto& c = GetParam();
    chip->SetWriteCycleNanoseconds(c.writeCycleNs);
    EnterAndEnable();
    constexpr std::int32_t kCount = 8;
    for (std::int32_t a = 0; a < kCount; ++a) {
        WriteCodeByte(a, 0x30 + a);
    }
    std::int32_t wrong = 0;
    for (std::int32_t a = 0; a < kCount; ++a) {
        if (ReadCodeByte(a) != 0x30 + a) {
            ++wrong;
        }
    }
    EXPECT_EQ(wrong == 0, c.verifies);
    EXPECT_EQ(static_cast<std::uint64_t>(wrong), c.lostWrites);
    EXPECT_EQ(chip->Counts().ignored, c.lostWrites);
    EXPECT_EQ(chip->ViolationCount(), c.lostWrites) << ViolationText();
    for (const auto& v : chip->Violations()) {
        EXPECT_EQ(v.kind, sim::ViolationKind::kWriteWhileBusy) << v.what;
    }

    timer->DelayMicroseconds(10000);
    WriteCodeByte(0x100, 0x3C);
    EXPECT_EQ(ReadCodeByte(0x100), c.readStraightAfterWrite);
    SetProgrammingMode(0);
}

INSTANTIATE_TEST_SUITE_P(
    Durations, WriteCycleTest,
    ::testing::Values(
        WriteCycleCase{"Typical", sim::kWriteCycleTypicalNanoseconds, true, 0, 0x3C},
        WriteCycleCase{"SlowestTypical", sim::kWriteCycleTypicalMaxNanoseconds, true, 0, 0x3C},
        WriteCycleCase{"LongerThanThePause", sim::kSlowWriteCycleNanoseconds, false, 4, 0xC3}),
    CaseName{});

TEST_F(SimLinkFixture, LostWriteIsRecordedWithItsTimeAndTheCycleItHit) {
    chip->SetWriteCycleNanoseconds(sim::kSlowWriteCycleNanoseconds);
    EnterAndEnable();
    WriteCodeByte(0x0000, 0x11);
    const std::uint64_t busyUntil = chip->BusyUntilNs();
    const std::uint64_t before = counter.Peek();
    WriteCodeByte(0x1ABC, 0x22);
    const std::uint64_t after = counter.Peek();
    SetProgrammingMode(0);
    ASSERT_EQ(chip->Violations().size(), 1u);
    const auto& v = chip->Violations()[0];
    EXPECT_EQ(v.kind, sim::ViolationKind::kWriteWhileBusy);
    EXPECT_EQ(v.what, "Write Code 0x1ABC ignored: busy until " + std::to_string(busyUntil) + " ns");
    // The 24th rising edge: 23 bits of 20 us and a 10 us low phase in, ahead of the last 10 us
    // high phase and the 3000 us pause.
    EXPECT_GE(v.timeNs, before + 23u * 20'000u + 10'000u);
    EXPECT_LE(v.timeNs, after - 3'010'000u);
    EXPECT_LT(v.timeNs, busyUntil);
    EXPECT_EQ(chip->Flash()[0x1ABC], 0xFF);
}

}  // namespace
