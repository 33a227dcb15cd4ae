#pragma once

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "sim/serial_chip.h"

namespace test_support {

using Bytes = std::vector<std::uint8_t>;

// "AC 53 00 00" as bytes.
inline Bytes Hex(const char* text) {
    Bytes bytes;
    std::istringstream in(text);
    for (unsigned value = 0; in >> std::hex >> value;) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

// Clocks bytes into a chip's pins in virtual time, SPI mode 0: each bit is put on MOSI as SCK
// falls, held for the low phase, and sampled by the rising edge; MISO is read just before that
// edge.
class PinDriver {
public:
    PinDriver(sim::SerialChip& chip, std::uint64_t lowNs, std::uint64_t highNs)
        : chip_(chip), lowNs_(lowNs), highNs_(highNs) {}

    std::uint64_t now = 1'000;
    std::uint64_t lastRiseNs = 0;

    // SCK low, then RST high, then `settleNs` before anything is clocked.
    void Enter(std::uint64_t settleNs) {
        chip_.SetSck(false, now);
        chip_.SetRst(true, now);
        now += settleNs;
    }
    void Wait(std::uint64_t ns) { now += ns; }

    // What MISO carried during each byte.
    Bytes Send(const Bytes& bytes) {
        Bytes answers;
        for (const std::uint8_t byte : bytes) {
            std::uint8_t answer = 0;
            for (int bit = 7; bit >= 0; --bit) {
                chip_.SetMosi(((byte >> bit) & 1) != 0, now);
                now += lowNs_;
                answer = static_cast<std::uint8_t>((answer << 1) | (chip_.Miso() ? 1 : 0));
                chip_.SetSck(true, now);
                lastRiseNs = now;
                now += highNs_;
                chip_.SetSck(false, now);
            }
            answers.push_back(answer);
        }
        return answers;
    }
    // The answer during the last byte.
    std::uint8_t Last(const char* frame) { return Send(Hex(frame)).back(); }

private:
    sim::SerialChip& chip_;
    std::uint64_t lowNs_;
    std::uint64_t highNs_;
};

}  // namespace test_support
