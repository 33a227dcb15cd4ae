#include "device/adapters/ft232r_bitbang_adapter.h"

#include <algorithm>

#include "device/serial_link.h"

namespace {

// The pin clock is the baud value times 16 under the faster reading, and the baud generator may
// land up to a few percent above the value asked for: 16 x 1.05 in hundredths.
constexpr std::int64_t kFastestPinClockPerBaudHundredths = 16 * 105;
constexpr std::int64_t kNanosecondsPerSecondHundredths = 100'000'000'000;

std::uint8_t Bit(unsigned pin) {
    return static_cast<std::uint8_t>(1u << pin);
}

}  // namespace

int Ft232rBitbangAdapter::BaudForState(std::int64_t stateNanoseconds) {
    return static_cast<int>(kNanosecondsPerSecondHundredths /
                            (kFastestPinClockPerBaudHundredths * stateNanoseconds));
}

std::int64_t Ft232rBitbangAdapter::ShortestStateNanoseconds(int baud) {
    return kNanosecondsPerSecondHundredths / (kFastestPinClockPerBaudHundredths * baud);
}

Ft232rBitbangAdapter::Ft232rBitbangAdapter(std::unique_ptr<FtdiDevice> device,
                                           const AdapterPins& pins)
    : device_(std::move(device)), pins_(pins) {}

Ft232rBitbangAdapter::~Ft232rBitbangAdapter() {
    if (failed_) {
        return;
    }
    rst_ = false;
    sck_ = false;
    mosi_ = false;
    Put(1);
    Flush();
    // Every pin an input: the adapter lets go of the target's lines.
    device_->SetBitMode(0x00, FtdiBitMode::kSyncBitbang);
}

bool Ft232rBitbangAdapter::Fail(const std::string& what) {
    if (!failed_) {
        failed_ = true;
        failure_ = what + ": " + device_->LastError();
    }
    stream_.clear();
    samples_.clear();
    return false;
}

std::uint8_t Ft232rBitbangAdapter::OutputMask() const {
    return static_cast<std::uint8_t>(Bit(pins_.sck) | Bit(pins_.mosi) | Bit(pins_.rst));
}

bool Ft232rBitbangAdapter::Start() {
    if (!device_->SetLatencyTimer(1) || !device_->SetBitMode(0x00, FtdiBitMode::kReset) ||
        !device_->Purge()) {
        return Fail("could not set the adapter up");
    }
    // The rate after the mode: libftdi scales the baud value for bit-bang only once the chip is
    // in a bit-bang mode.
    if (!device_->SetBitMode(OutputMask(), FtdiBitMode::kSyncBitbang)) {
        return Fail("could not enter synchronous bit-bang mode");
    }
    if (!EnsureRate()) {
        return false;
    }
    Put(1);
    return Flush();
}

bool Ft232rBitbangAdapter::EnsureRate() {
    const std::int64_t phase =
        std::max(linkTiming.clockLowNanoseconds, linkTiming.clockHighNanoseconds);
    const int baud = BaudForState(std::max(kStateTargetNanoseconds, phase));
    if (baud == baud_) {
        return true;
    }
    if (!stream_.empty() && !Flush()) {
        return false;
    }
    if (!device_->SetBaudRate(baud)) {
        return Fail("could not set the pin rate");
    }
    baud_ = baud;
    stateNanoseconds_ = ShortestStateNanoseconds(baud);
    statesPerPhase_ = static_cast<int>((phase + stateNanoseconds_ - 1) / stateNanoseconds_);
    return true;
}

std::uint8_t Ft232rBitbangAdapter::PinByte() const {
    const std::uint32_t levels = (rst_ ? Bit(pins_.rst) : 0u) | (sck_ ? Bit(pins_.sck) : 0u) |
                                 (mosi_ ? Bit(pins_.mosi) : 0u);
    return static_cast<std::uint8_t>((levels ^ pins_.inverted) & OutputMask());
}

void Ft232rBitbangAdapter::Put(int states) {
    stream_.insert(stream_.end(), static_cast<std::size_t>(states), PinByte());
}

void Ft232rBitbangAdapter::SetProgrammingMode(bool on) {
    if (failed_ || !EnsureRate()) {
        return;
    }
    rst_ = on;
    sck_ = false;
    Put(statesPerPhase_);
}

void Ft232rBitbangAdapter::HoldClockLow() {
    if (failed_) {
        return;
    }
    sck_ = false;
    Put(statesPerPhase_);
}

// One bit: a low phase with MOSI set, then a high phase, whose first state reads back the pins
// as they were at the end of the low phase, after the chip shifted its bit out on the fall.
void Ft232rBitbangAdapter::ClockBit(bool mosi, std::uint8_t* into, int bit) {
    sck_ = false;
    mosi_ = mosi;
    Put(statesPerPhase_);
    if (into != nullptr) {
        samples_.push_back({stream_.size(), into, bit});
    }
    sck_ = true;
    Put(statesPerPhase_);
}

void Ft232rBitbangAdapter::Send(std::span<const std::uint8_t> bytes) {
    if (failed_ || !EnsureRate()) {
        return;
    }
    for (const std::uint8_t b : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            ClockBit(((b >> bit) & 1) != 0, nullptr, bit);
        }
    }
}

void Ft232rBitbangAdapter::Receive(std::span<std::uint8_t> into) {
    if (failed_ || !EnsureRate()) {
        return;
    }
    for (std::uint8_t& b : into) {
        b = 0;
        for (int bit = 7; bit >= 0; --bit) {
            ClockBit(false, &b, bit);
        }
    }
}

void Ft232rBitbangAdapter::Wait(std::int64_t microseconds) {
    if (failed_ || !EnsureRate()) {
        return;
    }
    const std::int64_t ns = microseconds * 1000;
    Put(static_cast<int>((ns + stateNanoseconds_ - 1) / stateNanoseconds_));
}

bool Ft232rBitbangAdapter::Flush() {
    if (failed_) {
        return false;
    }
    std::vector<std::uint8_t> answers(stream_.size());
    for (std::size_t done = 0; done < stream_.size();) {
        const std::size_t piece = std::min(kMaxUnreadBytes, stream_.size() - done);
        const std::span<const std::uint8_t> out(stream_.data() + done, piece);
        if (!device_->Write(out)) {
            return Fail("the adapter stopped taking data");
        }
        if (!device_->Read(std::span(answers.data() + done, piece), kReadTimeoutMilliseconds)) {
            return Fail("the adapter stopped answering");
        }
        done += piece;
    }
    const bool misoInverted = ((pins_.inverted >> pins_.miso) & 1u) != 0;
    for (const Sample& sample : samples_) {
        const bool level =
            ((static_cast<unsigned>(answers[sample.streamIndex]) >> pins_.miso) & 1u) != 0;
        if (level != misoInverted) {
            *sample.byte = static_cast<std::uint8_t>(*sample.byte | (1u << sample.bit));
        }
    }
    stream_.clear();
    samples_.clear();
    return true;
}
