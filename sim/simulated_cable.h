#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/port_io.h"
#include "sim/pins.h"
#include "sim/serial_chip.h"
#include "sim/vcd_trace.h"

namespace sim {

// Nanoseconds on the clock the chip is to be checked against; in tests the virtual counter.
using NanosecondClock = std::function<std::uint64_t()>;

// The cable between the port and the chip. Data register to pins: MOSI = NOT bit 0, SCK = bit 1,
// RST = NOT bit 2; status bit 3 = NOT MISO, the other status bits read 0.
inline constexpr std::uint8_t kCableMosiMask = 0x01;
inline constexpr std::uint8_t kCableSckMask = 0x02;
inline constexpr std::uint8_t kCableRstMask = 0x04;
inline constexpr std::uint8_t kCableMisoStatusMask = 0x08;
// The data register before the program's first write, as the link assumes it: data line 1, clock
// high, reset control 1.
inline constexpr std::uint8_t kCableIdleRegister = 0x07;

PinLevels CablePinsFor(std::uint8_t dataRegister, bool miso);
std::uint8_t CableStatusFor(bool miso);

class SimulatedCable final : public PortIo {
public:
    // Drives the idle register onto the chip at once (with RST low nothing is clocked in).
    SimulatedCable(std::shared_ptr<SerialChip> chip, NanosecondClock nowNs,
                   VcdTrace* trace = nullptr);

    // Passes on only the pins whose level changes, all at the time of the write.
    void WriteData(std::uint8_t value) override;
    std::uint8_t ReadStatus() override;

    // Starts tracing from now; nullptr stops it. The trace must outlive the cable or be detached.
    void AttachTrace(VcdTrace* trace);

    SerialChip& Chip() { return *chip_; }

private:
    void NoteMiso(std::uint64_t timeNs);
    void Drive(Pin pin, bool level, std::uint64_t timeNs);

    std::shared_ptr<SerialChip> chip_;
    NanosecondClock nowNs_;
    VcdTrace* trace_ = nullptr;
    bool lastMiso_ = true;
};

// For SetPortOpener: `SetPortOpener([&](std::string*) { return sim::MakeSimulatedPort(...); })`.
std::unique_ptr<PortIo> MakeSimulatedPort(std::shared_ptr<SerialChip> chip, NanosecondClock nowNs,
                                          VcdTrace* trace = nullptr);

}  // namespace sim
