// The D2XX layer under Wine, against the stand-in ftd2xx64.dll built beside the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/adapters/ftdi_chips.h"

namespace {

TEST(D2xxLayer, RunsASyncBitbangStreamThroughTheDll) {
    std::string why;
    EXPECT_EQ(OpenFtdiDevice({FtdiChip::kFt232r, "OTHER", 'A'}, &why), nullptr);
    EXPECT_EQ(why, FtdiOpenFailureMessage({FtdiChip::kFt232r, "OTHER", 'A'},
                                          FtdiOpenFailure::kNotFound, ""));
    EXPECT_EQ(ListFtdiDevices(), std::vector<std::string>{"ft232r:SIM1  FT232R USB UART"});

    auto device = OpenFtdiDevice({FtdiChip::kFt232r, "SIM1", 'A'}, &why);
    ASSERT_NE(device, nullptr) << why;
    ASSERT_TRUE(device->SetBitMode(0xFF, FtdiBitMode::kSyncBitbang));
    ASSERT_TRUE(device->SetBaudRate(62500));
    using PinRate = unsigned long long(WINAPI*)();
    const auto pinRate = reinterpret_cast<PinRate>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ftd2xx64.dll"), "StandInPinRateHz")));
    ASSERT_NE(pinRate, nullptr);
    EXPECT_EQ(pinRate(), 250'000u) << "libftdi's value, four times over at the model's x4";
    ASSERT_TRUE(device->Write(std::vector<std::uint8_t>{0x55, 0xAA}));
    std::vector<std::uint8_t> got(2);
    ASSERT_TRUE(device->Read(got, 100)) << device->LastError();
    EXPECT_EQ(got, (std::vector<std::uint8_t>{0xFF, 0x55}));
    EXPECT_FALSE(device->Read(got, 5));
    EXPECT_EQ(device->LastError(), "read timed out: 0 of 2 bytes arrived within 5 ms");
}

}  // namespace
