// Systems other than Linux have no GPIO character device or spidev, and the CH341A layer is
// built on Linux's libusb only: each opener says so, and nothing is listed.

#include "platform/adapters/gpio_lines.h"
#include "platform/adapters/spi_device.h"
#include "platform/adapters/usb_bulk_device.h"

namespace {

template <class Device>
std::unique_ptr<Device> Unavailable(const char* what, std::string* why) {
    if (why != nullptr) {
        *why = std::string(what) + " is available on Linux only";
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<UsbBulkDevice> OpenCh341a(std::string* why) {
    return Unavailable<UsbBulkDevice>("the CH341A", why);
}

std::vector<std::string> ListCh341aDevices() {
    return {};
}

std::unique_ptr<GpioLines> OpenGpioLines(const std::string&, std::span<const unsigned>,
                                         std::uint32_t, unsigned, std::string* why) {
    return Unavailable<GpioLines>("a GPIO chip", why);
}

std::vector<std::string> ListGpioChips() {
    return {};
}

std::unique_ptr<SpiDevice> OpenSpiDevice(const std::string&, std::string* why) {
    return Unavailable<SpiDevice>("spidev", why);
}

std::vector<std::string> ListSpiDevices() {
    return {};
}
