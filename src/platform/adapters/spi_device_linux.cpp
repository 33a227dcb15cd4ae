// spidev through its ioctls (<linux/spi/spidev.h>). Mode 0 without chip select: the chip's RST
// is a separate GPIO line, since a controller's chip select would release between messages.

#include <fcntl.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/adapters/spi_device.h"

namespace {

class LinuxSpiDevice final : public SpiDevice {
public:
    explicit LinuxSpiDevice(int fd) : fd_(fd) {}
    ~LinuxSpiDevice() override { close(fd_); }
    LinuxSpiDevice(const LinuxSpiDevice&) = delete;
    LinuxSpiDevice& operator=(const LinuxSpiDevice&) = delete;

    // The driver stores the limit; reading it back gives what it will use.
    std::uint32_t SetMaxSpeedHz(std::uint32_t hz) override {
        std::uint32_t used = 0;
        if (ioctl(fd_, SPI_IOC_WR_MAX_SPEED_HZ, &hz) < 0 ||
            ioctl(fd_, SPI_IOC_RD_MAX_SPEED_HZ, &used) < 0) {
            Fail("could not set the SPI clock");
            return 0;
        }
        return used;
    }

    bool Transfer(std::span<const Segment> segments) override {
        if (segments.empty()) {
            return true;
        }
        std::vector<spi_ioc_transfer> transfers(segments.size());
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const Segment& segment = segments[i];
            spi_ioc_transfer& transfer = transfers[i];
            transfer.tx_buf = reinterpret_cast<std::uintptr_t>(segment.tx.data());
            transfer.rx_buf =
                segment.rx.empty() ? 0 : reinterpret_cast<std::uintptr_t>(segment.rx.data());
            transfer.len = static_cast<std::uint32_t>(segment.tx.size());
            transfer.speed_hz = segment.speedHz;
            transfer.delay_usecs = segment.delayMicroseconds;
            transfer.bits_per_word = 8;
        }
        if (ioctl(fd_, SPI_IOC_MESSAGE(segments.size()), transfers.data()) < 0) {
            // spidev takes at most its bufsiz (4096 bytes by default) a message: EMSGSIZE.
            Fail("SPI transfer failed");
            return false;
        }
        return true;
    }

    std::string LastError() const override { return lastError_; }

private:
    void Fail(const char* what) {
        lastError_ = errno == ENODEV ? std::string("the SPI device went away")
                                     : std::string(what) + ": " + std::strerror(errno);
    }

    int fd_;
    std::string lastError_;
};

std::string OpenError(const std::string& path, int error) {
    if (error == EACCES || error == EPERM) {
        return "no permission to open " + path +
               ": add yourself to the spi group (sudo usermod -aG spi $USER, then log in again) "
               "or install the udev rule from the README";
    }
    if (error == ENOENT) {
        return path +
               " does not exist: enable the SPI controller (on a Raspberry Pi, dtparam=spi=on), "
               "and check that no kernel driver has taken that chip select from spidev";
    }
    return "could not open " + path + ": " + std::strerror(error);
}

// Mode 0 without chip select; controllers that know only the 8-bit mode ioctl get that.
bool SetMode(int fd) {
    std::uint32_t mode = SPI_MODE_0 | SPI_NO_CS;
    if (ioctl(fd, SPI_IOC_WR_MODE32, &mode) == 0) {
        return true;
    }
    auto mode8 = static_cast<std::uint8_t>(mode);
    return ioctl(fd, SPI_IOC_WR_MODE, &mode8) == 0;
}

}  // namespace

std::unique_ptr<SpiDevice> OpenSpiDevice(const std::string& path, std::string* why) {
    std::string error;
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    const std::uint8_t bits = 8;
    if (fd < 0) {
        error = OpenError(path, errno);
    } else if (!SetMode(fd)) {
        error = path + " refuses SPI mode 0 without chip select: " + std::strerror(errno);
    } else if (ioctl(fd, SPI_IOC_WR_BITS_PER_WORD, &bits) < 0) {
        error = path + " refuses 8-bit words: " + std::strerror(errno);
    } else {
        return std::make_unique<LinuxSpiDevice>(fd);
    }
    if (fd >= 0) {
        close(fd);
    }
    if (why != nullptr) {
        *why = error;
    }
    return nullptr;
}

std::vector<std::string> ListSpiDevices() {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", ignored)) {
        if (entry.path().filename().string().rfind("spidev", 0) == 0) {
            found.push_back("spidev:" + entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}
