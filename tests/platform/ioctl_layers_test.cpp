// The GPIO and spidev layers at the kernel's boundary: open() and ioctl() are wrapped at link
// time (-Wl,--wrap=...), so each request's structure is checked as the kernel would receive it,
// and any request can fail with the errno a real kernel gives.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/gpio.h>
#include <linux/spi/spidev.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "platform/adapters/gpio_lines.h"
#include "platform/adapters/spi_device.h"

extern "C" int __real_open(const char* path, int flags, ...);
extern "C" int __real_ioctl(int fd, unsigned long request, ...);

namespace {

struct FakeKernel {
    int openErrno = 0;
    std::map<unsigned long, int> errnoFor;
    std::uint32_t speedReadBack = 0;
    std::multimap<unsigned long, std::vector<char>> arguments;  // each request's, as sent

    // Every argument `request` was given, read as T (an array of them for SPI_IOC_MESSAGE).
    template <class T>
    std::vector<T> Sent(unsigned long request) const {
        std::vector<T> all;
        for (auto [at, end] = arguments.equal_range(request); at != end; ++at) {
            all.resize(all.size() + at->second.size() / sizeof(T));
            std::memcpy(&all[all.size() - at->second.size() / sizeof(T)], at->second.data(),
                        at->second.size());
        }
        return all;
    }
};
FakeKernel* kernel = nullptr;

// Records the argument and answers; the line requests hand out a real descriptor (of /dev/null)
// the layer may close, and every line reads high.
int Answer(unsigned long request, void* arg) {
    FakeKernel& k = *kernel;
    const auto* bytes = static_cast<const char*>(arg);
    k.arguments.emplace(request, std::vector<char>(bytes, bytes + _IOC_SIZE(request)));
    if (const auto fail = k.errnoFor.find(request); fail != k.errnoFor.end()) {
        errno = fail->second;
        return -1;
    }
    if (request == GPIO_V2_GET_LINE_IOCTL) {
        static_cast<gpio_v2_line_request*>(arg)->fd = __real_open("/dev/null", O_RDWR);
    } else if (request == GPIO_GET_LINEHANDLE_IOCTL) {
        static_cast<gpiohandle_request*>(arg)->fd = __real_open("/dev/null", O_RDWR);
    } else if (request == GPIO_V2_LINE_GET_VALUES_IOCTL) {
        static_cast<gpio_v2_line_values*>(arg)->bits = 1;
    } else if (request == SPI_IOC_RD_MAX_SPEED_HZ) {
        *static_cast<std::uint32_t*>(arg) = k.speedReadBack;
    }
    return 0;
}

}  // namespace

extern "C" int __wrap_open(const char* path, int flags, ...) {
    if (kernel == nullptr) {
        int mode = 0;
        if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
            va_list args;
            va_start(args, flags);
            mode = va_arg(args, int);
            va_end(args);
        }
        return __real_open(path, flags, mode);
    }
    if (kernel->openErrno != 0) {
        errno = kernel->openErrno;
        return -1;
    }
    return __real_open("/dev/null", O_RDWR);
}

extern "C" int __wrap_ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return kernel == nullptr ? __real_ioctl(fd, request, arg) : Answer(request, arg);
}

namespace {

class IoctlLayer : public ::testing::Test {
protected:
    IoctlLayer() { kernel = &fake; }
    ~IoctlLayer() override { kernel = nullptr; }

    std::unique_ptr<GpioLines> OpenPiLines(std::string* why) {
        const unsigned outputs[] = {22, 24, 23};
        return OpenGpioLines("/dev/gpiochip0", outputs, 0b101, 18, why);
    }

