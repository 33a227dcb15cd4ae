// The libftdi layer at the library boundary: every libftdi call is wrapped at link time
// (-Wl,--wrap) by the fakes below, which log the call and answer from a script.

#include "platform/adapters/libftdi_device.h"

#include <ftdi.h>
#include <gtest/gtest.h>
#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "case_name.h"
#include "platform/adapters/ftdi_chips.h"

namespace {

struct FakeLibrary {
    std::vector<std::string> calls;
    int openResult = 0;
    std::string errorText;
    // Each read answers the next entry: bytes, or an error code when `error` is set.
    struct ReadAnswer {
        std::vector<std::uint8_t> bytes;
        int error = 0;
    };
    std::deque<ReadAnswer> reads;
    std::int64_t nowMs = 0;
    std::int64_t msPerRead = 0;
    std::vector<int> readTimeouts;
    int writeResult = 0;  // 0: all taken
    std::vector<std::uint8_t> written;
};
FakeLibrary fake;

}  // namespace

extern "C" {
ftdi_context* __wrap_ftdi_new() {
    fake.calls.push_back("new");
    return new ftdi_context{};
}
void __wrap_ftdi_free(ftdi_context* context) {
    fake.calls.push_back("free");
    delete context;
}
int __wrap_ftdi_set_interface(ftdi_context*, ftdi_interface interface) {
    fake.calls.push_back("set_interface " + std::to_string(interface));
    return 0;
}
int __wrap_ftdi_usb_open_desc_index(ftdi_context* context, int vendor, int product,
                                    const char* description, const char* serial,
                                    unsigned int index) {
    char line[96];
    std::snprintf(line, sizeof line, "open %04x:%04x %s %s %u", static_cast<unsigned>(vendor),
                  static_cast<unsigned>(product), description == nullptr ? "-" : description,
                  serial == nullptr ? "-" : serial, index);
    fake.calls.push_back(line);
    context->error_str = fake.errorText.c_str();
    return fake.openResult;
}
int __wrap_ftdi_usb_close(ftdi_context*) {
    fake.calls.push_back("close");
    return 0;
}
int __wrap_ftdi_tcioflush(ftdi_context* context) {
    fake.calls.push_back("flush, write timeout " + std::to_string(context->usb_write_timeout));
    return 0;
}
int __wrap_ftdi_set_latency_timer(ftdi_context*, unsigned char ms) {
    fake.calls.push_back("latency " + std::to_string(ms));
    return 0;
}
int __wrap_ftdi_set_bitmode(ftdi_context*, unsigned char mask, unsigned char mode) {
    fake.calls.push_back("bitmode " + std::to_string(mask) + " " + std::to_string(mode));
    return 0;
}
int __wrap_ftdi_set_baudrate(ftdi_context*, int baud) {
    fake.calls.push_back("baud " + std::to_string(baud));
    return 0;
}
int __wrap_ftdi_write_data(ftdi_context* context, const unsigned char* buf, int size) {
    context->error_str = "usb bulk write failed";
    if (fake.writeResult != 0) {
        return fake.writeResult;
    }
    fake.written.insert(fake.written.end(), buf, buf + size);
    return size;
}
int __wrap_ftdi_read_data(ftdi_context* context, unsigned char* buf, int size) {
    fake.readTimeouts.push_back(context->usb_read_timeout);
    fake.nowMs += fake.msPerRead;
    if (fake.reads.empty()) {
        return 0;
    }
    FakeLibrary::ReadAnswer answer = fake.reads.front();
    fake.reads.pop_front();
    if (answer.error != 0) {
        return answer.error;
    }
    const int n = std::min(size, static_cast<int>(answer.bytes.size()));
    std::copy_n(answer.bytes.begin(), n, buf);
    return n;
}
const char* __wrap_ftdi_get_error_string(ftdi_context* context) {
    return context->error_str == nullptr ? "" : context->error_str;
}
int __wrap_ftdi_usb_find_all(ftdi_context*, ftdi_device_list** list, int, int product) {
    if (product != 0x6010) {
        return 0;
    }
    *list = new ftdi_device_list{nullptr, nullptr};
    return 1;
}
void __wrap_ftdi_list_free(ftdi_device_list** list) {
    delete *list;
    *list = nullptr;
}
int __wrap_ftdi_usb_get_strings(ftdi_context*, libusb_device*, char*, int, char* description, int,
                                char* serial, int) {
    std::strcpy(description, "Dual RS232-HS");
    std::strcpy(serial, "FT5X1");
    return 0;
}
}

namespace {

struct Layer : ::testing::Test {
    Layer() { fake = FakeLibrary{}; }
    std::unique_ptr<FtdiDevice> Open(const FtdiSelector& selector) {
        return OpenLibftdiDevice(selector, &why, [] { return fake.nowMs; });
    }
    std::string why;
};

TEST_F(Layer, OpensTheChannelFlushesAndClosesWithNothingElseSent) {
    auto device = Open({FtdiChip::kFt2232h, "FT5X1", 'B'});
    ASSERT_NE(device, nullptr) << why;
    ASSERT_TRUE(device->SetBitMode(0x0B, FtdiBitMode::kMpsse));
    ASSERT_TRUE(device->Write(std::vector<std::uint8_t>{0x8A, 0x87}));
    device.reset();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "new", "set_interface 2", "open 0403:6010 - FT5X1 0",
                              "flush, write timeout 5000", "bitmode 11 2", "close", "free"}));
    EXPECT_EQ(fake.written, (std::vector<std::uint8_t>{0x8A, 0x87}));
}

