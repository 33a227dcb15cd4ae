#pragma once

#include <cstdint>

namespace sim {

// The chip's serial-programming pins, at the levels the chip sees them (after the cable).
enum class Pin : std::uint8_t { kRst, kSck, kMosi, kMiso };

struct PinLevels {
    bool rst = false;
    bool sck = false;
    bool mosi = false;
    bool miso = true;
};

}  // namespace sim
