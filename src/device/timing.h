#pragma once

#include <chrono>
#include <cstdint>

// Every wait the link makes, with its unit in its name. The chip needs SCK high and low for at
// least 8 oscillator periods and SCK below f_osc/40, and a code-byte write cycle completes in
// under 2.5 ms at 5 V: 10 us phases and a 3 ms pause cover any crystal the chip runs from.
inline constexpr std::int32_t kClockPhaseMicroseconds = 10;
inline constexpr std::int32_t kCodeBytePauseMicroseconds = 3000;
inline constexpr std::int32_t kProgrammingModeSettleMicroseconds = 10000;

// The one-shot that calibrates the counter fires this long after start-up.
inline constexpr std::chrono::milliseconds kCalibrationPeriod{5000};
inline constexpr std::uint64_t kCalibrationPeriodMicroseconds = 5'000'000;
