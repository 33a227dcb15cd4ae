#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A USB device reached through two bulk endpoints (the CH341A: OUT 0x02, IN 0x82, 32-byte
// packets), through libusb-1.0. The CH341A adapter talks to this, and so does its simulator
// model.
class UsbBulkDevice {
public:
    virtual ~UsbBulkDevice() = default;

    // Sends all of `bytes` to the OUT endpoint; false on an error or after the timeout.
    virtual bool BulkWrite(std::span<const std::uint8_t> bytes, int timeoutMilliseconds) = 0;
    // Reads one transfer from the IN endpoint into `into`; the number of bytes that arrived, or
    // -1 on an error or after the timeout.
    virtual int BulkRead(std::span<std::uint8_t> into, int timeoutMilliseconds) = 0;
    virtual std::string LastError() const = 0;
};

inline constexpr std::uint16_t kCh341aVendorId = 0x1a86;
inline constexpr std::uint16_t kCh341aProductId = 0x5512;

// Opens the first CH341A and claims interface 0, or nullptr with `why` naming the likely
// causes and their fix (not plugged in, no permission: the udev rule, another driver).
std::unique_ptr<UsbBulkDevice> OpenCh341a(std::string* why);

// One line per CH341A present, for --list-ports.
std::vector<std::string> ListCh341aDevices();