    FakeKernel fake;
};

TEST_F(IoctlLayer, GpioRequestsOutputsAndInputThroughV2AndReleasesThemAsInputs) {
    std::string why;
    auto lines = OpenPiLines(&why);
    ASSERT_NE(lines, nullptr) << why;
    const auto requests = fake.Sent<gpio_v2_line_request>(GPIO_V2_GET_LINE_IOCTL);
    ASSERT_EQ(requests.size(), 2u);
    const gpio_v2_line_request& out = requests[0];
    EXPECT_EQ(std::vector<unsigned>(out.offsets, out.offsets + out.num_lines),
              (std::vector<unsigned>{22, 24, 23}));
    EXPECT_EQ(out.config.flags, GPIO_V2_LINE_FLAG_OUTPUT);
    EXPECT_EQ(out.config.attrs[0].attr.id, GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES);
    EXPECT_EQ(out.config.attrs[0].attr.values, 0b101u);
    EXPECT_EQ(out.config.attrs[0].mask, 0b111u);
    EXPECT_STREQ(out.consumer, "isp8252");
    EXPECT_EQ(requests[1].num_lines, 1u);
    EXPECT_EQ(requests[1].offsets[0], 18u);
    EXPECT_EQ(requests[1].config.flags, GPIO_V2_LINE_FLAG_INPUT);
    EXPECT_TRUE(lines->SetOutputs(0b010));
    bool miso = false;
    EXPECT_TRUE(lines->GetInput(&miso));
    EXPECT_TRUE(miso);
    lines.reset();
    const auto set = fake.Sent<gpio_v2_line_values>(GPIO_V2_LINE_SET_VALUES_IOCTL);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].bits, 0b010u);
    EXPECT_EQ(set[0].mask, 0b111u);
    const auto released = fake.Sent<gpio_v2_line_config>(GPIO_V2_LINE_SET_CONFIG_IOCTL);
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[0].flags, GPIO_V2_LINE_FLAG_INPUT);
    EXPECT_EQ(released[1].flags, GPIO_V2_LINE_FLAG_INPUT);
}

class GpioV1Fallback : public IoctlLayer, public ::testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(V2Missing, GpioV1Fallback, ::testing::Values(ENOTTY, EINVAL));

