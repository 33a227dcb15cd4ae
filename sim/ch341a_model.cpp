#include "sim/ch341a_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace sim {
namespace {

constexpr std::uint8_t kSubCommandKindMask = 0xC0;
constexpr std::uint8_t kSubCommandArgumentMask = 0x3F;
// D0-D5 read back their latched level when driven; undriven inputs (and D6) read high, as the
// board's pull-ups hold them.
constexpr std::uint8_t kPullUps = 0xFF;

std::string Hex(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

}  // namespace

std::unique_ptr<Ch341aModel> Ch341aModel::Open(std::shared_ptr<ChipPins> pins,
                                               std::shared_ptr<ModelClock> clock,
                                               const Ch341aModelOptions& options,
                                               std::string* why) {
    if (options.absent) {
        if (why != nullptr) {
            *why = "no CH341A (USB 1a86:5512) found";
        }
        return nullptr;
    }
    return std::make_unique<Ch341aModel>(std::move(pins), std::move(clock), options);
}

Ch341aModel::Ch341aModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                         const Ch341aModelOptions& options)
    : pins_(std::move(pins)), clock_(std::move(clock)), options_(options) {}

bool Ch341aModel::Unplugged() {
    if (options_.unplugAfterTransfers != 0 && transfers_ >= options_.unplugAfterTransfers) {
        lastError_ = "CH341A unplugged (no device)";
        return true;
    }
    ++transfers_;
    return false;
}

void Ch341aModel::Spend(std::uint64_t ns) {
    clock_->Spend(ns);
    modelledNs_ += ns;
}

bool Ch341aModel::BulkWrite(std::span<const std::uint8_t> bytes, int /*timeoutMilliseconds*/) {
    if (Unplugged()) {
        return false;
    }
    for (std::size_t at = 0; at < bytes.size(); at += kPacketBytes) {
        RunPacket(bytes.subspan(at, std::min(kPacketBytes, bytes.size() - at)));
    }
    return true;
}

void Ch341aModel::RunPacket(std::span<const std::uint8_t> packet) {
    ++packets_;
    std::size_t at = 0;
    while (at < packet.size()) {
        const std::uint8_t command = packet[at++];
        if (command != kUioStream) {
            protocolErrors_.push_back("packet " + std::to_string(packets_) + ": command " +
                                      Hex(command) + " is not a UIO stream");
            return;
        }
        while (at < packet.size()) {
            const std::uint8_t sub = packet[at++];
            if (sub == kUioEnd) {
                break;
            }
            if (!RunSubCommand(sub)) {
                protocolErrors_.push_back("packet " + std::to_string(packets_) +
                                          ": unknown UIO sub-command " + Hex(sub));
                return;
            }
        }
    }
}

bool Ch341aModel::RunSubCommand(std::uint8_t sub) {
    const auto argument = static_cast<std::uint8_t>(sub & kSubCommandArgumentMask);
    switch (sub & kSubCommandKindMask) {
        case kUioSetLevels:
            levels_ = argument;
            DrivePins();
            break;
        case kUioSetDirections:
            outputs_ = argument;
            DrivePins();
            break;
        case kUioWait:
            Spend(std::uint64_t{argument} * 1'000);
            return true;
        default:
            if (sub != kUioRead) {
                return false;
            }
            answers_.push_back(ReadPins());
            break;
    }
    Spend(options_.timing.subCommandNs);
    return true;
}

void Ch341aModel::DrivePins() {
    const auto driven = [this](unsigned pin) -> std::optional<bool> {
        if (pin > 5 || (outputs_ & (1u << pin)) == 0) {
            return std::nullopt;
        }
        return (levels_ & (1u << pin)) != 0;
    };
    const Ch341aWiring& w = options_.wiring;
    pins_->Apply(DrivenPins{driven(w.rst), driven(w.sck), driven(w.mosi)}, clock_->NowNs());
}

std::uint8_t Ch341aModel::ReadPins() {
    auto answer = static_cast<std::uint8_t>((kPullUps & ~outputs_) | (levels_ & outputs_));
    const auto misoBit = static_cast<std::uint8_t>(1u << options_.wiring.miso);
    if (pins_->ReadMiso(clock_->NowNs())) {
        answer = static_cast<std::uint8_t>(answer | misoBit);
    } else {
        answer = static_cast<std::uint8_t>(answer & ~misoBit);
    }
    return answer;
}

int Ch341aModel::BulkRead(std::span<std::uint8_t> into, int timeoutMilliseconds) {
    if (Unplugged()) {
        return -1;
    }
    if (answers_.empty()) {
        Spend(static_cast<std::uint64_t>(std::max(timeoutMilliseconds, 0)) * 1'000'000);
        lastError_ = "CH341A did not answer within " + std::to_string(timeoutMilliseconds) + " ms";
        return -1;
    }
    Spend(options_.timing.roundTripNs);
    ++roundTrips_;
    const std::size_t count = std::min(into.size(), answers_.size());
    std::copy_n(answers_.begin(), count, into.begin());
    answers_.erase(answers_.begin(), answers_.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<int>(count);
}

}  // namespace sim
