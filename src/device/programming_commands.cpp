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

void WriteCodeByte(std::int32_t address, std::int32_t value) {
    SendByte(CodeInstructionHigh(address, kWriteCodeOp));
    SendByte(CodeInstructionLow(address));
    SendByte(value & 0xFF);
    // The write cycle is self-timed and not polled: the pause outlasts it.
    cycleTimer->DelayMicroseconds(kCodeBytePauseMicroseconds);
}

std::int32_t ReadCodeByte(std::int32_t address) {
    SendByte(CodeInstructionHigh(address, kReadCodeOp));
    SendByte(CodeInstructionLow(address));
    const std::int32_t value = ReceiveByte();
    cycleTimer->DelayMicroseconds(kCodeBytePauseMicroseconds);
    return value;
}
