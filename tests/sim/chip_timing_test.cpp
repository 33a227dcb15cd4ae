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

// 12 MHz: 8 periods = 666.7 ns, 40 periods = 3333.3 ns (the period must be longer).
// 24 MHz: 333.3 ns and 1666.7 ns. 3 MHz: 2666.7 ns and 13333.3 ns. 10 MHz: exact 800 and 4000.
INSTANTIATE_TEST_SUITE_P(Oscillators, ClockLimitsTest,
                         ::testing::Values(LimitsCase{12'000'000, {667, 667, 3334, 84, 167}},
                                           LimitsCase{24'000'000, {334, 334, 1667, 42, 84}},
                                           LimitsCase{3'000'000, {2667, 2667, 13334, 334, 667}},
                                           LimitsCase{10'000'000, {800, 800, 4001, 100, 200}}));

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

}  // namespace
