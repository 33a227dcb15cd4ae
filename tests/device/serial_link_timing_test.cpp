// The waits of the link, measured in virtual counter ticks between port accesses.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "link_fixture.h"

namespace {

constexpr std::uint64_t kStep = 1000;  // DeviceFixture's ticks per counter read
constexpr std::uint64_t kPhase = 10 * kTicksPerMicrosecond;
// One wait reads the counter on entry and overshoots its target by less than one read.
constexpr std::uint64_t kWaitSlack = 2 * kStep;

class SerialLinkTiming : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        UseTimedPort();
    }

    static void ExpectWait(std::uint64_t from, std::uint64_t to, std::uint64_t least,
                           std::uint64_t waits, const std::string& what) {
        SCOPED_TRACE(what);
        ASSERT_GE(to, from);
        EXPECT_GE(to - from, least);
        EXPECT_LE(to - from, least + waits * kWaitSlack);
    }
};

TEST_F(SerialLinkTiming, EachSentBitHoldsClockLowAndHighForTenMicroseconds) {
    SetProgrammingMode(1);
    SendByte(0xAC);
    SetProgrammingMode(0);
    const auto w = timed->Writes();
    ASSERT_EQ(w.size(), 1u + 24u + 1u);
    ExpectWait(w[0].ticks, w[1].ticks, kPhase, 1, "settle after entering programming mode");
    for (std::size_t bit = 0; bit < 8; ++bit) {
        const auto& setUp = w[1 + 3 * bit];
        const auto& low = w[2 + 3 * bit];
        const auto& high = w[3 + 3 * bit];
        const auto& next = w[4 + 3 * bit];
        SCOPED_TRACE("bit " + std::to_string(bit));
        EXPECT_EQ(low.ticks, setUp.ticks) << "nothing may wait between data and falling clock";
        ExpectWait(low.ticks, high.ticks, kPhase, 1, "clock low");
        ExpectWait(high.ticks, next.ticks, kPhase, 1, "clock high");
    }
    EXPECT_EQ(timed->events.size(), w.size());
}

TEST_F(SerialLinkTiming, ReceivedBitsAreSampledAfterTenMicrosecondsOfClockLow) {
    SetProgrammingMode(1);
    timed->events.clear();
    ReceiveByte();
    SetProgrammingMode(0);
    const auto& e = timed->events;
    ASSERT_EQ(e.size(), 8u * 3u + 1u);
    for (std::size_t bit = 0; bit < 8; ++bit) {
        const auto& low = e[3 * bit];
        const auto& sample = e[3 * bit + 1];
        const auto& high = e[3 * bit + 2];
        const auto& next = e[3 * bit + 3];
        SCOPED_TRACE("bit " + std::to_string(bit));
        ASSERT_EQ(low.kind, PortEvent::Kind::kWrite);
        EXPECT_EQ(low.value & 0x02, 0);
        ASSERT_EQ(sample.kind, PortEvent::Kind::kStatusRead);
        ASSERT_EQ(high.kind, PortEvent::Kind::kWrite);
        EXPECT_EQ(high.value & 0x02, 0x02);
        ExpectWait(low.ticks, sample.ticks, kPhase, 1, "clock low before the sample");
        EXPECT_EQ(high.ticks, sample.ticks) << "the clock rises right after the sample";
        ExpectWait(high.ticks, next.ticks, kPhase, 1, "clock high");
    }
}

struct PauseCase {
    std::string name;
    std::function<void()> run;
    std::uint64_t leastMicroseconds;  // from the instruction's last write to the next write
    std::uint64_t waits;
};

class InstructionPause : public SerialLinkTiming,
                         public ::testing::WithParamInterface<PauseCase> {};

TEST_P(InstructionPause, FollowsTheLastClockHighPhase) {
    SetProgrammingMode(1);
    GetParam().run();
    const std::size_t last = timed->Writes().size() - 1;
    SetProgrammingMode(0);
    const auto w = timed->Writes();
    ExpectWait(w[last].ticks, w[last + 1].ticks,
               GetParam().leastMicroseconds * kTicksPerMicrosecond, GetParam().waits,
               GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstructionPause,
    ::testing::Values(PauseCase{"ProgrammingEnable", [] { ProgrammingEnable(); }, 10, 1},
                      PauseCase{"ChipErase", [] { ChipErase(); }, 10, 1},
                      PauseCase{"WriteCodeByte", [] { WriteCodeByte(0x15A, 0x3C); }, 10 + 3000, 2},
                      PauseCase{"ReadCodeByte", [] { ReadCodeByte(8191); }, 10 + 3000, 2}),
    [](const ::testing::TestParamInfo<PauseCase>& param) { return param.param.name; });

TEST_F(SerialLinkTiming, LeavingProgrammingModeWaitsTenMicroseconds) {
    SetProgrammingMode(0);
    SendBit(1);
    const auto w = timed->Writes();
    ASSERT_EQ(w.size(), 4u);
    ExpectWait(w[0].ticks, w[1].ticks, kPhase, 1, "settle after leaving programming mode");
}

}  // namespace
