#pragma once

#include <memory>
#include <vector>

#include "device/port_access.h"
#include "device_fixture.h"
#include "sim/simulated_cable.h"

// A calibrated virtual-time timer (10 us per counter read, so waits cost few reads) and the
// link bound to a simulated chip that checks every edge against the real timing limits.
class SimChipFixture : public DeviceFixture {
protected:
    SimChipFixture() : DeviceFixture(10'000) {}

    void SetUp() override {
        DeviceFixture::SetUp();
        chip = std::make_shared<sim::At89s8252>();
        SetPortOpener([this](std::string*) {
            return sim::MakeSimulatedPort(chip, [this] { return counter.Peek(); });
        });
        ASSERT_TRUE(EnsurePortOpen());
        Calibrate();
    }

    void TearDown() override {
        EXPECT_EQ(chip->ViolationCount(), 0u) << FirstViolation();
        DeviceFixture::TearDown();
    }

    std::string FirstViolation() const {
        return chip->Violations().empty() ? std::string() : chip->Violations().front().what;
    }

    void LoadChip(const std::vector<std::uint8_t>& bytes) { chip->LoadFlash(bytes); }

    std::shared_ptr<sim::At89s8252> chip;
};
