#include "sim/mpsse_model.h"

#include <utility>

namespace sim {

namespace {

constexpr std::uint16_t kSckBit = 1u << 0;
constexpr std::uint16_t kDataOutBit = 1u << 1;
constexpr std::uint8_t kDataInPin = 2;
constexpr std::uint8_t kBadCommandAnswer = 0xFA;

std::size_t LengthField(std::span<const std::uint8_t> c) {
    return static_cast<std::size_t>(c[1] | c[2] << 8) + 1;
}

}  // namespace

MpsseModel::MpsseModel(std::shared_ptr<SerialChip> chip, const AdapterWiring& wiring,
                       std::uint64_t startNs, VcdTrace* trace)
    : FtdiModel(std::move(chip), wiring, kHighSpeedLatencyNs, startNs, trace) {}

bool MpsseModel::SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) {
    if (!ControlRequest()) {
        return false;
    }
    switch (mode) {
        case FtdiBitMode::kReset:
            mode_ = mode;
            input_.clear();
            DriveUartPins();
            return true;
        case FtdiBitMode::kMpsse:
            mode_ = mode;
            levels_ = 0;
            direction_ = outputMask;
            Drive();
            return true;
        case FtdiBitMode::kSyncBitbang:
            break;
    }
    return Fail("this model runs the MPSSE only");
}

bool MpsseModel::SetBaudRate(int /*baud*/) {
    // The MPSSE clocks from its own divisor; the serial port's rate does not matter.
    return ControlRequest();
}

std::uint64_t MpsseModel::SckHz() const {
    return (divideBy5_ ? kDividedBaseHz : kFastBaseHz) / ((1u + divisor_) * 2u);
}

void MpsseModel::Execute(std::span<const std::uint8_t> bytes) {
    if (mode_ != FtdiBitMode::kMpsse) {
        return;  // serial-port data: leaves on TXD as a UART frame, which this model ignores
    }
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    std::size_t at = 0;
    while (at < input_.size()) {
        const std::size_t took = Obey(std::span<const std::uint8_t>(input_).subspan(at));
        if (took == 0) {
            break;
        }
        at += took;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(at));
}

std::size_t MpsseModel::Obey(std::span<const std::uint8_t> c) {
    const auto need = [&c](std::size_t n) { return c.size() >= n; };
    switch (c[0]) {
        case 0x8A:
        case 0x8B:
            divideBy5_ = c[0] == 0x8B;
            return 1;
        case 0x84:
        case 0x85:
            loopback_ = c[0] == 0x84;
            return 1;
        case 0x86:
            if (!need(3)) {
                return 0;
            }
            divisor_ = static_cast<std::uint16_t>(c[1] | c[2] << 8);
            return 3;
        case 0x80:
        case 0x82: {
            if (!need(3)) {
                return 0;
            }
            const int shift = c[0] == 0x80 ? 0 : 8;
            const std::uint16_t keep = static_cast<std::uint16_t>(0xFF00u >> shift);
            levels_ = static_cast<std::uint16_t>((levels_ & keep) | c[1] << shift);
            direction_ = static_cast<std::uint16_t>((direction_ & keep) | c[2] << shift);
            Drive();
            return 3;
        }
        case 0x81:
        case 0x83:
            Answer(ReadPins(c[0] == 0x81 ? 0 : 8));
            return 1;
        case 0x31:
        case 0x11: {
            if (!need(3) || !need(3 + LengthField(c))) {
                return 0;
            }
            const std::size_t bytes = LengthField(c);
            Transfer(c.subspan(3, bytes), bytes, true, c[0] == 0x31);
            return 3 + bytes;
        }
        case 0x20:
            if (!need(3)) {
                return 0;
            }
            Transfer({}, LengthField(c), false, true);
            return 3;
        case 0x8E:
            if (!need(2)) {
                return 0;
            }
            ClockIdle(c[1] + 1u);
            return 2;
        case 0x8F:
            if (!need(3)) {
                return 0;
            }
            ClockIdle(LengthField(c) * 8);
            return 3;
        case 0x87:
            FlushAnswers();
            return 1;
        default:
            Answer(kBadCommandAnswer);
            Answer(c[0]);
            return 1;
    }
}

void MpsseModel::HalfPeriod() {
    const std::uint64_t base = divideBy5_ ? kDividedBaseHz : kFastBaseHz;
    Advance((1u + divisor_) * 1'000'000'000ULL, base);
}

void MpsseModel::SetSck(bool high) {
    levels_ = static_cast<std::uint16_t>(high ? levels_ | kSckBit : levels_ & ~kSckBit);
    Drive();
}

bool MpsseModel::ClockBit(bool write, bool out) {
    if (write) {
        levels_ = static_cast<std::uint16_t>(out ? levels_ | kDataOutBit : levels_ & ~kDataOutBit);
    }
    SetSck(false);
    HalfPeriod();
    const bool in = loopback_ ? (levels_ & kDataOutBit) != 0 : PinLevel(kDataInPin);
    SetSck(true);
    HalfPeriod();
    return in;
}

void MpsseModel::Transfer(std::span<const std::uint8_t> out, std::size_t bytes, bool write,
                          bool read) {
    for (std::size_t i = 0; i < bytes; ++i) {
        std::uint8_t in = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const bool sent = write && (out[i] >> bit & 1) != 0;
            in = static_cast<std::uint8_t>(in | (ClockBit(write, sent) ? 1u << bit : 0u));
        }
        if (read) {
            Answer(in);
        }
    }
    SetSck(false);
}

void MpsseModel::ClockIdle(std::uint64_t periods) {
    for (std::uint64_t i = 0; i < periods; ++i) {
        ClockBit(false, false);
    }
    SetSck(false);
}

std::uint8_t MpsseModel::ReadPins(std::uint8_t first) const {
    std::uint8_t value = 0;
    for (std::uint8_t n = 0; n < 8; ++n) {
        const std::uint8_t pin = static_cast<std::uint8_t>(first + n);
        const bool level = (direction_ >> pin & 1) != 0 ? (levels_ >> pin & 1) != 0 : PinLevel(pin);
        value = static_cast<std::uint8_t>(value | (level ? 1u << n : 0u));
    }
    return value;
}

}  // namespace sim
