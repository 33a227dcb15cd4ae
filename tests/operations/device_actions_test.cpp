#include "operations/device_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "device_fixture.h"
#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "operations_fixture.h"

namespace {

const char* const kShown = "LOADED|SAVE|12 bytes|SAME";

// The main window with an operation dialog that runs its worker in place; the worker's
// main-window updates land in the window, as the real dialog forwards them. The window shows an
// earlier read of 12 bytes that compared SAME. The link drives the fixture's simulated chip,
// which checks every edge against the real limits, on a calibrated virtual-time timer (10 us per
// counter read, so waits cost few reads).
class ActionTest : public DeviceFixture {
protected:
    ActionTest() : DeviceFixture(10'000, true) {}
    void SetUp() override {
        DeviceFixture::SetUp();
        window.operationDialog = [this](int viewKind) {
            imageStore.SetCancelRequested(false);
            EXPECT_EQ(RunWorker(viewKind, view), 0);
            for (const auto& [id, text] : view.mainWindowTexts) {
                window.SetItemText(id, text);
            }
        };
        window.texts = {{IDC_DEVICE_STATE, "LOADED"},   {IDC_SAVE, "SAVE"},
                        {IDC_DEVICE_BYTES, "12 bytes"}, {IDC_COMPARE_RESULT, "SAME"},
                        {IDC_FILE_NAME, "a.bin"},       {IDC_FILE_BYTES, "16 bytes"}};
        imageStore.deviceImageValid = 1;
        imageStore.deviceByteCount = 12;
    }
    // "state|save|bytes|compare"; the file side never changes.
    std::string DeviceSide() const {
        EXPECT_EQ(window.Text(IDC_FILE_NAME) + "|" + window.Text(IDC_FILE_BYTES), "a.bin|16 bytes");
        return window.Text(IDC_DEVICE_STATE) + "|" + window.Text(IDC_SAVE) + "|" +
               window.Text(IDC_DEVICE_BYTES) + "|" + window.Text(IDC_COMPARE_RESULT);
    }
    // Every box shown, as "text|caption|type".
    std::vector<std::string> Boxes() const {
        std::vector<std::string> shown;
        for (const auto& box : window.boxes) {
            shown.push_back(box.text + "|" + box.caption + "|" + std::to_string(box.type));
        }
        return shown;
    }

    FakeMainWindow window;
    RecordingOperationView view;
};

enum Kind { kRead, kProgram, kVerify };

struct RunCase {
    const char* name;
    Kind kind;
    int length;      // of the loaded file; the chip holds it (read, verify) or 0x00 (program)
    ChipSetup chip;  // applied after that
    int cancelAt;    // the progress update at which CANCEL is pressed, 0 for none
    int commands;    // instructions the chip obeyed, the enable included
    int progress;    // the bar at the end, or as CANCEL was pressed
    int count;       // bytes in the device image after the run
    const char* side;
    std::vector<std::string> statuses;
};

class RunTest : public ActionTest, public ::testing::WithParamInterface<RunCase> {};

// READ and PROG through the main window, verify on its own. Every run ends with the chip out of
// programming mode, the button relabelled CLOSE once and the busy flag clear; a read stores all
// it read, the run that ended it included; a program leaves the chip holding the file when it
// reports success; a cancel leaves the bar at 0 and a read without an image.
TEST_P(RunTest, EndsWithItsVerdict) {
    const RunCase& c = GetParam();
    LoadFile(c.length);
    c.kind == kProgram ? chip->Flash().fill(0x00) : HoldFile(*chip);
    c.chip(*chip);
    const auto before = chip->Flash();
    view.cancelAt = c.cancelAt;
    if (c.kind == kVerify) {
        EXPECT_EQ(VerifyThreadProc(view), 0);
    } else {
        (c.kind == kRead ? OnRead : OnProgram)(window);
    }
    EXPECT_EQ(view.statuses, c.statuses);
    EXPECT_EQ(chip->Counts().obeyed, static_cast<std::uint64_t>(c.commands));
    EXPECT_EQ(DeviceSide(), c.side);
    EXPECT_EQ(imageStore.deviceByteCount, c.count);
    EXPECT_EQ(imageStore.deviceImageValid, c.kind == kVerify || (c.kind == kRead && !c.cancelAt));
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(imageStore.IsBusy());
    EXPECT_FALSE(chip->InProgrammingMode());
    if (c.cancelAt != 0) {  // the bar as CANCEL was pressed, then once more, at 0
        EXPECT_EQ(view.progress.at(static_cast<std::size_t>(c.cancelAt - 1)), c.progress);
        EXPECT_EQ(view.progress.size(), static_cast<std::size_t>(c.cancelAt + 1));
        EXPECT_EQ(view.LastProgress(), 0);
    } else {
        EXPECT_EQ(view.LastProgress(), c.progress);
    }
    if (c.kind == kProgram && c.length > 0 && c.cancelAt == 0) {  // the write pass ends at 100
        EXPECT_EQ(view.progress[static_cast<std::size_t>(c.length - 1)], 100);
    }
    if (c.kind != kProgram) {
        EXPECT_EQ(chip->Flash(), before);
    } else if (c.statuses.back() == "WRITE SUCCESSFUL!") {
        auto expected = before;
        std::copy_n(imageStore.FileImage, c.length, expected.begin());
        EXPECT_EQ(chip->Flash(), expected);
    }
    if (c.kind == kRead && c.cancelAt == 0) {  // one read instruction per byte
        EXPECT_TRUE(
            std::equal(before.begin(), before.begin() + c.commands - 1, imageStore.DeviceImage));
    }
}

const ChipSetup kAsIs = [](sim::At89s8252&) {};
ChipSetup Fill(int from, int count, std::uint8_t value) {
    return [=](sim::At89s8252& c) { std::fill_n(c.Flash().begin() + from, count, value); };
}
ChipSetup Unprogrammable(std::uint16_t address) {
    return [address](sim::At89s8252& c) { c.AddUnprogrammableCell(address); };
}
const char* const kReset = "NOT LOADED|N/A||";
const std::vector<std::string> kWritten{"PROGRAMMING DEVICE", "VERIFYING DEVICE",
                                        "WRITE SUCCESSFUL!"};
const std::vector<std::string> kFailed{"PROGRAMMING DEVICE", "VERIFYING DEVICE", "WRITE FAILED!"};
const std::vector<std::string> kCancelled{"PROGRAMMING DEVICE", "VERIFYING DEVICE", "CANCELLED!"};
const std::vector<std::string> kReading{"READING DEVICE"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, RunTest,
    ::testing::Values(
        RunCase{"ProgramNothing", kProgram, 0, kAsIs, 0, 1, 0, 0, kReset, kWritten},
        RunCase{"ProgramOneByte", kProgram, 1, kAsIs, 0, 3, 100, 0, kReset, kWritten},
        RunCase{"ProgramTheWholeChip", kProgram, 8192, kAsIs, 0, 1 + 2 * 8192, 100, 0, kReset, kWritten},
        // A bad cell at either end of the file is found after both full passes.
        RunCase{"CellAt0WillNotProgram", kProgram, 300, Unprogrammable(0), 0, 601, 100, 0, kReset, kFailed},
        RunCase{"EmptySocketReadsAllOnes", kProgram, 300, [](sim::At89s8252& c) { c.SetMisoFault(sim::MisoFault::kStuckHigh); }, 0, 601, 100, 0, kReset, kFailed},
        RunCase{"LastCellWillNotProgram", kProgram, 300, Unprogrammable(299), 0, 601, 100, 0, kReset, kFailed},
        RunCase{"VerifySame", kVerify, 200, kAsIs, 0, 201, 100, 12, kShown, {"VERIFYING DEVICE", "SAME"}},
        RunCase{"VerifyDifferentAt0", kVerify, 200, Fill(0, 1, 0xFF), 0, 201, 100, 12, kShown, {"VERIFYING DEVICE", "DIFFERENT"}},
        RunCase{"VerifyDifferentAtTheEnd", kVerify, 200, Fill(199, 1, 0xFF), 0, 201, 100, 12, kShown, {"VERIFYING DEVICE", "DIFFERENT"}},
        // A read counts up to the first run of 52 equal bytes, of any value; a last byte equal to
        // the run's joins it. The bar is set before the address advances: 99 after all 8192.
        RunCase{"ReadErasedChip", kRead, 0, kAsIs, 0, 53, 100, 0, "LOADED|SAVE|12 bytes|", kReading},
        RunCase{"ReadProgram", kRead, 300, kAsIs, 0, 353, 100, 300, "LOADED|SAVE|300 bytes|", kReading},
        RunCase{"ReadProgramLastByteErased", kRead, 300, Fill(299, 1, 0xFF), 0, 352, 100, 299, "LOADED|SAVE|299 bytes|", kReading},
        RunCase{"ReadMemoryEndingIn51Erased", kRead, 8192 - 51, kAsIs, 0, 8193, 99, 8192, "LOADED|SAVE|8192 bytes|", kReading},
        RunCase{"ReadMemoryEndingIn52Erased", kRead, 8192 - 52, kAsIs, 0, 8193, 100, 8140, "LOADED|SAVE|8140 bytes|", kReading},
        RunCase{"ReadZeroTableInsideProgram", kRead, 400, Fill(100, 52, 0x00), 0, 153, 100, 100, "LOADED|SAVE|100 bytes|", kReading},
        // A cancel skips the rest of the run, and is tested again once the loops are done.
        // The quotient is formed first: 29 of 100 bytes show 28.
        RunCase{"CancelProgramWhileWriting", kProgram, 100, kAsIs, 29, 30, 28, 0, kReset, kCancelled},
        RunCase{"CancelProgramWhileVerifying", kProgram, 10, kAsIs, 15, 16, 50, 0, kReset, kCancelled},
        RunCase{"CancelProgramAfterTheLastRead", kProgram, 10, kAsIs, 20, 21, 100, 0, kReset, kCancelled},
        RunCase{"CancelVerify", kVerify, 200, kAsIs, 50, 51, 25, 12, kShown, {"VERIFYING DEVICE", "CANCELLED!"}},
        RunCase{"CancelRead", kRead, 2000, kAsIs, 500, 501, 6, 0, "LOADED|N/A|12 bytes|", {"READING DEVICE", "CANCELLED"}},
        // 300 bytes, then the 52 erased bytes that end the read, then the bar set to 100.
        RunCase{"CancelReadAfterTheLastAddress", kRead, 300, kAsIs, 353, 353, 100, 0, "LOADED|N/A|12 bytes|", {"READING DEVICE", "CANCELLED"}}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

// Data-sheet timing at 12 MHz: each byte read first, only differing ones written and polled.
struct ChangedCase {
    const char* name;
    ChipSetup prepare;  // the chip before the run; it holds file bytes 0..15
    int written;
    int alreadyEqual;
    int failedAddress;
    const char* outcome;
};

class ProgramChangedTest : public ActionTest, public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ProgramChangedTest, WritesOnlyWhatDiffersAndWaitsForEachWrite) {
    const ChangedCase& c = GetParam();
    LoadFile(16);
    HoldFile(*chip);
    const auto image = chip->Flash();
    counter.SetStep(100);  // 100 ns per counter read: phases close to their computed length
    c.prepare(*chip);
    linkTiming = DataSheetLinkTiming(12'000'000);
    const std::uint64_t startNs = counter.Peek();
    ProgramTally tally;
    ProgramChangedThreadProc(view, tally);

    EXPECT_EQ(tally.written, c.written);
    EXPECT_EQ(tally.alreadyEqual, c.alreadyEqual);
    EXPECT_EQ(tally.failedAddress, c.failedAddress);
    EXPECT_EQ(tally.verified, c.failedAddress < 0);
    EXPECT_EQ(view.LastStatus(), c.outcome);
    EXPECT_FALSE(chip->InProgrammingMode());
    if (c.failedAddress < 0) {
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + 16, chip->Flash().begin()));
        // The 10 ms settle and 32 reads of about 0.1 ms, then per write its 2 ms cycle and a
        // poll or two: polling ends as the byte reads true, long before its 10 ms limit.
        EXPECT_LT(counter.Peek() - startNs, 14'000'000u + 2'500'000u * std::uint64_t(c.written));
    } else {
        EXPECT_GE(counter.Peek() - startNs, std::uint64_t{kWritePollLimitMicroseconds} * 1000u);
    }
    EXPECT_EQ(chip->Counts().ignored, 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, ProgramChangedTest,
    ::testing::Values(
        ChangedCase{"OneDiffers", Fill(5, 1, 0xFF), 1, 15, -1, "WRITE SUCCESSFUL!"},
        ChangedCase{"ACellThatNeverPrograms", [](sim::At89s8252& c) { Fill(9, 1, 0xFF)(c); c.AddUnprogrammableCell(9); }, 0, 9, 9, "WRITE FAILED!"},
        ChangedCase{"AWriteCycleOutlastingTheLimit", [](sim::At89s8252& c) { Fill(3, 1, 0x00)(c); c.SetWriteCycleNanoseconds(12'000'000); }, 0, 3, 3, "WRITE FAILED!"},
        // The erase answers 0x00 to reads for 16 ms: a program started at once must wait.
        ChangedCase{"RightAfterAChipErase", [](sim::At89s8252& c) { c.Flash().fill(0x00); linkTiming = DataSheetLinkTiming(12'000'000); EXPECT_TRUE(EraseChip()); }, 16, 0, -1, "WRITE SUCCESSFUL!"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

// While the timer is not calibrated (calibrating, its one-shot never armed, or no timer at all)
// READ, PROG and ERASE say so before they look for the port; once it is, a missing port is the
// message. Neither changes anything else.
TEST_F(ActionTest, RefusedUntilCalibratedThenWithoutAPort) {
    ClosePort();
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
    LoadFile(1);
    std::vector<std::string> expected;
    for (const bool armed : {false, true}) {
        timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ManualOneShot>(armed));
        counter.Advance(10'000'000'000u);  // a one-shot that could not be armed never fires
        for (CCycleTimer* shared : {timer.get(), static_cast<CCycleTimer*>(nullptr)}) {
            cycleTimer = shared;
            for (const auto action : {OnRead, OnProgram, OnErase}) {
                action(window);
                expected.push_back("TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.|ERROR|" +
                                   std::to_string(MB_OK));
            }
        }
    }
    timer->SetCalibration(1000);
    cycleTimer = timer.get();
    OnErase(window);
    expected.push_back("COULD NOT OPEN PARALLEL PORT|ERROR|" + std::to_string(MB_OK));
    EXPECT_EQ(Boxes(), expected);
    EXPECT_EQ(window.events.size(), expected.size());
    EXPECT_EQ(DeviceSide(), kShown);
}

// ERASE asks first: declined it changes nothing; confirmed it erases the chip and resets only
// the device side, and nothing reports the end.
TEST_F(ActionTest, EraseAsksFirst) {
    LoadFile(16);
    for (const int answer : {IDCANCEL_ANSWER, IDOK_ANSWER}) {
        const bool erased = answer == IDOK_ANSWER;
        HoldFile(*chip);
        window.boxes.clear();
        window.boxAnswers = {answer};
        OnErase(window);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"ERASE FLASH CONTENTS?|WARNING|" +
                                                    std::to_string(MB_OKCANCEL | MB_DEFBUTTON1)});
        EXPECT_EQ(chip->Counts().obeyed, erased ? 2u : 0u);  // programming enable, chip erase
        EXPECT_EQ(std::count(chip->Flash().begin(), chip->Flash().end(), 0xFF),
                  erased ? 8192 : 8192 - 16);
        EXPECT_EQ(DeviceSide(), erased ? kReset : kShown);
        EXPECT_EQ(imageStore.deviceByteCount, erased ? 0 : 12);
    }
    EXPECT_FALSE(chip->InProgrammingMode());
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.fileByteCount, 16);
}

// A port that fails during an action (its device gone, claimed by another program) stops the
// worker as a cancel does; the window says so once the action has ended, shows nothing the dead
// port read, and lets the port go so that the next action opens it afresh.
TEST_F(ActionTest, APortFailureStopsTheActionAndIsReportedAfterIt) {
    OpenFakePort();
    port->statusSource = [this] {
        if (port->statusReads > 20) {
            port->failure = "/dev/parport0: PPRSTATUS: No such device";
        }
        return std::uint8_t{0};
    };
    OnRead(window);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"COULD NOT OPEN PARALLEL PORT|ERROR|" +
                                                std::to_string(MB_OK)});
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(view.LastStatus(), "CANCELLED");
    EXPECT_EQ(CurrentPort(), nullptr);
}

// The read worker on its own thread, cancelled from this one at random points: the handover of
// its results through operationBusy must hold up under ThreadSanitizer.
TEST_F(ActionTest, ReadCancelledAtRandomPointsFromAnotherThread) {
    LoadFile(200);
    HoldFile(*chip);
    std::mt19937 random(8252);
    for (int round = 0; round < 40; ++round) {
        imageStore.SetCancelRequested(false);
        imageStore.SetBusy(true);
        RecordingOperationView threadView;
        std::thread worker([&] { RunWorker(kReadOperation, threadView); });
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
        EXPECT_EQ(imageStore.deviceByteCount, imageStore.deviceImageValid == 1 ? 200 : 0);
        worker.join();
        EXPECT_EQ(threadView.closeLabels, 1);
        EXPECT_FALSE(chip->InProgrammingMode());
    }
}

}  // namespace
