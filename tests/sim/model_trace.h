#pragma once

#include <string>

#include "sim/vcd_trace.h"

// A trace's changes as "TIME:PIN=LEVEL" words, so a table row can spell out the edges it expects.
inline std::string ChangesText(const sim::VcdTrace& trace) {
    static const char* const kNames[] = {"RST", "SCK", "MOSI", "MISO"};
    std::string text;
    for (const sim::PinChange& change : trace.Changes()) {
        text += (text.empty() ? "" : " ") + std::to_string(change.timeNs) + ":" +
                kNames[static_cast<int>(change.pin)] + "=" + (change.level ? "1" : "0");
    }
    return text;
}
