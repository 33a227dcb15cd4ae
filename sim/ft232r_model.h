#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "sim/ftdi_model.h"

namespace sim {

// An FT232R (or FT245R) in synchronous bit-bang mode, with libftdi's meaning of every call.
//
// Each byte written puts the 8 pins out for one pin period; the pins are sampled just before a
// byte goes out, so answer k is the pin state left by byte k-1 (write 55 AA, read FF 55). Pins
// whose bit in the SetBitMode mask is 0 are inputs: MISO reads through them.
//
// Pin rate: libftdi multiplies the value given to SetBaudRate by 4 in bit-bang mode and sets the
// baud generator (3 MHz / divisor, divisor in eighths, 1..1.5..2 and up) to the nearest rate it can
// make; the pins then move at `bitbangMultiplier` times the value libftdi asked for, over 4. The
// multiplier is a parameter: the sources disagree whether the pins run at 4 or at 16 times the
// SetBaudRate value, and a stream must stay within the chip's limits under both.
//
// The chip holds at most 128 answers the host has not fetched. When a stream would make more,
// the chip stops putting bytes out until a round trip drains them: the stream stalls, its pin
// states stretch past the times it meant, and the model counts each stall (FifoStalls).
class Ft232rModel final : public FtdiModel {
public:
    static constexpr std::uint64_t kAnswerFifoBytes = 128;
    // libftdi opens the chip at 9600 baud.
    static constexpr int kOpenBaud = 9600;

    explicit Ft232rModel(std::shared_ptr<SerialChip> chip,
                         const AdapterWiring& wiring = kFt232rDefaultWiring,
                         unsigned bitbangMultiplier = 4, std::uint64_t startNs = 0,
                         VcdTrace* trace = nullptr);

    bool SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) override;
    bool SetBaudRate(int baud) override;

    // The pins' rate now, in hertz (rounded down; the model keeps it exact).
    std::uint64_t PinRateHz() const;
    std::uint64_t FifoStalls() const { return stalls_; }
    // Bytes written but not put out yet, because the stream stalled.
    std::uint64_t BytesWaiting() const { return waiting_.size(); }

private:
    void Execute(std::span<const std::uint8_t> bytes) override;
    void OnAnswersFetched() override;
    void DropPending() override {
        waiting_.clear();
        stalled_ = false;
    }
    void PutOutWaiting();
    std::uint8_t SamplePins() const;

    unsigned multiplier_;
    FtdiBitMode mode_ = FtdiBitMode::kReset;
    std::uint8_t mask_ = 0;
    // The output latch: what output pins drive. The serial port leaves its lines high.
    std::uint8_t latch_ = 0xFF;
    // The baud generator's divisor in eighths of 3 MHz.
    std::uint64_t divisorEighths_;
    std::deque<std::uint8_t> waiting_;
    bool stalled_ = false;
    std::uint64_t stalls_ = 0;
};

}  // namespace sim
