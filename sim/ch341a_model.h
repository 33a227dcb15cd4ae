#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/adapters/usb_bulk_device.h"
#include "sim/chip_pins.h"
#include "sim/model_clock.h"

namespace sim {

// Which CH341A pin (D0..D7) each chip pin is wired to. D0-D2 are the chip selects CS0-CS2, one
// of which serves as RST; D3 is the SPI clock, D5 its data out, D7 its data in. Only D0-D5 can
// drive; D6 and D7 are inputs.
struct Ch341aWiring {
    unsigned rst = 0;
    unsigned sck = 3;
    unsigned mosi = 5;
    unsigned miso = 7;
};

// The modelled costs. The CH341A's own documentation gives no command rate, so the model takes
// one sub-command (set levels, set directions, read) per microsecond, a wait C0|n exactly n us,
// and a round trip (an answer that must travel back to the host) one full-speed USB frame.
struct Ch341aTiming {
    std::uint64_t subCommandNs = 1'000;
    std::uint64_t roundTripNs = 1'000'000;
};

struct Ch341aModelOptions {
    Ch341aWiring wiring;
    Ch341aTiming timing;
    // Every transfer after this many fails as an unplugged device's do (0: never unplugged).
    std::uint64_t unplugAfterTransfers = 0;
    // No CH341A on the bus: opening fails.
    bool absent = false;
};

// The CH341A's UIO pin stream over its two bulk endpoints, as ADAPTERS.md describes it, driving a
// chip's pins. A write is cut into 32-byte packets and each packet is parsed on its own: it must
// start with a command (only AB, the UIO stream, is modelled), whose sub-commands run to 20 (end
// of stream) or to the end of the packet; a stream does not continue into the next packet.
// Anything else is a protocol error: recorded, and the rest of that packet is dropped.
//
// Time: sub-commands run one after another on the model's clock as the write arrives (writes
// are pipelined and cost no latency of their own). Each read sub-command leaves one answer byte
// waiting. A BulkRead is a round trip: it returns the waiting answers (as many as fit), and
// advances the clock by one round trip after the last sub-command written so far; with nothing
// waiting it times out, advancing the clock by the timeout.
class Ch341aModel final : public UsbBulkDevice {
public:
    static constexpr std::size_t kPacketBytes = 32;
    static constexpr std::uint8_t kUioStream = 0xAB;
    static constexpr std::uint8_t kUioSetLevels = 0x80;      // | D0-D5 levels
    static constexpr std::uint8_t kUioSetDirections = 0x40;  // | D0-D5, bit set = output
    static constexpr std::uint8_t kUioRead = 0x00;           // answers D0-D7
    static constexpr std::uint8_t kUioWait = 0xC0;           // | microseconds, below 64
    static constexpr std::uint8_t kUioEnd = 0x20;

    // nullptr with `why` set when the options say no device is present.
    static std::unique_ptr<Ch341aModel> Open(std::shared_ptr<ChipPins> pins,
                                             std::shared_ptr<ModelClock> clock,
                                             const Ch341aModelOptions& options, std::string* why);
    Ch341aModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                const Ch341aModelOptions& options = {});

    bool BulkWrite(std::span<const std::uint8_t> bytes, int timeoutMilliseconds) override;
    int BulkRead(std::span<std::uint8_t> into, int timeoutMilliseconds) override;
    std::string LastError() const override { return lastError_; }

    std::uint64_t RoundTrips() const { return roundTrips_; }
    std::uint64_t Transfers() const { return transfers_; }
    std::uint64_t Packets() const { return packets_; }
    // Time this adapter spent: running sub-commands, round trips and timeouts.
    std::uint64_t ModelledNs() const { return modelledNs_; }
    const std::vector<std::string>& ProtocolErrors() const { return protocolErrors_; }

private:
    bool Unplugged();
    void RunPacket(std::span<const std::uint8_t> packet);
    // Runs one sub-command; false when it is not one the UIO stream knows.
    bool RunSubCommand(std::uint8_t sub);
    void DrivePins();
    std::uint8_t ReadPins();
    void Spend(std::uint64_t ns);

    std::shared_ptr<ChipPins> pins_;
    std::shared_ptr<ModelClock> clock_;
    Ch341aModelOptions options_;
    // D0-D5: the levels latched by 80|bits and the outputs set by 40|bits. The pins power up as
    // inputs, so nothing is driven before the first direction sub-command.
    std::uint8_t levels_ = 0;
    std::uint8_t outputs_ = 0;
    std::deque<std::uint8_t> answers_;
    std::uint64_t roundTrips_ = 0;
    std::uint64_t transfers_ = 0;
    std::uint64_t packets_ = 0;
    std::uint64_t modelledNs_ = 0;
    std::vector<std::string> protocolErrors_;
    std::string lastError_;
};

}  // namespace sim
