#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/adapters/gpio_lines.h"
#include "sim/chip_pins.h"
#include "sim/model_clock.h"

namespace sim {

inline constexpr unsigned kGpioNotWired = ~0u;

// One chip pin's connection to a GPIO line: the line offset on the gpiochip, and whether the
// board inverts between the two (a transistor stage on RST, say).
struct GpioWire {
    unsigned offset = kGpioNotWired;
    bool inverted = false;
};

struct GpioWiring {
    GpioWire rst;
    GpioWire sck;
    GpioWire mosi;
    GpioWire miso;
};

struct GpioModelOptions {
    GpioWiring wiring;
    // Offsets 0..lineCount-1 exist (a Raspberry Pi's main chip has 54).
    unsigned lineCount = 54;
    // What one line-values ioctl costs on top of the host's own time; the lines change when it
    // returns.
    std::uint64_t perCallNs = 0;
    // The device node vanishes after this many set/get calls (0: never): later ones fail.
    std::uint64_t vanishAfterCalls = 0;
};

// A /dev/gpiochipN with some of its lines wired to the chip. Open() hands out lines as the real
// OpenGpioLines does; each SetOutputs changes the wired chip pins at the model clock's time, and
// GetInput reads MISO through its wire. A line requested but not wired drives nothing, an input
// not wired to MISO reads low. Releasing the lines leaves the chip's pins where they were: the
// model does not pull RST down for a program that forgot to.
class GpioChipModel {
public:
    GpioChipModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                  const GpioModelOptions& options);

    // Like OpenGpioLines; nullptr with `why` for an offset the chip does not have, one asked
    // for twice, or a node that has vanished. The lines must not outlive this model.
    std::unique_ptr<GpioLines> Open(std::span<const unsigned> outputOffsets,
                                    std::uint32_t initialLevels, unsigned inputOffset,
                                    std::string* why);

    // Set and get calls made so far, over every Open.
    std::uint64_t Calls() const { return calls_; }

private:
    friend class GpioModelLines;
    // Counts a call; false (with the error in `why`) once the node has vanished.
    bool Call(std::string* why);

    std::shared_ptr<ChipPins> pins_;
    std::shared_ptr<ModelClock> clock_;
    GpioModelOptions options_;
    std::uint64_t calls_ = 0;
};

}  // namespace sim
