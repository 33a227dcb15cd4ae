#include "device/serial_link.h"

#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/timing.h"

std::int32_t portShadow = kInitialPortShadow;
LinkTiming linkTiming = kWindowLinkTiming;

namespace {

// The window's 10 us phases go through LinkDelay exactly as they always have; computed phases
// need the nanosecond wait.
void PhaseDelay(std::int64_t ns) {
    if (ns % 1000 == 0) {
        LinkDelay(static_cast<std::int32_t>(ns / 1000));
    } else {
        cycleTimer->DelayNanoseconds(ns);
    }
}

void WriteDataRegister(std::int32_t value) {
    CurrentPort()->WriteData(static_cast<std::uint8_t>(value));
}

}  // namespace

void LinkDelay(std::int32_t us) {
    cycleTimer->DelayMicroseconds(us);
}

void SendBit(std::int32_t bit) {
    // The data line changes while the clock is still high from the previous bit, and the falling
    // edge follows at once, so the chip sees stable data across the next rising edge.
    std::int32_t v = portShadow;
    v = bit != 0 ? (v & 0x06) : (v | kDataLineMask);
    WriteDataRegister(v);
    v &= 0x05;
    WriteDataRegister(v);
    portShadow = v;
    PhaseDelay(linkTiming.clockLowNanoseconds);
    portShadow |= kClockMask;
    WriteDataRegister(portShadow);
    PhaseDelay(linkTiming.clockHighNanoseconds);
}

std::int32_t ReceiveBit() {
    // The chip shifts its next bit out after the falling edge; sample at the end of the low phase.
    const std::int32_t v = portShadow & 0x05;
    WriteDataRegister(v);
    portShadow = v;
    PhaseDelay(linkTiming.clockLowNanoseconds);
    const std::uint8_t status = CurrentPort()->ReadStatus() & kStatusDataMask;
    portShadow |= kClockMask;
    WriteDataRegister(portShadow);
    PhaseDelay(linkTiming.clockHighNanoseconds);
    return status == 0 ? 1 : 0;
}

void SendByte(std::int32_t b) {
    for (int n = 7; n >= 0; --n) {
        SendBit(b & (1 << n));
    }
}

std::int32_t ReceiveByte() {
    std::int32_t r = 0;
    for (int n = 7; n >= 0; --n) {
        r |= ReceiveBit() << n;
    }
    return r;
}

void SetProgrammingMode(std::int32_t on) {
    const std::int32_t v = on != 0 ? (portShadow & 0x03) : (portShadow | kResetControlMask);
    WriteDataRegister(v);
    portShadow = v;
    LinkDelay(kClockPhaseMicroseconds);
}

void ClockLow() {
    portShadow &= ~kClockMask;
    WriteDataRegister(portShadow);
}
