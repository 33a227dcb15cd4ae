#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/adapters/ftdi_device.h"

// OpenFtdiDevice over libftdi1, with the clock its read timeouts are measured on given: the
// monotonic clock in the program, a scripted one in the tests.
using MillisecondClock = std::function<std::int64_t()>;

std::unique_ptr<FtdiDevice> OpenLibftdiDevice(const FtdiSelector& selector, std::string* why,
                                              MillisecondClock nowMs);

// A write that takes longer than this has stalled: the adapter is gone or wedged.
inline constexpr int kFtdiWriteTimeoutMilliseconds = 5000;
