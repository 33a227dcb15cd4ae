#include "device/port_listing.h"

#include <filesystem>

#include "platform/adapters/ftdi_device.h"
#include "platform/adapters/gpio_lines.h"
#include "platform/adapters/spi_device.h"
#include "platform/adapters/usb_bulk_device.h"

namespace {

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more,
            const char* note = "") {
    for (const std::string& line : more) {
        lines.push_back(line + note);
    }
}

}  // namespace

std::vector<std::string> ListPortsAndAdapters() {
    std::vector<std::string> lines;
#if !defined(_WIN32)
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("parport")) {
            lines.push_back(entry.path().string() + "  parallel port (ppdev)");
        }
    }
#else
    lines.push_back("0x378  the first parallel port (through the port driver DLL)");
#endif
    Append(lines, ListFtdiDevices());
    // Their devices are found, but no adapter code drives them yet.
    Append(lines, ListCh341aDevices(), "  (not yet supported as a programmer)");
    Append(lines, ListGpioChips(), "  (not yet supported as a programmer)");
    Append(lines, ListSpiDevices(), "  (not yet supported as a programmer)");
    return lines;
}
