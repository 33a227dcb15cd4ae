#include "device/parallel_port_adapter.h"

#include "device/cycle_timer.h"
#include "device/serial_link.h"

void ParallelPortAdapter::SetProgrammingMode(bool on) {
    ::SetProgrammingMode(on ? 1 : 0);
}

void ParallelPortAdapter::HoldClockLow() {
    ClockLow();
}

void ParallelPortAdapter::Send(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        SendByte(b);
    }
}

void ParallelPortAdapter::Receive(std::span<std::uint8_t> into) {
    for (std::uint8_t& b : into) {
        b = static_cast<std::uint8_t>(ReceiveByte());
    }
}

void ParallelPortAdapter::Wait(std::int64_t microseconds) {
    cycleTimer->DelayMicroseconds(static_cast<std::int32_t>(microseconds));
}
