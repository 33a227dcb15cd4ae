// The gate in front of READ, PROG and ERASE.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/cycle_timer.h"
#include "device_fixture.h"
#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/device_gate.h"

namespace {

class CalibrationGate : public DeviceFixture {
protected:
    void ExpectRefused() {
        const auto textsBefore = window.texts;
        EXPECT_FALSE(PassCalibrationGate(window));
        ASSERT_EQ(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
        EXPECT_EQ(window.boxes[0].caption, "ERROR");
        EXPECT_EQ(window.boxes[0].type, MB_OK);
        EXPECT_EQ(window.events, std::vector<std::string>{
                                     "box TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON."});
        EXPECT_EQ(window.texts, textsBefore);
    }

    FakeMainWindow window;
};

TEST_F(CalibrationGate, RefusesWithTheMessageWhileCalibrating) {
    ExpectRefused();
}

TEST_F(CalibrationGate, PassesSilentlyOnceCalibrated) {
    Calibrate();
    EXPECT_TRUE(PassCalibrationGate(window));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.events.empty());
}

TEST_F(CalibrationGate, RefusesEveryTimeWhenTheOneShotCouldNotBeArmed) {
    timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ManualOneShot>(false));
    cycleTimer = timer.get();
    counter.Advance(10'000'000'000u);
    ExpectRefused();
    window.boxes.clear();
    window.events.clear();
    ExpectRefused();
}

TEST_F(CalibrationGate, RefusesWithoutASharedTimer) {
    cycleTimer = nullptr;
    ExpectRefused();
}

}  // namespace
