#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sim/ftdi_model.h"

namespace sim {

// The MPSSE of an FT232H, FT2232H or FT4232H channel, entered with BITMODE_RESET then
// BITMODE_MPSSE. It obeys the commands below; any other command byte answers FA and the byte,
// as the chip answers a command it does not know.
//   8A / 8B        60 MHz clock base / 12 MHz (divide-by-5, on at power-up)
//   86 lo hi       divisor: SCK = base / ((1 + divisor) * 2); 0 at power-up
//   85 / 84        loopback off / on (on: what goes out on AD1 comes back in on AD2)
//   80 val dir     AD0..AD7 levels and directions (1 = output); 82 likewise AC0..AC7
//   81 / 83        answer the AD / AC pins as they read now
//   31 lo hi data  (length - 1) bytes, full duplex; 11 write only; 20 read only: SPI mode 0,
//                  MSB first. Each bit: SCK low and the bit out on AD1, half a period, SCK high
//                  and AD2 sampled, half a period; SCK is low after the last bit. A transfer
//                  that starts with SCK high drives it low at its start.
//   8E n           n + 1 clock periods without data; 8F lo hi: (length + 1) * 8 of them. SCK
//                  pulses on AD0: the chip sees the edges unless AD0 is an input meanwhile.
//   87             send the answers now (else they wait for the latency timer)
// AD0 = SCK, AD1 = MOSI, AD2 = MISO are the MPSSE's own; the wiring says which of its pins reach
// the chip's lines (the defaults match) and which are inverted. Commands other than clocked ones
// take no time. The host side's buffers (1 KB and more) are not modelled as a limit.
class MpsseModel final : public FtdiModel {
public:
    static constexpr std::uint64_t kFastBaseHz = 60'000'000;
    static constexpr std::uint64_t kDividedBaseHz = 12'000'000;

    explicit MpsseModel(std::shared_ptr<SerialChip> chip,
                        const AdapterWiring& wiring = kMpsseDefaultWiring,
                        std::uint64_t startNs = 0, VcdTrace* trace = nullptr);

    bool SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) override;
    bool SetBaudRate(int baud) override;

    // SCK's rate now, in hertz (rounded down).
    std::uint64_t SckHz() const;

private:
    void Execute(std::span<const std::uint8_t> bytes) override;
    void DropPending() override { input_.clear(); }
    // Obeys the command at the start of `c`; the bytes it took, or 0 when it is not all there.
    std::size_t Obey(std::span<const std::uint8_t> c);
    void Transfer(std::span<const std::uint8_t> out, std::size_t bytes, bool write, bool read);
    bool ClockBit(bool write, bool out);
    void ClockIdle(std::uint64_t periods);
    void HalfPeriod();
    void SetSck(bool high);
    std::uint8_t ReadPins(std::uint8_t first) const;
    void Drive() { DrivePins(levels_, direction_); }

    FtdiBitMode mode_ = FtdiBitMode::kReset;
    std::uint16_t levels_ = 0;
    std::uint16_t direction_ = 0;
    std::uint16_t divisor_ = 0;
    bool divideBy5_ = true;
    bool loopback_ = false;
    std::vector<std::uint8_t> input_;  // a command split across writes waits here
};

}  // namespace sim
