#include "sim/simulated_cable.h"

#include <utility>

namespace sim {

PinLevels CablePinsFor(std::uint8_t dataRegister, bool miso) {
    return PinLevels{
        (dataRegister & kCableRstMask) == 0,
        (dataRegister & kCableSckMask) != 0,
        (dataRegister & kCableMosiMask) == 0,
        miso,
    };
}

std::uint8_t CableStatusFor(bool miso) {
    return miso ? 0 : kCableMisoStatusMask;
}

SimulatedCable::SimulatedCable(std::shared_ptr<SerialChip> chip, NanosecondClock nowNs,
                               VcdTrace* trace)
    : chip_(std::move(chip)), nowNs_(std::move(nowNs)) {
    WriteData(kCableIdleRegister);
    AttachTrace(trace);
}

void SimulatedCable::AttachTrace(VcdTrace* trace) {
    trace_ = trace;
    lastMiso_ = chip_->Miso();
    if (trace_ != nullptr) {
        trace_->Begin(nowNs_(), chip_->Pins());
    }
}

void SimulatedCable::Drive(Pin pin, bool level, std::uint64_t timeNs) {
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

void SimulatedCable::WriteData(std::uint8_t value) {
    const std::uint64_t timeNs = nowNs_();
    const PinLevels want = CablePinsFor(value, false);
    // Lines that change in the same write change together; the chip must not clock a bit in on
    // the way into or out of programming mode, so SCK and MOSI move while RST is low.
    const bool rstRises = want.rst && !chip_->Pins().rst;
    if (!rstRises) {
        Drive(Pin::kRst, want.rst, timeNs);
    }
    Drive(Pin::kMosi, want.mosi, timeNs);
    Drive(Pin::kSck, want.sck, timeNs);
    if (rstRises) {
        Drive(Pin::kRst, true, timeNs);
    }
    NoteMiso(timeNs);
}

void SimulatedCable::NoteMiso(std::uint64_t timeNs) {
    const bool miso = chip_->Miso();
    if (miso != lastMiso_) {
        lastMiso_ = miso;
        if (trace_ != nullptr) {
            trace_->Record(timeNs, Pin::kMiso, miso);
        }
    }
}

std::uint8_t SimulatedCable::ReadStatus() {
    return CableStatusFor(chip_->Miso());
}

std::unique_ptr<PortIo> MakeSimulatedPort(std::shared_ptr<SerialChip> chip, NanosecondClock nowNs,
                                          VcdTrace* trace) {
    return std::make_unique<SimulatedCable>(std::move(chip), std::move(nowNs), trace);
}

}  // namespace sim
