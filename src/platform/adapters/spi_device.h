#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A Linux spidev device (/dev/spidevB.C) in SPI mode 0 without chip select, 8 bits a word.
class SpiDevice {
public:
    virtual ~SpiDevice() = default;

    // Asks for at most `hz` and returns what the driver reports it will use (it may round);
    // 0 with LastError() when the ioctl fails.
    virtual std::uint32_t SetMaxSpeedHz(std::uint32_t hz) = 0;

    // One segment of a message: `tx` and `rx` of equal length (rx may be empty when nothing
    // read is wanted), clocked at `speedHz`, then `delayMicroseconds` with the clock idle.
    struct Segment {
        std::span<const std::uint8_t> tx;
        std::span<std::uint8_t> rx;
        std::uint32_t speedHz = 0;
        std::uint16_t delayMicroseconds = 0;
    };
    // All segments in one SPI_IOC_MESSAGE; false with LastError() when it fails.
    virtual bool Transfer(std::span<const Segment> segments) = 0;
    virtual std::string LastError() const = 0;
};

// Opens the device and sets mode 0 with no chip select and 8-bit words, or nullptr with `why`
// naming the fix (the spi group, the kernel's own user of the bus).
std::unique_ptr<SpiDevice> OpenSpiDevice(const std::string& path, std::string* why);

// One line per spidev node present, for --list-ports.
std::vector<std::string> ListSpiDevices();
