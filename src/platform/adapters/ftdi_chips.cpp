#include "platform/adapters/ftdi_chips.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<FtdiChipFacts, 4> kFacts{{
    {0x6001, "ft232r", "FT232R", 1, false},
    {0x6014, "ft232h", "FT232H", 1, true},
    {0x6010, "ft2232h", "FT2232H", 2, true},
    {0x6011, "ft4232h", "FT4232H", 4, true},
}};

std::string Looked(const FtdiSelector& selector) {
    const FtdiChipFacts& facts = FactsOf(selector.chip);
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", kFtdiVendorId, facts.productId);
    std::string what = std::string(facts.name) + " (USB " + ids;
    if (!selector.serial.empty()) {
        what += ", serial " + selector.serial;
    }
    if (facts.channels > 1) {
        what += std::string(", channel ") + selector.channel;
    }
    return what + ")";
}

}  // namespace

const FtdiChipFacts& FactsOf(FtdiChip chip) {
    return kFacts[static_cast<std::size_t>(chip)];
}

std::string FtdiOpenFailureMessage(const FtdiSelector& selector, FtdiOpenFailure failure,
                                   const std::string& detail) {
    const FtdiChipFacts& facts = FactsOf(selector.chip);
    std::string message;
    switch (failure) {
        case FtdiOpenFailure::kNotFound:
#ifdef _WIN32
            message = "No " + Looked(selector) +
                      " found. Is it plugged in? Device Manager should list it as a USB Serial "
                      "Converter; a cable that only charges carries no data.";
#else
            message = "No " + Looked(selector) +
                      " found. Is it plugged in? `lsusb` should list it; a cable that only "
                      "charges carries no data.";
#endif
            break;
        case FtdiOpenFailure::kNoPermission:
            message = "Found the " + Looked(selector) +
                      " but may not open it: no permission. Install the udev rule from the "
                      "README as " +
                      std::string(kFtdiUdevRulePath) + ", then unplug and replug the adapter.";
            break;
        case FtdiOpenFailure::kDriverHolds:
#ifdef _WIN32
            message = "Found the " + Looked(selector) +
                      " but could not open it: another program has it open (a terminal on its "
                      "COM port?).";
#else
            message = "Found the " + Looked(selector) +
                      " but could not claim it: detaching the kernel's ftdi_sio serial driver "
                      "failed, or another program has the adapter open. Close whatever uses "
                      "its /dev/ttyUSB port, or unload the driver (sudo rmmod ftdi_sio).";
#endif
            break;
        case FtdiOpenFailure::kNoSuchChannel:
            message =
                "The " + std::string(facts.name) + " has no channel " +
                std::string(1, selector.channel) + " (it has " +
                (facts.channels == 1
                     ? std::string("only A")
                     : "A to " + std::string(1, static_cast<char>('A' + facts.channels - 1))) +
                ").";
            break;
        case FtdiOpenFailure::kLibrary:
            message = "Could not open the " + Looked(selector) + ".";
            break;
    }
    if (!detail.empty()) {
        message += " (" + detail + ")";
    }
    return message;
}

std::string FtdiUnpluggedMessage() {
    return "The USB adapter is gone (unplugged?): the operation stopped part way, so the chip's "
           "contents are unknown.";
}
