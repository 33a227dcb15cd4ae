#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "case_name.h"
#include "sim/simulated_cable.h"

namespace {

using sim::Pin;
using sim::PinChange;

struct MappingCase {
    std::uint8_t reg;
    bool rst, sck, mosi;
};

class CableMappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(CableMappingTest, RegisterBitsReachThePinsThroughTheCable) {
    const auto& c = GetParam();
    auto chip = std::make_shared<sim::At89s8252>();
    std::uint64_t now = 0;
    sim::SimulatedCable cable(chip, [&] { return now; });
    now = 1000;
    cable.WriteData(c.reg);
    const sim::PinLevels pins = chip->Pins();
    EXPECT_EQ(pins.rst, c.rst);
    EXPECT_EQ(pins.sck, c.sck);
    EXPECT_EQ(pins.mosi, c.mosi);
}

// MOSI = NOT bit 0, SCK = bit 1, RST = NOT bit 2; bits 3 to 7 go nowhere.
INSTANTIATE_TEST_SUITE_P(
    AllLineCombinations, CableMappingTest,
    ::testing::Values(MappingCase{0x00, true, false, true}, MappingCase{0x01, true, false, false},
                      MappingCase{0x02, true, true, true}, MappingCase{0x03, true, true, false},
                      MappingCase{0x04, false, false, true}, MappingCase{0x05, false, false, false},
                      MappingCase{0x06, false, true, true}, MappingCase{0x07, false, true, false},
                      MappingCase{0xF8, true, false, true},
                      MappingCase{0xFD, false, false, false}));

struct StatusCase {
    sim::MisoFault fault;
    std::uint8_t status;
};

class CableStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(CableStatusTest, StatusBit3IsTheComplementOfMiso) {
    auto chip = std::make_shared<sim::At89s8252>();
    sim::SimulatedCable cable(chip, [] { return std::uint64_t{0}; });
    chip->SetMisoFault(GetParam().fault);
    EXPECT_EQ(cable.ReadStatus(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(MisoLevels, CableStatusTest,
                         ::testing::Values(StatusCase{sim::MisoFault::kStuckLow, 0x08},
                                           StatusCase{sim::MisoFault::kStuckHigh, 0x00},
                                           // Idle MISO rests high.
                                           StatusCase{sim::MisoFault::kNone, 0x00}));

struct ChangeCase {
    const char* name;
    std::uint8_t from;
    std::uint8_t to;
    std::vector<std::pair<Pin, bool>> changes;  // in the order the chip receives them
};

class CableChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(CableChangeTest, PassesOnlyChangedPinsAtTheTimeOfTheWrite) {
    const auto& c = GetParam();
    auto chip = std::make_shared<sim::At89s8252>();
    std::uint64_t now = 500;
    sim::SimulatedCable cable(chip, [&] { return now; });
    cable.WriteData(c.from);
    sim::VcdTrace trace;
    cable.AttachTrace(&trace);
    now = 7777;
    cable.WriteData(c.to);
    ASSERT_EQ(trace.Changes().size(), c.changes.size());
    for (std::size_t i = 0; i < c.changes.size(); ++i) {
        EXPECT_EQ(trace.Changes()[i].timeNs, 7777u) << i;
        EXPECT_EQ(trace.Changes()[i].pin, c.changes[i].first) << i;
        EXPECT_EQ(trace.Changes()[i].level, c.changes[i].second) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writes, CableChangeTest,
    ::testing::Values(ChangeCase{"Same", 0x07, 0x07, {}},
                      ChangeCase{"UnusedBitsOnly", 0x07, 0xFF, {}},
                      ChangeCase{"ClockOnly", 0x07, 0x05, {{Pin::kSck, false}}},
                      ChangeCase{"DataOnly", 0x03, 0x02, {{Pin::kMosi, true}}},
                      // Entering programming mode: the other lines settle before RST rises.
                      ChangeCase{"IntoProgrammingMode",
                                 0x07,
                                 0x00,
                                 {{Pin::kMosi, true}, {Pin::kSck, false}, {Pin::kRst, true}}},
                      // Leaving it: RST falls before the other lines move.
                      ChangeCase{"OutOfProgrammingMode",
                                 0x00,
                                 0x07,
                                 {{Pin::kRst, false}, {Pin::kMosi, false}, {Pin::kSck, true}}}),
    CaseName{});

TEST(CableTest, StartsFromTheIdleRegisterWithoutClockingTheChip) {
    auto chip = std::make_shared<sim::At89s8252>();
    sim::SimulatedCable cable(chip, [] { return std::uint64_t{42}; });
    const sim::PinLevels pins = chip->Pins();
    EXPECT_FALSE(pins.rst);
    EXPECT_TRUE(pins.sck);
    EXPECT_FALSE(pins.mosi);
    EXPECT_TRUE(pins.miso);
    EXPECT_EQ(chip->Counts().obeyed + chip->Counts().ignored, 0u);
    EXPECT_EQ(chip->ViolationCount(), 0u);
}

TEST(CableTest, AttachingATraceRecordsTheLevelsAtThatMoment) {
    auto chip = std::make_shared<sim::At89s8252>();
    std::uint64_t now = 10;
    sim::SimulatedCable cable(chip, [&] { return now; });
    now = 900;
    cable.WriteData(0x01);  // RST high, SCK low, MOSI low
    now = 1234;
    sim::VcdTrace trace;
    cable.AttachTrace(&trace);
    ASSERT_TRUE(trace.Started());
    EXPECT_EQ(trace.StartNs(), 1234u);
    EXPECT_TRUE(trace.InitialLevels().rst);
    EXPECT_FALSE(trace.InitialLevels().sck);
    EXPECT_FALSE(trace.InitialLevels().mosi);
    EXPECT_TRUE(trace.InitialLevels().miso);
    EXPECT_TRUE(trace.Changes().empty());
    cable.AttachTrace(nullptr);
    cable.WriteData(0x07);
    EXPECT_TRUE(trace.Changes().empty());
}

}  // namespace