TEST_F(Layer, ReadGathersPartialReadsAndGivesUpAtItsTimeout) {
    auto device = Open({FtdiChip::kFt232r, "", 'A'});
    ASSERT_NE(device, nullptr);
    fake.reads = {{{0x11, 0x22}}, {{}}, {{0x33}}};
    std::vector<std::uint8_t> got(3);
    ASSERT_TRUE(device->Read(got, 50)) << device->LastError();
    EXPECT_EQ(got, (std::vector<std::uint8_t>{0x11, 0x22, 0x33}));

    fake.msPerRead = 4;
    fake.readTimeouts.clear();
    fake.reads = {{{0x44}}};
    EXPECT_FALSE(device->Read(got, 10));
    EXPECT_EQ(device->LastError(), "read timed out: 1 of 3 bytes arrived within 10 ms");
    EXPECT_EQ(fake.readTimeouts, (std::vector<int>{10, 6, 2})) << "each read waits what is left";
}

TEST_F(Layer, AnUnpluggedAdapterSaysSo) {
    auto device = Open({FtdiChip::kFt232r, "", 'A'});
    ASSERT_NE(device, nullptr);
    fake.reads = {{{}, LIBUSB_ERROR_NO_DEVICE}};
    std::vector<std::uint8_t> got(1);
    EXPECT_FALSE(device->Read(got, 10));
    EXPECT_EQ(device->LastError(), FtdiUnpluggedMessage());
    fake.writeResult = -1;
    EXPECT_FALSE(device->Write(got));
    EXPECT_EQ(device->LastError(),
              "USB write to the adapter failed or took over 5000 ms (libftdi: usb bulk write "
              "failed)");
}

struct OpenCase {
    std::string name;
    FtdiSelector selector;
    int openResult;
    std::string libraryText;
    std::string message;
};

class LayerOpen : public Layer, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(LayerOpen, NamesTheLikelyCause) {
    fake.openResult = GetParam().openResult;
    fake.errorText = GetParam().libraryText;
    EXPECT_EQ(Open(GetParam().selector), nullptr);
    EXPECT_EQ(why, GetParam().message);
    EXPECT_EQ(fake.calls.empty() ? "" : fake.calls.back(), fake.calls.empty() ? "" : "free");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LayerOpen,
    ::testing::Values(
        OpenCase{"NotPluggedIn",
                 {FtdiChip::kFt232r, "", 'A'},
                 -3,
                 "device not found",
                 "No FT232R (USB 0403:6001) found. Is it plugged in? `lsusb` should list it; a "
                 "cable that only charges carries no data. (device not found)"},
        OpenCase{"NoPermission",
                 {FtdiChip::kFt232h, "FT9", 'A'},
                 -4,
                 "usb_open() failed",
                 "Found the FT232H (USB 0403:6014, serial FT9) but may not open it: no "
                 "permission. Install the udev rule from the README as "
                 "/etc/udev/rules.d/60-isp8252.rules, then unplug and replug the adapter. "
                 "(usb_open() failed)"},
        OpenCase{"DetachRefused",
                 {FtdiChip::kFt232r, "", 'A'},
                 -8,
                 "inappropriate permissions on device!",
                 "Found the FT232R (USB 0403:6001) but may not open it: no permission. Install "
                 "the udev rule from the README as /etc/udev/rules.d/60-isp8252.rules, then "
                 "unplug and replug the adapter. (inappropriate permissions on device!)"},
        OpenCase{"SerialDriverHolds",
                 {FtdiChip::kFt4232h, "", 'D'},
                 -5,
                 "unable to claim usb device",
                 "Found the FT4232H (USB 0403:6011, channel D) but could not claim it: "
                 "detaching the kernel's ftdi_sio serial driver failed, or another program has "
                 "the adapter open. Close whatever uses its /dev/ttyUSB port, or unload the "
                 "driver (sudo rmmod ftdi_sio). (unable to claim usb device)"},
        OpenCase{"LibraryError",
                 {FtdiChip::kFt232r, "", 'A'},
                 -12,
                 "libusb_get_device_list() failed",
                 "Could not open the FT232R (USB 0403:6001). (libusb_get_device_list() failed)"},
        OpenCase{"NoSuchChannel",
                 {FtdiChip::kFt232h, "", 'B'},
                 0,
                 "",
                 "The FT232H has no channel B (it has only A)."}),
    CaseName());

TEST_F(Layer, ListsEachDeviceWithItsSerial) {
    EXPECT_EQ(ListFtdiDevices(),
              std::vector<std::string>{"ft2232h:FT5X1  Dual RS232-HS  (channels A to B)"});
}

}  // namespace
