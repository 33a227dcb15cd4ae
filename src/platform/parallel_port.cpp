#include <cerrno>
#include <cstring>

#include "platform/port_io.h"

#if defined(__linux__)
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ISP_HAVE_DIRECT_IO 1
#endif
#endif

namespace {

#if defined(__linux__)

// The kernel's parallel-port driver: works for members of group lp, whatever the port's address.
class PpdevPort final : public PortIo {
public:
    explicit PpdevPort(int fd) : fd_(fd) {}
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;
    ~PpdevPort() override {
        ioctl(fd_, PPRELEASE);
        close(fd_);
    }

    void WriteData(std::uint8_t value) override {
        unsigned char data = value;
        ioctl(fd_, PPWDATA, &data);
    }
    std::uint8_t ReadStatus() override {
        unsigned char status = 0;
        ioctl(fd_, PPRSTATUS, &status);
        return status;
    }

    static std::unique_ptr<PortIo> Open(const char* device, std::string* why) {
        const int fd = open(device, O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            if (why != nullptr) {
                *why = std::string(device) + ": " + std::strerror(errno);
            }
            return nullptr;
        }
        // Exclusive: no printer driver may touch the lines while the chip is being programmed.
        if (ioctl(fd, PPEXCL) < 0 || ioctl(fd, PPCLAIM) < 0) {
            if (why != nullptr) {
                *why = std::string(device) + ": cannot claim: " + std::strerror(errno);
            }
            close(fd);
            return nullptr;
        }
        return std::make_unique<PpdevPort>(fd);
    }

private:
    int fd_;
};

#endif

#if defined(ISP_HAVE_DIRECT_IO)

// Direct register access at the first port's legacy addresses (root or CAP_SYS_RAWIO).
class DirectPort final : public PortIo {
public:
    static constexpr unsigned short kDataPort = 0x378;
    static constexpr unsigned short kStatusPort = 0x379;

    void WriteData(std::uint8_t value) override { outb(value, kDataPort); }
    std::uint8_t ReadStatus() override { return inb(kStatusPort); }
    ~DirectPort() override { ioperm(kDataPort, 2, 0); }

    static std::unique_ptr<PortIo> Open(std::string* why) {
        if (ioperm(kDataPort, 2, 1) != 0) {
            if (why != nullptr) {
                *why += std::string(why->empty() ? "" : "; ") +
                        "ioperm(0x378): " + std::strerror(errno);
            }
            return nullptr;
        }
        return std::make_unique<DirectPort>();
    }
};

#endif

}  // namespace

std::unique_ptr<PortIo> OpenParallelPort(std::string* why) {
    std::unique_ptr<PortIo> port;
#if defined(__linux__)
    port = PpdevPort::Open("/dev/parport0", why);
#endif
#if defined(ISP_HAVE_DIRECT_IO)
    if (!port) {
        port = DirectPort::Open(why);
    }
#endif
    if (!port && why != nullptr && why->empty()) {
        *why = "no parallel-port access on this platform";
    }
    return port;
}
