// The CH341A model against the chip, with hand-made UIO streams: pin mapping, directions, waits,
// the packet limit, read answers and a vanishing device.

#include "sim/ch341a_model.h"

#include <gtest/gtest.h>

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
    std::uint64_t modelledNs;
    std::size_t protocolErrors;
};

class Ch341aModelTest : public ::testing::Test {
protected:
    void Make(const sim::Ch341aWiring& wiring = {}, std::uint64_t unplugAfterTransfers = 0) {
        sim::Ch341aModelOptions options;
        options.wiring = wiring;
        options.unplugAfterTransfers = unplugAfterTransfers;
        pins = std::make_shared<sim::ChipPins>(chip, 0, &trace);
        model = std::make_unique<sim::Ch341aModel>(pins, clock, options);
    }

    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    std::shared_ptr<sim::ModelClock> clock = std::make_shared<sim::ModelClock>();
    sim::VcdTrace trace;
    std::shared_ptr<sim::ChipPins> pins;
    std::unique_ptr<sim::Ch341aModel> model;
};

class Ch341aStream : public Ch341aModelTest, public ::testing::WithParamInterface<StreamCase> {};

std::vector<std::uint8_t> Waits(std::vector<std::uint8_t> head, std::size_t count,
                                std::vector<std::uint8_t> tail) {
    head.insert(head.end(), count, 0xC1);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Sub-commands take 1 us each, a wait C0|n n us; a pin changes when its sub-command starts.
INSTANTIATE_TEST_SUITE_P(
    Streams, Ch341aStream,
    ::testing::Values(
        StreamCase{"Cs1AsRstSckD3MosiD5",
                   {1, 3, 5, 7},
                   {0xAB, 0xAA, 0x6A, 0x20},
                   "1000:MOSI=1 1000:SCK=1 1000:RST=1",
                   2000,
                   0},
        StreamCase{
            "OnlyOutputsDrive", {}, {0xAB, 0xBF, 0x61, 0x20}, "1000:MOSI=1 1000:RST=1", 2000, 0},
        StreamCase{
            "WaitOf63Microseconds", {}, {0xAB, 0x7F, 0xFF, 0x88, 0x20}, "64000:SCK=1", 65000, 0},
        // 32 bytes a packet: a stream does not run on into the next one.
        StreamCase{"StreamEndsWithItsPacket", {}, Waits({0xAB, 0x7F}, 30, {0x88}), "", 31000, 1},
        StreamCase{"NextPacketStartsAStream",
                   {},
                   Waits({0xAB, 0x7F}, 30, {0xAB, 0x88}),
                   "31000:SCK=1",
                   32000,
                   0},
        StreamCase{
            "UnknownSubCommandDropsThePacket", {}, {0xAB, 0x7F, 0x05, 0x88, 0x20}, "", 1000, 1}),
    CaseName{});

TEST_P(Ch341aStream, DrivesTheChipsPinsAtTheStreamsTimes) {
    Make(GetParam().wiring);
    ASSERT_TRUE(model->BulkWrite(GetParam().bytes, 100));
    EXPECT_EQ(ChangesText(trace), GetParam().changes);
    EXPECT_EQ(model->ModelledNs(), GetParam().modelledNs);
    EXPECT_EQ(model->ProtocolErrors().size(), GetParam().protocolErrors);
}

TEST_F(Ch341aModelTest, AReadAnswersD0ToD7WithMisoOnD7AfterOneRoundTrip) {
    Make();
    chip->SetMisoFault(sim::MisoFault::kStuckLow);
    // D0 and D3 driven low, the other pins pulled up, MISO low.
    ASSERT_TRUE(model->BulkWrite(std::vector<std::uint8_t>{0xAB, 0x80, 0x49, 0x00, 0x20}, 100));
    std::uint8_t answer[4] = {};
    EXPECT_EQ(model->BulkRead(answer, 100), 1);
    EXPECT_EQ(answer[0], 0x76);
    EXPECT_EQ(model->RoundTrips(), 1u);
    EXPECT_EQ(model->ModelledNs(), 3'000u + 1'000'000u);
    EXPECT_EQ(model->BulkRead(answer, 5), -1) << "nothing left to answer";
    EXPECT_EQ(model->LastError(), "CH341A did not answer within 5 ms");
    EXPECT_EQ(model->ModelledNs(), 3'000u + 6'000'000u);
}

TEST_F(Ch341aModelTest, AnUnpluggedOrAbsentDeviceFails) {
    Make({}, 2);
    const std::vector<std::uint8_t> stream{0xAB, 0x00, 0x20};
    std::uint8_t answer[1];
    EXPECT_TRUE(model->BulkWrite(stream, 100));
    EXPECT_EQ(model->BulkRead(answer, 100), 1);
    EXPECT_FALSE(model->BulkWrite(stream, 100));
    EXPECT_EQ(model->BulkRead(answer, 100), -1);
    EXPECT_EQ(model->LastError(), "CH341A unplugged (no device)");
    std::string why;
    sim::Ch341aModelOptions absent;
    absent.absent = true;
    EXPECT_EQ(sim::Ch341aModel::Open(pins, clock, absent, &why), nullptr);
    EXPECT_EQ(why, "no CH341A (USB 1a86:5512) found");
}

}  // namespace
