#include "sim/ft232r_model.h"

#include <utility>

namespace sim {

namespace {

constexpr std::uint64_t kBaudClockHz = 3'000'000;
// libftdi asks the generator for four times the value in bit-bang modes.
constexpr std::uint64_t kLibraryBitbangFactor = 4;

// The divisor, in eighths, that the generator uses for `rateHz`: the nearest it can make.
// Divisors between 1 and 2 other than 1.5 do not exist.
std::uint64_t DivisorEighthsFor(std::uint64_t rateHz) {
    const std::uint64_t eighths = (kBaudClockHz * 8 + rateHz / 2) / rateHz;
    if (eighths >= 16) {
        return eighths;
    }
    return eighths < 10 ? 8 : (eighths < 14 ? 12 : 16);
}

}  // namespace

Ft232rModel::Ft232rModel(std::shared_ptr<SerialChip> chip, const AdapterWiring& wiring,
                         unsigned bitbangMultiplier, std::uint64_t startNs, VcdTrace* trace)
    : FtdiModel(std::move(chip), wiring, kFullSpeedLatencyNs, startNs, trace),
      multiplier_(bitbangMultiplier),
      divisorEighths_(DivisorEighthsFor(kOpenBaud)) {}

bool Ft232rModel::SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) {
    if (!ControlRequest()) {
        return false;
    }
    switch (mode) {
        case FtdiBitMode::kReset:
            mode_ = mode;
            DriveUartPins();
            return true;
        case FtdiBitMode::kSyncBitbang:
            mode_ = mode;
            mask_ = outputMask;
            DrivePins(latch_, mask_);
            return true;
        case FtdiBitMode::kMpsse:
            break;
    }
    return Fail("the FT232R has no MPSSE");
}

bool Ft232rModel::SetBaudRate(int baud) {
    if (!ControlRequest()) {
        return false;
    }
    // The generator reaches 3 MHz / 16383.875 at the slowest and 3 MHz at the fastest.
    const std::uint64_t asked = static_cast<std::uint64_t>(baud) * kLibraryBitbangFactor;
    if (baud <= 0 || asked > kBaudClockHz || asked < 184) {
        return Fail("unsupported baud rate " + std::to_string(baud));
    }
    divisorEighths_ =
        DivisorEighthsFor(mode_ == FtdiBitMode::kReset ? static_cast<std::uint64_t>(baud) : asked);
    return true;
}

std::uint64_t Ft232rModel::PinRateHz() const {
    // generator rate = 3 MHz * 8 / eighths; the pins run at multiplier / 4 of it.
    return kBaudClockHz * 8 * multiplier_ / (divisorEighths_ * kLibraryBitbangFactor);
}

std::uint8_t Ft232rModel::SamplePins() const {
    std::uint8_t sample = 0;
    for (std::uint8_t pin = 0; pin < 8; ++pin) {
        const bool level = (mask_ >> pin & 1) != 0 ? (latch_ >> pin & 1) != 0 : PinLevel(pin);
        sample |= static_cast<std::uint8_t>(level ? 1u << pin : 0u);
    }
    return sample;
}

void Ft232rModel::Execute(std::span<const std::uint8_t> bytes) {
    if (mode_ != FtdiBitMode::kSyncBitbang) {
        return;  // serial-port data: leaves on TXD as a UART frame, which this model ignores
    }
    waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
    PutOutWaiting();
}

void Ft232rModel::OnAnswersFetched() {
    stalled_ = false;
    PutOutWaiting();
}

void Ft232rModel::PutOutWaiting() {
    while (!waiting_.empty()) {
        if (AnswersInChip() >= kAnswerFifoBytes) {
            if (!stalled_) {
                stalled_ = true;
                ++stalls_;
            }
            return;
        }
        Answer(SamplePins());
        latch_ = waiting_.front();
        waiting_.pop_front();
        DrivePins(latch_, mask_);
        // One pin period: eighths * 1e9 / (3 MHz * 8 * multiplier / 4) nanoseconds.
        Advance(divisorEighths_ * kLibraryBitbangFactor * 1'000'000'000ULL,
                kBaudClockHz * 8 * multiplier_);
    }
}

}  // namespace sim
