#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "sim/pins.h"
#include "sim/serial_chip.h"
#include "sim/vcd_trace.h"

namespace sim {

// What one write of an adapter puts on the chip's inputs; an empty entry leaves that pin alone
// (the adapter's line is not an output, or is not wired to it).
struct DrivenPins {
    std::optional<bool> rst;
    std::optional<bool> sck;
    std::optional<bool> mosi;
};

// The chip's four pins as the adapter models drive them: passes on only real level changes and
// records them, and MISO's own changes, into the trace. Models that drive one chip together
// share one of these, so the trace sees every change once.
class ChipPins {
public:
    ChipPins(std::shared_ptr<SerialChip> chip, std::uint64_t startNs, VcdTrace* trace = nullptr);

    // Lines that change in one write change together. The chip must not clock a bit in on the
    // way into or out of programming mode, so SCK and MOSI move while RST is low: first RST
    // (when it falls), then MOSI, then SCK, then RST (when it rises).
    void Apply(const DrivenPins& want, std::uint64_t timeNs);
    // MISO as the chip drives it at `timeNs`.
    bool ReadMiso(std::uint64_t timeNs);

    SerialChip& Chip() { return *chip_; }

private:
    void Drive(Pin pin, bool level, std::uint64_t timeNs);
    void NoteMiso(std::uint64_t timeNs);

    std::shared_ptr<SerialChip> chip_;
    VcdTrace* trace_;
    bool lastMiso_;
};

}  // namespace sim
