// The FTDI adapter models, fed hand-made byte streams: what reaches the chip's pins and when,
// what the host reads back, and what each round trip costs.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "platform/adapters/ftdi_chips.h"
#include "sim/ft232r_model.h"
#include "sim/ftdi_model_factory.h"
#include "sim/mpsse_model.h"

namespace {

using sim::Pin;
using Bytes = std::vector<std::uint8_t>;

struct Edge {
    Pin pin;
    bool level;
    std::uint64_t ns;
    bool operator==(const Edge&) const = default;
};

// Records every pin change with its time; MISO shifts out `misoByte` MSB first, the next bit
// after each falling SCK edge, as the chip does.
class PinRecorder final : public sim::SerialChip {
public:
    void SetRst(bool level, std::uint64_t ns) override { Note(Pin::kRst, level, ns, pins_.rst); }
    void SetMosi(bool level, std::uint64_t ns) override { Note(Pin::kMosi, level, ns, pins_.mosi); }
    void SetSck(bool level, std::uint64_t ns) override {
        Note(Pin::kSck, level, ns, pins_.sck);
        if (!level) {
            misoByte = static_cast<std::uint8_t>(misoByte << 1 | 1);
        }
    }
    bool Miso() const override { return (misoByte & 0x80) != 0; }
    sim::PinLevels Pins() const override { return {pins_.rst, pins_.sck, pins_.mosi, Miso()}; }
    const std::vector<sim::TimingViolation>& Violations() const override { return none_; }
    std::uint64_t ViolationCount() const override { return 0; }

    // The edges after `fromNs` of one pin, or of all when `pin` is kMiso.
    std::vector<Edge> EdgesSince(std::uint64_t fromNs, Pin pin = Pin::kMiso) const {
        std::vector<Edge> out;
        for (const Edge& e : edges) {
            if (e.ns >= fromNs && (pin == Pin::kMiso || e.pin == pin)) {
                out.push_back({e.pin, e.level, e.ns - fromNs});
            }
        }
        return out;
    }

