// Exact data-register sequences of the bit and byte operations, against a recording port.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "bit_patterns.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "link_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class SerialLinkTrace : public LinkFixture {};

// Out of programming mode (reset control 1) a bit with data level L writes 6|L, 4|L, 6|L.
Bytes StartUpBitWrites(std::initializer_list<int> dataLevels) {
    Bytes writes;
    for (const int level : dataLevels) {
        const auto l = static_cast<std::uint8_t>(level);
        writes.insert(writes.end(),
                      {static_cast<std::uint8_t>(0x06 | l), static_cast<std::uint8_t>(0x04 | l),
                       static_cast<std::uint8_t>(0x06 | l)});
    }
    return writes;
}

TEST_F(SerialLinkTrace, SendByteAcWritesComplementedDataThenClockLowHighPerBit) {
    SendByte(0xAC);
    // 0xAC = 1,0,1,0,1,1,0,0: the data line carries the complements.
    EXPECT_EQ(port->writes, StartUpBitWrites({0, 1, 0, 1, 0, 0, 1, 1}));
    EXPECT_EQ(portShadow, 0x07);
    EXPECT_EQ(port->statusReads, 0);
}

class SendByteLowEightBits : public SerialLinkTrace,
                             public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(SendByteLowEightBits, SendsOnlyTheLowByte) {
    SendByte(GetParam());
    EXPECT_EQ(port->writes, StartUpBitWrites({0, 1, 0, 1, 0, 0, 1, 1}));
}

INSTANTIATE_TEST_SUITE_P(HigherBitsIgnored, SendByteLowEightBits,
                         ::testing::Values(0xAC, 0x1AC, 0x7FFFFFAC, -84 /* 0xFFFFFFAC */));

struct SendBitCase {
    std::int32_t bit;
    Bytes writes;
};

class SendBitLevels : public SerialLinkTrace, public ::testing::WithParamInterface<SendBitCase> {};

TEST_P(SendBitLevels, AnyNonZeroValueSendsAOne) {
    SendBit(GetParam().bit);
    EXPECT_EQ(port->writes, GetParam().writes);
    EXPECT_EQ(portShadow, GetParam().writes.back());
}

INSTANTIATE_TEST_SUITE_P(Values, SendBitLevels,
                         ::testing::Values(SendBitCase{0, {0x07, 0x05, 0x07}},
                                           SendBitCase{1, {0x06, 0x04, 0x06}},
                                           SendBitCase{2, {0x06, 0x04, 0x06}},
                                           SendBitCase{0x80, {0x06, 0x04, 0x06}},
                                           SendBitCase{-1, {0x06, 0x04, 0x06}},
                                           SendBitCase{INT_MIN, {0x06, 0x04, 0x06}}));

struct HeldStatusCase {
    std::uint8_t status;
    std::int32_t expected;
};

class ReceiveByteHeldStatus : public SerialLinkTrace,
                              public ::testing::WithParamInterface<HeldStatusCase> {};

TEST_P(ReceiveByteHeldStatus, ComplementsStatusBitThreeAndIgnoresTheRest) {
    port->status = GetParam().status;
    EXPECT_EQ(ReceiveByte(), GetParam().expected);
    // From start-up the data line stays at 1 and reset control at 1: clock low, clock high.
    Bytes expected;
    for (int n = 0; n < 8; ++n) {
        expected.insert(expected.end(), {0x05, 0x07});
    }
    EXPECT_EQ(port->writes, expected);
    EXPECT_EQ(port->statusReads, 8);
    EXPECT_EQ(portShadow, 0x07);
}

INSTANTIATE_TEST_SUITE_P(Levels, ReceiveByteHeldStatus,
                         ::testing::Values(HeldStatusCase{0x00, 255}, HeldStatusCase{0x08, 0},
                                           HeldStatusCase{0xF7, 255}, HeldStatusCase{0xFF, 0}));

class ReceiveBytePattern : public SerialLinkTrace,
                           public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(ReceiveBytePattern, SamplesOncePerBitAtTheEndOfTheLowPhaseMsbFirst) {
    const Bytes status = StatusFor(GetParam(), 0xF7);
    std::vector<std::size_t> writesBeforeSample;
    std::vector<std::uint8_t> levelAtSample;
    port->statusSource = [&] {
        writesBeforeSample.push_back(port->writes.size());
        levelAtSample.push_back(port->writes.empty() ? 0xFF : port->writes.back());
        return status.at(writesBeforeSample.size() - 1);
    };
    EXPECT_EQ(ReceiveByte(), GetParam());
    EXPECT_EQ(port->statusReads, 8);
    // Sample k comes after the clock-low write of bit k and before its clock-high write.
    EXPECT_EQ(writesBeforeSample, (std::vector<std::size_t>{1, 3, 5, 7, 9, 11, 13, 15}));
    EXPECT_EQ(levelAtSample, Bytes(8, 0x05));
}

