// The FTDI chips on Linux (and wherever libftdi1 builds), over libusb. libftdi detaches the
// kernel's ftdi_sio serial driver from the interface it claims, and gives it back on close.
#include <ftdi.h>

#include <utility>

#include "platform/adapters/ftdi_chips.h"
#include "platform/adapters/libftdi_device.h"
#include "platform/counter_source.h"

namespace {

// libusb's "no such device" (LIBUSB_ERROR_NO_DEVICE), which libftdi passes on from a read, and
// libftdi's own "USB device unavailable" once the handle is gone.
constexpr int kNoDeviceError = -4;
constexpr int kDeviceUnavailableError = -666;

FtdiOpenFailure FailureOf(int openResult) {
    switch (openResult) {
        case -3:  // device not found
            return FtdiOpenFailure::kNotFound;
        case -4:  // libusb_open failed: the device node is not the user's to open
        case -8:  // detaching the serial driver was refused: inappropriate permissions
            return FtdiOpenFailure::kNoPermission;
        case -5:  // unable to claim: the serial driver (or another program) still holds it
            return FtdiOpenFailure::kDriverHolds;
        default:
            return FtdiOpenFailure::kLibrary;
    }
}

class LibftdiDevice final : public FtdiDevice {
public:
    LibftdiDevice(ftdi_context* context, MillisecondClock nowMs)
        : context_(context), nowMs_(std::move(nowMs)) {}
    LibftdiDevice(const LibftdiDevice&) = delete;
    LibftdiDevice& operator=(const LibftdiDevice&) = delete;
    ~LibftdiDevice() override {
        ftdi_usb_close(context_);
        ftdi_free(context_);
    }

    bool SetLatencyTimer(std::uint8_t milliseconds) override {
        return Checked(ftdi_set_latency_timer(context_, milliseconds), "set the latency timer");
    }
    bool SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) override {
        return Checked(ftdi_set_bitmode(context_, outputMask, static_cast<std::uint8_t>(mode)),
                       "set the bit mode");
    }
    bool SetBaudRate(int baud) override {
        return Checked(ftdi_set_baudrate(context_, baud), "set the baud rate");
    }
    bool Purge() override { return Checked(ftdi_tcioflush(context_), "purge its buffers"); }

