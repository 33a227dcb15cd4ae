#include "sim/vcd_trace.h"

#include <algorithm>
#include <ostream>
#include <span>
#include <sstream>

#include "platform/replace_file.h"

namespace sim {

namespace {

struct WireName {
    Pin pin;
    char code;
    const char* name;
};

// Single-character identifiers keep the dump small; letters avoid '#' and '$', which readers
// may confuse with time stamps and keywords.
constexpr WireName kWires[] = {
    {Pin::kRst, 'r', "RST"},
    {Pin::kSck, 'c', "SCK"},
    {Pin::kMosi, 'i', "MOSI"},
    {Pin::kMiso, 'o', "MISO"},
};

char CodeOf(Pin pin) {
    for (const WireName& wire : kWires) {
        if (wire.pin == pin) {
            return wire.code;
        }
    }
    return '?';
}

bool LevelOf(const PinLevels& levels, Pin pin) {
    switch (pin) {
        case Pin::kRst:
            return levels.rst;
        case Pin::kSck:
            return levels.sck;
        case Pin::kMosi:
            return levels.mosi;
        case Pin::kMiso:
            return levels.miso;
    }
    return false;
}

}  // namespace

void VcdTrace::Begin(std::uint64_t timeNs, const PinLevels& levels) {
    started_ = true;
    startNs_ = timeNs;
    initial_ = levels;
    changes_.clear();
}

void VcdTrace::Record(std::uint64_t timeNs, Pin pin, bool level) {
    changes_.push_back({timeNs, pin, level});
}

void VcdTrace::WriteVcd(std::ostream& out) const {
    out << "$version isp8252 simulated cable $end\n"
        << "$timescale 1ns $end\n"
        << "$scope module cable $end\n";
    for (const WireName& wire : kWires) {
        out << "$var wire 1 " << wire.code << ' ' << wire.name << " $end\n";
    }
    out << "$upscope $end\n"
        << "$enddefinitions $end\n"
        << '#' << startNs_ << '\n'
        << "$dumpvars\n";
    for (const WireName& wire : kWires) {
        out << (LevelOf(initial_, wire.pin) ? '1' : '0') << wire.code << '\n';
    }
    out << "$end\n";
    // Time stamps must increase; a clock that stepped back is held at the last time written.
    std::uint64_t written = startNs_;
    for (const PinChange& change : changes_) {
        const std::uint64_t time = std::max(change.timeNs, written);
        if (time != written) {
            out << '#' << time << '\n';
            written = time;
        }
        out << (change.level ? '1' : '0') << CodeOf(change.pin) << '\n';
    }
}

bool VcdTrace::WriteVcdFile(const std::string& path, std::string* why) const {
    std::ostringstream text;
    WriteVcd(text);
    const std::string vcd = text.str();
    const auto bytes = std::span(reinterpret_cast<const unsigned char*>(vcd.data()), vcd.size());
    if (const auto failure = ReplaceFileContents(path, bytes)) {
        if (why != nullptr) {
            *why = path + ": " + *failure;
        }
        return false;
    }
    return true;
}

}  // namespace sim
