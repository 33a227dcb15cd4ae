#pragma once

#include <cstdint>

// The chip's serial programming instructions, three bytes each, most significant bit first.
// The 8 KB code memory takes 13 address bits, the 2 KB data EEPROM 11; higher bits are dropped.
inline constexpr std::int32_t kCodeAddressMask = 0x1FFF;
inline constexpr std::int32_t kWriteCodeOp = 0x02;
inline constexpr std::int32_t kReadCodeOp = 0x01;
inline constexpr std::int32_t kWriteDataOp = 0x06;
inline constexpr std::int32_t kReadDataOp = 0x05;

// Which memory a read or write instruction addresses.
enum class Memory { kCode, kEeprom };
inline constexpr std::int32_t kCodeMemoryBytes = 8192;
inline constexpr std::int32_t kEepromBytes = 2048;
constexpr std::int32_t MemoryBytes(Memory memory) {
    return memory == Memory::kCode ? kCodeMemoryBytes : kEepromBytes;
}

// First byte of a code-memory instruction: address bits 12..8 in bits 7..3, the operation below.
constexpr std::int32_t CodeInstructionHigh(std::int32_t address, std::int32_t op) {
    return (((address >> 8) & 0x1F) << 3) | op;
}
// Second byte of every read and write instruction, code and EEPROM alike: address bits 7..0.
constexpr std::int32_t InstructionAddressLow(std::int32_t address) {
    return address & 0xFF;
}
// First byte of a data-memory instruction: 00, address bits 10..8 in bits 5..3, the operation.
constexpr std::int32_t DataInstructionHigh(std::int32_t address, std::int32_t op) {
    return (((address >> 8) & 0x07) << 3) | op;
}

// Byte 2 of Write Lock Bits for protection mode 2, 3 or 4: LB1..LB3 in bits 7..5, each
// programmed by sending it as 0; bits 2..0 are 111. Mode 2 programs LB1, mode 3 LB1 and LB2,
// mode 4 all three. -1 for any other mode.
constexpr std::int32_t LockBitsByte(int mode) {
    return mode == 2 ? 0x67 : mode == 3 ? 0x27 : mode == 4 ? 0x07 : -1;
}

// Callers enter programming mode first and send ProgrammingEnable once per action; none of these
// touches the reset-control line.
void ProgrammingEnable();
void ChipErase();
// With the window's timing both pause 3000 us after the instruction; with data-sheet timing
// neither pauses. The code and EEPROM instructions differ only in their first byte.
void WriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value);
std::int32_t ReadMemoryByte(Memory memory, std::int32_t address);
inline void WriteCodeByte(std::int32_t address, std::int32_t value) {
    WriteMemoryByte(Memory::kCode, address, value);
}
inline std::int32_t ReadCodeByte(std::int32_t address) {
    return ReadMemoryByte(Memory::kCode, address);
}

// A write that knows when it is done: with data-sheet timing the byte is read back (DATA
// polling) until it reads true; false when it has not within kWritePollLimitMicroseconds. With
// the window's timing it is WriteMemoryByte and its pause, and always true.
bool WriteMemoryByteAndWait(Memory memory, std::int32_t address, std::int32_t value);
inline bool WriteCodeByteAndWait(std::int32_t address, std::int32_t value) {
    return WriteMemoryByteAndWait(Memory::kCode, address, value);
}

// Write Lock Bits with LockBitsByte(mode), then the fixed write pause whatever the timing: the
// lock bits cannot be read back serially, so there is nothing to poll.
void WriteLockBits(int mode);

// After ChipErase: with data-sheet timing, the chip must first answer 0x00 ("erasing"), then it
// is read until it answers erased (0xFF); false when the first answer is not 0x00 (no chip, no
// clock, a broken line, a missed enable: all read 0xFF at once) or 0xFF has not come within
// kChipEraseLimitMicroseconds. With the window's timing returns true at once, as the window's
// erase always has.
bool WaitForChipErase();
