// CCycleTimer with its calibration arriving on another thread, and released before it arrives.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "platform/counter_source.h"
#include "platform/one_shot_timer.h"
#include "virtual_counter.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts reads of the hardware counter, from whichever thread makes them.
class CountingCounter final : public CounterSource {
public:
    std::uint64_t Read() override {
        reads.fetch_add(1, std::memory_order_relaxed);
        return HardwareCounter().Read();
    }
    std::atomic<int> reads{0};
};

#if defined(__linux__)
int ThreadsInProcess() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}
#endif

TEST(CycleTimerOnThread, ReleasedWithinFiveSecondsLeavesNoCallbackBehind) {
    // Any lazily started runtime thread (a sanitizer's, say) starts here, not mid-measurement.
    std::thread([] {}).join();
#if defined(__linux__)
    const int threadsBefore = ThreadsInProcess();
#endif
    CountingCounter counter;
    auto timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ThreadOneShotTimer>());
#if defined(__linux__)
    EXPECT_EQ(ThreadsInProcess(), threadsBefore + 1) << "the one-shot waits on a thread of its own";
#endif
    EXPECT_FALSE(timer->IsCalibrated());

    const auto releaseAt = Clock::now();
    timer.reset();
    EXPECT_LT(Clock::now() - releaseAt, std::chrono::milliseconds(2500))
        << "release cancels the one-shot instead of waiting for it";
#if defined(__linux__)
    EXPECT_EQ(ThreadsInProcess(), threadsBefore) << "the one-shot's thread is gone";
#endif
    // Only the constructor read the counter: the callback never ran.
    EXPECT_EQ(counter.reads.load(), 1);
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

    const std::uint64_t before = counter.Peek();
    timer.DelayMicroseconds(10);
    EXPECT_GE(counter.Peek() - before, 10'000u);
    systemTimer.Cancel();
}

}  // namespace
