// The shared delay on a virtual counter: calibration against the 5000 ms one-shot and
// DelayMicroseconds by its 32-bit signed arithmetic.

#include "device/cycle_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "case_name.h"
#include "manual_one_shot.h"
#include "virtual_counter.h"

namespace {

struct CalibrationCase {
    std::uint64_t elapsed;
    std::int32_t ticksPerMicrosecond;
};

class Calibration : public ::testing::TestWithParam<CalibrationCase> {};

TEST_P(Calibration, StoresElapsedOverFiveMillionTruncatedToItsLow32Bits) {
    VirtualCounter counter(1);
    counter.Advance(123'456);  // calibration measures a difference, not an absolute count
    auto owned = std::make_unique<ManualOneShot>();
    ManualOneShot* shot = owned.get();
    CCycleTimer timer(counter, std::move(owned));
    EXPECT_EQ(shot->ArmedDelay(), std::chrono::milliseconds(5000));
    // The callback's own read lands exactly `elapsed` ticks after the start.
    counter.Advance(timer.start + GetParam().elapsed - counter.Peek() - 1);
    shot->Fire();
    EXPECT_EQ(timer.ticksPerMicrosecond, GetParam().ticksPerMicrosecond);
    EXPECT_TRUE(timer.IsCalibrated());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Calibration,
    ::testing::Values(CalibrationCase{5'004'999'999u, 1000},   // truncates, not rounds
                      CalibrationCase{12'345'678'901u, 2469},  // 2469.1357802
                      CalibrationCase{4'999'999u, 0},          // slower than 1 tick/us
                      CalibrationCase{std::uint64_t{5'000'000} * 0x1'0000'0007u + 3u,
                                      7},  // quotient > 32 bits
                      // low 32 bits 0x80000005, as signed
                      CalibrationCase{std::uint64_t{5'000'000} * 0x8000'0005u, -2'147'483'643}));

struct DelayCase {
    const char* name;
    std::uint64_t ticksPerRead;
    std::int32_t ticksPerMicrosecond;
    std::int32_t us;
    std::uint64_t counterAtStart;
    std::uint64_t counterAtEnd;  // the first read at or past the target
};

class Delay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(Delay, SpinsUntilTheWrappedTargetAndNoFurther) {
    const DelayCase& c = GetParam();
    VirtualCounter counter(c.ticksPerRead);
    CCycleTimer timer(counter, std::make_unique<ManualOneShot>());
    timer.SetCalibration(c.ticksPerMicrosecond);
    counter.Advance(c.counterAtStart - counter.Peek());
    timer.DelayMicroseconds(c.us);
    EXPECT_EQ(timer.start, c.counterAtStart + c.ticksPerRead);
    EXPECT_EQ(counter.Peek(), c.counterAtEnd);
}

// The target is the counter on entry plus ticksPerMicrosecond x us as a 32-bit product, sign
// extended: a product that wraps negative lies in the past and returns at once.
INSTANTIATE_TEST_SUITE_P(
    Table, Delay,
    ::testing::Values(
        DelayCase{"SettleAtThreeGigahertz", 997, 3000, 10000, 5'000'000'000u, 5'030'001'724u},
        DelayCase{"NegativeIsInThePast", 1000, 1000, -1, 1'000'000, 1'001'000},
        // 1000 x 3,000,000 = 3e9 wraps to -1,294,967,296.
        DelayCase{"ProductWrapsNegative", 1000, 1000, 3'000'000, 2'000'000'000, 2'000'001'000},
        // 1000 x 5,000,000 = 5e9 wraps to 705,032,704 ticks ahead.
        DelayCase{"ProductWrapsPositive", 1'000'000, 1000, 5'000'000, 0, 707'000'000},
        // A target past 2^64 wraps below the counter: the unsigned comparison ends the wait.
        DelayCase{"TargetWrapsPast64Bits", 1, 1000, 1, 0xFFFF'FFFF'FFFF'FF00u,
                  0xFFFF'FFFF'FFFF'FF01u}),
    CaseName{});

}  // namespace
