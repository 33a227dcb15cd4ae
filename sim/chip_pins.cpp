#include "sim/chip_pins.h"

#include <utility>

namespace sim {

ChipPins::ChipPins(std::shared_ptr<SerialChip> chip, std::uint64_t startNs, VcdTrace* trace)
    : chip_(std::move(chip)), trace_(trace), lastMiso_(chip_->Miso()) {
    if (trace_ != nullptr) {
        trace_->Begin(startNs, chip_->Pins());
    }
}

void ChipPins::Drive(Pin pin, bool level, std::uint64_t timeNs) {
    const PinLevels now = chip_->Pins();
    switch (pin) {
        case Pin::kRst:
            if (now.rst == level) {
                return;
            }
            chip_->SetRst(level, timeNs);
            break;
        case Pin::kSck:
            if (now.sck == level) {
                return;
            }
            chip_->SetSck(level, timeNs);
            break;
        case Pin::kMosi:
            if (now.mosi == level) {
                return;
            }
            chip_->SetMosi(level, timeNs);
            break;
        case Pin::kMiso:
            return;
    }
    if (trace_ != nullptr) {
        trace_->Record(timeNs, pin, level);
    }
}

void ChipPins::Apply(const DrivenPins& want, std::uint64_t timeNs) {
    const bool rstRises = want.rst.has_value() && *want.rst && !chip_->Pins().rst;
    if (want.rst.has_value() && !rstRises) {
        Drive(Pin::kRst, *want.rst, timeNs);
    }
    if (want.mosi.has_value()) {
        Drive(Pin::kMosi, *want.mosi, timeNs);
    }
    if (want.sck.has_value()) {
        Drive(Pin::kSck, *want.sck, timeNs);
    }
    if (rstRises) {
        Drive(Pin::kRst, true, timeNs);
    }
    NoteMiso(timeNs);
}

bool ChipPins::ReadMiso(std::uint64_t timeNs) {
    NoteMiso(timeNs);
    return lastMiso_;
}

void ChipPins::NoteMiso(std::uint64_t timeNs) {
    const bool miso = chip_->Miso();
    if (miso != lastMiso_) {
        lastMiso_ = miso;
        if (trace_ != nullptr) {
            trace_->Record(timeNs, Pin::kMiso, miso);
        }
    }
}

}  // namespace sim
