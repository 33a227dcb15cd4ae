#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "device/cycle_timer.h"
#include "manual_one_shot.h"
#include "virtual_counter.h"

// Installs a fresh image store and a shared CCycleTimer on a virtual counter. The counter counts
// nanoseconds (calibration gives 1000 ticks per microsecond); each read advances it by
// `ticksPerRead`. Calibrate() fires the one-shot after 5000 virtual milliseconds.
class DeviceFixture : public ::testing::Test {
protected:
    explicit DeviceFixture(std::uint64_t ticksPerRead = 1000);
    void SetUp() override;
    void TearDown() override;

    void Calibrate();

    VirtualCounter counter;
    ManualOneShot* oneShot = nullptr;  // owned by the timer
    std::unique_ptr<CCycleTimer> timer;
};
