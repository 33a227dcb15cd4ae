#pragma once

#include <cstdint>

// The chip's serial programming instructions, three bytes each, most significant bit first.
// Only the 8 KB code memory is addressed: 13 address bits, higher bits dropped.
inline constexpr std::int32_t kCodeAddressMask = 0x1FFF;
inline constexpr std::int32_t kWriteCodeOp = 0x02;
inline constexpr std::int32_t kReadCodeOp = 0x01;

// First byte of a code-memory instruction: address bits 12..8 in bits 7..3, the operation below.
constexpr std::int32_t CodeInstructionHigh(std::int32_t address, std::int32_t op) {
    return (((address >> 8) & 0x1F) << 3) | op;
}
constexpr std::int32_t CodeInstructionLow(std::int32_t address) {
    return address & 0xFF;
}

// Callers enter programming mode first and send ProgrammingEnable once per action; none of these
// touches the reset-control line.
void ProgrammingEnable();
void ChipErase();
// With the window's timing both pause 3000 us after the instruction; with data-sheet timing
// neither pauses.
void WriteCodeByte(std::int32_t address, std::int32_t value);
std::int32_t ReadCodeByte(std::int32_t address);

// A write that knows when it is done: with data-sheet timing the byte is read back (DATA
// polling) until it reads true; false when it has not within kWritePollLimitMicroseconds. With
// the window's timing it is WriteCodeByte and its pause, and always true.
bool WriteCodeByteAndWait(std::int32_t address, std::int32_t value);

// After ChipErase: with data-sheet timing, reads a byte until the chip answers erased (reads
// return 0x00 while it erases); false when it has not within kChipEraseLimitMicroseconds. With
// the window's timing returns true at once, as the window's erase always has.
bool WaitForChipErase();