TEST_P(GpioV1Fallback, UsesLineHandlesWhenTheKernelLacksV2) {
    fake.errnoFor[GPIO_V2_GET_LINE_IOCTL] = GetParam();
    auto lines = OpenPiLines(nullptr);
    ASSERT_NE(lines, nullptr);
    const auto requests = fake.Sent<gpiohandle_request>(GPIO_GET_LINEHANDLE_IOCTL);
    ASSERT_EQ(requests.size(), 2u);
    const gpiohandle_request& out = requests[0];
    EXPECT_EQ(std::vector<unsigned>(out.lineoffsets, out.lineoffsets + out.lines),
              (std::vector<unsigned>{22, 24, 23}));
    EXPECT_EQ(out.flags, GPIOHANDLE_REQUEST_OUTPUT);
    EXPECT_EQ(std::vector<int>(out.default_values, out.default_values + 3),
              (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(requests[1].flags, GPIOHANDLE_REQUEST_INPUT);
    EXPECT_TRUE(lines->SetOutputs(0b110));
    const auto set = fake.Sent<gpiohandle_data>(GPIOHANDLE_SET_LINE_VALUES_IOCTL);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(std::vector<int>(set[0].values, set[0].values + 3), (std::vector<int>{0, 1, 1}));
}

struct OpenFailure {
    std::string name;
    bool spi;
    int openErrno;
    unsigned long failingRequest;
    int requestErrno;
    std::string why;
};

class LayerOpenFailure : public IoctlLayer, public ::testing::WithParamInterface<OpenFailure> {};

INSTANTIATE_TEST_SUITE_P(
    Errors, LayerOpenFailure,
    ::testing::Values(
        OpenFailure{"GpioNoPermission", false, EACCES, 0, 0,
                    "no permission to open /dev/gpiochip0: add yourself to the gpio group (sudo "
                    "usermod -aG gpio $USER, then log in again) or install the udev rule from the "
                    "README"},
        OpenFailure{"GpioNoChip", false, ENOENT, 0, 0,
                    "/dev/gpiochip0 does not exist: --list-ports shows the GPIO chips there are"},
        OpenFailure{"GpioLinesBusy", false, 0, GPIO_V2_GET_LINE_IOCTL, EBUSY,
                    "GPIO lines 22, 24, 23 of /dev/gpiochip0 are in use: another program holds "
                    "them, or a sysfs export (/sys/class/gpio) or a kernel driver (SPI, I2C, "
                    "1-Wire, UART) claims them"},
        OpenFailure{"SpiNoPermission", true, EPERM, 0, 0,
                    "no permission to open /dev/spidev0.0: add yourself to the spi group (sudo "
                    "usermod -aG spi $USER, then log in again) or install the udev rule from the "
                    "README"},
        OpenFailure{"SpiNoNode", true, ENOENT, 0, 0,
                    "/dev/spidev0.0 does not exist: enable the SPI controller (on a Raspberry Pi, "
                    "dtparam=spi=on), and check that no kernel driver has taken that chip select "
                    "from spidev"},
        OpenFailure{"SpiNoModeWithoutCs", true, 0, SPI_IOC_WR_MODE, EINVAL,
                    "/dev/spidev0.0 refuses SPI mode 0 without chip select: Invalid argument"}),
    CaseName{});

TEST_P(LayerOpenFailure, NamesTheFix) {
    fake.openErrno = GetParam().openErrno;
    fake.errnoFor[GetParam().failingRequest] = GetParam().requestErrno;
    fake.errnoFor[SPI_IOC_WR_MODE32] = EINVAL;
    std::string why;
    const bool opened = GetParam().spi ? OpenSpiDevice("/dev/spidev0.0", &why) != nullptr
                                       : OpenPiLines(&why) != nullptr;
    EXPECT_FALSE(opened);
    EXPECT_EQ(why, GetParam().why);
}

TEST_F(IoctlLayer, SpiSetsMode0WithoutCsReadsTheSpeedBackAndSendsOneMessage) {
    fake.errnoFor[SPI_IOC_WR_MODE32] = EINVAL;  // an older controller: the 8-bit mode ioctl
    auto spi = OpenSpiDevice("/dev/spidev0.0", nullptr);
    ASSERT_NE(spi, nullptr);
    EXPECT_EQ(fake.Sent<std::uint8_t>(SPI_IOC_WR_MODE), std::vector<std::uint8_t>{SPI_NO_CS});
    EXPECT_EQ(fake.Sent<std::uint8_t>(SPI_IOC_WR_BITS_PER_WORD), std::vector<std::uint8_t>{8});
    fake.speedReadBack = 244'140;
    EXPECT_EQ(spi->SetMaxSpeedHz(250'000), 244'140u);
    EXPECT_EQ(fake.Sent<std::uint32_t>(SPI_IOC_WR_MAX_SPEED_HZ),
              std::vector<std::uint32_t>{250'000});
    const std::uint8_t tx1[] = {0xAC, 0x53, 0x00};
    const std::uint8_t tx2[] = {0x20, 0x00, 0x30, 0x00};
    std::uint8_t rx2[4] = {};
    const SpiDevice::Segment segments[] = {{tx1, {}, 250'000, 0}, {tx2, rx2, 125'000, 3'000}};
    ASSERT_TRUE(spi->Transfer(segments));
    const auto transfers = fake.Sent<spi_ioc_transfer>(SPI_IOC_MESSAGE(2));
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].tx_buf, reinterpret_cast<std::uintptr_t>(tx1));
    EXPECT_EQ(transfers[0].rx_buf, 0u);
    EXPECT_EQ(transfers[0].len, 3u);
    EXPECT_EQ(transfers[1].rx_buf, reinterpret_cast<std::uintptr_t>(rx2));
    EXPECT_EQ(transfers[1].len, 4u);
    EXPECT_EQ(transfers[1].speed_hz, 125'000u);
    EXPECT_EQ(transfers[1].delay_usecs, 3'000);
    EXPECT_EQ(transfers[1].bits_per_word, 8);
}

}  // namespace
