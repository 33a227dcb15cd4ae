#include "sim/spidev_model.h"

#include <algorithm>
#include <utility>

namespace sim {

SpidevModel::SpidevModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                         const SpidevModelOptions& options)
    : pins_(std::move(pins)),
      clock_(std::move(clock)),
      options_(options),
      maxSpeedHz_(options.initialMaxSpeedHz) {}

std::uint32_t SpidevModel::DivisorFor(std::uint32_t hz) const {
    const std::uint64_t base = options_.baseClockHz;
    const std::uint64_t asked = std::max<std::uint32_t>(hz, 1);
    std::uint64_t divisor = 2;
    switch (options_.rounding) {
        case SpiClockRounding::kDownEvenDivisor:
            divisor = (base + asked - 1) / asked;
            divisor += divisor % 2;
            break;
        case SpiClockRounding::kDownPowerOfTwoDivisor:
            while (divisor < options_.maxDivisor && divisor * asked < base) {
                divisor *= 2;
            }
            break;
        case SpiClockRounding::kNearestEvenDivisor:
            divisor = 2 * ((base + asked) / (2 * asked));
            break;
    }
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(divisor, 2, options_.maxDivisor));
}

std::uint32_t SpidevModel::ClockHzFor(std::uint32_t hz) const {
    return options_.baseClockHz / DivisorFor(hz);
}

std::uint32_t SpidevModel::SetMaxSpeedHz(std::uint32_t hz) {
    if (hz == 0) {
        lastError_ = "SPI_IOC_WR_MAX_SPEED_HZ: Invalid argument";
        return 0;
    }
    maxSpeedHz_ = hz;
    return ClockHzFor(hz);
}

bool SpidevModel::Transfer(std::span<const Segment> segments) {
    for (const Segment& segment : segments) {
        if (!segment.rx.empty() && segment.rx.size() != segment.tx.size()) {
            lastError_ = "SPI_IOC_MESSAGE: rx and tx lengths differ";
            return false;
        }
    }
    ++messages_;
    clock_->Spend(options_.messageLatencyNs);
    const std::uint64_t startNs = clock_->NowNs();
    std::uint64_t atNs = startNs;
    for (const Segment& segment : segments) {
        atNs = RunSegment(segment, atNs);
    }
    clock_->Spend(atNs - startNs);
    return true;
}

std::uint64_t SpidevModel::RunSegment(const Segment& segment, std::uint64_t startNs) {
    const std::uint32_t asked =
        segment.speedHz == 0 ? maxSpeedHz_ : std::min(segment.speedHz, maxSpeedHz_);
    // Half a clock period is divisor / (2 * base) seconds; rounding it down to whole
    // nanoseconds can only make a phase shorter, never hide one that is too short.
    const std::uint64_t halfNs = std::uint64_t{DivisorFor(asked)} * 1'000'000'000 /
                                 (2 * std::uint64_t{options_.baseClockHz});
    std::uint64_t atNs = startNs;
    for (std::size_t i = 0; i < segment.tx.size(); ++i) {
        std::uint8_t in = 0;
        for (int bit = 7; bit >= 0; --bit) {
            pins_->Apply(DrivenPins{std::nullopt, false, ((segment.tx[i] >> bit) & 1) != 0}, atNs);
            atNs += halfNs;
            const bool miso = pins_->ReadMiso(atNs);
            pins_->Apply(DrivenPins{std::nullopt, true, std::nullopt}, atNs);
            in = static_cast<std::uint8_t>((in << 1) | (miso ? 1 : 0));
            atNs += halfNs;
        }
        pins_->Apply(DrivenPins{std::nullopt, false, std::nullopt}, atNs);
        if (!segment.rx.empty()) {
            segment.rx[i] = in;
        }
    }
    return atNs + std::uint64_t{segment.delayMicroseconds} * 1'000;
}

}  // namespace sim
