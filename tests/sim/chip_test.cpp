// The simulated chip: driven by the program's own link, and its timing checker driven edge by
// edge through the cable.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device_fixture.h"
#include "sim/chip_timing.h"
#include "sim/simulated_cable.h"

namespace {

// Ten microseconds per counter read: the link's waits take a read or two, every edge still timed.
class ChipLink : public DeviceFixture {
protected:
    ChipLink() : DeviceFixture(10'000, true) {}
};

TEST_F(ChipLink, ObeysOnlyWhileEnabledErasesWritesAndReadsBack) {
    chip->LoadFlash(std::vector<std::uint8_t>(8192, 0x00));
    SetProgrammingMode(1);
    ChipErase();
    WriteCodeByte(0x0123, 0x5C);
    EXPECT_EQ(ReadCodeByte(0x0123), 0xFF) << "an ignored read shifts nothing out";
    ProgrammingEnable();  // 9.86 ms after RST rose: too early, ignored
    WriteCodeByte(0x0123, 0x5C);
    timer->DelayMicroseconds(10000);
    ProgrammingEnable();
    SetProgrammingMode(0);  // reset low clears the enable
    SetProgrammingMode(1);
    timer->DelayMicroseconds(10000);
    WriteCodeByte(0x0123, 0x5C);
    EXPECT_EQ(chip->Counts().obeyed, 1u);
    EXPECT_EQ(chip->Counts().ignored, 6u);
    ProgrammingEnable();
    ChipErase();
    EXPECT_EQ(ReadCodeByte(0x0040), 0x00) << "reads answer 0x00 while the chip erases";
    timer->DelayMicroseconds(16000);
    // A write replaces the byte, turning bits both ways; a cell with stuck bits keeps their levels.
    chip->AddStuckBits(0x1556, 0x0F, 0x05);
    const int writes[][3] = {{0x1555, 0x78, 0x78}, {0x1555, 0x87, 0x87}, {0x1556, 0xF0, 0xF5}};
    for (const auto& [address, value, stored] : writes) {
        WriteCodeByte(address, value);
        EXPECT_EQ(ReadCodeByte(address), stored);
    }
    SetProgrammingMode(0);
    std::vector<std::uint8_t> expected(8192, 0xFF);
    expected[0x1555] = 0x87;
    expected[0x1556] = 0xF5;
    EXPECT_EQ(std::vector<std::uint8_t>(chip->Flash().begin(), chip->Flash().end()), expected);
    ASSERT_EQ(chip->Violations().size(), 1u);
    EXPECT_EQ(chip->Violations()[0].kind, sim::ViolationKind::kEnableTooEarly);
    EXPECT_EQ(chip->Violations()[0].what,
              "Programming Enable ignored: 9860000 ns after RST rose, need 10 ms");
    chip->ClearViolations();
}

// Bits 6..0 already read new: only bit 7 tells that the write is still running.
TEST_F(ChipLink, AWriteCycleLongerThanThePauseLosesTheNextWriteAndReadsAnswerBit7Complemented) {
    chip->SetWriteCycleNanoseconds(sim::kSlowWriteCycleNanoseconds);
    SetProgrammingMode(1);
    timer->DelayMicroseconds(10000);
    ProgrammingEnable();
    WriteCodeByte(0x0000, 0x11);
    const std::uint64_t busyUntil = chip->BusyUntilNs();
    WriteCodeByte(0x1ABC, 0x22);
    timer->DelayMicroseconds(10000);
    WriteCodeByte(0x0100, 0x3C);
    EXPECT_EQ(ReadCodeByte(0x0100), 0xBC);
    SetProgrammingMode(0);
    EXPECT_EQ(chip->Flash()[0x1ABC], 0xFF);
    ASSERT_EQ(chip->Violations().size(), 1u);
    EXPECT_EQ(chip->Violations()[0].kind, sim::ViolationKind::kWriteWhileBusy);
    EXPECT_EQ(chip->Violations()[0].what,
              "Write Code 0x1ABC ignored: busy until " + std::to_string(busyUntil) + " ns");
    chip->ClearViolations();
}

struct ClockCase {
    const char* name;
    std::uint64_t oscillatorHz, lowNs, highNs;
    std::size_t violations;
    std::uint64_t lastNs;  // the last violation's time and text
    const char* last;
};

class ClockTiming : public ::testing::TestWithParam<ClockCase> {};

// RST rises at 10 us; three clock pulses start at 20 us.
TEST_P(ClockTiming, RecordsEveryPhaseAndPeriodBelowTheLimits) {
    const auto& c = GetParam();
    auto chip = std::make_shared<sim::At89s8252>();
    chip->SetOscillatorHz(c.oscillatorHz);
    std::uint64_t now = 10'000;
    sim::SimulatedCable cable(chip, [&] { return now; });
    cable.WriteData(0x03);
    for (now = 20'000; now < 20'000 + 3 * (c.lowNs + c.highNs); now += c.highNs) {
        cable.WriteData(0x01);
        now += c.lowNs;
        cable.WriteData(0x03);
    }
    ASSERT_EQ(chip->Violations().size(), c.violations);
    if (c.violations > 0) {
        EXPECT_EQ(chip->Violations().back().timeNs, c.lastNs);
        EXPECT_EQ(chip->Violations().back().what, c.last);
    }
}

// 24 periods high and 24 low already make a period longer than 40, so a period too short comes
// with short phases.
INSTANTIATE_TEST_SUITE_P(
    Clocks, ClockTiming,
    ::testing::Values(
        ClockCase{"ShortestLegalPhases", 12'000'000, 2000, 2000, 0, 0, ""},
        ClockCase{"LowOneNanosecondShort", 12'000'000, 1999, 2700, 3, 31'397,
                  "SCK low for 1999 ns, need 24 oscillator periods (2000 ns)"},
        // The first high phase runs from RST rising, 10 us earlier, so only later ones are short.
        ClockCase{"HighTooShort", 12'000'000, 3000, 1500, 2, 29'000,
                  "SCK high for 1500 ns, need 24 oscillator periods (2000 ns)"},
        ClockCase{"ClockTooFast", 12'000'000, 1500, 1500, 9, 27'500,
                  "SCK period 3000 ns, need more than 40 oscillator periods (at least 3334 ns)"},
        ClockCase{"FasterCrystalAllowsFasterClock", 24'000'000, 1000, 1000, 0, 0, ""}),
    CaseName{});

TEST(DataTiming, RecordsMosiMovingTooCloseToTheRisingEdge) {
    auto chip = std::make_shared<sim::At89s8252>();
    std::uint64_t now = 0;
    sim::SimulatedCable cable(chip, [&] { return now; });
    // RST high; hold 50 ns after a rise, set-up 50 ns before one, both lines in one write.
    const std::pair<std::uint64_t, std::uint8_t> writes[] = {
        {10'000, 0x03}, {20'000, 0x01}, {22'000, 0x03}, {22'050, 0x02}, {30'000, 0x00},
        {31'950, 0x01}, {32'000, 0x03}, {40'000, 0x01}, {42'000, 0x02}};
    for (const auto& [time, reg] : writes) {
        now = time;
        cable.WriteData(reg);
    }
    std::string seen;
    for (const auto& v : chip->Violations()) {
        seen += std::to_string(v.timeNs) + " " + v.what + "\n";
    }
    EXPECT_EQ(seen,
              "22050 MOSI held 50 ns after SCK rose, need 2 oscillator periods (167 ns)\n"
              "32000 MOSI set up 50 ns before SCK rose, need 1 oscillator period (84 ns)\n"
              "42000 MOSI set up 0 ns before SCK rose, need 1 oscillator period (84 ns)\n");
}

}  // namespace
