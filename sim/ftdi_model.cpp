#include "sim/ftdi_model.h"

#include <algorithm>
#include <utility>

#include "platform/adapters/ftdi_chips.h"

namespace sim {

namespace {
constexpr std::uint64_t kNsPerMs = 1'000'000;
}  // namespace

FtdiModel::FtdiModel(std::shared_ptr<SerialChip> chip, const AdapterWiring& wiring,
                     std::uint64_t busLatencyNs, std::uint64_t startNs, VcdTrace* trace)
    : chip_(std::move(chip)), wiring_(wiring), busLatencyNs_(busLatencyNs), startNs_(startNs) {
    clock_.ns = startNs;
    DriveUartPins();
    AttachTrace(trace);
}

void FtdiModel::AttachTrace(VcdTrace* trace) {
    trace_ = trace;
    lastMiso_ = chip_->Miso();
    if (trace_ != nullptr) {
        trace_->Begin(clock_.ns, chip_->Pins());
    }
}

void FtdiModel::UnplugAfterBytes(std::uint64_t bytes) {
    unplugAt_ = bytesWritten_ + bytes;
}

bool FtdiModel::Fail(std::string why) {
    lastError_ = std::move(why);
    return false;
}

void FtdiModel::Advance(std::uint64_t numerator, std::uint64_t denominator) {
    if (denominator != clock_.denominator) {
        clock_.ns += clock_.remainder != 0 ? 1 : 0;
        clock_.remainder = 0;
        clock_.denominator = denominator;
    }
    clock_.ns += numerator / denominator;
    clock_.remainder += numerator % denominator;
    if (clock_.remainder >= denominator) {
        clock_.remainder -= denominator;
        ++clock_.ns;
    }
}

void FtdiModel::CatchUpWithHost() {
    if (!hostNowNs_) {
        return;
    }
    const std::uint64_t now = hostNowNs_();
    if (now > hostLastNs_) {
        clock_ = Clock{clock_.ns + (now - hostLastNs_) + (clock_.remainder > 0 ? 1 : 0), 0, 1};
        hostLastNs_ = now;
    }
}

bool FtdiModel::ControlRequest() {
    if (unplugged_) {
        return Fail(FtdiUnpluggedMessage());
    }
    CatchUpWithHost();
    ++controlRequests_;
    Advance(busLatencyNs_, 1);
    return true;
}

bool FtdiModel::SetLatencyTimer(std::uint8_t milliseconds) {
    if (!ControlRequest()) {
        return false;
    }
    if (milliseconds == 0) {
        return Fail("latency timer must be 1..255 ms");
    }
    latencyTimerMs_ = milliseconds;
    return true;
}

bool FtdiModel::Purge() {
    if (!ControlRequest()) {
        return false;
    }
    DropPending();
    consumed_ += answers_.size();
    answers_.clear();
    fetchedUpTo_ = flushedUpTo_ = produced_;
    return true;
}

bool FtdiModel::Write(std::span<const std::uint8_t> bytes) {
    if (unplugged_) {
        return Fail(FtdiUnpluggedMessage());
    }
    CatchUpWithHost();
    const std::uint64_t room = unplugAt_ - bytesWritten_;
    const std::size_t taken = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), room));
    bytesWritten_ += taken;
    Execute(bytes.first(taken));
    unplugged_ = bytesWritten_ >= unplugAt_;
    if (taken < bytes.size()) {
        return Fail(FtdiUnpluggedMessage());
    }
    return true;
}

void FtdiModel::RoundTrip() {
    ++roundTrips_;
    const bool flushed = flushedUpTo_ >= produced_;
    const std::uint64_t timerNs = flushed ? 0 : latencyTimerMs_ * kNsPerMs;
    Advance(std::max(busLatencyNs_, timerNs), 1);
    fetchedUpTo_ = produced_;
    OnAnswersFetched();
}

bool FtdiModel::Read(std::span<std::uint8_t> into, int timeoutMilliseconds) {
    if (unplugged_) {
        return Fail(FtdiUnpluggedMessage());
    }
    CatchUpWithHost();
    std::size_t got = 0;
    while (got < into.size() && !answers_.empty()) {
        if (consumed_ >= fetchedUpTo_) {
            RoundTrip();
        }
        into[got++] = answers_.front();
        answers_.pop_front();
        ++consumed_;
    }
    if (got < into.size()) {
        // The host waits the whole timeout for bytes that never come.
        Advance(static_cast<std::uint64_t>(std::max(timeoutMilliseconds, 0)) * kNsPerMs, 1);
        return Fail("read timed out: " + std::to_string(got) + " of " +
                    std::to_string(into.size()) + " bytes arrived within " +
                    std::to_string(timeoutMilliseconds) + " ms");
    }
    return true;
}

void FtdiModel::Answer(std::uint8_t byte) {
    answers_.push_back(byte);
    ++produced_;
}

bool FtdiModel::PinLevel(std::uint8_t pin) const {
    if (pin == wiring_.miso) {
        return chip_->Miso() != ((wiring_.inverted >> pin & 1) != 0);
    }
    if (pin == wiring_.sck || pin == wiring_.mosi || pin == wiring_.rst) {
        const PinLevels now = chip_->Pins();
        const bool chipLevel =
            pin == wiring_.sck ? now.sck : (pin == wiring_.mosi ? now.mosi : now.rst);
        return chipLevel != ((wiring_.inverted >> pin & 1) != 0);
    }
    return true;
}

void FtdiModel::DriveLine(Pin pin, std::uint8_t adapterPin, std::uint16_t levels,
                          std::uint16_t driven) {
    const PinLevels now = chip_->Pins();
    const bool current = pin == Pin::kRst ? now.rst : (pin == Pin::kSck ? now.sck : now.mosi);
    bool level = current;
    if ((driven >> adapterPin & 1) != 0) {
        level = ((levels >> adapterPin & 1) != 0) != ((wiring_.inverted >> adapterPin & 1) != 0);
    } else if (pin == Pin::kRst) {
        level = false;
    }
    if (level == current) {
        return;
    }
    const std::uint64_t t = clock_.ns;
    switch (pin) {
        case Pin::kRst:
            chip_->SetRst(level, t);
            break;
        case Pin::kSck:
            chip_->SetSck(level, t);
            break;
        default:
            chip_->SetMosi(level, t);
            break;
    }
    if (trace_ != nullptr) {
        trace_->Record(t, pin, level);
    }
}

void FtdiModel::DrivePins(std::uint16_t levels, std::uint16_t driven) {
    // Lines that change at the same instant change in this order: the chip must not clock a bit
    // in on the way into programming mode, so RST rises last and falls first; MOSI moves before
    // SCK, so a stream that changes both at once shows up as a setup-time breach.
    const bool rstHigh = chip_->Pins().rst;
    if (rstHigh) {
        DriveLine(Pin::kRst, wiring_.rst, levels, driven);
    }
    DriveLine(Pin::kMosi, wiring_.mosi, levels, driven);
    DriveLine(Pin::kSck, wiring_.sck, levels, driven);
    if (!rstHigh) {
        DriveLine(Pin::kRst, wiring_.rst, levels, driven);
    }
    NoteMiso();
}

void FtdiModel::NoteMiso() {
    const bool miso = chip_->Miso();
    if (miso != lastMiso_) {
        lastMiso_ = miso;
        if (trace_ != nullptr) {
            trace_->Record(clock_.ns, Pin::kMiso, miso);
        }
    }
}

}  // namespace sim
