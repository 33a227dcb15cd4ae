// Calibration of the shared delay against the 5000 ms one-shot, on a virtual counter.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "virtual_counter.h"

namespace {

// A one-shot whose state outlives the timer that owns it, so a test can see what the timer's
// destructor did to it.
struct OneShotRecord {
    std::function<void()> pending;
    int cancels = 0;
};

class RecordedOneShot final : public OneShotScheduler {
public:
    explicit RecordedOneShot(OneShotRecord& record) : record_(record) {}
    bool Arm(std::chrono::milliseconds, std::function<void()> callback) override {
        record_.pending = std::move(callback);
        return true;
    }
    void Cancel() override {
        record_.pending = nullptr;
        ++record_.cancels;
    }

private:
    OneShotRecord& record_;
};

TEST(CycleTimerCalibration, ConstructorArmsAFiveSecondOneShotAndStaysUncalibrated) {
    VirtualCounter counter(3);
    auto owned = std::make_unique<ManualOneShot>();
    ManualOneShot* shot = owned.get();
    CCycleTimer timer(counter, std::move(owned));
    EXPECT_TRUE(shot->IsArmed());
    EXPECT_EQ(shot->ArmedDelay(), std::chrono::milliseconds(5000));
    EXPECT_EQ(timer.calibrated.load(), 0);
    EXPECT_FALSE(timer.IsCalibrated());
    // The measurement starts from one counter read taken at construction.
    EXPECT_EQ(counter.Peek(), 3u);
    EXPECT_EQ(timer.start, 3u);
    EXPECT_EQ(timer.now, 3u);
}

struct CalibrationCase {
    std::uint64_t elapsed;
    std::int32_t ticksPerMicrosecond;
};

class CalibrationQuotient : public ::testing::TestWithParam<CalibrationCase> {};

TEST_P(CalibrationQuotient, StoresElapsedOverFiveMillionTruncatedToItsLow32Bits) {
    VirtualCounter counter(1);
    counter.Advance(123'456);  // calibration measures a difference, not an absolute count
    auto owned = std::make_unique<ManualOneShot>();
    ManualOneShot* shot = owned.get();
    CCycleTimer timer(counter, std::move(owned));
    const std::uint64_t start = timer.start;
    // The callback's own read lands exactly `elapsed` ticks after the start.
    counter.Advance(start + GetParam().elapsed - counter.Peek() - 1);
    shot->Fire();
    EXPECT_EQ(timer.now - timer.start, GetParam().elapsed);
    EXPECT_EQ(timer.ticksPerMicrosecond, GetParam().ticksPerMicrosecond);
    EXPECT_TRUE(timer.IsCalibrated());
    EXPECT_EQ(timer.calibrated.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CalibrationQuotient,
    ::testing::Values(CalibrationCase{5'000'000'000u, 1000},   // 1 GHz counter
                      CalibrationCase{5'004'999'999u, 1000},   // truncates, not rounds
                      CalibrationCase{14'999'999'999u, 2999},  // 2.9999998 truncates
                      CalibrationCase{12'345'678'901u, 2469},  // 2469.1357802
                      CalibrationCase{4'999'999u, 0},          // slower than 1 tick/us
                      CalibrationCase{std::uint64_t{5'000'000} * 0x1'0000'0007u + 3u,
                                      7},  // quotient > 32 bits
                      CalibrationCase{std::uint64_t{5'000'000} * 0x8000'0005u,
                                      -2'147'483'643}));  // low 32 bits 0x80000005, as signed

TEST(CycleTimerCalibration, OneShotThatCannotBeArmedLeavesTheTimerUncalibratedForGood) {
    VirtualCounter counter(1000);
    auto owned = std::make_unique<ManualOneShot>(/*armSucceeds=*/false);
    ManualOneShot* shot = owned.get();
    CCycleTimer timer(counter, std::move(owned));
    EXPECT_EQ(shot->ArmedDelay(), std::chrono::milliseconds(5000)) << "it was tried";
    EXPECT_FALSE(shot->IsArmed());
    counter.Advance(60'000'000'000u);
    shot->Fire();
    EXPECT_FALSE(timer.IsCalibrated());
    EXPECT_EQ(timer.calibrated.load(), 0);
}

TEST(CycleTimerCalibration, DestroyingTheTimerCancelsThePendingOneShot) {
    VirtualCounter counter(1);
    OneShotRecord record;
    {
        CCycleTimer timer(counter, std::make_unique<RecordedOneShot>(record));
        ASSERT_TRUE(static_cast<bool>(record.pending));
        EXPECT_EQ(record.cancels, 0);
    }
    EXPECT_GE(record.cancels, 1);
    EXPECT_FALSE(static_cast<bool>(record.pending));
}

TEST(CycleTimerCalibration, SetCalibrationPublishesTheRate) {
    VirtualCounter counter(1);
    CCycleTimer timer(counter, std::make_unique<ManualOneShot>());
    timer.SetCalibration(2600);
    EXPECT_TRUE(timer.IsCalibrated());
    EXPECT_EQ(timer.ticksPerMicrosecond, 2600);
}

}  // namespace
