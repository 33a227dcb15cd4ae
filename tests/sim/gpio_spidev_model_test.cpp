// The GPIO and spidev models against the chip: line offsets, inversion, the time of each ioctl,
// a vanishing device node, SPI mode 0 edges, the controller's clock rounding and segment delays.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "model_trace.h"
#include "sim/at89s8252.h"
#include "sim/gpio_lines_model.h"
#include "sim/spidev_model.h"

namespace {

// A Raspberry Pi's usual lines (BCM numbers): RST 22, SCK 24, MOSI 23, MISO 18.
constexpr sim::GpioWiring kPiWiring{{22, false}, {24, false}, {23, false}, {18, false}};

class ModelBench : public ::testing::Test {
protected:
    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    std::uint64_t hostNs = 0;
    std::shared_ptr<sim::ModelClock> clock =
        std::make_shared<sim::ModelClock>([this] { return hostNs; });
    sim::VcdTrace trace;
    std::shared_ptr<sim::ChipPins> pins = std::make_shared<sim::ChipPins>(chip, 0, &trace);
};

struct GpioCase {
    std::string name;
    sim::GpioWiring wiring;
    std::vector<unsigned> outputs;
    std::uint32_t initial;
    std::uint32_t next;
    bool misoRead;  // with the chip's MISO high
    std::string changes;
};

class GpioModel : public ModelBench, public ::testing::WithParamInterface<GpioCase> {};

constexpr sim::GpioWiring kInvertedRstAndMiso{{22, true}, {24, false}, {23, false}, {18, true}};
constexpr sim::GpioWiring kNoMiso{{22, false}, {24, false}, {23, false}, {}};

// One row a line.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, GpioModel,
    ::testing::Values(
        GpioCase{"PiWiring", kPiWiring, {22, 24, 23}, 0b001, 0b110, true,
                 "100:RST=1 5200:RST=0 5200:MOSI=1 5200:SCK=1"},
        GpioCase{"OffsetsInAnyOrder", kPiWiring, {23, 22, 24}, 0b011, 0b100, true,
                 "100:MOSI=1 100:RST=1 5200:RST=0 5200:MOSI=0 5200:SCK=1"},
        GpioCase{"InvertedRstAndMiso", kInvertedRstAndMiso, {22, 24, 23}, 0, 1, false,
                 "100:RST=1 5200:RST=0"},
        GpioCase{"UnwiredLinesDriveAndReadNothing", kNoMiso, {5, 24, 23}, 1, 3, false,
                 "5200:SCK=1"}),
    CaseName{});
// clang-format on

// Each ioctl costs 100 ns on top of the host's time; the host waits 5 us between the two sets.
TEST_P(GpioModel, SetsTheWiredPinsAtTheCallsTimeAndReadsMiso) {
    sim::GpioChipModel gpio(pins, clock, {GetParam().wiring, 54, 100, 0});
    std::string why;
    auto lines = gpio.Open(GetParam().outputs, GetParam().initial, 18, &why);
    ASSERT_NE(lines, nullptr) << why;
    hostNs = 5'000;
    ASSERT_TRUE(lines->SetOutputs(GetParam().next));
    bool miso = !GetParam().misoRead;
    ASSERT_TRUE(lines->GetInput(&miso));
    EXPECT_EQ(ChangesText(trace), GetParam().changes);
    EXPECT_EQ(miso, GetParam().misoRead);
}

TEST_F(ModelBench, GpioRefusesBadOffsetsAndFailsOnceTheNodeVanishes) {
    sim::GpioChipModel gpio(pins, clock, {kPiWiring, 54, 0, 2});
    std::string why;
    EXPECT_EQ(gpio.Open(std::vector<unsigned>{22, 54}, 0, 18, &why), nullptr);
    EXPECT_EQ(why, "line 54 does not exist (the chip has 54 lines)");
    EXPECT_EQ(gpio.Open(std::vector<unsigned>{22, 24}, 0, 22, &why), nullptr);
    EXPECT_EQ(why, "a line is requested twice");
    auto lines = gpio.Open(std::vector<unsigned>{22}, 0, 18, &why);
    ASSERT_NE(lines, nullptr);
    bool level = false;
    EXPECT_TRUE(lines->SetOutputs(1));
    EXPECT_TRUE(lines->GetInput(&level));
    EXPECT_FALSE(lines->SetOutputs(0));
    EXPECT_FALSE(lines->GetInput(&level));
    EXPECT_EQ(lines->LastError(),
              "GPIO line ioctl failed: No such device (the gpiochip went away)");
    EXPECT_TRUE(chip->Pins().rst) << "a failed call changes nothing";
}

