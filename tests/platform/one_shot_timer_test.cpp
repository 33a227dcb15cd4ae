// The real one-shot on its own thread: fires once, or never once cancelled.

#include "platform/one_shot_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Counts callbacks and lets the test wait for the first one without sleeping blindly.
class FireRecord {
public:
    std::function<void()> Callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++fires_;
            firedAt_ = Clock::now();
            fired_.notify_all();
        };
    }
    bool WaitForFire(milliseconds limit) {
        std::unique_lock lock(mutex_);
        return fired_.wait_for(lock, limit, [this] { return fires_ > 0; });
    }
    int Fires() {
        std::lock_guard lock(mutex_);
        return fires_;
    }
    Clock::time_point FiredAt() {
        std::lock_guard lock(mutex_);
        return firedAt_;
    }

private:
    std::mutex mutex_;
    std::condition_variable fired_;
    int fires_ = 0;
    Clock::time_point firedAt_{};
};

constexpr milliseconds kShortDelay{20};
constexpr milliseconds kLongDelay{10'000};
// Generous: a loaded machine may schedule the timer thread late, never early.
constexpr milliseconds kPatience{5'000};

TEST(ThreadOneShotTimer, FiresOnceAfterTheDelayAndCancellingAnyTimeIsHarmless) {
    FireRecord record;
    ThreadOneShotTimer timer;
    timer.Cancel();  // never armed
    const auto armedAt = Clock::now();
    ASSERT_TRUE(timer.Arm(kShortDelay, record.Callback()));
    ASSERT_TRUE(record.WaitForFire(kPatience));
    EXPECT_GE(record.FiredAt() - armedAt, kShortDelay);
    // Cancel joins the timer thread: after it, the count is final.
    timer.Cancel();
    timer.Cancel();
    EXPECT_EQ(record.Fires(), 1);
}

// Cancel and the destructor wake the waiting thread rather than waiting out the delay.
TEST(ThreadOneShotTimer, CancellingOrDestroyingBeforeItFiresMeansItNeverFires) {
    FireRecord record;
    auto timer = std::make_unique<ThreadOneShotTimer>();
    ASSERT_TRUE(timer->Arm(kLongDelay, record.Callback()));
    const auto cancelAt = Clock::now();
    timer->Cancel();
    ASSERT_TRUE(timer->Arm(kLongDelay, record.Callback()));
    timer.reset();
    EXPECT_LT(Clock::now() - cancelAt, kLongDelay / 2);
    EXPECT_EQ(record.Fires(), 0);
}

TEST(ThreadOneShotTimer, ArmingAgainReplacesThePendingOneShot) {
    FireRecord first;
    FireRecord second;
    ThreadOneShotTimer timer;
    ASSERT_TRUE(timer.Arm(kLongDelay, first.Callback()));
    ASSERT_TRUE(timer.Arm(kShortDelay, second.Callback()));
    ASSERT_TRUE(second.WaitForFire(kPatience));
    timer.Cancel();
    EXPECT_EQ(first.Fires(), 0);
    EXPECT_EQ(second.Fires(), 1);
}

}  // namespace
