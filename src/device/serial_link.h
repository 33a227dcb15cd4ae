#pragma once

#include <cstdint>

#include "device/timing.h"

// Data-register lines of the cable. The data line is written as the complement of the bit sent,
// the clock rests high, and reset control is 0 while the chip is held in programming mode.
inline constexpr std::int32_t kDataLineMask = 0x01;
inline constexpr std::int32_t kClockMask = 0x02;
inline constexpr std::int32_t kResetControlMask = 0x04;
// Status bit 3 carries the chip's serial output, complemented.
inline constexpr std::uint8_t kStatusDataMask = 0x08;

// Mirror of the last value written to the data register; every write goes through it.
// Starts at 7 (data line 1, clock high, not in programming mode); nothing is written at start-up.
extern std::int32_t portShadow;
inline constexpr std::int32_t kInitialPortShadow = 7;

// The clocking and pacing in force: the window's fixed timing unless a front end chose the
// data-sheet timing for its crystal. Set before a device action, never during one.
extern LinkTiming linkTiming;

void SendBit(std::int32_t bit);
std::int32_t ReceiveBit();
void SendByte(std::int32_t b);
std::int32_t ReceiveByte();
void SetProgrammingMode(std::int32_t on);
// SCK low, nothing else changed.
void ClockLow();
void LinkDelay(std::int32_t us);
