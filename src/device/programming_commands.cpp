#include "device/programming_commands.h"

#include "device/cycle_timer.h"
#include "device/serial_link.h"
#include "device/timing.h"

void ProgrammingEnable() {
    SendByte(0xAC);
    SendByte(0x53);
    SendByte(0x00);
}

void ChipErase() {
    SendByte(0xAC);
    SendByte(0x04);
    SendByte(0x00);
}

namespace {

std::int32_t InstructionHigh(Memory memory, std::int32_t address, bool write) {
    return memory == Memory::kCode
               ? CodeInstructionHigh(address, write ? kWriteCodeOp : kReadCodeOp)
               : DataInstructionHigh(address, write ? kWriteDataOp : kReadDataOp);
}

}  // namespace

void WriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value) {
    SendByte(InstructionHigh(memory, address, true));
    SendByte(InstructionAddressLow(address));
    SendByte(value & 0xFF);
    // The window's pause outlasts the self-timed write cycle; data-sheet timing polls instead.
    if (linkTiming.bytePauseMicroseconds > 0) {
        cycleTimer->DelayMicroseconds(linkTiming.bytePauseMicroseconds);
    }
}

std::int32_t ReadMemoryByte(Memory memory, std::int32_t address) {
    SendByte(InstructionHigh(memory, address, false));
    SendByte(InstructionAddressLow(address));
    const std::int32_t value = ReceiveByte();
    if (linkTiming.bytePauseMicroseconds > 0) {
        cycleTimer->DelayMicroseconds(linkTiming.bytePauseMicroseconds);
    }
    return value;
}

void WriteLockBits(int mode) {
    SendByte(0xAC);
    SendByte(LockBitsByte(mode) & 0xFF);
    SendByte(0x00);
    cycleTimer->DelayMicroseconds(kBytePauseMicroseconds);
}

namespace {

// Reads `address` until it answers `wanted`. Gives up only when a read that began
// `limitMicroseconds` or more after the first one still does not: a thread that loses the
// processor in the middle of a read has not given the chip less time.
bool PollUntil(Memory memory, std::int32_t address, std::int32_t wanted,
               std::int64_t limitMicroseconds) {
    cycleTimer->ReadCounter();
    const std::uint64_t begin = cycleTimer->now;
    for (;;) {
        cycleTimer->ReadCounter();
        const bool late =
            cycleTimer->MicrosecondsSince(begin) >= static_cast<std::uint64_t>(limitMicroseconds);
        if (ReadMemoryByte(memory, address) == wanted) {
            return true;
        }
        if (late) {
            return false;
        }
    }
}

constexpr std::int32_t kErasedByte = 0xFF;
constexpr std::int32_t kErasingAnswer = 0x00;

}  // namespace

bool WriteMemoryByteAndWait(Memory memory, std::int32_t address, std::int32_t value) {
    WriteMemoryByte(memory, address, value);
    // While the cycle runs a read answers the complement of the byte's top bit: the byte reads
    // true only once it is written.
    return !linkTiming.pollsChip ||
           PollUntil(memory, address, value & 0xFF, kWritePollLimitMicroseconds);
}

bool WaitForChipErase() {
    if (!linkTiming.pollsChip) {
        return true;
    }
    // The erase takes about 16 ms, so a chip that took it is still erasing at the first read.
    if (ReadMemoryByte(Memory::kCode, 0) != kErasingAnswer) {
        return false;
    }
    return PollUntil(Memory::kCode, 0, kErasedByte, kChipEraseLimitMicroseconds);
}
