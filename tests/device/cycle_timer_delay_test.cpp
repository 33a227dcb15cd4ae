// DelayMicroseconds: how far the counter moves, by the stated 32-bit signed arithmetic.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "virtual_counter.h"

namespace {

// The product ticksPerMicrosecond x us as a 32-bit two's-complement multiply gives it: the exact
// product reduced modulo 2^32 into [-2^31, 2^31).
std::int64_t WrappedProduct(std::int32_t ticksPerMicrosecond, std::int32_t us) {
    const std::int64_t exact = static_cast<std::int64_t>(ticksPerMicrosecond) * us;
    std::int64_t low = exact % (std::int64_t{1} << 32);
    if (low < 0) {
        low += std::int64_t{1} << 32;
    }
    return low >= (std::int64_t{1} << 31) ? low - (std::int64_t{1} << 32) : low;
}

struct DelayCase {
    const char* name;
    std::uint64_t ticksPerRead;
    std::int32_t ticksPerMicrosecond;
    std::int32_t us;
    std::uint64_t counterAtStart;
    bool returnsAtOnce;
};

class Delay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(Delay, SpinsUntilTheWrappedTargetAndNoFurther) {
    const DelayCase& c = GetParam();
    VirtualCounter counter(c.ticksPerRead);
    CCycleTimer timer(counter, std::make_unique<ManualOneShot>());
    timer.SetCalibration(c.ticksPerMicrosecond);
    counter.Advance(c.counterAtStart - counter.Peek());

    const std::uint64_t entry = c.counterAtStart + c.ticksPerRead;
    const std::uint64_t target =
        entry + static_cast<std::uint64_t>(WrappedProduct(c.ticksPerMicrosecond, c.us));
    // A row whose target the counter could not reach in a test's lifetime would hang here.
    ASSERT_EQ(entry >= target, c.returnsAtOnce) << "table and arithmetic disagree";
    if (!c.returnsAtOnce) {
        ASSERT_LT((target - entry) / c.ticksPerRead, 10'000'000u);
    }

    timer.DelayMicroseconds(c.us);

    EXPECT_EQ(timer.start, entry);
    EXPECT_EQ(timer.now, counter.Peek());
    if (c.returnsAtOnce) {
        EXPECT_EQ(counter.Peek(), entry) << "exactly one counter read";
    } else {
        EXPECT_GE(counter.Peek(), target);
        EXPECT_LT(counter.Peek(), target + c.ticksPerRead) << "one read past the target at most";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Delay,
    ::testing::Values(
        DelayCase{"Zero", 1000, 1000, 0, 0, true},
        DelayCase{"ClockPhase", 1000, 1000, 10, 0, false},
        DelayCase{"WritePause", 1000, 1000, 3000, 0, false},
        DelayCase{"WritePauseUnevenSteps", 7, 1000, 3000, 0, false},
        DelayCase{"SettleAtThreeGigahertz", 997, 3000, 10000, 5'000'000'000u, false},
        DelayCase{"NegativeIsInThePast", 1000, 1000, -1, 1'000'000, true},
        // 1000 x 3,000,000 = 3e9 wraps to -1,294,967,296: a target in the past.
        DelayCase{"ProductWrapsNegative", 1000, 1000, 3'000'000, 2'000'000'000, true},
        // 1000 x 5,000,000 = 5e9 wraps to 705,032,704 ticks ahead.
        DelayCase{"ProductWrapsPositive", 1'000'000, 1000, 5'000'000, 0, false},
        // -2000 x -2,000,000 = 4e9 wraps to -294,967,296.
        DelayCase{"NegativeRateAndUs", 1'000'000, -2000, -2'000'000, 1'000'000'000, true},
        // A target past 2^64 wraps below the counter: the unsigned comparison ends the wait.
        DelayCase{"TargetWrapsPast64Bits", 1, 1000, 1, 0xFFFF'FFFF'FFFF'FF00u, true}),
    [](const ::testing::TestParamInfo<DelayCase>& param) { return param.param.name; });

}  // namespace
