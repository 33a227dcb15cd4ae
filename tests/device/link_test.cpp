// The link on the cable: the exact register accesses of each instruction frame and the waits
// between them, and a port that could not be opened.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "case_name.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device_fixture.h"
#include "operations/device_session.h"

namespace {

using Trace = std::vector<std::pair<int, std::uint64_t>>;  // access, whole microseconds to the next

// SetProgrammingMode(1), RST raised once more and `settle` waited when not 0, `bytes` sent MSB
// first (per bit: the data set-up with the clock still high, clock low, clock high; register bit 0
// is the complement of MOSI, bit 2 of RST), one byte clocked in at the last sent level when
// `receives` (a status read ends each clock-low phase), `pause`, then SetProgrammingMode(0). Every
// phase lasts 10 us.
Trace Frame(const std::vector<int>& bytes, bool receives, std::uint64_t pause,
            std::uint64_t settle = 0) {
    Trace t{{0x03, 10}};
    if (settle != 0) {
        t.push_back({0x03, 10 + settle});
    }
    int data = 0x01;
    for (const int byte : bytes) {
        for (int n = 7; n >= 0; --n) {
            data = ((byte >> n) & 1) != 0 ? 0x00 : 0x01;
            t.insert(t.end(), {{data | 0x02, 0}, {data, 10}, {data | 0x02, 10}});
        }
    }
    for (int n = 0; receives && n < 8; ++n) {
        t.insert(t.end(), {{data, 10}, {FakePort::kStatusRead, 0}, {data | 0x02, 10}});
    }
    t.back().second += pause;
    t.push_back({data | 0x06, 10});
    return t;
}

struct FrameCase {
    std::string name;
    std::function<std::int32_t()> run;
    Trace expected;
};

// One counter tick per read, so every wait of N us lasts N x 1000 + 1 ticks.
class InstructionFrame : public DeviceFixture, public ::testing::WithParamInterface<FrameCase> {
protected:
    InstructionFrame() : DeviceFixture(1) {}
};

TEST_P(InstructionFrame, PutsTheStatedAccessesOnTheCableAtTheStatedTimes) {
    Calibrate();
    OpenFakePort();
    // The chip answers 0xC3 on bit 3 inverted; the other status bits are noise to ignore.
    port->statusSource = [this] { return (0xC3 << port->statusReads >> 8) & 1 ? 0xF7 : 0xFF; };
    SetProgrammingMode(1);
    const std::int32_t answer = GetParam().run();
    SetProgrammingMode(0);
    Trace seen;
    for (std::size_t i = 0; i < port->accesses.size(); ++i) {
        const auto next =
            i + 1 < port->accesses.size() ? port->accesses[i + 1].ticks : counter.Peek();
        seen.push_back({port->accesses[i].value, (next - port->accesses[i].ticks) / 1000});
    }
    EXPECT_EQ(seen, GetParam().expected);
    EXPECT_EQ(answer, port->statusReads > 0 ? 0xC3 : -1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstructionFrame,
    ::testing::Values(
        FrameCase{"Enable", [] { return ProgrammingEnable(), -1; }, Frame({0xAC, 0x53, 0}, 0, 0)},
        FrameCase{"SessionStartSettlesBeforeTheEnable", [] { return StartDeviceSession(), -1; },
                  Frame({0xAC, 0x53, 0}, 0, 0, 10'000)},
        FrameCase{"Erase", [] { return ChipErase(), -1; }, Frame({0xAC, 0x04, 0}, 0, 0)},
        FrameCase{"WriteTop", [] { return WriteCodeByte(0x1FFF, 0x1A5), -1; },
                  Frame({0xFA, 0xFF, 0xA5}, 0, 3000)},
        FrameCase{"Write8192WrapsToZero", [] { return WriteCodeByte(8192, 0x77), -1; },
                  Frame({0x02, 0x00, 0x77}, 0, 3000)},
        FrameCase{"Read1000", [] { return ReadCodeByte(0x1000); }, Frame({0x81, 0x00}, 1, 3000)},
        FrameCase{"Read2123DropsBit13", [] { return ReadCodeByte(0x2123); },
                  Frame({0x09, 0x23}, 1, 3000)}),
    CaseName{});

// With --osc each SCK phase lasts 24 oscillator periods and 5 % more, rounded up to the next
// nanosecond: the margin covers a crystal a little faster than its label.
TEST(DataSheetTiming, EachPhaseIs24PeriodsAndTheMargin) {
    const std::pair<std::uint64_t, std::int64_t> cases[] = {
        {12'000'000, 2100}, {11'059'200, 2279}, {24'000'000, 1050}, {3'000'000, 8400}};
    for (const auto& [hz, ns] : cases) {
        EXPECT_EQ(DataSheetLinkTiming(hz).clockLowNanoseconds, ns) << hz;
        EXPECT_EQ(DataSheetLinkTiming(hz).clockHighNanoseconds, ns) << hz;
    }
}

// An open port stays open for the actions after it.
TEST(PortAccess, AFailedOpenGivesItsReasonAndIsTriedAgainAtTheNextAction) {
    int opens = 0;
    SetPortOpener([&](std::string* why) -> std::unique_ptr<PortIo> {
        *why = "no cable here";
        return ++opens > 1 ? std::make_unique<FakePort>() : nullptr;
    });
    std::string why;
    EXPECT_FALSE(EnsurePortOpen(&why));
    EXPECT_EQ(why, "no cable here");
    EXPECT_TRUE(EnsurePortOpen(&why));
    EXPECT_TRUE(EnsurePortOpen(&why));
    EXPECT_EQ(opens, 2);
    EXPECT_NE(CurrentPort(), nullptr);
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
}

}  // namespace
