// The cable driven register by register at chosen times, to show the chip checks every edge.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "sim/simulated_cable.h"

namespace {

using sim::ViolationKind;

// Register values (cable: MOSI = NOT bit 0, SCK = bit 1, RST = NOT bit 2).
constexpr std::uint8_t kResetClockHighMosiLow = 0x03;
constexpr std::uint8_t kResetClockLowMosiLow = 0x01;
constexpr std::uint8_t kResetClockHighMosiHigh = 0x02;
constexpr std::uint8_t kResetClockLowMosiHigh = 0x00;

class DirectDrive {
public:
    explicit DirectDrive(std::uint64_t oscillatorHz)
        : chip_(std::make_shared<sim::At89s8252>()), cable_(chip_, [this] { return now_; }) {
        chip_->SetOscillatorHz(oscillatorHz);
    }

    void At(std::uint64_t timeNs, std::uint8_t reg) {
        now_ = timeNs;
        cable_.WriteData(reg);
    }
    // `bits` clock pulses from `startNs`: falling edge, `lowNs` later the rising edge, `highNs`
    // later the next falling edge.
    void Clock(std::uint64_t startNs, std::uint64_t lowNs, std::uint64_t highNs, int bits,
               bool inProgrammingMode = true) {
        const std::uint8_t low = inProgrammingMode ? kResetClockLowMosiLow : 0x05;
        const std::uint8_t high = inProgrammingMode ? kResetClockHighMosiLow : 0x07;
        std::uint64_t t = startNs;
        for (int i = 0; i < bits; ++i) {
            At(t, low);
            t += lowNs;
            At(t, high);
            t += highNs;
        }
    }
    sim::At89s8252& Chip() { return *chip_; }

private:
    std::uint64_t now_ = 0;
    std::shared_ptr<sim::At89s8252> chip_;
    sim::SimulatedCable cable_;
};

struct Expected {
    std::uint64_t timeNs;
    ViolationKind kind;
    std::string what;
};

void ExpectViolations(const sim::At89s8252& chip, const std::vector<Expected>& expected) {
    ASSERT_EQ(chip.Violations().size(), expected.size());
    EXPECT_EQ(chip.ViolationCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(chip.Violations()[i].timeNs, expected[i].timeNs) << i;
        EXPECT_EQ(chip.Violations()[i].kind, expected[i].kind) << i;
        EXPECT_EQ(chip.Violations()[i].what, expected[i].what) << i;
    }
}

struct ClockCase {
    const char* name;
    std::uint64_t oscillatorHz;
    std::uint64_t lowNs;
    std::uint64_t highNs;
    std::vector<Expected> expected;
};

class ClockTimingTest : public ::testing::TestWithParam<ClockCase> {};

// RST rises at 10 us; three clock pulses start at 20 us.
TEST_P(ClockTimingTest, RecordsEveryPhaseAndPeriodBelowTheLimits) {
    const auto& c = GetParam();
    DirectDrive drive(c.oscillatorHz);
    drive.At(10'000, kResetClockHighMosiLow);
    drive.Clock(20'000, c.lowNs, c.highNs, 3);
    ExpectViolations(drive.Chip(), c.expected);
}

const std::string kLow1500 = "SCK low for 1500 ns, need 24 oscillator periods (2000 ns)";
const std::string kHigh1500 = "SCK high for 1500 ns, need 24 oscillator periods (2000 ns)";
const std::string kLow1999 = "SCK low for 1999 ns, need 24 oscillator periods (2000 ns)";
const std::string kPeriod3000 =
    "SCK period 3000 ns, need more than 40 oscillator periods (at least 3334 ns)";

// 24 periods high and 24 low already make a period longer than 40, so a period too short comes
// with short phases.
INSTANTIATE_TEST_SUITE_P(
    Clocks, ClockTimingTest,
    ::testing::Values(
        ClockCase{"Legal", 12'000'000, 2500, 2500, {}},
        ClockCase{"ShortestLegalPhases", 12'000'000, 2000, 2000, {}},
        ClockCase{"LowTooShort",
                  12'000'000,
                  1500,
                  3000,
                  {{21'500, ViolationKind::kSckLowTooShort, kLow1500},
                   {26'000, ViolationKind::kSckLowTooShort, kLow1500},
                   {30'500, ViolationKind::kSckLowTooShort, kLow1500}}},
        ClockCase{"LowOneNanosecondShort",
                  12'000'000,
                  1999,
                  2700,
                  {{21'999, ViolationKind::kSckLowTooShort, kLow1999},
                   {26'698, ViolationKind::kSckLowTooShort, kLow1999},
                   {31'397, ViolationKind::kSckLowTooShort, kLow1999}}},
        // The first high phase runs from RST rising, 10 us earlier, so only later ones are short.
        ClockCase{"HighTooShort",
                  12'000'000,
                  3000,
                  1500,
                  {{24'500, ViolationKind::kSckHighTooShort, kHigh1500},
                   {29'000, ViolationKind::kSckHighTooShort, kHigh1500}}},
        ClockCase{"ClockTooFast",
                  12'000'000,
                  1500,
                  1500,
                  {{21'500, ViolationKind::kSckLowTooShort, kLow1500},
                   {23'000, ViolationKind::kSckHighTooShort, kHigh1500},
                   {23'000, ViolationKind::kSckPeriodTooShort, kPeriod3000},
                   {24'500, ViolationKind::kSckLowTooShort, kLow1500},
                   {24'500, ViolationKind::kSckPeriodTooShort, kPeriod3000},
                   {26'000, ViolationKind::kSckHighTooShort, kHigh1500},
                   {26'000, ViolationKind::kSckPeriodTooShort, kPeriod3000},
                   {27'500, ViolationKind::kSckLowTooShort, kLow1500},
                   {27'500, ViolationKind::kSckPeriodTooShort, kPeriod3000}}},
        ClockCase{"FasterCrystalAllowsFasterClock", 24'000'000, 1000, 1000, {}}),
    CaseName{});

TEST(DataTimingTest, RecordsMosiMovingTooCloseToTheRisingEdge) {
    DirectDrive drive(12'000'000);
    drive.At(10'000, kResetClockHighMosiLow);
    drive.At(20'000, kResetClockLowMosiLow);
    drive.At(22'000, kResetClockHighMosiLow);
    drive.At(22'050, kResetClockHighMosiHigh);  // hold: 50 ns after the rise
    drive.At(30'000, kResetClockLowMosiHigh);
    drive.At(31'950, kResetClockLowMosiLow);  // set-up: 50 ns before the rise
    drive.At(32'000, kResetClockHighMosiLow);
    drive.At(40'000, kResetClockLowMosiLow);
    drive.At(42'000, kResetClockHighMosiHigh);  // both lines in one write
    ExpectViolations(drive.Chip(),
                     {{22'050, ViolationKind::kMosiHoldTooShort,
                       "MOSI held 50 ns after SCK rose, need 2 oscillator periods (167 ns)"},
                      {32'000, ViolationKind::kMosiSetupTooShort,
                       "MOSI set up 50 ns before SCK rose, need 1 oscillator period (84 ns)"},
                      {42'000, ViolationKind::kMosiSetupTooShort,
                       "MOSI set up 0 ns before SCK rose, need 1 oscillator period (84 ns)"}});
}

TEST(DataTimingTest, ClockOutsideProgrammingModeIsNotChecked) {
    DirectDrive drive(12'000'000);
    drive.Clock(20'000, 100, 100, 48, false);
    EXPECT_EQ(drive.Chip().ViolationCount(), 0u);
    EXPECT_EQ(drive.Chip().Counts().obeyed + drive.Chip().Counts().ignored, 0u);
}

TEST(DataTimingTest, ClearViolationsForgetsThem) {
    DirectDrive drive(12'000'000);
    drive.At(10'000, kResetClockHighMosiLow);
    drive.Clock(20'000, 100, 100, 2);
    EXPECT_GT(drive.Chip().ViolationCount(), 0u);
    drive.Chip().ClearViolations();
    EXPECT_EQ(drive.Chip().ViolationCount(), 0u);
    EXPECT_TRUE(drive.Chip().Violations().empty());
}

}  // namespace
