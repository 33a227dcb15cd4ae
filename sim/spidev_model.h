#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/adapters/spi_device.h"
#include "sim/chip_pins.h"
#include "sim/model_clock.h"

namespace sim {

// How an SPI controller turns a requested clock into the one it runs: it divides its base clock
// by a divisor, and the controllers differ in which divisors they have and which way they round.
enum class SpiClockRounding : std::uint8_t {
    kDownEvenDivisor,        // the smallest even divisor at or below the request (never faster)
    kDownPowerOfTwoDivisor,  // the smallest power of two at or below the request
    kNearestEvenDivisor,     // the even divisor nearest the request: may run faster than asked
};

struct SpidevModelOptions {
    std::uint32_t baseClockHz = 250'000'000;
    SpiClockRounding rounding = SpiClockRounding::kDownEvenDivisor;
    // The largest divisor the controller has, which sets its slowest clock.
    std::uint32_t maxDivisor = 65'536;
    // The bus's limit before SetMaxSpeedHz is called (what the device tree gives).
    std::uint32_t initialMaxSpeedHz = 500'000;
    // What one SPI_IOC_MESSAGE costs before its first edge: the system call, the driver's
    // queue and the controller's setup.
    std::uint64_t messageLatencyNs = 20'000;
};

// A spidev node in SPI mode 0 without chip select, MSB first, driving SCK and MOSI and reading
// MISO. Each segment runs at min(its speed, the set maximum) after the controller's rounding:
// MOSI changes with SCK low, the bit is sampled on the rising edge, SCK falls again half a
// period later; after the last bit SCK rests low for the segment's delay. RST is not the
// controller's: it is a GPIO line (a GpioChipModel on the same pins and clock).
class SpidevModel final : public SpiDevice {
public:
    SpidevModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                const SpidevModelOptions& options = {});

    std::uint32_t SetMaxSpeedHz(std::uint32_t hz) override;
    bool Transfer(std::span<const Segment> segments) override;
    std::string LastError() const override { return lastError_; }

    // The clock the controller runs when asked for `hz`.
    std::uint32_t ClockHzFor(std::uint32_t hz) const;
    std::uint64_t Messages() const { return messages_; }

private:
    std::uint32_t DivisorFor(std::uint32_t hz) const;
    // Clocks one segment out from `startNs`; returns when its delay ends.
    std::uint64_t RunSegment(const Segment& segment, std::uint64_t startNs);

    std::shared_ptr<ChipPins> pins_;
    std::shared_ptr<ModelClock> clock_;
    SpidevModelOptions options_;
    std::uint32_t maxSpeedHz_;
    std::uint64_t messages_ = 0;
    std::string lastError_;
};

}  // namespace sim
