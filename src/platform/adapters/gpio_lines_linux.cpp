// GPIO lines through the kernel's character-device ioctls (<linux/gpio.h>), not libgpiod: the
// distributions ship libgpiod 1.6 or 2.x, whose APIs are incompatible, and the handful of ioctls
// needed here depends on neither. uAPI v2 is where the kernel is going (v1 is deprecated); v1
// stays as the fallback for kernels before 5.10, which answer the v2 request with ENOTTY (or
// EINVAL).

#include <fcntl.h>
#include <linux/gpio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/adapters/gpio_lines.h"

namespace {

constexpr char kConsumer[] = "isp8252";

std::string Offsets(std::span<const unsigned> offsets) {
    std::string text;
    for (const unsigned offset : offsets) {
        text += (text.empty() ? "" : ", ") + std::to_string(offset);
    }
    return text;
}

// One request for a set of lines, through whichever uAPI the kernel has.
class LineRequest {
public:
    LineRequest() = default;
    LineRequest(const LineRequest&) = delete;
    LineRequest& operator=(const LineRequest&) = delete;
    ~LineRequest() {
        if (fd_ < 0) {
            return;
        }
        // Back to the kernel as inputs: a released output would keep driving the target.
        if (v2_) {
            gpio_v2_line_config config{};
            config.flags = GPIO_V2_LINE_FLAG_INPUT;
            ioctl(fd_, GPIO_V2_LINE_SET_CONFIG_IOCTL, &config);
        } else {
            gpiohandle_config config{};
            config.flags = GPIOHANDLE_REQUEST_INPUT;
            ioctl(fd_, GPIOHANDLE_SET_CONFIG_IOCTL, &config);
        }
        close(fd_);
    }

    // Requests `offsets` as outputs at `levels`, or as inputs; v2 unless `v1` is set. The
    // errno of the failed ioctl otherwise.
    int Request(int chipFd, std::span<const unsigned> offsets, bool output, std::uint32_t levels,
                bool v1) {
        v2_ = !v1;
        lines_ = static_cast<unsigned>(offsets.size());
        if (v2_) {
            gpio_v2_line_request request{};
            std::copy(offsets.begin(), offsets.end(), request.offsets);
            request.num_lines = lines_;
            std::strncpy(request.consumer, kConsumer, sizeof request.consumer - 1);
            request.config.flags = output ? GPIO_V2_LINE_FLAG_OUTPUT : GPIO_V2_LINE_FLAG_INPUT;
            if (output) {
                request.config.num_attrs = 1;
                request.config.attrs[0].attr.id = GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES;
                request.config.attrs[0].attr.values = levels;
                request.config.attrs[0].mask = Mask();
            }
            if (ioctl(chipFd, GPIO_V2_GET_LINE_IOCTL, &request) < 0) {
                return errno;
            }
            fd_ = request.fd;
        } else {
            gpiohandle_request request{};
            std::copy(offsets.begin(), offsets.end(), request.lineoffsets);
            request.lines = lines_;
            request.flags = output ? GPIOHANDLE_REQUEST_OUTPUT : GPIOHANDLE_REQUEST_INPUT;
            for (unsigned i = 0; i < lines_; ++i) {
                request.default_values[i] = static_cast<std::uint8_t>((levels >> i) & 1u);
            }
            std::strncpy(request.consumer_label, kConsumer, sizeof request.consumer_label - 1);
            if (ioctl(chipFd, GPIO_GET_LINEHANDLE_IOCTL, &request) < 0) {
                return errno;
            }
            fd_ = request.fd;
        }
        return 0;
    }

    bool Set(std::uint32_t levels) const {
        if (v2_) {
            gpio_v2_line_values values{levels, Mask()};
            return ioctl(fd_, GPIO_V2_LINE_SET_VALUES_IOCTL, &values) == 0;
        }
        gpiohandle_data data{};
        for (unsigned i = 0; i < lines_; ++i) {
            data.values[i] = static_cast<std::uint8_t>((levels >> i) & 1u);
        }
        return ioctl(fd_, GPIOHANDLE_SET_LINE_VALUES_IOCTL, &data) == 0;
    }

