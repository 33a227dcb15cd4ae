#pragma once

#include <chrono>
#include <cstdint>

#include "device/chips/chip_row.h"

// Every wait the link makes, with its unit in its name.

// The window program's fixed timing: 10 us clock phases and a 3 ms pause after every byte write
// or read (code or EEPROM) and after Write Lock Bits cover any crystal from 3 to 24 MHz and a
// write cycle of under 2.5 ms at 5 V, without knowing either.
inline constexpr std::int32_t kClockPhaseMicroseconds = 10;
inline constexpr std::int32_t kBytePauseMicroseconds = 3000;
inline constexpr std::int32_t kProgrammingModeSettleMicroseconds = 10000;

// Data-sheet timing, computed from the target's crystal (the command line's --osc). The chip
// needs SCK high and low for at least 24 oscillator periods each and a period above 40 periods;
// each phase gets the margin below on top, and since every wait starts after the port write
// that began it, a fast port never makes a phase shorter.
inline constexpr std::uint64_t kMinOscillatorHz = 3'000'000;
inline constexpr std::uint64_t kMaxOscillatorHz = 24'000'000;
inline constexpr std::int64_t kSckHighMinOscillatorPeriods = 24;
inline constexpr std::int64_t kSckLowMinOscillatorPeriods = 24;
inline constexpr std::int64_t kSckPeriodAboveOscillatorPeriods = 40;
inline constexpr std::int64_t kClockPhaseMarginPercent = 5;
// A byte write is self-timed (typically under 2.5 ms at 5 V) and polled until the byte reads
// back true; this long without that ends the write as failed.
inline constexpr std::int64_t kWritePollLimitMicroseconds = 10'000;
// Chip erase takes about 16 ms; reads answer 0x00 until it ends. Polled for at most this long.
inline constexpr std::int64_t kChipEraseLimitMicroseconds = 100'000;

inline constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

// How the link clocks and paces the chip.
struct LinkTiming {
    std::int64_t clockLowNanoseconds;
    std::int64_t clockHighNanoseconds;
    std::int32_t bytePauseMicroseconds;  // after each write and read instruction; 0: none
    bool pollsChip;  // DATA polling after each write, and waiting out a chip erase
};

inline constexpr LinkTiming kWindowLinkTiming{
    kClockPhaseMicroseconds * 1000, kClockPhaseMicroseconds * 1000, kBytePauseMicroseconds, false};

// `periods` oscillator periods plus the margin, in whole nanoseconds rounded up.
constexpr std::int64_t OscillatorPeriodsWithMarginNanoseconds(std::int64_t periods,
                                                              std::uint64_t oscillatorHz) {
    const auto hz = static_cast<std::int64_t>(oscillatorHz);
    const std::int64_t scaled = periods * kNanosecondsPerSecond * (100 + kClockPhaseMarginPercent);
    return (scaled + hz * 100 - 1) / (hz * 100);
}

constexpr LinkTiming DataSheetLinkTiming(std::uint64_t oscillatorHz) {
    // 24 + 24 periods already exceed the 40-period minimum, margin and all.
    static_assert(kSckHighMinOscillatorPeriods + kSckLowMinOscillatorPeriods >
                  kSckPeriodAboveOscillatorPeriods);
    return LinkTiming{
        OscillatorPeriodsWithMarginNanoseconds(kSckLowMinOscillatorPeriods, oscillatorHz),
        OscillatorPeriodsWithMarginNanoseconds(kSckHighMinOscillatorPeriods, oscillatorHz), 0,
        true};
}

// The timing for any chip of the family. Without a crystal: the window's 10 us phases, slow
// enough for every chip at 3 MHz; the AT89S8252 keeps the window's fixed pauses, the others poll
// their writes and erases (polling needs no crystal). With one: each phase the chip's minimum in
// oscillator periods plus the margin, and every cycle polled.
inline LinkTiming FixedLinkTiming(const ChipRow& chip) {
    if (&chip == &At89s8252Row()) {
        return kWindowLinkTiming;
    }
    return LinkTiming{kClockPhaseMicroseconds * 1000, kClockPhaseMicroseconds * 1000, 0, true};
}

inline LinkTiming DataSheetLinkTiming(const ChipRow& chip, std::uint64_t oscillatorHz) {
    const std::int64_t phase =
        OscillatorPeriodsWithMarginNanoseconds(chip.sckPhaseMinOscillatorPeriods, oscillatorHz);
    return LinkTiming{phase, phase, 0, true};
}

// The one-shot that calibrates the counter fires this long after start-up.
inline constexpr std::chrono::milliseconds kCalibrationPeriod{5000};
inline constexpr std::uint64_t kCalibrationPeriodMicroseconds = 5'000'000;
