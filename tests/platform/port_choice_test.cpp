// Choosing the parallel port: the PORT text, the access paths each choice takes on each
// platform, and what a user is told when the chosen port cannot be opened on this machine.

#include "platform/port_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Kind = PortChoice::Kind;

struct ParseCase {
    const char* text;
    std::optional<PortChoice> choice;  // nullopt: rejected
    const char* why = nullptr;         // a rejection's reason: the port forms when not given
};

PortChoice Device(const char* path) {
    PortChoice choice;
    choice.kind = Kind::kDevice;
    choice.device = path;
    return choice;
}

PortChoice Address(std::uint16_t address) {
    PortChoice choice;
    choice.kind = Kind::kAddress;
    choice.address = address;
    return choice;
}

PortChoice Usb(AdapterChoice::Kind kind, FtdiChip chip, char channel, std::string serial,
               AdapterPins pins) {
    PortChoice choice;
    choice.kind = Kind::kAdapter;
    choice.adapter = {kind, {chip, std::move(serial), channel}, pins};
    return choice;
}

constexpr auto kBitbang = AdapterChoice::Kind::kFtdiBitbang;
constexpr auto kMpsse = AdapterChoice::Kind::kFtdiMpsse;

class ParsePort : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsePort, GivesTheChoiceOrSaysWhatIsWrong) {
    std::string why;
    const std::optional<PortChoice> choice = ParsePortChoice(GetParam().text, &why);
    EXPECT_EQ(choice, GetParam().choice);
    EXPECT_EQ(why, choice                      ? ""
                   : GetParam().why != nullptr ? GetParam().why
                                               : "bad port \"" + std::string(GetParam().text) +
                                                     "\": give a ppdev device such as "
                                                     "/dev/parport1, an I/O address such as "
                                                     "0x278, or an adapter such as ft232r or "
                                                     "ft2232h:B");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParsePort,
    ::testing::Values(
        ParseCase{"", PortChoice{}}, ParseCase{"/dev/parport1", Device("/dev/parport1")},
        ParseCase{"0x278", Address(0x278)}, ParseCase{"0XbC00", Address(0xBC00)},
        ParseCase{"0x1", Address(0x1)}, ParseCase{"0xFFFE", Address(0xFFFE)},
        ParseCase{"ft232r", Usb(kBitbang, FtdiChip::kFt232r, 'A', "", kFt232rDefaultPins)},
        ParseCase{"ft232r:A9XK3QLM:rst=3,invert=rst+miso",
                  Usb(kBitbang, FtdiChip::kFt232r, 'A', "A9XK3QLM", AdapterPins{0, 2, 1, 3, 0x0A})},
        ParseCase{"ft2232h:B", Usb(kMpsse, FtdiChip::kFt2232h, 'B', "", kMpsseDefaultPins)},
        ParseCase{"ft232h:rst=4",
                  Usb(kMpsse, FtdiChip::kFt232h, 'A', "", AdapterPins{0, 1, 2, 4, 0})},
        ParseCase{"ft232h:B", std::nullopt,
                  "bad adapter \"ft232h:B\": the ft232h has no channel B"},
        ParseCase{"ft232r:mosi=0", std::nullopt,
                  "bad adapter \"ft232r:mosi=0\": two lines on one pin"},
        ParseCase{"ft232r:sck=8", std::nullopt,
                  "bad adapter \"ft232r:sck=8\": pins are sck=, mosi=, miso= or "
                  "rst= with a pin from 0 to 7"},
        ParseCase{"ft232h:sck=5", std::nullopt,
                  "bad adapter \"ft232h:sck=5\": the MPSSE's SCK, MOSI and MISO "
                  "are AD0, AD1 and AD2, not inverted"},
        // The status register of 0xFFFF would lie outside the I/O space.
        ParseCase{"0xFFFF", std::nullopt}, ParseCase{"0x10000", std::nullopt},
        ParseCase{"0x0", std::nullopt}, ParseCase{"0x", std::nullopt},
        ParseCase{"0x27g", std::nullopt}, ParseCase{"0x-1", std::nullopt},
        ParseCase{"278", std::nullopt}, ParseCase{"1x278", std::nullopt},
        ParseCase{" 0x278", std::nullopt}));