struct RoundingCase {
    std::string name;
    sim::SpiClockRounding rounding;
    std::uint32_t askedHz;
    std::uint32_t runsHz;
};

class SpiRounding : public ::testing::TestWithParam<RoundingCase> {};

// A 250 MHz base clock; 251 kHz needs a divisor of 996.01.
INSTANTIATE_TEST_SUITE_P(
    Controllers, SpiRounding,
    ::testing::Values(
        RoundingCase{"EvenDivisorDown", sim::SpiClockRounding::kDownEvenDivisor, 251'000, 250'501},
        RoundingCase{"PowerOfTwoDown", sim::SpiClockRounding::kDownPowerOfTwoDivisor, 251'000,
                     244'140},
        RoundingCase{"NearestGoesUp", sim::SpiClockRounding::kNearestEvenDivisor, 251'000, 251'004},
        RoundingCase{"SlowestDivisorGoesUp", sim::SpiClockRounding::kDownEvenDivisor, 1'000,
                     3'814}),
    CaseName{});

TEST_P(SpiRounding, SetMaxSpeedReportsTheControllersClock) {
    auto chip = std::make_shared<sim::At89s8252>();
    sim::SpidevModel spi(std::make_shared<sim::ChipPins>(chip, 0),
                         std::make_shared<sim::ModelClock>(),
                         {250'000'000, GetParam().rounding, 65'536, 500'000, 20'000});
    EXPECT_EQ(spi.SetMaxSpeedHz(GetParam().askedHz), GetParam().runsHz);
}

// Mode 0 at 250 kHz (2 us phases, the limit at 12 MHz): MOSI changes with SCK low, SCK rises
// mid-bit; a segment asking for more than the maximum still runs at the maximum.
TEST_F(ModelBench, SpiClocksMode0MsbFirstAndDelaysAfterTheSegment) {
    sim::SpidevModel spi(pins, clock);
    ASSERT_EQ(spi.SetMaxSpeedHz(250'000), 250'000u);
    const std::uint8_t tx[] = {0xA0};
    const sim::SpidevModel::Segment segment{tx, {}, 1'000'000, 3};
    ASSERT_TRUE(spi.Transfer({&segment, 1}));
    EXPECT_EQ(ChangesText(trace),
              "20000:MOSI=1 22000:SCK=1 24000:MOSI=0 24000:SCK=0 26000:SCK=1 28000:MOSI=1 "
              "28000:SCK=0 30000:SCK=1 32000:MOSI=0 32000:SCK=0 34000:SCK=1 36000:SCK=0 "
              "38000:SCK=1 40000:SCK=0 42000:SCK=1 44000:SCK=0 46000:SCK=1 48000:SCK=0 "
              "50000:SCK=1 52000:SCK=0");
    EXPECT_EQ(clock->NowNs(), 52'000u + 3'000u);
    EXPECT_EQ(spi.Messages(), 1u);
}

// The whole path: RST on a GPIO line, the 10 ms settle in the host's time, then enable, write
// and read back in one message, the write's pause as a segment delay.
TEST_F(ModelBench, SpiWithGpioResetProgramsAndReadsBackWithinTheChipsLimits) {
    sim::GpioChipModel gpio(pins, clock, {{{25, false}, {}, {}, {}}, 54, 0, 0});
    auto rst = gpio.Open(std::vector<unsigned>{25}, 1, 24, nullptr);
    ASSERT_NE(rst, nullptr);
    hostNs = 10'000'000;
    sim::SpidevModel spi(pins, clock);
    ASSERT_EQ(spi.SetMaxSpeedHz(250'000), 250'000u);
    const std::uint8_t enable[] = {0xAC, 0x53, 0x00};
    const std::uint8_t write[] = {0x02, 0x12, 0x5A};
    const std::uint8_t read[] = {0x01, 0x12, 0x00};
    std::uint8_t answer[3] = {};
    const sim::SpidevModel::Segment message[] = {
        {enable, {}, 0, 0}, {write, {}, 0, 3'000}, {read, answer, 0, 0}};
    ASSERT_TRUE(spi.Transfer(message));
    EXPECT_EQ(answer[2], 0x5A);
    EXPECT_EQ(chip->ViolationCount(), 0u);
}

}  // namespace
