#pragma once

#include <cstdint>
#include <span>
#include <string>

// What stands between the program and the chip's four pins: the parallel-port cable or a USB,
// GPIO or SPI adapter. The programming instructions reach it a byte at a time, most significant
// bit first, with the waits between them; what MISO answers lands in the caller's buffers.
//
// The parallel port does everything at once, as the calls arrive. A USB adapter costs a round
// trip of up to a millisecond, so it may keep what it is handed and send it all, waits included,
// in as few transfers as it can: its answers are then valid only after Flush(). Callers flush
// only where an answer decides the next step (a poll, the enable answer, a signature) or before
// they look at what was read.
class Adapter {
public:
    virtual ~Adapter() = default;

    // RST high holds the chip in programming mode; low lets the target run. The adapter's own
    // short settle follows; the data sheet's 10 ms before the enable is the caller's Wait.
    virtual void SetProgrammingMode(bool on) = 0;
    // SCK low, and held there until the next byte; the chips that need SCK low for a while
    // before its first rising edge get it during the settle after RST rises.
    virtual void HoldClockLow() = 0;
    // Clocks `bytes` out on MOSI.
    virtual void Send(std::span<const std::uint8_t> bytes) = 0;
    // Clocks `into.size()` bytes in from MISO, filled in by the next Flush() at the latest; the
    // buffer must stay valid until then.
    virtual void Receive(std::span<std::uint8_t> into) = 0;
    // Holds every line as it is for at least this long.
    virtual void Wait(std::int64_t microseconds) = 0;
    // Everything handed over has happened and every Receive buffer is filled. False when the
    // adapter failed (unplugged, a timeout, an I/O error); Failure() then says why, and every
    // later call does nothing.
    virtual bool Flush() = 0;
    virtual std::string Failure() const = 0;
    // How many instructions a caller should hand over between flushes when no answer is needed
    // before then: 1 where there is nothing to gain (the parallel port), more where a round trip
    // costs.
    virtual int PreferredBatch() const = 0;
    // How many reads of a byte being written to hand over per flush while polling it: 1 where a
    // flush costs nothing; more where each flush is a round trip, so that one round trip covers
    // a good part of the write cycle.
    virtual int PollReadsPerFlush() const { return 1; }
};
