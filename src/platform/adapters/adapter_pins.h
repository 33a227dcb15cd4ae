#pragma once

#include <cstdint>

// Which of an adapter's pins carries each of the chip's four lines, and which pins reach the
// chip through an inverting buffer. Pin numbers are the adapter's own: D0..D7 of an FT232R,
// AD0..AD7 of an MPSSE chip, the CH341A's D0..D7, a GPIO chip's line offsets.
struct AdapterPins {
    unsigned sck = 0;
    unsigned mosi = 0;
    unsigned miso = 0;
    unsigned rst = 0;
    std::uint32_t inverted = 0;  // bit n set: pin n is inverted on its way to or from the chip

    bool operator==(const AdapterPins&) const = default;
};

// The common FT232R wiring: SCK = D0 (TXD), MISO = D1 (RXD), MOSI = D2 (RTS), RST = D4 (DTR).
inline constexpr AdapterPins kFt232rDefaultPins{0, 2, 1, 4, 0};
// The MPSSE's own serial pins (AD0 clock, AD1 data out, AD2 data in), RST on AD3.
inline constexpr AdapterPins kMpsseDefaultPins{0, 1, 2, 3, 0};
