#pragma once

#include <cstdint>

namespace sim {

// The AT89S8252's serial-programming limits, in the units their names carry. Clock limits are in
// oscillator periods (tCLCL), so they scale with the crystal the chip runs from.
inline constexpr std::uint64_t kDefaultOscillatorHz = 12'000'000;
inline constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;

// SCK pulse width high and low: each at least 24 oscillator periods (serial characteristics
// table), which together already make the period longer than the 40 below.
inline constexpr std::uint64_t kSckHighMinOscillatorPeriods = 24;
inline constexpr std::uint64_t kSckLowMinOscillatorPeriods = 24;
// SCK frequency strictly below f_osc / 40: a full period longer than 40 oscillator periods.
inline constexpr std::uint64_t kSckPeriodAboveOscillatorPeriods = 40;
// MOSI must be stable 1 oscillator period before the rising SCK edge and 2 after it.
inline constexpr std::uint64_t kMosiSetupMinOscillatorPeriods = 1;
inline constexpr std::uint64_t kMosiHoldMinOscillatorPeriods = 2;

// Code-byte write cycle: self-timed, 2.0 ms typical, and typically under 2.5 ms at 5 V.
inline constexpr std::uint64_t kWriteCycleTypicalNanoseconds = 2'000'000;
inline constexpr std::uint64_t kWriteCycleTypicalMaxNanoseconds = 2'500'000;
// Chip erase is self-timed as well, about 16 ms; an instruction sent straight after an erase is
// lost, and a read during the erase answers 0x00.
inline constexpr std::uint64_t kChipEraseNanoseconds = 16'000'000;

// Programming Enable is obeyed only this long after RST rose (with the oscillator running); an
// earlier one is ignored and recorded.
inline constexpr std::uint64_t kEnableAfterRstNanoseconds = 10'000'000;

// Write Lock Bits is self-timed too, but the data sheet gives it no time of its own. This model
// takes the byte write's bound, 2.5 ms: the lock bits are EEPROM cells like the others, and a
// programmer that pauses long enough after a byte write (the program's 3000 us) is safe. RST
// falling before the cycle ends cuts it: the lock bits stay as they were.
inline constexpr std::uint64_t kWriteLockBitsCycleNanoseconds = 2'500'000;

// A write cycle that outlasts the program's 3000 us pause after each write (fault injection).
inline constexpr std::uint64_t kSlowWriteCycleNanoseconds = 4'000'000;

// What one chip runs with; the defaults are a healthy part on a 12 MHz crystal.
struct ChipTiming {
    std::uint64_t oscillatorHz = kDefaultOscillatorHz;
    std::uint64_t writeCycleNanoseconds = kWriteCycleTypicalNanoseconds;
    std::uint64_t chipEraseNanoseconds = kChipEraseNanoseconds;
};

// Shortest legal durations in whole nanoseconds for a given oscillator.
struct ClockLimitsNanoseconds {
    std::uint64_t sckHighMin;
    std::uint64_t sckLowMin;
    std::uint64_t sckPeriodMin;
    std::uint64_t mosiSetupMin;
    std::uint64_t mosiHoldMin;
};

// "At least n periods" rounds up; "more than 40 periods" is the next whole nanosecond above.
constexpr ClockLimitsNanoseconds ClockLimitsFor(std::uint64_t oscillatorHz) {
    const auto atLeast = [oscillatorHz](std::uint64_t periods) {
        return (periods * kNanosecondsPerSecond + oscillatorHz - 1) / oscillatorHz;
    };
    return ClockLimitsNanoseconds{
        atLeast(kSckHighMinOscillatorPeriods),
        atLeast(kSckLowMinOscillatorPeriods),
        kSckPeriodAboveOscillatorPeriods * kNanosecondsPerSecond / oscillatorHz + 1,
        atLeast(kMosiSetupMinOscillatorPeriods),
        atLeast(kMosiHoldMinOscillatorPeriods),
    };
}

}  // namespace sim
