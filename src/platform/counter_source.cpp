#include "platform/counter_source.h"

#include <chrono>

#if defined(__linux__)
#include <time.h>
#elif defined(_WIN32)
#include <windows.h>
#endif
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define ISP_HAVE_TSC 1
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <x86intrin.h>
#endif
#endif

std::uint64_t MonotonicNanoseconds() {
#if defined(__linux__)
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(ts.tv_nsec);
#elif defined(_WIN32)
    // The performance counter runs at a fixed frequency (typically 10 MHz) read once.
    static const std::uint64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<std::uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    // Whole seconds and the remainder apart, so the product cannot overflow.
    return ticks / frequency * 1'000'000'000u + ticks % frequency * 1'000'000'000u / frequency;
#else
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
#endif
}

namespace {

class HardwareCounterSource final : public CounterSource {
public:
    std::uint64_t Read() override {
#if defined(ISP_HAVE_TSC)
        return __rdtsc();
#else
        return MonotonicNanoseconds();
#endif
    }
};

}  // namespace

CounterSource& HardwareCounter() {
    static HardwareCounterSource source;
    return source;
}
