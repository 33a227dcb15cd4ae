#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "device/cycle_timer.h"
#include "fake_port.h"
#include "manual_one_shot.h"
#include "sim/at89s8252.h"
#include "virtual_counter.h"

// Installs a fresh image store and a shared CCycleTimer on a virtual counter. The counter counts
// nanoseconds (calibration gives 1000 ticks per microsecond); each read advances it by
// `ticksPerRead`. Calibrate() fires the one-shot after 5000 virtual milliseconds. With
// `simulatedChip` SetUp also binds the port to `chip` through the simulated cable, on the same
// clock, and calibrates; any timing violation the chip recorded fails the test at its end.
class DeviceFixture : public ::testing::Test {
protected:
    explicit DeviceFixture(std::uint64_t ticksPerRead = 1000, bool simulatedChip = false)
        : counter(ticksPerRead), simulatedChip_(simulatedChip) {}
    void SetUp() override;
    void TearDown() override;

    void Calibrate();
    // Binds the port to a FakePort stamping its accesses with the counter.
    void OpenFakePort();

    VirtualCounter counter;
    ManualOneShot* oneShot = nullptr;  // owned by the timer
    std::unique_ptr<CCycleTimer> timer;
    FakePort* port = nullptr;  // owned by the port access layer, after OpenFakePort()
    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();

private:
    bool simulatedChip_;
};
