#include "sim/chip_timing.h"

#include <gtest/gtest.h>

#include "device/timing.h"

namespace {

struct LimitsCase {
    std::uint64_t oscillatorHz;
    sim::ClockLimitsNanoseconds expected;
};

class ClockLimitsTest : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(ClockLimitsTest, RoundsToTheShortestLegalWholeNanosecond) {
    const auto& c = GetParam();
    const auto limits = sim::ClockLimitsFor(c.oscillatorHz);
    EXPECT_EQ(limits.sckHighMin, c.expected.sckHighMin);
    EXPECT_EQ(limits.sckLowMin, c.expected.sckLowMin);
    EXPECT_EQ(limits.sckPeriodMin, c.expected.sckPeriodMin);
    EXPECT_EQ(limits.mosiSetupMin, c.expected.mosiSetupMin);
    EXPECT_EQ(limits.mosiHoldMin, c.expected.mosiHoldMin);
}

// 12 MHz: 24 periods = 2000 ns, 40 periods = 3333.3 ns (the period must be longer).
// 24 MHz: 1000 ns and 1666.7 ns. 3 MHz: 8000 ns and 13333.3 ns. 10 MHz: exact 2400 and 4000.
INSTANTIATE_TEST_SUITE_P(Oscillators, ClockLimitsTest,
                         ::testing::Values(LimitsCase{12'000'000, {2000, 2000, 3334, 84, 167}},
                                           LimitsCase{24'000'000, {1000, 1000, 1667, 42, 84}},
                                           LimitsCase{3'000'000, {8000, 8000, 13334, 334, 667}},
                                           LimitsCase{10'000'000, {2400, 2400, 4001, 100, 200}}));

TEST(ChipTimingTest, HealthyChipFitsTheProgramsWaits) {
    const sim::ChipTiming timing;
    EXPECT_EQ(timing.oscillatorHz, 12'000'000u);
    EXPECT_EQ(timing.writeCycleNanoseconds, 2'000'000u);
    EXPECT_LT(sim::kWriteCycleTypicalMaxNanoseconds,
              static_cast<std::uint64_t>(kCodeBytePauseMicroseconds) * 1000u);
    EXPECT_GT(sim::kSlowWriteCycleNanoseconds,
              static_cast<std::uint64_t>(kCodeBytePauseMicroseconds) * 1000u);
    const auto limits = sim::ClockLimitsFor(timing.oscillatorHz);
    const std::uint64_t phaseNs = static_cast<std::uint64_t>(kClockPhaseMicroseconds) * 1000u;
    EXPECT_GE(phaseNs, limits.sckHighMin);
    EXPECT_GE(2 * phaseNs, limits.sckPeriodMin);
}

struct PhaseCase {
    std::uint64_t oscillatorHz;
    std::int64_t phaseNs;  // 24 periods plus 5 %, rounded up
};

class DataSheetPhaseTest : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(DataSheetPhaseTest, CoverTheChipsLimitsWithTheirMargin) {
    const auto& c = GetParam();
    const LinkTiming timing = DataSheetLinkTiming(c.oscillatorHz);
    EXPECT_EQ(timing.clockLowNanoseconds, c.phaseNs);
    EXPECT_EQ(timing.clockHighNanoseconds, c.phaseNs);
    EXPECT_EQ(timing.codeBytePauseMicroseconds, 0);
    EXPECT_TRUE(timing.pollsWrites);
    const auto limits = sim::ClockLimitsFor(c.oscillatorHz);
    const auto hz = static_cast<std::int64_t>(c.oscillatorHz);
    for (const std::int64_t phase : {timing.clockLowNanoseconds, timing.clockHighNanoseconds}) {
        EXPECT_GE(static_cast<std::uint64_t>(phase), limits.sckLowMin);
        // phase >= 24 periods x (100 + margin) %, exactly
        EXPECT_GE(phase * hz * 100, 24 * 1'000'000'000LL * (100 + kClockPhaseMarginPercent));
    }
    EXPECT_GE(static_cast<std::uint64_t>(timing.clockLowNanoseconds + timing.clockHighNanoseconds),
              limits.sckPeriodMin);
}

INSTANTIATE_TEST_SUITE_P(Crystals, DataSheetPhaseTest,
                         ::testing::Values(PhaseCase{3'000'000, 8400}, PhaseCase{11'059'200, 2279},
                                           PhaseCase{12'000'000, 2100},
                                           PhaseCase{24'000'000, 1050}));

}  // namespace
