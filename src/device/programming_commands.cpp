#include "device/programming_commands.h"

#include <algorithm>
#include <array>
#include <vector>

#include "device/adapter.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "device/timing.h"

const ChipRow* currentChip = &At89s8252Row();

namespace {

const InstructionSet& Instructions() {
    return *currentChip->instructions;
}

void SendFrame(const Frame& frame, std::uint8_t* answer = nullptr) {
    CurrentAdapter()->Send(frame.Sent());
    if (frame.receiveCount > 0) {
        static std::uint8_t ignored = 0;
        CurrentAdapter()->Receive({answer != nullptr ? answer : &ignored, 1});
    }
}

// The window's pause outlasts the self-timed write cycle; polled timing polls instead.
void PauseAfterByte() {
    if (linkTiming.bytePauseMicroseconds > 0) {
        CurrentAdapter()->Wait(linkTiming.bytePauseMicroseconds);
    }
}

}  // namespace

void HoldInProgrammingMode(bool on) {
    CurrentAdapter()->SetProgrammingMode(on);
    if (!on) {
        FlushLink();
    }
}

void HoldClockLow() {
    CurrentAdapter()->HoldClockLow();
}

std::uint8_t ProgrammingEnable() {
    std::uint8_t answer = 0;
    SendFrame(Instructions().enable(), &answer);
    if (Instructions().enable().receiveCount > 0) {
        FlushLink();
    }
    return answer;
}

void ChipErase() {
    SendFrame(Instructions().erase());
}

void QueueWriteMemoryByte(Memory memory, std::int32_t address, std::int32_t value) {
    SendFrame(Instructions().writeByte(memory, address, static_cast<std::uint8_t>(value & 0xFF)));
    PauseAfterByte();
}

void QueueReadMemoryByte(Memory memory, std::int32_t address, std::uint8_t* into) {
    SendFrame(Instructions().readByte(memory, address), into);
    PauseAfterByte();
}

void QueueReadPage(Memory memory, std::int32_t pageStart, std::span<std::uint8_t> into) {
    SendFrame(Instructions().readPage(memory, pageStart));
    CurrentAdapter()->Receive(into);
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
    std::array<Frame, 3> frames{};
    const int count = Instructions().lockFrames(mode, frames);
    for (int i = 0; i < count; ++i) {
        SendFrame(frames[static_cast<std::size_t>(i)]);
        CurrentAdapter()->Wait(currentChip->lockWritePauseMicroseconds);
    }
    FlushLink();
}

int ReadLockMode(std::uint8_t* raw) {
    if (Instructions().readLock == nullptr) {
        return -2;
    }
    std::uint8_t answer = 0;
    SendFrame(Instructions().readLock(), &answer);
    FlushLink();
    if (raw != nullptr) {
        *raw = answer;
    }
    return Instructions().lockModeFromAnswer(answer);
}

void ReadSignature(std::span<std::uint8_t> into) {
    for (std::size_t i = 0; i < into.size(); ++i) {
        SendFrame(Instructions().readSignature(static_cast<int>(i)), &into[i]);
    }
    FlushLink();
}

namespace {

// Reads `address` until `done` says an answer ends the wait, handing the adapter as many reads
// per flush as it likes for polling. Gives up only when a read that began `limitMicroseconds` or
// more after the first one still does not: a thread that loses the processor in the middle of a
// read has not given the chip less time.
template <typename Done>
bool PollUntil(Memory memory, std::int32_t address, std::int64_t limitMicroseconds, Done done) {
    const int reads = std::max(1, CurrentAdapter()->PollReadsPerFlush());
    std::vector<std::uint8_t> answers(static_cast<std::size_t>(reads));
    cycleTimer->ReadCounter();
    const std::uint64_t begin = cycleTimer->now;
    for (;;) {
        cycleTimer->ReadCounter();
        const bool late =
            cycleTimer->MicrosecondsSince(begin) >= static_cast<std::uint64_t>(limitMicroseconds);
        for (std::uint8_t& answer : answers) {
            SendFrame(Instructions().readByte(memory, address), &answer);
        }
        if (!FlushLink()) {
            return false;
        }
        for (const std::uint8_t answer : answers) {
            if (done(answer)) {
                return true;
            }
        }
        if (late) {
            return false;
        }
    }
}

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::uint8_t kErasingAnswer = 0x00;

// While a write cycle runs a read answers the complement of the byte's top bit: the byte reads
// true only once it is written, all eight bits.
bool PollWritten(Memory memory, std::int32_t address, std::uint8_t value,
                 std::int64_t limitMicroseconds) {
    return PollUntil(memory, address, limitMicroseconds,
                     [value](std::uint8_t answer) { return answer == value; });
}

}  // namespace

bool WriteMemoryByteAndWait(Memory memory, std::int32_t address, std::int32_t value) {
    // Polled, the write goes out with the first reads of its poll.
    if (!linkTiming.pollsChip) {
        WriteMemoryByte(memory, address, value);
        return true;
    }
    QueueWriteMemoryByte(memory, address, value);
    return PollWritten(memory, address, static_cast<std::uint8_t>(value & 0xFF),
                       currentChip->byteWriteLimitMicroseconds);
}

bool WritePageAndWait(Memory memory, std::int32_t pageStart, std::span<const std::uint8_t> bytes) {
    SendFrame(Instructions().writePage(memory, pageStart));
    CurrentAdapter()->Send(bytes);
    const auto last = static_cast<std::int32_t>(bytes.size()) - 1;
    return PollWritten(memory, pageStart + last, bytes.back(),
                       currentChip->pageWriteLimitMicroseconds);
}

bool WaitForChipErase() {
    if (!linkTiming.pollsChip) {
        return true;
    }
    // A chip that never heard the erase (no chip, no clock, a broken MISO line) reads FF at once;
    // only FF after the chip has answered "erasing" (00) means the erase ran and ended.
    bool sawErasing = false;
    return PollUntil(Memory::kCode, 0, currentChip->eraseLimitMicroseconds,
                     [&sawErasing](std::uint8_t answer) {
                         sawErasing = sawErasing || answer == kErasingAnswer;
                         return sawErasing && answer == kErasedByte;
                     });
}