struct BackendCase {
    PortChoice choice;
    PortPlatform platform;
    std::vector<PortAttempt> attempts;
    std::string why;  // when there is no attempt
};

class ChoosePortBackend : public ::testing::TestWithParam<BackendCase> {};

TEST_P(ChoosePortBackend, TriesTheAccessPathsOfThePlatformInOrder) {
    std::string why;
    EXPECT_EQ(PortAttempts(GetParam().choice, GetParam().platform, &why), GetParam().attempts);
    EXPECT_EQ(why, GetParam().why);
}

const PortChoice kFirst{};
const PortChoice kDevice = Device("/dev/parport1");
const PortChoice kPcie = Address(0xD010);
constexpr auto kPpdev = PortBackend::kPpdev;
constexpr auto kDirect = PortBackend::kDirectIo;
constexpr auto kDll = PortBackend::kDriverDll;

INSTANTIATE_TEST_SUITE_P(
    Table, ChoosePortBackend,
    ::testing::Values(
        BackendCase{kFirst,
                    PortPlatform::kLinuxX86,
                    {{kPpdev, "/dev/parport0", 0}, {kDirect, "", 0x378}},
                    ""},
        BackendCase{kFirst, PortPlatform::kLinuxOther, {{kPpdev, "/dev/parport0", 0}}, ""},
        BackendCase{kFirst, PortPlatform::kWindows, {{kDll, "", 0x378}}, ""},
        BackendCase{kDevice, PortPlatform::kLinuxX86, {{kPpdev, "/dev/parport1", 0}}, ""},
        BackendCase{kDevice,
                    PortPlatform::kWindows,
                    {},
                    "/dev/parport1: ppdev devices exist only on Linux; on Windows give the "
                    "port's I/O address, such as 0x378"},
        BackendCase{kPcie, PortPlatform::kLinuxX86, {{kDirect, "", 0xD010}}, ""},
        BackendCase{kPcie,
                    PortPlatform::kLinuxOther,
                    {},
                    "direct port I/O needs an x86 processor; give a ppdev device instead"},
        BackendCase{kPcie, PortPlatform::kWindows, {{kDll, "", 0xD010}}, ""}));

// This machine has no parallel port, no port-I/O driver and no I/O privilege: every choice
// fails with the reason the command line prints under "COULD NOT OPEN PARALLEL PORT".
struct OpenCase {
    const char* portText;
    std::string whyStart;  // on this platform
};

class OpenChosenPortHere : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenChosenPortHere, FailsWithTheReason) {
    std::string why;
    const auto port = MakePortOpener(GetParam().portText)(&why);
    if (port) {
        GTEST_SKIP() << "this machine can reach that port";
    }
    EXPECT_EQ(why.substr(0, GetParam().whyStart.size()), GetParam().whyStart) << why;
    EXPECT_EQ(MakePortOpener(GetParam().portText)(nullptr), nullptr) << "without a reason buffer";
}

#if defined(_WIN32)
const std::string kNoDriver =
    "inpoutx64.dll not found (put it beside the program and install its driver once as "
    "administrator)";
INSTANTIATE_TEST_SUITE_P(Windows, OpenChosenPortHere,
                         ::testing::Values(OpenCase{nullptr, kNoDriver},
                                           OpenCase{"0xD010", kNoDriver},
                                           OpenCase{"/dev/parport1", "/dev/parport1: ppdev"},
                                           OpenCase{"0x", "ISP8252_PORT: bad port \"0x\""}));
#else
INSTANTIATE_TEST_SUITE_P(Linux, OpenChosenPortHere,
                         ::testing::Values(OpenCase{nullptr, "/dev/parport0: "},
                                           OpenCase{"0x278", "ioperm(0x278): "},
                                           OpenCase{"0xD010", "iopl(3) for 0xD010: "},
                                           OpenCase{"0x", "ISP8252_PORT: bad port \"0x\""}));
#endif

}  // namespace
