#include "platform/counter_source.h"

#include <chrono>

#if defined(__linux__)
#include <time.h>
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
