#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/adapter.h"
#include "platform/adapters/adapter_pins.h"
#include "platform/adapters/ftdi_device.h"

// An FT232H, FT2232H or FT4232H channel in MPSSE mode: SPI mode 0, most significant bit first,
// on its own serial pins (AD0 SCK, AD1 MOSI, AD2 MISO), RST on a GPIO pin set by commands in the
// same buffer. The clock divisor comes from the phase the timing asks for. Instructions queue
// up as MPSSE commands and go out together, with a "send now" at the end of each batch.
//
// A wait goes to the host: the batch before it is flushed (its answers back, so it has run) and
// the host's calibrated delay follows. Clocking without data would put SCK edges on the chip,
// which would shift in bits the four-byte chips do not document as harmless.
class MpsseAdapter final : public Adapter {
public:
    static constexpr int kReadTimeoutMilliseconds = 1000;
    // 60 MHz base clock (divide-by-5 off): SCK = 60 MHz / ((1 + divisor) * 2).
    static constexpr std::int64_t kBaseClockHz = 60'000'000;

    MpsseAdapter(std::unique_ptr<FtdiDevice> device, const AdapterPins& pins);
    ~MpsseAdapter() override;

    bool Start();

    void SetProgrammingMode(bool on) override;
    void HoldClockLow() override {}
    void Send(std::span<const std::uint8_t> bytes) override;
    void Receive(std::span<std::uint8_t> into) override;
    void Wait(std::int64_t microseconds) override;
    bool Flush() override;
    std::string Failure() const override { return failure_; }
    int PreferredBatch() const override { return 256; }
    int PollReadsPerFlush() const override { return 4; }

    // The divisor whose half period is at least `phaseNanoseconds`.
    static int DivisorForPhase(std::int64_t phaseNanoseconds);

private:
    bool Fail(const std::string& what);
    bool EnsureClock();
    void SetLowByte();
    void Clock(std::span<const std::uint8_t> bytes, bool read);

    std::unique_ptr<FtdiDevice> device_;
    AdapterPins pins_;
    bool rst_ = false;
    int divisor_ = -1;
    std::vector<std::uint8_t> commands_;
    std::vector<std::span<std::uint8_t>> answers_;
    std::size_t answerBytes_ = 0;
    bool failed_ = false;
    std::string failure_;
};
