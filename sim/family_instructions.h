#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sim/chip_datasheet.h"

namespace sim {

// An instruction as a chip of the family reads it: a header (opcode, address) followed by data
// bytes that go in or come out (one for a byte instruction, a page for a page one).
enum class Operation : std::uint8_t {
    kEnable,
    kErase,
    kRead,
    kWrite,
    kWriteLock,
    kReadLock,
    kReadSignature,
    kUnknown,
};
enum class Memory : std::uint8_t { kCode, kEeprom };

struct FrameShape {
    std::size_t headerBytes;
    std::size_t dataBytes;
};

struct Instruction {
    Operation operation = Operation::kUnknown;
    Memory memory = Memory::kCode;
    // The first byte addressed; for a signature read the signature byte's index (past the last
    // one when the instruction names none).
    std::uint32_t address = 0;
    // Write Lock Bits: the lock bits it asks to program (kLockBit1 ...), or for a chip that takes
    // one mode at a time, the mode minus one.
    std::uint8_t lockArgument = 0;
};

// How long the instruction that starts with `first` is on this chip.
FrameShape ShapeOf(const ChipSpec& chip, std::uint8_t first);
// What the header says; `header` holds ShapeOf(...).headerBytes bytes.
Instruction Decode(const ChipSpec& chip, std::span<const std::uint8_t> header);

}  // namespace sim
