// The gate in front of READ, PROG and ERASE.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/image_store.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device_fixture.h"
#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/device_actions.h"
#include "operations/device_gate.h"
#include "operations/erase_action.h"

namespace {

struct GateCase {
    const char* name;
    std::function<void(FakeMainWindow&)> action;
};

class CalibrationGateTest : public DeviceFixture, public ::testing::WithParamInterface<GateCase> {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        imageStore.fileLoaded = 1;
        imageStore.fileByteCount = 1;
        SetPortOpener([this](std::string*) {
            ++opens;
            return std::unique_ptr<PortIo>();
        });
    }
    void ExpectRefused() {
        window.boxes.clear();
        window.events.clear();
        const auto textsBefore = window.texts;
        GetParam().action(window);
        ASSERT_EQ(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
        EXPECT_EQ(window.boxes[0].caption, "ERROR");
        EXPECT_EQ(window.boxes[0].type, MB_OK);
        EXPECT_EQ(window.events.size(), 1u);
        EXPECT_EQ(window.texts, textsBefore);
        EXPECT_EQ(opens, 0);
    }

    FakeMainWindow window;
    int opens = 0;
};

TEST_P(CalibrationGateTest, RefusesWhileCalibratingWithoutATimerOrWhenCalibrationFailed) {
    ExpectRefused();
    cycleTimer = nullptr;
    ExpectRefused();
    timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ManualOneShot>(false));
    cycleTimer = timer.get();
    counter.Advance(10'000'000'000u);  // a one-shot that could not be armed never fires
    ExpectRefused();
}

INSTANTIATE_TEST_SUITE_P(
    Actions, CalibrationGateTest,
    ::testing::Values(GateCase{"Gate",
                               [](FakeMainWindow& w) {
                                   const bool passed = PassCalibrationGate(w);
                                   EXPECT_EQ(passed, w.boxes.empty());
                               }},
                      GateCase{"Read", [](FakeMainWindow& w) { OnRead(w); }},
                      GateCase{"Prog", [](FakeMainWindow& w) { OnProgram(w); }},
                      GateCase{"Erase", [](FakeMainWindow& w) { OnErase(w); }}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
