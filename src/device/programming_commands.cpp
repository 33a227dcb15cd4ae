#include "device/programming_commands.h"

#include <array>

#include "device/adapter.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "device/timing.h"

namespace {

void SendInstruction(std::array<std::uint8_t, 3> bytes) {
    CurrentAdapter()->Send(bytes);
}

std::uint8_t InstructionHigh(Memory memory, std::int32_t address, bool write) {
    return static_cast<std::uint8_t>(
        memory == Memory::kCode ? CodeInstructionHigh(address, write ? kWriteCodeOp : kReadCodeOp)
                                : DataInstructionHigh(address, write ? kWriteDataOp : kReadDataOp));
}

std::uint8_t AddressLow(std::int32_t address) {
    return static_cast<std::uint8_t>(CodeInstructionLow(address));
}

// The window's pause outlasts the self-timed write cycle; data-sheet timing polls instead.
void PauseAfterByte() {
    if (linkTiming.codeBytePauseMicroseconds > 0) {
        CurrentAdapter()->Wait(linkTiming.codeBytePauseMicroseconds);
    }
}

}  // namespace

void HoldInProgrammingMode(bool on) {
    CurrentAdapter()->SetProgrammingMode(on);
    if (!on) {
        FlushLink();
    }
}

void ProgrammingEnable() {
    SendInstruction({0xAC, 0x53, 0x00});
}

void ChipErase() {
    SendInstruction({0xAC, 0x04, 0x00});
}

void QueueWriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value) {
    SendInstruction({InstructionHigh(memory, address, true), AddressLow(address),
                     static_cast<std::uint8_t>(value & 0xFF)});
    PauseAfterByte();
}

void QueueReadMemoryByte(Memory memory, std::int32_t address, std::uint8_t* into) {
    const std::array<std::uint8_t, 2> head{InstructionHigh(memory, address, false),
                                           AddressLow(address)};
    CurrentAdapter()->Send(head);
    CurrentAdapter()->Receive({into, 1});
    PauseAfterByte();
}

bool FlushLink() {
    return CurrentAdapter()->Flush();
}

void WriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value) {
    QueueWriteMemoryByte(memory, address, value);
    FlushLink();
}

std::int32_t ReadMemoryByte(Memory memory, std::int32_t address) {
    std::uint8_t value = 0xFF;
    QueueReadMemoryByte(memory, address, &value);
    FlushLink();
    return value;
}

void WriteLockBits(int mode) {
    SendInstruction({0xAC, static_cast<std::uint8_t>(LockBitsByte(mode) & 0xFF), 0x00});
    CurrentAdapter()->Wait(kCodeBytePauseMicroseconds);
    FlushLink();
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

}  // namespace

bool WriteMemoryByteAndWait(Memory memory, std::int32_t address, std::int32_t value) {
    WriteMemoryByte(memory, address, value);
    // While the cycle runs a read answers the complement of the byte's top bit: the byte reads
    // true only once it is written.
    return !linkTiming.pollsWrites ||
           PollUntil(memory, address, value & 0xFF, kWritePollLimitMicroseconds);
}

bool WaitForChipErase() {
    return !linkTiming.pollsWrites ||
           PollUntil(Memory::kCode, 0, kErasedByte, kChipEraseLimitMicroseconds);
}
