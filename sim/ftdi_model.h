#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/adapters/ftdi_device.h"
#include "sim/adapter_wiring.h"
#include "sim/serial_chip.h"
#include "sim/vcd_trace.h"

namespace sim {

// The same clock type as the cable's (simulated_cable.h).
using NanosecondClock = std::function<std::uint64_t()>;

// What an FTDI adapter model shares, whatever its mode: its own clock, which the chip sees; the
// round trips the host waits for; the wiring to the chip; the injected faults.
//
// Time. The model's clock starts at `startNs` and moves only as the adapter works: each pin state
// or clock bit takes the time its rate gives, each round trip and each control request costs the
// USB latency. Nothing else takes time, so the modelled time of an operation is its stream's own
// length plus its round trips.
//
// Round trip. A Read is a round trip when it takes at least one answer byte that has not reached
// the host yet, that is, one produced since the previous round trip. It costs the latency once
// however many bytes it takes, and every answer produced until then reaches the host with it;
// reading those in pieces later costs nothing. Writes are never round trips: the host does not
// wait for them. The latency is the bus's (1 ms full speed, 125 us high speed), or the chip's
// latency timer (SetLatencyTimer, 16 ms at power-up) when that is longer and the answer was not
// flushed: a short answer waits in the chip until the timer expires, unless an MPSSE stream
// ends it with 87 (send now).
//
// Pins the adapter does not drive: the chip's RST falls (its own pull-down: the target runs), SCK
// and MOSI keep their last level. Adapter pins not wired to the chip read 1 (pulled up).
//
// Not thread-safe: one driver at a time, as with a real adapter.
class FtdiModel : public FtdiDevice {
public:
    static constexpr std::uint64_t kFullSpeedLatencyNs = 1'000'000;
    static constexpr std::uint64_t kHighSpeedLatencyNs = 125'000;
    static constexpr std::uint8_t kPowerUpLatencyTimerMs = 16;
    // Out of any bit mode the chips are serial ports: TXD (pin 0), RTS# (2) and DTR# (4) are
    // outputs idling high, the others inputs. A wiring that puts RST on DTR sees it high.
    static constexpr std::uint16_t kUartOutputs = 0x15;

    bool SetLatencyTimer(std::uint8_t milliseconds) override;
    bool Purge() override;
    bool Write(std::span<const std::uint8_t> bytes) override;
    bool Read(std::span<std::uint8_t> into, int timeoutMilliseconds) override;
    std::string LastError() const override { return lastError_; }

    // The model's clock: what the chip saw last, in nanoseconds.
    std::uint64_t NowNs() const { return clock_.ns; }
    // Time since the model was made, and the round trips and control requests in it.
    std::uint64_t ModelledNs() const { return clock_.ns - startNs_; }
    std::uint64_t RoundTrips() const { return roundTrips_; }
    std::uint64_t ControlRequests() const { return controlRequests_; }
    std::uint64_t BusLatencyNs() const { return busLatencyNs_; }

    // Lets the host's own waits count: whatever time passes on `hostNowNs` between two calls is
    // time the adapter idled, after everything before it had run (a host waits only once a
    // round trip told it the stream before has run). The model's clock never goes back, so host
    // time can only lengthen what the chip sees.
    void FollowHostClock(NanosecondClock hostNowNs) {
        hostNowNs_ = std::move(hostNowNs);
        hostLastNs_ = hostNowNs_();
    }

    // Starts tracing the chip's pins from now; nullptr stops it. The trace must outlive the model
    // or be detached.
    void AttachTrace(VcdTrace* trace);

    // Faults. The adapter leaves the bus once `bytes` more bytes have been written in all (a
    // Write that crosses the mark puts out the bytes before it, then fails); from then on every
    // call fails with the unplugged message, as a real adapter's driver does.
    void UnplugAfterBytes(std::uint64_t bytes);
    bool Unplugged() const { return unplugged_; }

    SerialChip& Chip() { return *chip_; }
    const AdapterWiring& Wiring() const { return wiring_; }

protected:
    FtdiModel(std::shared_ptr<SerialChip> chip, const AdapterWiring& wiring,
              std::uint64_t busLatencyNs, std::uint64_t startNs, VcdTrace* trace);

    // The mode's own work on the bytes the host wrote.
    virtual void Execute(std::span<const std::uint8_t> bytes) = 0;
    // Called after a round trip has emptied the chip's answer FIFO.
    virtual void OnAnswersFetched() {}
    // Called by Purge: drop whatever the mode keeps pending.
    virtual void DropPending() {}

    // Back to the serial port's own pin function (BITMODE_RESET, and at power-up).
    void DriveUartPins() { DrivePins(0xFFFF, kUartOutputs); }
    // Puts the adapter pins out: bits of `levels` on the pins set in `driven`, the rest released.
    void DrivePins(std::uint16_t levels, std::uint16_t driven);
    // An adapter pin's level as the adapter reads it now.
    bool PinLevel(std::uint8_t pin) const;
    // A byte the host will read.
    void Answer(std::uint8_t byte);
    void FlushAnswers() { flushedUpTo_ = produced_; }
    // Answers produced that are still inside the chip (not fetched by a round trip).
    std::uint64_t AnswersInChip() const { return produced_ - fetchedUpTo_; }
    // A control request (bit mode, rate, latency, purge): one USB transfer the host waits for.
    bool ControlRequest();
    bool Fail(std::string why);

    // Advances by numerator / denominator nanoseconds exactly: the remainder carries over while
    // the denominator stays the same (a steady pin rate never drifts); a new rate starts on the
    // next whole nanosecond.
    void Advance(std::uint64_t numerator, std::uint64_t denominator);

private:
    struct Clock {
        std::uint64_t ns = 0;
        std::uint64_t remainder = 0;
        std::uint64_t denominator = 1;
    };
    void DriveLine(Pin pin, std::uint8_t adapterPin, std::uint16_t levels, std::uint16_t driven);
    void NoteMiso();
    void RoundTrip();
    void CatchUpWithHost();

    std::shared_ptr<SerialChip> chip_;
    AdapterWiring wiring_;
    std::uint64_t busLatencyNs_;
    std::uint64_t startNs_;
    Clock clock_;
    VcdTrace* trace_ = nullptr;
    NanosecondClock hostNowNs_;
    std::uint64_t hostLastNs_ = 0;
    bool lastMiso_ = true;

    std::uint8_t latencyTimerMs_ = kPowerUpLatencyTimerMs;
    std::deque<std::uint8_t> answers_;
    std::uint64_t produced_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint64_t fetchedUpTo_ = 0;
    std::uint64_t flushedUpTo_ = 0;
    std::uint64_t roundTrips_ = 0;
    std::uint64_t controlRequests_ = 0;

    std::uint64_t bytesWritten_ = 0;
    std::uint64_t unplugAt_ = UINT64_MAX;
    bool unplugged_ = false;
    std::string lastError_;
};

}  // namespace sim