    bool GetFirst(bool* level) const {
        if (v2_) {
            gpio_v2_line_values values{0, 1};
            if (ioctl(fd_, GPIO_V2_LINE_GET_VALUES_IOCTL, &values) != 0) {
                return false;
            }
            *level = (values.bits & 1u) != 0;
            return true;
        }
        gpiohandle_data data{};
        if (ioctl(fd_, GPIOHANDLE_GET_LINE_VALUES_IOCTL, &data) != 0) {
            return false;
        }
        *level = data.values[0] != 0;
        return true;
    }

private:
    std::uint64_t Mask() const { return (std::uint64_t{1} << lines_) - 1; }

    int fd_ = -1;
    bool v2_ = true;
    unsigned lines_ = 0;
};

class LinuxGpioLines final : public GpioLines {
public:
    bool SetOutputs(std::uint32_t levels) override { return Check(outputs.Set(levels), "set"); }
    bool GetInput(bool* level) override { return Check(input.GetFirst(level), "read"); }
    std::string LastError() const override { return lastError_; }

    LineRequest outputs;
    LineRequest input;

private:
    bool Check(bool ok, const char* what) {
        if (!ok) {
            lastError_ =
                errno == ENODEV
                    ? std::string("the GPIO chip went away (") + what + " failed)"
                    : std::string("could not ") + what + " GPIO lines: " + std::strerror(errno);
        }
        return ok;
    }

    std::string lastError_;
};

std::string OpenError(const std::string& chipPath, int error) {
    if (error == EACCES || error == EPERM) {
        return "no permission to open " + chipPath +
               ": add yourself to the gpio group (sudo usermod -aG gpio $USER, then log in "
               "again) or install the udev rule from the README";
    }
    if (error == ENOENT) {
        return chipPath + " does not exist: --list-ports shows the GPIO chips there are";
    }
    return "could not open " + chipPath + ": " + std::strerror(error);
}

std::string RequestError(const std::string& chipPath, std::span<const unsigned> offsets,
                         int error) {
    if (error == EBUSY) {
        return "GPIO lines " + Offsets(offsets) + " of " + chipPath +
               " are in use: another program holds them, or a sysfs export (/sys/class/gpio) or "
               "a kernel driver (SPI, I2C, 1-Wire, UART) claims them";
    }
    return "could not request GPIO lines " + Offsets(offsets) + " of " + chipPath + ": " +
           std::strerror(error);
}

}  // namespace

std::unique_ptr<GpioLines> OpenGpioLines(const std::string& chipPath,
                                         std::span<const unsigned> outputOffsets,
                                         std::uint32_t initialLevels, unsigned inputOffset,
                                         std::string* why) {
    std::string error;
    // One bit a line in `levels`.
    if (outputOffsets.empty() || outputOffsets.size() > 32) {
        if (why != nullptr) {
            *why = "between 1 and 32 GPIO output lines can be requested";
        }
        return nullptr;
    }
    const int chipFd = open(chipPath.c_str(), O_RDWR | O_CLOEXEC);
    if (chipFd < 0) {
        error = OpenError(chipPath, errno);
    } else {
        auto lines = std::make_unique<LinuxGpioLines>();
        bool v1 = false;
        int result = lines->outputs.Request(chipFd, outputOffsets, true, initialLevels, v1);
        if (result == ENOTTY || result == EINVAL) {
            v1 = true;
            result = lines->outputs.Request(chipFd, outputOffsets, true, initialLevels, v1);
        }
        const unsigned input[] = {inputOffset};
        std::span<const unsigned> failed = outputOffsets;
        if (result == 0) {
            failed = input;
            result = lines->input.Request(chipFd, input, false, 0, v1);
        }
        close(chipFd);
        if (result == 0) {
            return lines;
        }
        error = RequestError(chipPath, failed, result);
    }
    if (why != nullptr) {
        *why = error;
    }
    return nullptr;
}

std::vector<std::string> ListGpioChips() {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", ignored)) {
        const std::string path = entry.path().string();
        if (entry.path().filename().string().rfind("gpiochip", 0) != 0) {
            continue;
        }
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        gpiochip_info info{};
        if (fd >= 0 && ioctl(fd, GPIO_GET_CHIPINFO_IOCTL, &info) == 0) {
            found.push_back("gpio:" + path + "  " + info.label + ", " + std::to_string(info.lines) +
                            " lines");
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}
