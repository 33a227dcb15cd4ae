#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "sim/pins.h"

namespace sim {

struct PinChange {
    std::uint64_t timeNs;
    Pin pin;
    bool level;
};

// Every level change on the chip's four programming pins, with its time. Tracing is off unless a
// trace is attached to the cable: a full 8 KB program-and-verify makes millions of edges.
class VcdTrace {
public:
    // Starts (or restarts) the trace with the levels the pins have at `timeNs`.
    void Begin(std::uint64_t timeNs, const PinLevels& levels);
    void Record(std::uint64_t timeNs, Pin pin, bool level);

    bool Started() const { return started_; }
    std::uint64_t StartNs() const { return startNs_; }
    const PinLevels& InitialLevels() const { return initial_; }
    const std::vector<PinChange>& Changes() const { return changes_; }

    // Value Change Dump, timescale 1 ns, one-bit wires RST, SCK, MOSI and MISO; times are those
    // of the clock the cable was given.
    void WriteVcd(std::ostream& out) const;
    // Writes the VCD to `path`; false (with the reason in `why`) when the file can't be written.
    bool WriteVcdFile(const std::string& path, std::string* why = nullptr) const;

private:
    bool started_ = false;
    std::uint64_t startNs_ = 0;
    PinLevels initial_;
    std::vector<PinChange> changes_;
};

}  // namespace sim
