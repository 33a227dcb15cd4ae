#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/adapters/adapter_pins.h"
#include "platform/adapters/ftdi_device.h"

// A USB adapter named by a PORT text:
//   ft232r | ft245r            synchronous bit-bang on an FT232R/FT245R
//   ft232h | ft2232h | ft4232h MPSSE on an H chip's channel (A by default)
// followed by any of, each after a colon:
//   A..D                       the channel of a chip with several
//   sck=N,mosi=N,miso=N,rst=N  the pins (D0..D7 or AD0..AD7 as 0..7); the MPSSE's SCK, MOSI
//                              and MISO are fixed at 0, 1 and 2
//   invert=LINE+LINE           lines that pass an inverting buffer (sck, mosi, miso, rst)
//   anything else              the adapter's serial number
// For example "ft232r", "ft232r:A9XK3QLM", "ft2232h:B", "ft232r:rst=3,invert=rst".
struct AdapterChoice {
    enum class Kind { kFtdiBitbang, kFtdiMpsse };
    Kind kind = Kind::kFtdiBitbang;
    FtdiSelector ftdi;
    AdapterPins pins;

    bool operator==(const AdapterChoice&) const = default;
};

// The adapter `text` names; nothing when it names none, with `why` set when it starts like an
// adapter's name but does not parse (and left alone when it is no adapter form at all).
std::optional<AdapterChoice> ParseAdapterChoice(std::string_view text, std::string* why);
