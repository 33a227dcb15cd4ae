#pragma once

#include <cstdint>
#include <string>

#include "platform/adapters/ftdi_device.h"

// What the program knows of each FTDI chip it drives: its USB product id, its names and its
// channels. One table, shared by the libftdi and D2XX layers and the simulator's models, so a
// user sees the same names and messages whichever of them answers.
inline constexpr std::uint16_t kFtdiVendorId = 0x0403;

struct FtdiChipFacts {
    std::uint16_t productId;
    const char* kind;  // as the port syntax and --list-ports write it: "ft232r"
    const char* name;  // as a message names it: "FT232R"
    int channels;      // interfaces A.. on the chip
    bool highSpeed;    // USB 2.0 high speed (125 us microframes) rather than full speed (1 ms)
};

const FtdiChipFacts& FactsOf(FtdiChip chip);

// Why an adapter could not be opened, as far as the driver library lets us tell.
enum class FtdiOpenFailure : std::uint8_t {
    kNotFound,       // no device with this product id (and serial) on the bus
    kNoPermission,   // found, but the user may not open its USB device node
    kDriverHolds,    // found, but the kernel's serial driver (or another program) keeps it
    kNoSuchChannel,  // the chip has fewer interfaces than the channel asked for
    kLibrary,        // the driver library itself failed (missing, or an error it reports)
};

// The message for a failed open: what was looked for, the likely causes and their fix.
// `detail` is the driver library's own text, appended when not empty.
std::string FtdiOpenFailureMessage(const FtdiSelector& selector, FtdiOpenFailure failure,
                                   const std::string& detail);

// What every call says once the adapter has gone from the bus mid-operation.
std::string FtdiUnpluggedMessage();

// The udev rule the README gives, for the permission message to point at.
inline constexpr const char* kFtdiUdevRulePath = "/etc/udev/rules.d/60-isp8252.rules";
