#include "device/quick_calibration.h"

#include "platform/counter_source.h"

std::int32_t CalibrateQuickly(CCycleTimer& timer, std::chrono::milliseconds window) {
    const auto windowNs = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(window).count());
    CounterSource& counter = HardwareCounter();
    const std::uint64_t startNs = MonotonicNanoseconds();
    const std::uint64_t startTicks = counter.Read();
    std::uint64_t nowNs = startNs;
    // Spinning rather than sleeping keeps the core awake at its working clock.
    while (nowNs - startNs < windowNs) {
        nowNs = MonotonicNanoseconds();
    }
    const std::uint64_t ticks = counter.Read() - startTicks;
    const std::uint64_t elapsedNs = nowNs - startNs;
    const auto perMicrosecond = static_cast<std::int32_t>(ticks * 1000 / elapsedNs);
    timer.SetCalibration(perMicrosecond);
    return perMicrosecond;
}
