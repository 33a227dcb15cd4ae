#pragma once

#include <chrono>
#include <cstdint>

#include "device/cycle_timer.h"

// Learns the hardware counter's ticks per microsecond against the monotonic clock over `window`
// and publishes it on `timer`, the same truncation the 5000 ms one-shot uses. A benchmark has no
// reason to wait five seconds for that.
std::int32_t CalibrateQuickly(CCycleTimer& timer, std::chrono::milliseconds window);