    std::uint8_t misoByte = 0xFF;
    std::vector<Edge> edges;

private:
    void Note(Pin pin, bool level, std::uint64_t ns, bool& store) {
        store = level;
        edges.push_back({pin, level, ns});
    }
    sim::PinLevels pins_;
    std::vector<sim::TimingViolation> none_;
};

Bytes ReadAll(sim::FtdiModel& model, std::size_t n) {
    Bytes got(n);
    EXPECT_TRUE(model.Read(got, 100)) << model.LastError();
    return got;
}

// --- FT232R synchronous bit-bang -----------------------------------------------------------

struct Ft232rFixture : ::testing::Test {
    std::shared_ptr<PinRecorder> chip = std::make_shared<PinRecorder>();
};

TEST_F(Ft232rFixture, AnswersLagOneByteAndTheUartPinsComeFirst) {
    sim::VcdTrace trace;
    sim::Ft232rModel model(chip, sim::kFt232rDefaultWiring, 4, 0, &trace);
    // Out of bit-bang mode TXD (SCK) and DTR# (RST) idle high, so RST is high at power-up.
    EXPECT_EQ(chip->Pins().rst, true);
    EXPECT_EQ(chip->Pins().sck, true);
    ASSERT_TRUE(model.SetBitMode(0xFF, FtdiBitMode::kSyncBitbang));
    ASSERT_TRUE(model.Write(Bytes{0x55, 0xAA}));
    EXPECT_EQ(ReadAll(model, 2), (Bytes{0xFF, 0x55}));
    std::uint64_t hostNs = 77;  // the host's clock has a time base of its own
    model.FollowHostClock([&hostNs] { return hostNs; });
    const std::uint64_t ran = model.NowNs();
    hostNs += 5'000'000;  // the host slept 5 ms after the round trip
    ASSERT_TRUE(model.Write(Bytes{0x01}));
    EXPECT_EQ(ReadAll(model, 1), Bytes{0xAA}) << "one more byte captures the last state";
    EXPECT_EQ(chip->edges.back(), (Edge{Pin::kSck, true, ran + 5'000'000}))
        << "the byte went out when the host sent it, 5 ms after the stream before it ran";
    EXPECT_EQ(trace.Changes().size(), chip->edges.size() - 3) << "the trace starts after power-up";
}

struct WiringCase {
    std::string name;
    sim::AdapterWiring wiring;
    std::uint8_t written;
    bool miso;
    sim::PinLevels chipSees;
    std::uint8_t readBack;  // the answer to the byte after `written`, mask 0xED (D1, D4 inputs)
};

class Ft232rWiring : public Ft232rFixture, public ::testing::WithParamInterface<WiringCase> {};

TEST_P(Ft232rWiring, PinsReachTheChipThroughTheWiring) {
    const WiringCase& c = GetParam();
    sim::Ft232rModel model(chip, c.wiring);
    chip->misoByte = c.miso ? 0xFF : 0x00;
    const auto mask = static_cast<std::uint8_t>(0xFF & ~(1 << c.wiring.miso));
    ASSERT_TRUE(model.SetBitMode(mask, FtdiBitMode::kSyncBitbang));
    ASSERT_TRUE(model.Write(Bytes{c.written, c.written}));
    const sim::PinLevels seen = chip->Pins();
    EXPECT_EQ(seen.rst, c.chipSees.rst);
    EXPECT_EQ(seen.sck, c.chipSees.sck);
    EXPECT_EQ(seen.mosi, c.chipSees.mosi);
    EXPECT_EQ(ReadAll(model, 2)[1], c.readBack);
}

// Bits: SCK D0, MISO D1, MOSI D2, RST D4 unless the row moves them.
INSTANTIATE_TEST_SUITE_P(
    Rows, Ft232rWiring,
    ::testing::Values(
        WiringCase{
            "SckOnD0", sim::kFt232rDefaultWiring, 0x01, true, {false, true, false, true}, 0x03},
        WiringCase{
            "MosiOnD2", sim::kFt232rDefaultWiring, 0x04, false, {false, false, true, false}, 0x04},
        WiringCase{
            "RstOnD4", sim::kFt232rDefaultWiring, 0x10, true, {true, false, false, true}, 0x12},
        WiringCase{
            "RstBuffered", {0, 2, 1, 4, 1u << 4}, 0x00, true, {true, false, false, true}, 0x02},
        WiringCase{
            "MisoBuffered", {0, 2, 1, 4, 1u << 1}, 0x00, true, {false, false, false, true}, 0x00},
        WiringCase{"OtherBoard", {3, 5, 6, 7, 0}, 0xA8, false, {true, true, true, false}, 0xA8}),
    CaseName());

struct RateCase {
    std::string name;
    unsigned multiplier;
    int baud;
    std::vector<std::uint64_t> sckEdgesNs;  // after the first byte goes out
};

class Ft232rRate : public Ft232rFixture, public ::testing::WithParamInterface<RateCase> {};

TEST_P(Ft232rRate, EachByteHoldsThePinsForOnePinPeriod) {
    const RateCase& c = GetParam();
    sim::Ft232rModel model(chip, sim::kFt232rDefaultWiring, c.multiplier);
    ASSERT_TRUE(model.SetBitMode(0x15, FtdiBitMode::kSyncBitbang));
    ASSERT_TRUE(model.Write(Bytes{0x00}));  // SCK (TXD) low from the UART's idle high
    ASSERT_TRUE(model.SetBaudRate(c.baud));
    const std::uint64_t start = model.NowNs();
    ASSERT_TRUE(model.Write(Bytes{0x01, 0x00, 0x01, 0x00}));
    std::vector<std::uint64_t> times;
    for (const Edge& e : chip->EdgesSince(start, Pin::kSck)) {
        times.push_back(e.ns);
    }
    EXPECT_EQ(times, c.sckEdgesNs);
    EXPECT_EQ(model.NowNs() - start, c.sckEdgesNs.back() + (c.sckEdgesNs[1] - c.sckEdgesNs[0]));
}

// 62500: libftdi asks the generator for 250 kHz (divisor 12 exactly): pins at 250 kHz or 1 MHz.
// 70000: asks 280 kHz, the nearest divisor 10.75 gives 279.07 kHz, a 3583.3 ns period at x4.
INSTANTIATE_TEST_SUITE_P(
    Rows, Ft232rRate,
    ::testing::Values(RateCase{"Times4", 4, 62500, {0, 4000, 8000, 12000}},
                      RateCase{"Times16", 16, 62500, {0, 1000, 2000, 3000}},
                      RateCase{"GeneratorRounds", 4, 70000, {0, 3583, 7166, 10750}}),
    CaseName());

TEST_F(Ft232rFixture, MoreThan128UnreadAnswersStallTheStreamUntilTheHostReads) {
    sim::Ft232rModel model(chip);
    ASSERT_TRUE(model.SetBitMode(0x15, FtdiBitMode::kSyncBitbang));
    ASSERT_TRUE(model.SetLatencyTimer(1));
    ASSERT_TRUE(model.SetBaudRate(62500));
    Bytes toggles(200);
    for (std::size_t i = 0; i < toggles.size(); ++i) {
        toggles[i] = static_cast<std::uint8_t>(i & 1);
    }
    const std::uint64_t start = model.NowNs();
    ASSERT_TRUE(model.Write(toggles));
    EXPECT_EQ(model.FifoStalls(), 1u);
    EXPECT_EQ(model.BytesWaiting(), 72u);
    EXPECT_EQ(model.NowNs() - start, 128u * 4000);
    ReadAll(model, 200);
    EXPECT_EQ(model.RoundTrips(), 2u) << "one for the first 128 answers, one for the rest";
    // Byte 128 went out only after the first round trip.
    const std::vector<Edge> sck = chip->EdgesSince(start, Pin::kSck);
    ASSERT_EQ(sck.size(), 200u);
    EXPECT_EQ(sck[128].ns - sck[127].ns, 4000u + sim::FtdiModel::kFullSpeedLatencyNs);
}

TEST_F(Ft232rFixture, AnUnpluggedAdapterFailsEveryCallAfterTheBytesItTook) {
    sim::Ft232rModel model(chip);
    ASSERT_TRUE(model.SetBitMode(0x15, FtdiBitMode::kSyncBitbang));
    model.UnplugAfterBytes(3);
    EXPECT_FALSE(model.Write(Bytes{0x00, 0x01, 0x00, 0x01, 0x00}));
    EXPECT_EQ(model.LastError(), FtdiUnpluggedMessage());
    EXPECT_EQ(chip->EdgesSince(0, Pin::kSck).size(), 4u) << "power-up high, then low, high, low";
    Bytes one(1);
    EXPECT_FALSE(model.Read(one, 10));
    EXPECT_FALSE(model.SetBitMode(0, FtdiBitMode::kReset));
    EXPECT_EQ(model.LastError(), FtdiUnpluggedMessage());
}

// --- Round trips, latency and the read timeout, both kinds -----------------------------------

struct LatencyCase {
    std::string name;
    bool mpsse;
    std::uint8_t latencyTimerMs;
    bool sendNow;
    std::uint64_t roundTripNs;
};

class ModelLatency : public Ft232rFixture, public ::testing::WithParamInterface<LatencyCase> {};

TEST_P(ModelLatency, OneRoundTripPerReadOfNewAnswers) {
    const LatencyCase& c = GetParam();
    std::unique_ptr<sim::FtdiModel> model;
    Bytes stream;
    if (c.mpsse) {
        model = std::make_unique<sim::MpsseModel>(chip);
        ASSERT_TRUE(model->SetBitMode(0x0B, FtdiBitMode::kMpsse));
        stream = c.sendNow ? Bytes{0x81, 0x81, 0x87} : Bytes{0x81, 0x81};
    } else {
        model = std::make_unique<sim::Ft232rModel>(chip);
        ASSERT_TRUE(model->SetBitMode(0x15, FtdiBitMode::kSyncBitbang));
        ASSERT_TRUE(model->SetBaudRate(62500));
        stream = Bytes{0x00, 0x00};
    }
    ASSERT_TRUE(model->SetLatencyTimer(c.latencyTimerMs));
    ASSERT_TRUE(model->Write(stream));
    const std::uint64_t before = model->NowNs();
    ReadAll(*model, 1);
    ReadAll(*model, 1);
    EXPECT_EQ(model->RoundTrips(), 1u) << "the second byte came with the first";
    EXPECT_EQ(model->NowNs() - before, c.roundTripNs);
    Bytes more(1);
    EXPECT_FALSE(model->Read(more, 7));
    EXPECT_EQ(model->LastError(), "read timed out: 0 of 1 bytes arrived within 7 ms");
    EXPECT_EQ(model->NowNs() - before, c.roundTripNs + 7'000'000);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ModelLatency,
    ::testing::Values(LatencyCase{"Ft232rTimer1ms", false, 1, false, 1'000'000},
                      LatencyCase{"Ft232rTimer16ms", false, 16, false, 16'000'000},
                      LatencyCase{"MpsseSendNow", true, 16, true, 125'000},
                      LatencyCase{"MpsseWaitsForTimer", true, 2, false, 2'000'000}),
    CaseName());

// --- MPSSE ------------------------------------------------------------------------------------

struct MpsseFixture : Ft232rFixture {
    sim::MpsseModel model{chip};
    std::uint64_t start = 0;

    void Enter(const Bytes& setup) {
        ASSERT_TRUE(model.SetBitMode(0, FtdiBitMode::kReset));
        ASSERT_TRUE(model.SetBitMode(0x0B, FtdiBitMode::kMpsse));
        ASSERT_TRUE(model.Write(setup));
        start = model.NowNs();
        chip->edges.clear();
    }
};

TEST_F(MpsseFixture, A31TransferPutsBitsOutOnFallingAndTakesThemInOnRisingEdges) {
    // 60 MHz base, divisor 29: 1 MHz SCK, 500 ns halves; RST (AD3) high, SCK and MOSI low.
    Enter({0x8A, 0x86, 29, 0x00, 0x80, 0x08, 0x0B});
    chip->misoByte = 0x3C;
    ASSERT_TRUE(model.Write(Bytes{0x31, 0x00, 0x00, 0xA5, 0x87}));
    EXPECT_EQ(ReadAll(model, 1), Bytes{0x3C});
    std::vector<Edge> expected;
    bool mosi = false;
    for (int bit = 7; bit >= 0; --bit) {
        const std::uint64_t t = static_cast<std::uint64_t>(7 - bit) * 1000;
        const bool out = (0xA5 >> bit & 1) != 0;
        if (out != mosi) {
            expected.push_back({Pin::kMosi, out, t});
            mosi = out;
        }
        if (bit != 7) {
            expected.push_back({Pin::kSck, false, t});
        }
        expected.push_back({Pin::kSck, true, t + 500});
    }
    expected.push_back({Pin::kSck, false, 8000});
    EXPECT_EQ(chip->EdgesSince(start), expected);
}

struct ClockCase {
    std::string name;
    Bytes stream;
    std::uint64_t risingEdges;
    std::uint64_t ns;
};

class MpsseClock : public MpsseFixture, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(MpsseClock, ClocksWithoutDataMakeTimedWaits) {
    Enter({0x80, 0x08, 0x0B});
    ASSERT_TRUE(model.Write(GetParam().stream));
    EXPECT_EQ(chip->EdgesSince(start, Pin::kSck).size(), GetParam().risingEdges * 2);
    EXPECT_EQ(model.NowNs() - start, GetParam().ns);
    EXPECT_EQ(chip->Pins().sck, false);
}

// 8E n: n + 1 periods; 8F lo hi: (length + 1) * 8. A 12 MHz base with divisor 0 is 6 MHz.
INSTANTIATE_TEST_SUITE_P(
    Rows, MpsseClock,
    ::testing::Values(ClockCase{"Bits8E", {0x8A, 0x86, 29, 0, 0x8E, 0x04}, 5, 5000},
                      ClockCase{"Bytes8F", {0x8A, 0x86, 29, 0, 0x8F, 0x01, 0x00}, 16, 16000},
                      ClockCase{"Divisor119", {0x8A, 0x86, 119, 0, 0x8E, 0x00}, 1, 4000},
                      ClockCase{"DivideBy5", {0x8B, 0x86, 0, 0, 0x8F, 0x02, 0x00}, 24, 4000},
                      ClockCase{"SckInputHidesPulses",
                                {0x8A, 0x86, 29, 0, 0x80, 0x08, 0x0A, 0x8E, 0x04},
                                0,
                                5000}),
    CaseName());

TEST_F(MpsseFixture, UnknownCommandsAnswerFaAndCommandsMaySpanWrites) {
    Enter({0x80, 0x08, 0x0B});
    chip->misoByte = 0x00;
    ASSERT_TRUE(model.Write(Bytes{0xAB, 0x31, 0x01}));
    ASSERT_TRUE(model.Write(Bytes{0x00, 0xFF}));
    ASSERT_TRUE(model.Write(Bytes{0x00, 0x81, 0x83}));
    // The chip shifts 1s in behind its 00. Then AD3 (RST) high and AD0, AD1 low as driven, AD2
    // reads MISO (high), unwired pins read high.
    EXPECT_EQ(ReadAll(model, 6), (Bytes{0xFA, 0xAB, 0x00, 0xFF, 0xFC, 0xFF}));
}

TEST(FtdiModelOpen, NoDeviceAndAMissingChannelSayWhatOpenFtdiDeviceSays) {
    auto chip = std::make_shared<PinRecorder>();
    std::string why;
    const FtdiSelector ft232r{FtdiChip::kFt232r, "", 'A'};
    sim::FtdiModelOptions absent;
    absent.present = false;
    EXPECT_EQ(sim::OpenFtdiModel(ft232r, chip, absent, &why), nullptr);
    EXPECT_EQ(why, FtdiOpenFailureMessage(ft232r, FtdiOpenFailure::kNotFound, ""));
    const FtdiSelector channelC{FtdiChip::kFt2232h, "", 'C'};
    EXPECT_EQ(sim::OpenFtdiModel(channelC, chip, {}, &why), nullptr);
    EXPECT_EQ(why, "The FT2232H has no channel C (it has A to B).");
    auto h = sim::OpenFtdiModel({FtdiChip::kFt4232h, "", 'D'}, chip, {}, &why);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->BusLatencyNs(), sim::FtdiModel::kHighSpeedLatencyNs);
}

}  // namespace
