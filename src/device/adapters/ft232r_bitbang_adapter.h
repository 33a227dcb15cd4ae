#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/adapter.h"
#include "platform/adapters/adapter_pins.h"
#include "platform/adapters/ftdi_device.h"

// An FT232R (or FT245R) in synchronous bit-bang mode. Every byte written sets the pins for one
// pin-clock period and brings back the pins as they were just before it went out, so the answer
// stream lags one byte. Clock phases and waits are runs of pin states, so a wait costs no round
// trip; the stream goes out in pieces of at most 128 bytes, each read back before the next, as
// the chip keeps no more than that unread.
//
// The pin clock is a multiple of the baud rate set, and the sources disagree whether that is 4 or
// 16. Every phase and wait is counted for the faster reading (16, plus the baud generator's
// rounding): under the slower one the chip sees everything four times as long, never shorter.
class Ft232rBitbangAdapter final : public Adapter {
public:
    // A state lasts at least this long: long enough that one 128-byte round trip covers about as
    // much time as its USB frame costs, so neither the bus nor the pins wait on the other.
    static constexpr std::int64_t kStateTargetNanoseconds = 8000;
    static constexpr std::size_t kMaxUnreadBytes = 128;
    static constexpr int kReadTimeoutMilliseconds = 1000;

    Ft232rBitbangAdapter(std::unique_ptr<FtdiDevice> device, const AdapterPins& pins);
    // RST low (the target runs) and every pin an input again.
    ~Ft232rBitbangAdapter() override;

    // Sets the latency timer, the pin rate and the bit mode; false with Failure() when the
    // adapter refuses.
    bool Start();

    void SetProgrammingMode(bool on) override;
    void HoldClockLow() override;
    void Send(std::span<const std::uint8_t> bytes) override;
    void Receive(std::span<std::uint8_t> into) override;
    void Wait(std::int64_t microseconds) override;
    bool Flush() override;
    std::string Failure() const override { return failure_; }
    int PreferredBatch() const override { return 64; }
    int PollReadsPerFlush() const override { return 6; }

    // The baud value for a state of at least `stateNanoseconds` under the faster pin clock.
    static int BaudForState(std::int64_t stateNanoseconds);
    // The shortest a state can then last, in nanoseconds (rounded down).
    static std::int64_t ShortestStateNanoseconds(int baud);

private:
    struct Sample {
        std::size_t streamIndex;
        std::uint8_t* byte;
        int bit;
    };

    void Put(int states);
    bool Fail(const std::string& what);
    bool EnsureRate();
    std::uint8_t PinByte() const;
    std::uint8_t OutputMask() const;
    void ClockBit(bool mosi, std::uint8_t* into, int bit);

    std::unique_ptr<FtdiDevice> device_;
    AdapterPins pins_;
    bool rst_ = false;
    bool sck_ = false;
    bool mosi_ = false;
    int baud_ = 0;
    int statesPerPhase_ = 1;
    std::int64_t stateNanoseconds_ = 0;
    std::vector<std::uint8_t> stream_;
    std::vector<Sample> samples_;
    bool failed_ = false;
    std::string failure_;
};
