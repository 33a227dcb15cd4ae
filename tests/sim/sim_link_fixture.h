#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device_fixture.h"
#include "sim/at89s8252.h"
#include "sim/vcd_trace.h"

// The real link and programming commands talking to a simulated chip through the simulated
// cable, in virtual time: the chip's clock is the fixture's counter, read without advancing it.
class SimLinkFixture : public DeviceFixture {
protected:
    explicit SimLinkFixture(std::uint64_t ticksPerRead = 1000) : DeviceFixture(ticksPerRead) {}
    void SetUp() override;
    void TearDown() override;

    // Programming mode on, then Programming Enable (as every device action starts).
    void EnterAndEnable();
    // All recorded violations, one per line, for failure messages.
    std::string ViolationText() const;

    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    // Set before SetUp opens the port to trace from the first write.
    sim::VcdTrace* trace = nullptr;
};

#define EXPECT_NO_VIOLATIONS() EXPECT_EQ(chip->ViolationCount(), 0u) << ViolationText()
