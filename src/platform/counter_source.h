#pragma once

#include <cstdint>

// A free-running 64-bit counter that CCycleTimer spins on. The hardware source is the processor's
// time-stamp counter on x86 and CLOCK_MONOTONIC_RAW nanoseconds elsewhere; tests inject a
// virtual counter. Read() must not allocate, sleep or yield: it runs inside busy-waits.
class CounterSource {
public:
    virtual ~CounterSource() = default;
    virtual std::uint64_t Read() = 0;
};

// The process's hardware counter (a static object; never released).
CounterSource& HardwareCounter();

// Nanoseconds of CLOCK_MONOTONIC_RAW (Windows: QueryPerformanceCounter; elsewhere the
// platform's monotonic clock).
std::uint64_t MonotonicNanoseconds();