INSTANTIATE_TEST_SUITE_P(Values, ReceiveBytePattern,
                         ::testing::Values(0xA5, 0x01, 0x80, 0x3C, 0x00, 0xFF));

class ProgrammingModeRoundTrip : public SerialLinkTrace,
                                 public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(ProgrammingModeRoundTrip, OnThenOffRestoresResetAndKeepsDataAndClock) {
    const std::int32_t before = GetParam();
    portShadow = before;
    SetProgrammingMode(1);
    SetProgrammingMode(0);
    const auto on = static_cast<std::uint8_t>(before & 0x03);
    EXPECT_EQ(port->writes, (Bytes{on, static_cast<std::uint8_t>(on | 0x04)}));
    EXPECT_EQ(portShadow & 0x04, 0x04);
    EXPECT_EQ(portShadow & 0x03, before & 0x03);
}

INSTANTIATE_TEST_SUITE_P(EveryLineState, ProgrammingModeRoundTrip, ::testing::Range(0, 8));

struct ModeArgumentCase {
    std::int32_t on;
    std::uint8_t written;
};

class ProgrammingModeArgument : public SerialLinkTrace,
                                public ::testing::WithParamInterface<ModeArgumentCase> {};

TEST_P(ProgrammingModeArgument, AnyNonZeroValueMeansOn) {
    SetProgrammingMode(GetParam().on);
    EXPECT_EQ(port->writes, Bytes{GetParam().written});
    EXPECT_EQ(portShadow, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Values, ProgrammingModeArgument,
                         ::testing::Values(ModeArgumentCase{0, 0x07}, ModeArgumentCase{1, 0x03},
                                           ModeArgumentCase{2, 0x03}, ModeArgumentCase{-1, 0x03},
                                           ModeArgumentCase{0x100, 0x03}));

TEST_F(SerialLinkTrace, EraseFromStartUpWritesTheStated146Values) {
    SetProgrammingMode(1);
    ProgrammingEnable();
    ChipErase();
    SetProgrammingMode(0);

    Bytes expected{0x03};
    Append(expected, SendWrites({0xAC, 0x53, 0x00, 0xAC, 0x04, 0x00}));
    expected.push_back(0x07);
    ASSERT_EQ(expected.size(), 146u);
    EXPECT_EQ(port->writes, expected);
    EXPECT_EQ(port->statusReads, 0);
    EXPECT_EQ(portShadow, 0x07);
}

struct ReceiveAfterCase {
    std::int32_t lastBit;
    std::uint8_t status;
    Bytes writes;
    std::int32_t received;
};

class ReceiveBitKeepsDataLine : public SerialLinkTrace,
                                public ::testing::WithParamInterface<ReceiveAfterCase> {};

TEST_P(ReceiveBitKeepsDataLine, WritesClockLowHighAtTheLastSentLevel) {
    SetProgrammingMode(1);
    SendBit(GetParam().lastBit);
    port->writes.clear();
    port->status = GetParam().status;
    EXPECT_EQ(ReceiveBit(), GetParam().received);
    EXPECT_EQ(port->writes, GetParam().writes);
    EXPECT_EQ(port->statusReads, 1);
}

INSTANTIATE_TEST_SUITE_P(
    LastBit, ReceiveBitKeepsDataLine,
    ::testing::Values(
        ReceiveAfterCase{1, 0x00, Bytes(std::begin(kReceiveAfterOne), std::end(kReceiveAfterOne)),
                         1},
        ReceiveAfterCase{1, 0x08, Bytes(std::begin(kReceiveAfterOne), std::end(kReceiveAfterOne)),
                         0},
        ReceiveAfterCase{0, 0x00, Bytes(std::begin(kReceiveAfterZero), std::end(kReceiveAfterZero)),
                         1},
        ReceiveAfterCase{0, 0xF7, Bytes(std::begin(kReceiveAfterZero), std::end(kReceiveAfterZero)),
                         1},
        ReceiveAfterCase{0, 0x08, Bytes(std::begin(kReceiveAfterZero), std::end(kReceiveAfterZero)),
                         0}));

}  // namespace
