// CCycleTimer with its calibration arriving on another thread, and released before it arrives.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "platform/one_shot_timer.h"
#include "virtual_counter.h"

namespace {

using Clock = std::chrono::steady_clock;

// The real one-shot, armed for an hour whatever delay the timer asks for: a release that waited
// for it instead of cancelling it would never end.
class HourLongOneShot final : public OneShotScheduler {
public:
    bool Arm(std::chrono::milliseconds, std::function<void()> callback) override {
        return timer_.Arm(std::chrono::hours(1), std::move(callback));
    }
    void Cancel() override { timer_.Cancel(); }

private:
    ThreadOneShotTimer timer_;
};

TEST(CycleTimerOnThread, ReleaseCancelsThePendingCalibrationAndLeavesNoCallbackBehind) {
    // Shared with the releasing thread, which may outlive a failed test.
    auto counter = std::make_shared<VirtualCounter>();
    auto timer = std::make_shared<std::unique_ptr<CCycleTimer>>(
        std::make_unique<CCycleTimer>(*counter, std::make_unique<HourLongOneShot>()));
    EXPECT_FALSE((*timer)->IsCalibrated());
    auto released = std::make_shared<std::promise<void>>();
    std::future<void> done = released->get_future();
    std::thread([counter, timer, released] {
        timer->reset();
        released->set_value();
    }).detach();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "release waits for the one-shot instead of cancelling it";
    // Only the constructor read the counter: the callback never ran.
    EXPECT_EQ(counter->Peek(), 1u);
}

TEST(CycleTimerOnThread, RateIsVisibleNoLaterThanTheCalibratedFlag) {
    VirtualCounter counter(1000);
    CCycleTimer timer(counter, std::make_unique<ManualOneShot>());
    counter.Advance(5'000'000'000u - counter.Peek() + timer.start - 1000);

    ThreadOneShotTimer systemTimer;
    ASSERT_TRUE(systemTimer.Arm(std::chrono::milliseconds(1), [&] { timer.OnCalibrationTimer(); }));
    const auto giveUpAt = Clock::now() + std::chrono::seconds(5);
    while (!timer.IsCalibrated() && Clock::now() < giveUpAt) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(timer.IsCalibrated());
    EXPECT_EQ(timer.ticksPerMicrosecond, 1000);
    systemTimer.Cancel();
}

}  // namespace
