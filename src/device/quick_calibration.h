#pragma once

#include <chrono>
#include <cstdint>

#include "device/cycle_timer.h"

// Learns the hardware counter's ticks per microsecond against the monotonic clock over `window`
// and publishes it on `timer`, with the same truncation the 5000 ms one-shot uses. For programs
// that have no reason to wait five seconds before their first device action (the command line,
// the benchmarks).
std::int32_t CalibrateQuickly(CCycleTimer& timer, std::chrono::milliseconds window);
