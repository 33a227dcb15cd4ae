#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/port_backends.h"
#include "platform/port_choice.h"
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
    PpdevPort(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;
    ~PpdevPort() override {
        ioctl(fd_, PPRELEASE);
        close(fd_);
    }

    void WriteData(std::uint8_t value) override {
        unsigned char data = value;
        Check(ioctl(fd_, PPWDATA, &data), "PPWDATA");
    }
    std::uint8_t ReadStatus() override {
        unsigned char status = 0;
        Check(ioctl(fd_, PPRSTATUS, &status), "PPRSTATUS");
        return status;
    }
    std::string Failure() const override { return failure_; }

    static std::unique_ptr<PortIo> Open(const char* device, std::string* why) {
        const int fd = open(device, O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (why != nullptr) {
                *why = std::string(device) + ": " + std::strerror(error) +
                       (error == EACCES ? " (the user must be in group lp)" : "");
            }
            errno = error;
            return nullptr;
        }
        // Exclusive: no printer driver may touch the lines while the chip is being programmed.
        if (ioctl(fd, PPEXCL) < 0 || ioctl(fd, PPCLAIM) < 0) {
            const int error = errno;
            if (why != nullptr) {
                *why = std::string(device) + ": cannot claim: " + std::strerror(error) +
                       (error == EBUSY ? " (the lp printer driver or another program holds the "
                                         "port: rmmod lp, or end that program)"
                                       : "");
            }
            close(fd);
            errno = error;
            return nullptr;
        }
        return std::make_unique<PpdevPort>(fd, device);
    }

private:
    void Check(int result, const char* request) {
        if (result < 0 && failure_.empty()) {
            failure_ = device_ + ": " + request + ": " + std::strerror(errno);
        }
    }

    int fd_;
    std::string device_;
    std::string failure_;
};

#endif

#if defined(ISP_HAVE_DIRECT_IO)

// Direct register access (root or CAP_SYS_RAWIO). ioperm reaches the legacy range below 0x400
// only; a PCI or PCIe card's higher addresses need the whole I/O space, iopl(3).
class DirectPort final : public PortIo {
public:
    explicit DirectPort(unsigned short dataPort) : dataPort_(dataPort) {}
    DirectPort(const DirectPort&) = delete;
    DirectPort& operator=(const DirectPort&) = delete;

    void WriteData(std::uint8_t value) override { outb(value, dataPort_); }
    std::uint8_t ReadStatus() override { return inb(static_cast<unsigned short>(dataPort_ + 1)); }
    ~DirectPort() override {
        if (NeedsIopl(dataPort_)) {
            iopl(0);
        } else {
            ioperm(dataPort_, 2, 0);
        }
    }

    static std::unique_ptr<PortIo> Open(unsigned short dataPort, std::string* why) {
        char name[32];
        const bool wide = NeedsIopl(dataPort);
        std::snprintf(name, sizeof name, wide ? "iopl(3) for 0x%X" : "ioperm(0x%X)", dataPort);
        if ((wide ? iopl(3) : ioperm(dataPort, 2, 1)) != 0) {
            if (why != nullptr) {
                *why = std::string(name) + ": " + std::strerror(errno);
            }
            return nullptr;
        }
        return std::make_unique<DirectPort>(dataPort);
    }

private:
    static bool NeedsIopl(unsigned short dataPort) { return dataPort + 2u > 0x400u; }

    unsigned short dataPort_;
};

#endif

}  // namespace

std::unique_ptr<PortIo> OpenPpdevPort(const std::string& device, std::string* why) {
#if defined(__linux__)
    return PpdevPort::Open(device.c_str(), why);
#else
    if (why != nullptr) {
        *why = device + ": ppdev exists only on Linux";
    }
    return nullptr;
#endif
}

std::unique_ptr<PortIo> OpenDirectIoPort(std::uint16_t address, std::string* why) {
#if defined(ISP_HAVE_DIRECT_IO)
    return DirectPort::Open(address, why);
#else
    (void)address;
    if (why != nullptr) {
        *why = "direct port I/O is not available on this platform";
    }
    return nullptr;
#endif
}

#if !defined(_WIN32)
std::unique_ptr<PortIo> OpenDriverDllPort(std::uint16_t, std::string* why) {
    if (why != nullptr) {
        *why = "port-I/O driver DLLs exist only on Windows";
    }
    return nullptr;
}
#endif

std::unique_ptr<PortIo> OpenParallelPort(std::string* why) {
    return OpenChosenPort(PortChoice{}, why);
}
