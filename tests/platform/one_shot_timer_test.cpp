// The real one-shot on its own thread: fires once, or never once cancelled; the cycle timer's
// calibration arriving on it.

#include "platform/one_shot_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "virtual_counter.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Counts callbacks; the time of the first lets the test wait for it without sleeping blindly.
struct FireRecord {
    std::function<void()> Callback() {
        return [this] {
            if (fires.fetch_add(1) == 0) {
                firstFire.set_value(Clock::now());
            }
        };
    }
    std::atomic<int> fires{0};
    std::promise<Clock::time_point> firstFire;
};

constexpr milliseconds kShortDelay{20};
constexpr milliseconds kLongDelay{10'000};

// Arming replaces the pending one-shot. Cancel joins the timer thread (after it the counts are
// final); it and the destructor wake the waiting thread rather than waiting out the delay.
TEST(ThreadOneShotTimer, FiresOnceAfterItsDelayUnlessReplacedCancelledOrDestroyed) {
    FireRecord first;
    FireRecord second;
    auto timer = std::make_unique<ThreadOneShotTimer>();
    timer->Cancel();  // never armed
    ASSERT_TRUE(timer->Arm(kLongDelay, first.Callback()));
    const auto armedAt = Clock::now();
    ASSERT_TRUE(timer->Arm(kShortDelay, second.Callback()));
    // Generous: a loaded machine may schedule the timer thread late, never early.
    auto fired = second.firstFire.get_future();
    ASSERT_EQ(fired.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_GE(fired.get() - armedAt, kShortDelay);
    timer->Cancel();
    timer->Cancel();
    EXPECT_EQ(second.fires, 1);
    const auto cancelAt = Clock::now();
    ASSERT_TRUE(timer->Arm(kLongDelay, first.Callback()));
    timer->Cancel();
    ASSERT_TRUE(timer->Arm(kLongDelay, first.Callback()));
    timer.reset();
    EXPECT_LT(Clock::now() - cancelAt, kLongDelay / 2);
    EXPECT_EQ(first.fires, 0);
}

// The counter's rate is stored before the calibrated flag is released to other threads.
TEST(ThreadOneShotTimer, CalibrationOnItsThreadShowsTheRateNoLaterThanTheFlag) {
    VirtualCounter counter(1000);
    CCycleTimer timer(counter, std::make_unique<ManualOneShot>());
    counter.Advance(5'000'000'000u - counter.Peek() + timer.start - 1000);

    ThreadOneShotTimer systemTimer;
    ASSERT_TRUE(systemTimer.Arm(milliseconds(1), [&] { timer.OnCalibrationTimer(); }));
    const auto giveUpAt = Clock::now() + std::chrono::seconds(5);
    while (!timer.IsCalibrated() && Clock::now() < giveUpAt) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(timer.IsCalibrated());
    EXPECT_EQ(timer.ticksPerMicrosecond, 1000);
    systemTimer.Cancel();
}

}  // namespace