    bool Write(std::span<const std::uint8_t> bytes) override {
        context_->usb_write_timeout = kFtdiWriteTimeoutMilliseconds;
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            // libftdi sends in chunks and returns only once all are out or one failed; a short
            // count cannot happen, so anything but the whole is a failure.
            const int n = ftdi_write_data(context_, bytes.data() + sent,
                                          static_cast<int>(bytes.size() - sent));
            if (n <= 0) {
                return IoFailed(n, "USB write to the adapter failed or took over " +
                                       std::to_string(kFtdiWriteTimeoutMilliseconds) + " ms");
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Read(std::span<std::uint8_t> into, int timeoutMilliseconds) override {
        const std::int64_t deadline = nowMs_() + timeoutMilliseconds;
        std::size_t got = 0;
        while (true) {
            // Each call returns what has arrived, possibly nothing: the chip sends its two
            // status bytes every latency-timer period even with no data.
            const std::int64_t left = deadline - nowMs_();
            context_->usb_read_timeout = static_cast<int>(left > 1 ? left : 1);
            const int n =
                ftdi_read_data(context_, into.data() + got, static_cast<int>(into.size() - got));
            if (n < 0) {
                return IoFailed(n, "USB read from the adapter failed");
            }
            got += static_cast<std::size_t>(n);
            if (got == into.size()) {
                return true;
            }
            if (nowMs_() >= deadline) {
                return Failed("read timed out: " + std::to_string(got) + " of " +
                              std::to_string(into.size()) + " bytes arrived within " +
                              std::to_string(timeoutMilliseconds) + " ms");
            }
        }
    }

    std::string LastError() const override { return lastError_; }

private:
    bool Failed(std::string why) {
        lastError_ = std::move(why);
        return false;
    }
    bool Checked(int result, const char* what) {
        if (result >= 0) {
            return true;
        }
        return IoFailed(result, std::string("could not ") + what);
    }
    bool IoFailed(int result, const std::string& what) {
        if (result == kNoDeviceError || result == kDeviceUnavailableError) {
            return Failed(FtdiUnpluggedMessage());
        }
        return Failed(what + " (libftdi: " + ftdi_get_error_string(context_) + ")");
    }

    ftdi_context* context_;
    MillisecondClock nowMs_;
    std::string lastError_;
};

}  // namespace

std::unique_ptr<FtdiDevice> OpenLibftdiDevice(const FtdiSelector& selector, std::string* why,
                                              MillisecondClock nowMs) {
    const FtdiChipFacts& facts = FactsOf(selector.chip);
    const auto fail = [&](FtdiOpenFailure failure,
                          const std::string& detail) -> std::unique_ptr<FtdiDevice> {
        if (why != nullptr) {
            *why = FtdiOpenFailureMessage(selector, failure, detail);
        }
        return nullptr;
    };
    if (selector.channel < 'A' || selector.channel >= 'A' + facts.channels) {
        return fail(FtdiOpenFailure::kNoSuchChannel, "");
    }
    ftdi_context* context = ftdi_new();
    if (context == nullptr) {
        return fail(FtdiOpenFailure::kLibrary, "libftdi could not start libusb");
    }
    const auto failFreeing = [&](FtdiOpenFailure failure) {
        const std::string detail = ftdi_get_error_string(context);
        ftdi_free(context);
        return fail(failure, detail);
    };
    if (facts.channels > 1 &&
        ftdi_set_interface(context,
                           static_cast<ftdi_interface>(INTERFACE_A + selector.channel - 'A')) < 0) {
        return failFreeing(FtdiOpenFailure::kLibrary);
    }
    context->module_detach_mode = AUTO_DETACH_SIO_MODULE;
    const int opened =
        ftdi_usb_open_desc_index(context, kFtdiVendorId, facts.productId, nullptr,
                                 selector.serial.empty() ? nullptr : selector.serial.c_str(), 0);
    if (opened < 0) {
        return failFreeing(FailureOf(opened));
    }
    context->usb_write_timeout = kFtdiWriteTimeoutMilliseconds;
    // Whatever a previous program left in the chip's buffers would shift every answer.
    if (ftdi_tcioflush(context) < 0) {
        const std::string detail = ftdi_get_error_string(context);
        ftdi_usb_close(context);
        ftdi_free(context);
        return fail(FtdiOpenFailure::kLibrary, detail);
    }
    return std::make_unique<LibftdiDevice>(context, std::move(nowMs));
}

std::unique_ptr<FtdiDevice> OpenFtdiDevice(const FtdiSelector& selector, std::string* why) {
    return OpenLibftdiDevice(selector, why, [] {
        return static_cast<std::int64_t>(MonotonicNanoseconds() / 1'000'000);
    });
}

std::vector<std::string> ListFtdiDevices() {
    std::vector<std::string> lines;
    ftdi_context* context = ftdi_new();
    if (context == nullptr) {
        return lines;
    }
    for (const FtdiChip chip :
         {FtdiChip::kFt232r, FtdiChip::kFt232h, FtdiChip::kFt2232h, FtdiChip::kFt4232h}) {
        const FtdiChipFacts& facts = FactsOf(chip);
        ftdi_device_list* found = nullptr;
        if (ftdi_usb_find_all(context, &found, kFtdiVendorId, facts.productId) <= 0) {
            ftdi_list_free(&found);
            continue;
        }
        for (const ftdi_device_list* d = found; d != nullptr; d = d->next) {
            char description[128] = {};
            char serial[64] = {};
            std::string line = facts.kind;
            if (ftdi_usb_get_strings(context, d->dev, nullptr, 0, description, sizeof description,
                                     serial, sizeof serial) < 0) {
                line +=
                    "  (cannot read its serial number: no permission? See the README's "
                    "udev rule.)";
            } else {
                line += std::string(":") + serial + "  " + description;
            }
            if (facts.channels > 1) {
                line += std::string("  (channels A to ") +
                        static_cast<char>('A' + facts.channels - 1) + ")";
            }
            lines.push_back(line);
        }
        ftdi_list_free(&found);
    }
    ftdi_free(context);
    return lines;
}
