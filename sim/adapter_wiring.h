#pragma once

#include <cstdint>

namespace sim {

// How an adapter's pins reach the chip: which adapter pin carries each of the four lines, and
// which pins pass through an inverting buffer on the way. Pin numbers are the adapter's own:
// D0..D7 of an FT232R, AD0..AD7 (0..7) and AC0..AC7 (8..15) of an MPSSE chip.
struct AdapterWiring {
    std::uint8_t sck;
    std::uint8_t mosi;
    std::uint8_t miso;
    std::uint8_t rst;
    std::uint16_t inverted = 0;  // bit n set: adapter pin n is inverted before the chip sees it

    bool operator==(const AdapterWiring&) const = default;
};

// The common FT232R mapping: SCK = D0 (TXD), MISO = D1 (RXD), MOSI = D2 (RTS), RST = D4 (DTR).
inline constexpr AdapterWiring kFt232rDefaultWiring{0, 2, 1, 4, 0};
// The MPSSE's fixed serial pins (AD0 clock, AD1 data out, AD2 data in) and RST on AD3.
inline constexpr AdapterWiring kMpsseDefaultWiring{0, 1, 2, 3, 0};

}  // namespace sim
