#include "operations/erase_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "device_fixture.h"
#include "fake_main_window.h"
#include "fake_port.h"
#include "framework/message_box_types.h"

namespace {

// The register values a byte produces from the data line's idle level: per bit, the set-up write
// and the falling edge (same level), then the rising edge.
void AppendByteWrites(std::vector<std::uint8_t>& out, int byte) {
    for (int n = 7; n >= 0; --n) {
        const bool one = (byte >> n) & 1;
        const std::uint8_t low = one ? 0x00 : 0x01;
        out.insert(out.end(), {static_cast<std::uint8_t>(low | 0x02), low,
                               static_cast<std::uint8_t>(low | 0x02)});
    }
}

class EraseActionTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        auto owned = std::make_unique<FakePort>();
        port = owned.get();
        SetPortOpener([this, p = std::shared_ptr<FakePort>(std::move(owned))](std::string*) {
            ++opens;
            return std::unique_ptr<PortIo>(new ForwardingPort(p.get()));
        });
        // A main window that shows a completed read and a loaded file.
        window.texts[IDC_DEVICE_STATE] = "LOADED";
        window.texts[IDC_DEVICE_BYTES] = "300 bytes";
        window.texts[IDC_COMPARE_RESULT] = "SAME";
        window.texts[IDC_SAVE] = "SAVE";
        window.texts[IDC_FILE_NAME] = "blink.bin";
        window.texts[IDC_FILE_BYTES] = "310 bytes";
        imageStore.deviceImageValid = 1;
        imageStore.deviceByteCount = 300;
        imageStore.fileLoaded = 1;
        imageStore.fileByteCount = 310;
        for (int i = 0; i < kImageSize; ++i) {
            imageStore.DeviceImage[i] = i & 0xFF;
            imageStore.FileImage[i] = (i * 7) & 0xFF;
        }
    }

    // The fixture keeps the recording port alive across ClosePort so a test can inspect it.
    struct ForwardingPort final : PortIo {
        explicit ForwardingPort(FakePort* target) : to(target) {}
        void WriteData(std::uint8_t value) override { to->WriteData(value); }
        std::uint8_t ReadStatus() override { return to->ReadStatus(); }
        FakePort* to;
    };

    void ExpectDeviceSideUntouched() const {
        EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "LOADED");
        EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "300 bytes");
        EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), "SAME");
        EXPECT_EQ(window.Text(IDC_SAVE), "SAVE");
        EXPECT_EQ(imageStore.deviceImageValid, 1);
        EXPECT_EQ(imageStore.deviceByteCount, 300);
    }

    FakeMainWindow window;
    int opens = 0;
};

TEST_F(EraseActionTest, BeforeCalibrationShowsTheGateMessageAndTouchesNothing) {
    OnErase(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(opens, 0);
    EXPECT_TRUE(port->writes.empty());
    ExpectDeviceSideUntouched();
}

TEST_F(EraseActionTest, DecliningSendsNothingAndLeavesEveryField) {
    Calibrate();
    const auto before = window.texts;
    window.boxAnswers = {IDCANCEL_ANSWER};
    OnErase(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "ERASE FLASH CONTENTS?");
    EXPECT_EQ(window.boxes[0].caption, "WARNING");
    EXPECT_EQ(window.boxes[0].type, MB_OKCANCEL | MB_DEFBUTTON1);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(window.texts, before);
    ExpectDeviceSideUntouched();
}

TEST_F(EraseActionTest, ConfirmingSendsEnableAndEraseThenResetsOnlyTheDeviceSide) {
    Calibrate();
    OnErase(window);

    std::vector<std::uint8_t> expected{0x03};
    for (const int byte : {0xAC, 0x53, 0x00, 0xAC, 0x04, 0x00}) {
        AppendByteWrites(expected, byte);
    }
    expected.push_back(0x07);
    ASSERT_EQ(expected.size(), 146u);
    EXPECT_EQ(port->writes, expected);

    ASSERT_EQ(window.boxes.size(), 1u);  // the question only: nothing reports the end
    EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "NOT LOADED");
    EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "");
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), "");
    EXPECT_EQ(window.Text(IDC_SAVE), "N/A");
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);

    EXPECT_EQ(window.Text(IDC_FILE_NAME), "blink.bin");
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "310 bytes");
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(imageStore.fileByteCount, 310);
    for (int i = 0; i < kImageSize; ++i) {
        ASSERT_EQ(imageStore.DeviceImage[i], i & 0xFF) << "device entry " << i;
        ASSERT_EQ(imageStore.FileImage[i], (i * 7) & 0xFF) << "file entry " << i;
    }
}

TEST_F(EraseActionTest, AResetFollowsTheSequenceInTheStatedOrder) {
    Calibrate();
    OnErase(window);
    const std::vector<std::string> tail(window.events.end() - 4, window.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"text 1004 NOT LOADED", "text 1010 ", "text 1003 ",
                                              "text 1008 N/A"}));
}

TEST_F(EraseActionTest, WithNoPortShowsTheMessageAndNothingElse) {
    Calibrate();
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
    const auto before = window.texts;
    OnErase(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT OPEN PARALLEL PORT");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(window.texts, before);
    ExpectDeviceSideUntouched();
    EXPECT_EQ(portShadow, kInitialPortShadow);
}

TEST_F(EraseActionTest, ThePortIsOpenedOnceAndKeptForLaterActions) {
    Calibrate();
    OnErase(window);
    OnErase(window);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(port->writes.size(), 2 * 146u);
}

}  // namespace
