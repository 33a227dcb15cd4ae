#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// An FTDI chip as the program uses it: the few calls that libftdi1 (Linux) and FTDI's D2XX
// driver (Windows) both offer. The programmer's adapters talk to this, and so do the adapter
// models of the simulator, so the same byte streams run against both.

// The bit modes in use (libftdi's BITMODE_* values).
enum class FtdiBitMode : std::uint8_t {
    kReset = 0x00,        // back to the chip's own function (UART or FIFO)
    kMpsse = 0x02,        // FT232H / FT2232H / FT4232H command processor
    kSyncBitbang = 0x04,  // FT232R / FT245R: each byte written is put out, one read back
};

class FtdiDevice {
public:
    virtual ~FtdiDevice() = default;

    // Each call returns false on failure, with LastError() saying why (an unplugged adapter
    // fails every call from then on).
    virtual bool SetLatencyTimer(std::uint8_t milliseconds) = 0;
    // `outputMask`: bit n set makes pin n an output (bit-bang), or the MPSSE's initial direction.
    virtual bool SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) = 0;
    // The value libftdi's ftdi_set_baudrate takes. In bit-bang modes the pin rate is a multiple
    // of it, and the sources disagree which (4 or 16); callers must be safe under both.
    virtual bool SetBaudRate(int baud) = 0;
    // Drops whatever waits in the chip's buffers in either direction.
    virtual bool Purge() = 0;
    // Sends all of `bytes`; false when that fails or does not finish within the write timeout.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Fills all of `into`, looping over partial reads; false on an error, or when the bytes have
    // not all arrived within `timeoutMilliseconds`.
    virtual bool Read(std::span<std::uint8_t> into, int timeoutMilliseconds) = 0;
    virtual std::string LastError() const = 0;
};

enum class FtdiChip : std::uint8_t { kFt232r, kFt232h, kFt2232h, kFt4232h };

// Which device to open: the first of its kind, or the one with this serial number; `channel`
// picks the interface of a multi-port chip ('A'..'D').
struct FtdiSelector {
    FtdiChip chip = FtdiChip::kFt232r;
    std::string serial;
    char channel = 'A';

    bool operator==(const FtdiSelector&) const = default;
};

// Opens and claims the device (detaching the kernel's serial driver where the library can), or
// nullptr with `why` naming the likely causes and their fix.
std::unique_ptr<FtdiDevice> OpenFtdiDevice(const FtdiSelector& selector, std::string* why);

// One line per FTDI device present ("ft232r:SERIAL  description"), for --list-ports.
std::vector<std::string> ListFtdiDevices();
