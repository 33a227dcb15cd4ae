#include "device/cycle_timer.h"

#include <utility>

#include "device/timing.h"

CCycleTimer* cycleTimer = nullptr;

CCycleTimer::CCycleTimer(CounterSource& counter, std::unique_ptr<OneShotScheduler> oneShot)
    : counter_(counter), oneShot_(std::move(oneShot)) {
    calibrated.store(0, std::memory_order_relaxed);
    StartCalibration();
}

CCycleTimer::~CCycleTimer() {
    if (oneShot_) {
        oneShot_->Cancel();
    }
}

void CCycleTimer::ReadCounter() {
    now = counter_.Read();
}

void CCycleTimer::StartCalibration() {
    // A one-shot that cannot be armed is not reported: the gate then stays closed for good.
    // `start` is taken before arming so the callback, which may run on another thread at any
    // moment after Arm, never races with this store.
    ReadCounter();
    start = now;
    if (oneShot_) {
        (void)oneShot_->Arm(kCalibrationPeriod, [this] { OnCalibrationTimer(); });
    }
}

void CCycleTimer::OnCalibrationTimer() {
    ReadCounter();
    const std::uint64_t elapsed = now - start;
    SetCalibration(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(elapsed / kCalibrationPeriodMicroseconds)));
}

void CCycleTimer::SetCalibration(std::int32_t ticks) {
    ticksPerMicrosecond = ticks;
    calibrated.store(1, std::memory_order_release);
}

void CCycleTimer::DelayMicroseconds(std::int32_t us) {
    ReadCounter();
    start = now;
    // A 32-bit signed product (wrapping as the hardware multiply does), sign-extended before the
    // 64-bit add; the comparison is unsigned.
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticksPerMicrosecond) *
                                                   static_cast<std::uint32_t>(us));
    const std::uint64_t target =
        now + static_cast<std::uint64_t>(static_cast<std::int64_t>(product));
    while (now < target) {
        ReadCounter();
    }
}

void CCycleTimer::DelayNanoseconds(std::int64_t ns) {
    ReadCounter();
    start = now;
    const auto ticks =
        (static_cast<std::uint64_t>(ticksPerMicrosecond) * static_cast<std::uint64_t>(ns) + 999) /
        1000;
    const std::uint64_t target = now + ticks;
    while (now < target) {
        ReadCounter();
    }
}

std::uint64_t CCycleTimer::MicrosecondsSince(std::uint64_t since) const {
    return ticksPerMicrosecond > 0 ? (now - since) / static_cast<std::uint64_t>(ticksPerMicrosecond)
                                   : 0;
}
