// The CH341A model against the chip, with hand-made UIO streams: pin mapping, directions, waits,
// the packet limit, read answers and a vanishing device.

#include "sim/ch341a_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "model_trace.h"
#include "sim/at89s8252.h"

namespace {

struct StreamCase {
    std::string name;
    sim::Ch341aWiring wiring;
    std::vector<std::uint8_t> bytes;
    std::string changes;
    std::uint64_t modelledNs;  // after one BulkRead when there are answers
    std::size_t protocolErrors;
    std::vector<std::uint8_t> answers;
};

struct Ch341aBench {
    explicit Ch341aBench(const sim::Ch341aModelOptions& options = {})
        : pins(std::make_shared<sim::ChipPins>(chip, 0, &trace)), model(pins, clock, options) {}

    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    std::shared_ptr<sim::ModelClock> clock = std::make_shared<sim::ModelClock>();
    sim::VcdTrace trace;
    std::shared_ptr<sim::ChipPins> pins;
    sim::Ch341aModel model;
};

class Ch341aStream : public ::testing::TestWithParam<StreamCase> {};

std::vector<std::uint8_t> Waits(std::vector<std::uint8_t> head, std::size_t count,
                                std::vector<std::uint8_t> tail) {
    head.insert(head.end(), count, 0xC1);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Sub-commands take 1 us each, a wait C0|n n us, a round trip 1 ms; a pin changes when its
// sub-command starts. The chip's MISO stays high while RST is low.
INSTANTIATE_TEST_SUITE_P(
    Streams, Ch341aStream,
    ::testing::Values(
        StreamCase{"Cs1AsRstSckD3MosiD5",
                   {1, 3, 5, 7},
                   {0xAB, 0xAA, 0x6A, 0x20},
                   "1000:MOSI=1 1000:SCK=1 1000:RST=1",
                   2000,
                   0,
                   {}},
        StreamCase{"OnlyOutputsDrive",
                   {},
                   {0xAB, 0xBF, 0x61, 0x20},
                   "1000:MOSI=1 1000:RST=1",
                   2000,
                   0,
                   {}},
        StreamCase{"WaitOf63Microseconds",
                   {},
                   {0xAB, 0x7F, 0xFF, 0x88, 0x20},
                   "64000:SCK=1",
                   65000,
                   0,
                   {}},
        // 32 bytes a packet: a stream does not run on into the next one.
        StreamCase{
            "StreamEndsWithItsPacket", {}, Waits({0xAB, 0x7F}, 30, {0x88}), "", 31000, 1, {}},
        StreamCase{"NextPacketStartsAStream",
                   {},
                   Waits({0xAB, 0x7F}, 30, {0xAB, 0x88}),
                   "31000:SCK=1",
                   32000,
                   0,
                   {}},
        StreamCase{
            "UnknownSubCommandDropsThePacket", {}, {0xAB, 0x7F, 0x05, 0x88, 0x20}, "", 1000, 1, {}},
        // D0 and D3 driven low, the other pins pulled up, MISO (D7) high, then D3 high.
        StreamCase{"ReadsAnswerD0ToD7",
                   {},
                   {0xAB, 0x80, 0x49, 0x00, 0x88, 0x00, 0x20},
                   "3000:SCK=1",
                   1'005'000,
                   0,
                   {0xF6, 0xFE}}),
    CaseName{});

TEST_P(Ch341aStream, DrivesTheChipsPinsAtTheStreamsTimes) {
    Ch341aBench bench({GetParam().wiring, {}, 0, false});
    ASSERT_TRUE(bench.model.BulkWrite(GetParam().bytes, 100));
    std::vector<std::uint8_t> answers(32);
    const int count = GetParam().answers.empty() ? 0 : bench.model.BulkRead(answers, 100);
    answers.resize(static_cast<std::size_t>(std::max(count, 0)));
    EXPECT_EQ(ChangesText(bench.trace), GetParam().changes);
    EXPECT_EQ(answers, GetParam().answers);
    EXPECT_EQ(bench.model.ModelledNs(), GetParam().modelledNs);
    EXPECT_EQ(bench.model.RoundTrips(), answers.empty() ? 0u : 1u);
    EXPECT_EQ(bench.model.ProtocolErrors().size(), GetParam().protocolErrors);
}

TEST(Ch341aModel, TimesOutWithNothingToAnswerReadsMisoOnD7AndFailsWhenUnpluggedOrAbsent) {
    Ch341aBench bench({{}, {}, 3, false});
    std::uint8_t answer[1];
    EXPECT_EQ(bench.model.BulkRead(answer, 5), -1);
    EXPECT_EQ(bench.model.LastError(), "CH341A did not answer within 5 ms");
    EXPECT_EQ(bench.model.ModelledNs(), 5'000'000u);
    bench.chip->SetMisoFault(sim::MisoFault::kStuckLow);
    const std::vector<std::uint8_t> read{0xAB, 0x00, 0x20};
    EXPECT_TRUE(bench.model.BulkWrite(read, 100));
    EXPECT_EQ(bench.model.BulkRead(answer, 100), 1);
    EXPECT_EQ(answer[0], 0x7F) << "D0-D6 pulled up, MISO low";
    EXPECT_FALSE(bench.model.BulkWrite(read, 100));
    EXPECT_EQ(bench.model.LastError(), "CH341A unplugged (no device)");
    std::string why;
    EXPECT_EQ(sim::Ch341aModel::Open(bench.pins, bench.clock, {{}, {}, 0, true}, &why), nullptr);
    EXPECT_EQ(why, "no CH341A (USB 1a86:5512) found");
}

}  // namespace
