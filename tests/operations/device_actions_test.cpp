#include "operations/device_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "sim_chip_fixture.h"

namespace {

// The main window with an operation dialog that runs its worker in place; the worker's
// main-window updates land in the window, as the real dialog forwards them. The window shows a
// completed read of 12 bytes and a loaded file.
class DeviceActionsTest : public SimChipFixture {
protected:
    void SetUp() override {
        SimChipFixture::SetUp();
        window.operationDialog = [this](int viewKind) {
            imageStore.SetCancelRequested(false);
            RunWorker(viewKind, view);
            for (const auto& [id, text] : view.mainWindowTexts) {
                window.SetItemText(id, text);
            }
        };
        window.texts = {{IDC_DEVICE_STATE, "LOADED"},   {IDC_SAVE, "SAVE"},
                        {IDC_DEVICE_BYTES, "12 bytes"}, {IDC_COMPARE_RESULT, "SAME"},
                        {IDC_FILE_NAME, "a.bin"},       {IDC_FILE_BYTES, "16 bytes"}};
        LoadFile(16);
    }
    void ExpectDeviceSide(const char* state, const char* save, const char* bytes,
                          const char* compare) {
        EXPECT_EQ(window.Text(IDC_DEVICE_STATE), state);
        EXPECT_EQ(window.Text(IDC_SAVE), save);
        EXPECT_EQ(window.Text(IDC_DEVICE_BYTES), bytes);
        EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), compare);
        EXPECT_EQ(window.Text(IDC_FILE_NAME), "a.bin");
        EXPECT_EQ(window.Text(IDC_FILE_BYTES), "16 bytes");
    }

    FakeMainWindow window;
    RecordingOperationView view;
};

struct ReadCase {
    const char* name;
    int programLength;  // bytes before the erased rest
    int cancelAt;
    const char* save;
    const char* bytes;
};

class ReadActionTest : public DeviceActionsTest, public ::testing::WithParamInterface<ReadCase> {};

// A read always clears the compare result; only a completed read of data changes SAVE and the
// count.
TEST_P(ReadActionTest, ShowsWhatWasRead) {
    LoadFile(GetParam().programLength);
    HoldFile(*chip);
    view.CancelAt(GetParam().cancelAt);
    OnRead(window);
    ExpectDeviceSide("LOADED", GetParam().save, GetParam().bytes, "");
    EXPECT_TRUE(window.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, ReadActionTest,
                         ::testing::Values(ReadCase{"ErasedChip", 0, 0, "SAVE", "12 bytes"},
                                           ReadCase{"Program", 300, 0, "SAVE", "300 bytes"},
                                           ReadCase{"Cancelled", 300, 10, "N/A", "12 bytes"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(DeviceActionsTest, ProgramResetsTheDeviceSideWhateverTheOutcome) {
    chip->AddUnprogrammableCell(3);
    imageStore.deviceImageValid = 1;
    OnProgram(window);
    EXPECT_EQ(view.LastStatus(), "WRITE FAILED!");
    ExpectDeviceSide("NOT LOADED", "N/A", "", "");
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
}

TEST_F(DeviceActionsTest, EraseAsksFirstAndDecliningChangesNothing) {
    HoldFile(*chip);
    const auto flash = chip->Flash();
    window.boxAnswers = {IDCANCEL_ANSWER};
    OnErase(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "ERASE FLASH CONTENTS?");
    EXPECT_EQ(window.boxes[0].caption, "WARNING");
    EXPECT_EQ(window.boxes[0].type, MB_OKCANCEL | MB_DEFBUTTON1);
    EXPECT_EQ(chip->Counts().obeyed, 0u);
    EXPECT_EQ(chip->Flash(), flash);
    ExpectDeviceSide("LOADED", "SAVE", "12 bytes", "SAME");
}

TEST_F(DeviceActionsTest, ConfirmedEraseClearsTheChipAndResetsOnlyTheDeviceSide) {
    HoldFile(*chip);
    imageStore.deviceImageValid = 1;
    imageStore.deviceByteCount = 12;
    OnErase(window);
    EXPECT_EQ(window.boxes.size(), 1u);    // the question only: nothing reports the end
    EXPECT_EQ(chip->Counts().obeyed, 2u);  // programming enable, chip erase
    EXPECT_TRUE(
        std::all_of(chip->Flash().begin(), chip->Flash().end(), [](auto b) { return b == 0xFF; }));
    EXPECT_FALSE(chip->InProgrammingMode());
    ExpectDeviceSide("NOT LOADED", "N/A", "", "");
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
    EXPECT_EQ(imageStore.fileByteCount, 16);
}

TEST_F(DeviceActionsTest, WithNoPortAnActionShowsTheMessageAndNothingElse) {
    ClosePort();
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
    OnErase(window);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT OPEN PARALLEL PORT");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    ExpectDeviceSide("LOADED", "SAVE", "12 bytes", "SAME");
}

// The worker on its own thread, cancelled from this one at random points: the handover of
// results through operationBusy must hold up under ThreadSanitizer.
TEST_F(DeviceActionsTest, WorkersCancelledAtRandomPointsFromAnotherThread) {
    LoadFile(200);
    HoldFile(*chip);
    const auto program = chip->Flash();
    imageStore.fileByteCount = 40;
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
        worker.join();
        chip->Flash() = program;  // the program pass may have rewritten the first bytes
        EXPECT_EQ(threadView.closeLabels, 1);
        EXPECT_FALSE(chip->InProgrammingMode());
    }
}

}  // namespace
