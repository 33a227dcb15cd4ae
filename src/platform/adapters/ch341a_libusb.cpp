// The CH341A through libusb-1.0: interface 0, bulk OUT 0x02 and IN 0x82. The UIO streams
// themselves are the adapter's; this layer only moves bytes, each transfer with a time limit.

#include <libusb.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/adapters/usb_bulk_device.h"

namespace {

constexpr unsigned char kOutEndpoint = 0x02;
constexpr unsigned char kInEndpoint = 0x82;
constexpr int kInterface = 0;

const char* const kUdevFix =
    "install the udev rule from the README (/etc/udev/rules.d/60-isp8252.rules), then unplug and "
    "replug the CH341A";

std::string UsbError(int code) {
    return std::string(libusb_error_name(code));
}

class Ch341aUsb final : public UsbBulkDevice {
public:
    Ch341aUsb(libusb_context* context, libusb_device_handle* handle, bool reattach)
        : context_(context), handle_(handle), reattach_(reattach) {}

    ~Ch341aUsb() override {
        libusb_release_interface(handle_, kInterface);
        if (reattach_) {
            libusb_attach_kernel_driver(handle_, kInterface);
        }
        libusb_close(handle_);
        libusb_exit(context_);
    }

    Ch341aUsb(const Ch341aUsb&) = delete;
    Ch341aUsb& operator=(const Ch341aUsb&) = delete;

    bool BulkWrite(std::span<const std::uint8_t> bytes, int timeoutMilliseconds) override {
        int sent = 0;
        // libusb's transfer buffer is not const, but an OUT transfer only reads it.
        auto* data = const_cast<unsigned char*>(bytes.data());
        const int result =
            libusb_bulk_transfer(handle_, kOutEndpoint, data, static_cast<int>(bytes.size()), &sent,
                                 Limit(timeoutMilliseconds));
        if (result == 0 && sent == static_cast<int>(bytes.size())) {
            return true;
        }
        Fail(result == 0 ? LIBUSB_ERROR_TIMEOUT : result, "write", timeoutMilliseconds);
        return false;
    }

    int BulkRead(std::span<std::uint8_t> into, int timeoutMilliseconds) override {
        int received = 0;
        const int result =
            libusb_bulk_transfer(handle_, kInEndpoint, into.data(), static_cast<int>(into.size()),
                                 &received, Limit(timeoutMilliseconds));
        if (result == 0) {
            return received;
        }
        Fail(result, "read", timeoutMilliseconds);
        return -1;
    }

    std::string LastError() const override { return lastError_; }

private:
    // libusb waits forever on a timeout of 0: every transfer here has a limit.
    static unsigned Limit(int milliseconds) {
        return static_cast<unsigned>(milliseconds > 0 ? milliseconds : 1);
    }

    void Fail(int code, const char* what, int timeoutMilliseconds) {
        if (code == LIBUSB_ERROR_NO_DEVICE) {
            lastError_ = "the CH341A was unplugged";
        } else if (code == LIBUSB_ERROR_TIMEOUT) {
            lastError_ = std::string("CH341A ") + what + " timed out after " +
                         std::to_string(Limit(timeoutMilliseconds)) + " ms";
        } else {
            lastError_ = std::string("CH341A ") + what + " failed: " + UsbError(code);
        }
    }

    libusb_context* context_;
    libusb_device_handle* handle_;
    bool reattach_;
    std::string lastError_;
};

bool IsCh341a(libusb_device* device) {
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == 0 &&
           descriptor.idVendor == kCh341aVendorId && descriptor.idProduct == kCh341aProductId;
}

// Opens the first CH341A on the bus; a null handle with `why` when there is none or it can't be
// opened.
libusb_device_handle* OpenFirst(libusb_context* context, std::string* why) {
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    libusb_device_handle* handle = nullptr;
    *why = "no CH341A (USB 1a86:5512) found: check that it is plugged in (lsusb lists it)";
    for (ssize_t i = 0; i < count; ++i) {
        if (!IsCh341a(devices[i])) {
            continue;
        }
        const int result = libusb_open(devices[i], &handle);
        if (result == LIBUSB_ERROR_ACCESS) {
            *why = std::string("no permission to open the CH341A (USB 1a86:5512): ") + kUdevFix;
        } else if (result != 0) {
            *why = "could not open the CH341A: " + UsbError(result);
        }
        break;
    }
    if (count >= 0) {
        libusb_free_device_list(devices, 1);
    }
    return handle;
}

}  // namespace

std::unique_ptr<UsbBulkDevice> OpenCh341a(std::string* why) {
    std::string error;
    libusb_context* context = nullptr;
    if (const int started = libusb_init(&context); started != 0) {
        error = "libusb could not start: " + UsbError(started);
    } else if (libusb_device_handle* handle = OpenFirst(context, &error); handle != nullptr) {
        // A kernel driver bound to the CH341A's interface is moved aside for the session and
        // given back at close.
        const bool detach = libusb_kernel_driver_active(handle, kInterface) == 1;
        int result = detach ? libusb_detach_kernel_driver(handle, kInterface) : 0;
        if (result == 0) {
            result = libusb_claim_interface(handle, kInterface);
        }
        if (result == 0) {
            return std::make_unique<Ch341aUsb>(context, handle, detach);
        }
        error = result == LIBUSB_ERROR_BUSY
                    ? "the CH341A is in use by another program or kernel driver"
                    : std::string("could not claim the CH341A's interface: ") + UsbError(result);
        if (result == LIBUSB_ERROR_ACCESS) {
            error += std::string(": ") + kUdevFix;
        }
        if (detach) {
            libusb_attach_kernel_driver(handle, kInterface);
        }
        libusb_close(handle);
    }
    if (context != nullptr) {
        libusb_exit(context);
    }
    if (why != nullptr) {
        *why = error;
    }
    return nullptr;
}

std::vector<std::string> ListCh341aDevices() {
    std::vector<std::string> found;
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) {
        return found;
    }
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    for (ssize_t i = 0; i < count; ++i) {
        if (IsCh341a(devices[i])) {
            found.push_back("ch341a  (USB bus " +
                            std::to_string(libusb_get_bus_number(devices[i])) + " device " +
                            std::to_string(libusb_get_device_address(devices[i])) + ")");
        }
    }
    if (count >= 0) {
        libusb_free_device_list(devices, 1);
    }
    libusb_exit(context);
    return found;
}
