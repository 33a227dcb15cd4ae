// The CH341A layer at libusb's boundary: every libusb call it makes is wrapped at link time
// (-Wl,--wrap=...), so the calls, their arguments and the bytes sent are checked without a
// device, and any call can be made to fail.

#include <gtest/gtest.h>
#include <libusb.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "platform/adapters/usb_bulk_device.h"

namespace {

// Two devices on the bus: something else, then the CH341A.
libusb_device* const kDevices[] = {reinterpret_cast<libusb_device*>(0x10),
                                   reinterpret_cast<libusb_device*>(0x20), nullptr};
libusb_device_handle* const kHandle = reinterpret_cast<libusb_device_handle*>(0x30);

struct FakeUsb {
    std::map<std::string, int> results;  // by call: what it returns (0 when absent)
    bool ch341aPresent = true;
    std::string log;

    int Call(const std::string& what) {
        log += (log.empty() ? "" : " ") + what;
        const auto found = results.find(what);
        return found == results.end() ? 0 : found->second;
    }
};
FakeUsb usb;

std::string Hex(unsigned char byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

}  // namespace

// Calls on an interface log their name and the interface's number.
#define WRAP_INTERFACE_CALL(call, label)                             \
    int __wrap_libusb_##call(libusb_device_handle*, int interface) { \
        return usb.Call(label + std::to_string(interface));          \
    }

extern "C" {
int __wrap_libusb_init(libusb_context** context) {
    *context = reinterpret_cast<libusb_context*>(0x40);
    return usb.Call("init");
}
void __wrap_libusb_exit(libusb_context*) {
    usb.Call("exit");
}
void __wrap_libusb_free_device_list(libusb_device**, int) {
    usb.Call("free");
}
void __wrap_libusb_close(libusb_device_handle*) {
    usb.Call("close");
}
ssize_t __wrap_libusb_get_device_list(libusb_context*, libusb_device*** list) {
    *list = const_cast<libusb_device**>(kDevices);
    return usb.Call("list") == 0 ? 2 : LIBUSB_ERROR_NO_MEM;
}
int __wrap_libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* out) {
    const bool isCh341a = device == kDevices[1] && usb.ch341aPresent;
    out->idVendor = isCh341a ? kCh341aVendorId : 0x0403;
    out->idProduct = isCh341a ? kCh341aProductId : 0x6001;
    return usb.Call("descriptor");
}
int __wrap_libusb_open(libusb_device*, libusb_device_handle** handle) {
    const int result = usb.Call("open");
    *handle = result == 0 ? kHandle : nullptr;
    return result;
}
int __wrap_libusb_kernel_driver_active(libusb_device_handle*, int interface) {
    return usb.Call("active" + std::to_string(interface)) == 0 ? 1 : 0;
}
WRAP_INTERFACE_CALL(detach_kernel_driver, "detach")
WRAP_INTERFACE_CALL(attach_kernel_driver, "attach")
WRAP_INTERFACE_CALL(claim_interface, "claim")
WRAP_INTERFACE_CALL(release_interface, "release")
// Logs the endpoint, the bytes sent (OUT) and the time limit; an IN transfer answers 7F.
int __wrap_libusb_bulk_transfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data,
                                int length, int* transferred, unsigned int timeout) {
    const bool in = (endpoint & 0x80) != 0;
    std::string text = "bulk" + Hex(endpoint) + ":";
    for (int i = 0; !in && i < length; ++i) {
        text += Hex(data[i]);
    }
    const int result = usb.Call(text + "/" + std::to_string(timeout));
    data[0] = in ? 0x7F : data[0];
    *transferred = result != 0 ? 0 : in ? 1 : length;
    return result;
}
}

namespace {

TEST(UsbLayer, OpensDetachesClaimsSendsAndReleasesInOrder) {
    usb = {};
    std::string why;
    auto device = OpenCh341a(&why);
    ASSERT_NE(device, nullptr) << why;
    const std::uint8_t stream[] = {0xAB, 0x80, 0x20};
    EXPECT_TRUE(device->BulkWrite(stream, 100));
    std::uint8_t answer[32] = {};
    EXPECT_EQ(device->BulkRead(answer, 0), 1) << "a limit of 0 would wait forever: 1 ms instead";
    EXPECT_EQ(answer[0], 0x7F);
    device.reset();
    EXPECT_EQ(usb.log,
              "init list descriptor descriptor open free active0 detach0 claim0 "
              "bulk02:AB8020/100 bulk82:/1 release0 attach0 close exit");
}

struct FailureCase {
    std::string name;
    std::string failingCall;
    int result;
    std::string message;  // why the open failed, else the write's LastError
    std::string log;
};

class UsbFailure : public ::testing::TestWithParam<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(
    Calls, UsbFailure,
    ::testing::Values(
        FailureCase{"NoDevice", "", 0,
                    "no CH341A (USB 1a86:5512) found: check that it is plugged in (lsusb lists it)",
                    "init list descriptor descriptor free exit"},
        FailureCase{"NoPermission", "open", LIBUSB_ERROR_ACCESS,
                    "no permission to open the CH341A (USB 1a86:5512): install the udev rule from "
                    "the README (/etc/udev/rules.d/60-isp8252.rules), then unplug and replug the "
                    "CH341A",
                    "init list descriptor descriptor open free exit"},
        FailureCase{"InterfaceBusy", "claim0", LIBUSB_ERROR_BUSY,
                    "the CH341A is in use by another program or kernel driver",
                    "init list descriptor descriptor open free active0 detach0 claim0 attach0 "
                    "close exit"},
        FailureCase{"WriteTimesOut", "bulk02:AB20/250", LIBUSB_ERROR_TIMEOUT,
                    "CH341A write timed out after 250 ms", ""},
        FailureCase{"Unplugged", "bulk02:AB20/250", LIBUSB_ERROR_NO_DEVICE,
                    "the CH341A was unplugged", ""}),
    CaseName{});

TEST_P(UsbFailure, SaysWhatWentWrongAndReleasesWhatItTook) {
    usb = {};
    usb.ch341aPresent = GetParam().name != "NoDevice";
    usb.results[GetParam().failingCall] = GetParam().result;
    std::string why;
    auto device = OpenCh341a(&why);
    if (device != nullptr) {
        const std::uint8_t stream[] = {0xAB, 0x20};
        EXPECT_FALSE(device->BulkWrite(stream, 250));
        why = device->LastError();
    } else {
        EXPECT_EQ(usb.log, GetParam().log);
    }
    EXPECT_EQ(why, GetParam().message);
}

}  // namespace
