#include "device/adapters/mpsse_adapter.h"

#include <algorithm>

#include "device/cycle_timer.h"
#include "device/serial_link.h"

namespace {

constexpr std::uint8_t kBaseClock60MHz = 0x8A;
constexpr std::uint8_t kLoopbackOff = 0x85;
constexpr std::uint8_t kSetDivisor = 0x86;
constexpr std::uint8_t kSetLowByte = 0x80;
constexpr std::uint8_t kClockBytesOut = 0x11;    // out on the falling edge, MSB first
constexpr std::uint8_t kClockBytesInOut = 0x31;  // out on falling, in on rising, MSB first
constexpr std::uint8_t kSendImmediate = 0x87;
constexpr std::size_t kMaxClockBytes = 65536;
constexpr unsigned kSckPin = 0;
constexpr unsigned kMosiPin = 1;

}  // namespace

int MpsseAdapter::DivisorForPhase(std::int64_t phaseNanoseconds) {
    // Half a period is (1 + divisor) base-clock periods.
    const std::int64_t periods = (phaseNanoseconds * kBaseClockHz + 999'999'999) / 1'000'000'000;
    return static_cast<int>(std::max<std::int64_t>(1, periods) - 1);
}

MpsseAdapter::MpsseAdapter(std::unique_ptr<FtdiDevice> device, const AdapterPins& pins)
    : device_(std::move(device)), pins_(pins) {}

MpsseAdapter::~MpsseAdapter() {
    if (failed_) {
        return;
    }
    rst_ = false;
    SetLowByte();
    Flush();
    device_->SetBitMode(0x00, FtdiBitMode::kReset);
}

bool MpsseAdapter::Fail(const std::string& what) {
    if (!failed_) {
        failed_ = true;
        failure_ = what + ": " + device_->LastError();
    }
    commands_.clear();
    answers_.clear();
    answerBytes_ = 0;
    return false;
}

void MpsseAdapter::SetLowByte() {
    const std::uint32_t rstBit = 1u << pins_.rst;
    const std::uint32_t level = (rst_ ? rstBit : 0u) ^ (pins_.inverted & rstBit);
    const std::uint32_t outputs = (1u << kSckPin) | (1u << kMosiPin) | rstBit;
    commands_.insert(commands_.end(), {kSetLowByte, static_cast<std::uint8_t>(level),
                                       static_cast<std::uint8_t>(outputs)});
}

bool MpsseAdapter::Start() {
    if (!device_->SetLatencyTimer(1) || !device_->SetBitMode(0x00, FtdiBitMode::kReset) ||
        !device_->SetBitMode(0x00, FtdiBitMode::kMpsse) || !device_->Purge()) {
        return Fail("could not put the adapter in MPSSE mode");
    }
    commands_.insert(commands_.end(), {kBaseClock60MHz, kLoopbackOff});
    SetLowByte();
    return EnsureClock() && Flush();
}

bool MpsseAdapter::EnsureClock() {
    const std::int64_t phase =
        std::max(linkTiming.clockLowNanoseconds, linkTiming.clockHighNanoseconds);
    const int divisor = DivisorForPhase(phase);
    if (divisor == divisor_) {
        return true;
    }
    if (divisor > 0xFFFF) {
        return Fail("the clock cannot be made that slow");
    }
    commands_.insert(commands_.end(), {kSetDivisor, static_cast<std::uint8_t>(divisor & 0xFF),
                                       static_cast<std::uint8_t>(divisor >> 8)});
    divisor_ = divisor;
    return true;
}

void MpsseAdapter::SetProgrammingMode(bool on) {
    if (failed_ || !EnsureClock()) {
        return;
    }
    rst_ = on;
    SetLowByte();
}

void MpsseAdapter::Clock(std::span<const std::uint8_t> bytes, bool read) {
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t piece = std::min(kMaxClockBytes, bytes.size() - done);
        commands_.push_back(read ? kClockBytesInOut : kClockBytesOut);
        commands_.push_back(static_cast<std::uint8_t>((piece - 1) & 0xFF));
        commands_.push_back(static_cast<std::uint8_t>((piece - 1) >> 8));
        commands_.insert(commands_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(done),
                         bytes.begin() + static_cast<std::ptrdiff_t>(done + piece));
        done += piece;
    }
}

void MpsseAdapter::Send(std::span<const std::uint8_t> bytes) {
    if (failed_ || !EnsureClock()) {
        return;
    }
    Clock(bytes, false);
}

void MpsseAdapter::Receive(std::span<std::uint8_t> into) {
    if (failed_ || !EnsureClock()) {
        return;
    }
    // MOSI low while the answer comes in.
    const std::vector<std::uint8_t> zeros(into.size(), 0x00);
    Clock(zeros, true);
    answers_.push_back(into);
    answerBytes_ += into.size();
}

void MpsseAdapter::Wait(std::int64_t microseconds) {
    if (failed_ || !Flush()) {
        return;
    }
    cycleTimer->DelayMicroseconds(static_cast<std::int32_t>(microseconds));
}

bool MpsseAdapter::Flush() {
    if (failed_) {
        return false;
    }
    if (commands_.empty()) {
        return true;
    }
    commands_.push_back(kSendImmediate);
    if (!device_->Write(commands_)) {
        return Fail("the adapter stopped taking commands");
    }
    std::vector<std::uint8_t> in(answerBytes_);
    if (!in.empty() && !device_->Read(in, kReadTimeoutMilliseconds)) {
        return Fail("the adapter stopped answering");
    }
    std::size_t at = 0;
    for (const std::span<std::uint8_t> answer : answers_) {
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), answer.size(), answer.begin());
        at += answer.size();
    }
    commands_.clear();
    answers_.clear();
    answerBytes_ = 0;
    return true;
}
