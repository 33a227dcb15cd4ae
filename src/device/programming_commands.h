#pragma once

#include <cstdint>
#include <span>

#include "device/chips/chip_row.h"

// The chip the link talks to, as a row of the chip table: the AT89S8252 unless a front end
// chose another. Set before a device action, never during one.
extern const ChipRow* currentChip;

// The AT89S8252's code memory and data EEPROM, the window program's chip's.
inline constexpr std::int32_t kCodeMemoryBytes = 8192;
inline constexpr std::int32_t kEepromBytes = 2048;
// How many bytes `memory` holds on the current chip (0: it has no such memory).
inline std::int32_t MemoryBytes(Memory memory) {
    return currentChip->Bytes(memory);
}

// Byte 2 of the AT89S8252's Write Lock Bits for protection mode 2, 3 or 4: LB1..LB3 in bits
// 7..5, each programmed by sending it as 0; bits 2..0 are 111. -1 for any other mode.
constexpr std::int32_t LockBitsByte(int mode) {
    return mode == 2 ? 0x67 : mode == 3 ? 0x27 : mode == 4 ? 0x07 : -1;
}

// RST high (programming mode) or low (the target runs), through the adapter; leaving it flushes
// everything still handed over.
void HoldInProgrammingMode(bool on);
// SCK low before the first rising edge, on the chips that need it held low for a while.
void HoldClockLow();

// Callers enter programming mode first and send ProgrammingEnable once per action; none of these
// touches RST. ProgrammingEnable returns what the chip answered in the enable's fourth byte on
// the chips that answer (0x69 when it heard the enable), and flushes to learn it; 0 elsewhere.
std::uint8_t ProgrammingEnable();
void ChipErase();
// Each hands the instruction to the adapter and flushes it. With the window's timing both pause
// 3000 us after the instruction; with polled timing neither pauses.
void WriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value);
std::int32_t ReadMemoryByte(Memory memory, std::int32_t address);
inline void WriteCodeByte(std::int32_t address, std::int32_t value) {
    WriteMemoryByte(Memory::kCode, address, value);
}
inline std::int32_t ReadCodeByte(std::int32_t address) {
    return ReadMemoryByte(Memory::kCode, address);
}
// The same instructions handed over without a flush: a batching adapter sends many at once.
// `into` is filled by the next FlushLink() at the latest.
void QueueWriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value);
void QueueReadMemoryByte(Memory memory, std::int32_t address, std::uint8_t* into);
// Page mode, on the chips that have it: the page of PageBytes(memory) bytes at `pageStart`.
void QueueReadPage(Memory memory, std::int32_t pageStart, std::span<std::uint8_t> into);
// Writes the page and polls its last byte until it reads true; false when it has not within the
// chip's page-write limit.
bool WritePageAndWait(Memory memory, std::int32_t pageStart, std::span<const std::uint8_t> bytes);
// Everything handed over has happened; false when the adapter failed.
bool FlushLink();

// A write that knows when it is done: with polled timing the byte is read back (DATA polling)
// until it reads true; false when it has not within the chip's byte-write limit. With the
// window's timing it is WriteMemoryByte and its pause, and always true.
bool WriteMemoryByteAndWait(Memory memory, std::int32_t address, std::int32_t value);
inline bool WriteCodeByteAndWait(std::int32_t address, std::int32_t value) {
    return WriteMemoryByteAndWait(Memory::kCode, address, value);
}

// Write Lock Bits for protection mode 2, 3 or 4, every instruction the chip needs in its order,
// each followed by the fixed write pause (nothing to poll).
void WriteLockBits(int mode);
// The protection mode (1-4) the chip's lock bits say, -1 for a pattern no mode leaves; -2 where
// the chip cannot read them back. `raw` receives the answer.
int ReadLockMode(std::uint8_t* raw = nullptr);
// The chip's signature bytes (the current chip's count of them) into `into`.
void ReadSignature(std::span<std::uint8_t> into);

// After ChipErase: with polled timing, the chip must answer 0x00 ("erasing") before it answers
// erased (0xFF); false when it has not within the chip's erase limit (no chip, no clock, a broken
// line, a missed enable: all read 0xFF at once). With the window's timing returns true at once, as
// the window's erase always has.
bool WaitForChipErase();
