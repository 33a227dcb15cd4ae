#include "operations/device_actions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device_fixture.h"
#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/workers.h"
#include "recording_operation_view.h"

namespace {

// The main window with an operation dialog that runs its worker in place; the worker's
// main-window updates land in the window, as the real dialog forwards them.
class DeviceActionsTest : public DeviceFixture {
protected:
    DeviceActionsTest() : DeviceFixture(10'000, true) {}
    void SetUp() override {
        DeviceFixture::SetUp();
        window.operationDialog = [this](int viewKind) {
            imageStore.SetCancelRequested(false);
            RunWorker(viewKind, view);
            for (const auto& [id, text] : view.mainWindowTexts) {
                window.SetItemText(id, text);
            }
        };
    }

    void LoadFile(int length) {
        imageStore.fileLoaded = 1;
        imageStore.fileByteCount = length;
        for (int i = 0; i < length; ++i) {
            imageStore.FileImage[i] = (i * 29 + 3) & 0xFF;
        }
        imageStore.FileImage[length - 1] = 0x5A;
    }

    FakeMainWindow window;
    RecordingOperationView view;
};

TEST_F(DeviceActionsTest, ReadOfAnErasedChipShowsLoadedAndKeepsSaveAndCount) {
    window.texts[IDC_SAVE] = "earlier";
    window.texts[IDC_DEVICE_BYTES] = "12 bytes";
    window.texts[IDC_COMPARE_RESULT] = "SAME";
    OnRead(window);
    EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(window.Text(IDC_SAVE), "earlier");
    EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "12 bytes");
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), "");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DeviceActionsTest, ReadOfAProgramShowsItsCountAndOffersSave) {
    std::vector<std::uint8_t> program(300, 0x21);
    for (std::size_t i = 0; i < program.size(); i += 2) {
        program[i] = 0x42;
    }
    chip->LoadFlash(program);
    OnRead(window);
    EXPECT_EQ(imageStore.deviceByteCount, 300);
    EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(window.Text(IDC_SAVE), "SAVE");
    EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "300 bytes");
}

TEST_F(DeviceActionsTest, ACancelledReadAfterACompletedOneKeepsLoadedAndTheOldCount) {
    std::vector<std::uint8_t> program(300);
    for (std::size_t i = 0; i < program.size(); ++i) {
        program[i] = static_cast<std::uint8_t>(i);
    }
    chip->LoadFlash(program);
    OnRead(window);
    ASSERT_EQ(window.Text(IDC_DEVICE_BYTES), "300 bytes");
    view.progress.clear();
    view.onProgress = [](int, int updates) {
        if (updates == 310) {
            imageStore.SetCancelRequested(true);
        }
    };
    OnRead(window);
    EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "300 bytes");
    EXPECT_EQ(window.Text(IDC_SAVE), "N/A");
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
}

TEST_F(DeviceActionsTest, ProgramWithoutAFileSaysSoAndStartsNothing) {
    OnProgram(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "NO DATA TO LOAD");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "operation 1"), 0);
    EXPECT_EQ(chip->Counts().obeyed, 0u);
}

TEST_F(DeviceActionsTest, ProgramResetsTheDeviceSideWhateverTheOutcome) {
    LoadFile(64);
    chip->AddUnprogrammableCell(3);
    imageStore.deviceImageValid = 1;
    imageStore.deviceByteCount = 64;
    window.texts[IDC_DEVICE_STATE] = "LOADED";
    window.texts[IDC_SAVE] = "SAVE";
    window.texts[IDC_COMPARE_RESULT] = "SAME";
    window.texts[IDC_DEVICE_BYTES] = "64 bytes";
    OnProgram(window);
    EXPECT_EQ(view.LastStatus(), "WRITE FAILED!");
    EXPECT_EQ(window.Text(IDC_DEVICE_STATE), "NOT LOADED");
    EXPECT_EQ(window.Text(IDC_SAVE), "N/A");
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), "");
    EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), "");
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
}

TEST_F(DeviceActionsTest, ActionsBeforeCalibrationShowTheGateAndChangeNothing) {
    // A timer whose one-shot has not fired yet.
    timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ManualOneShot>());
    cycleTimer = timer.get();
    LoadFile(10);
    const auto before = window.texts;
    OnRead(window);
    OnProgram(window);
    ASSERT_EQ(window.boxes.size(), 2u);
    for (const auto& box : window.boxes) {
        EXPECT_EQ(box.text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
        EXPECT_EQ(box.caption, "ERROR");
    }
    EXPECT_EQ(window.texts, before);
    EXPECT_EQ(chip->Counts().obeyed, 0u);
}

// The worker on its own thread, cancelled from this one at random points: the handover of
// results through operationBusy must hold up under ThreadSanitizer.
TEST_F(DeviceActionsTest, WorkersCancelledAtRandomPointsFromAnotherThread) {
    LoadFile(40);
    std::vector<std::uint8_t> program(200);
    for (std::size_t i = 0; i < program.size(); ++i) {
        program[i] = static_cast<std::uint8_t>(i * 3);
    }
    chip->LoadFlash(program);
    std::mt19937 random(8252);
    for (int round = 0; round < 40; ++round) {
        const int kind = round % 2;
        imageStore.SetCancelRequested(false);
        imageStore.SetBusy(true);
        RecordingOperationView threadView;
        std::thread worker([&] { RunWorker(kind, threadView); });
        const auto spins = std::uniform_int_distribution<int>(0, 20000)(random);
        for (int s = 0; s < spins && imageStore.IsBusy(); ++s) {
            std::this_thread::yield();
        }
        imageStore.SetCancelRequested(true);
        while (imageStore.IsBusy()) {
            std::this_thread::yield();
        }
        // Results are read only after operationBusy was seen clear, as the dialog does: a read
        // either completed (the whole program counted) or was cancelled (nothing kept).
        if (kind == kReadOperation) {
            EXPECT_EQ(imageStore.deviceByteCount, imageStore.deviceImageValid == 1 ? 200 : 0);
        } else {
            EXPECT_TRUE(threadView.LastStatus() == "CANCELLED!" ||
                        threadView.LastStatus() == "WRITE SUCCESSFUL!")
                << threadView.LastStatus();
        }
        // The program pass may have rewritten the chip's first bytes: put the program back.
        chip->LoadFlash(program);
        worker.join();
        EXPECT_EQ(threadView.closeLabels, 1);
        EXPECT_FALSE(chip->InProgrammingMode());
    }
}

}  // namespace
