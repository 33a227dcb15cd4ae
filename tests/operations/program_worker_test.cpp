#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "operations/device_session.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "sim_chip_fixture.h"

namespace {

enum Kind { kRead, kProgram, kVerify };

struct RunCase {
    const char* name;
    Kind kind;
    int length;      // of the loaded file; the chip holds it (read, verify) or 0x00 (program)
    ChipSetup chip;  // applied after that
    int cancelAt;    // the progress update at which CANCEL is pressed, 0 for none
    int commands;    // instructions the chip obeyed, the enable included
    std::vector<std::string> statuses;
};

class WorkerRunTest : public SimChipFixture, public ::testing::WithParamInterface<RunCase> {};

// Every run ends with the chip out of programming mode, the button relabelled CLOSE once and
// the busy flag clear; a program leaves the chip holding the file when it reports success, and
// a cancel leaves the bar at 0 and a read without an image.
TEST_P(WorkerRunTest, EndsWithItsVerdict) {
    const RunCase& c = GetParam();
    LoadFile(c.length);
    c.kind == kProgram ? chip->Flash().fill(0x00) : HoldFile(*chip);
    c.chip(*chip);
    const auto before = chip->Flash();
    RecordingOperationView view;
    view.CancelAt(c.cancelAt);
    const int status = c.kind == kProgram  ? ProgramThreadProc(view)
                       : c.kind == kVerify ? VerifyThreadProc(view)
                                           : ReadThreadProc(view);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(view.statuses, c.statuses);
    EXPECT_EQ(chip->Counts().obeyed, static_cast<std::uint64_t>(c.commands));
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(imageStore.IsBusy());
    EXPECT_FALSE(chip->InProgrammingMode());
    if (c.cancelAt != 0) {
        EXPECT_EQ(view.LastProgress(), 0);
        EXPECT_EQ(view.progress.size(), static_cast<std::size_t>(c.cancelAt + 1));
    } else if (c.length > 0) {  // each pass ends at 100
        EXPECT_EQ(view.progress[static_cast<std::size_t>(c.length - 1)], 100);
        EXPECT_EQ(view.LastProgress(), 100);
    }
    if (c.kind == kRead) {
        EXPECT_EQ(imageStore.deviceImageValid, 0);
        EXPECT_EQ(imageStore.deviceByteCount, 0);
        EXPECT_EQ(view.mainWindowTexts.at(IDC_SAVE), "N/A");
    } else if (c.kind == kVerify) {
        EXPECT_EQ(chip->Flash(), before);  // nothing written
    } else if (c.statuses.back() == "WRITE SUCCESSFUL!") {
        for (int i = 0; i < 8192; ++i) {
            ASSERT_EQ(chip->Flash()[static_cast<std::size_t>(i)],
                      i < c.length ? imageStore.FileImage[i] : 0)
                << i;
        }
    }
    if (std::string(c.name) == "WriteCycleLongerThanThePause") {
        chip->ClearViolations();  // the chip rightly reports writes it was too busy to take
    }
}

const ChipSetup kAsIs = [](sim::At89s8252&) {};
ChipSetup Unprogrammable(std::uint16_t address) {
    return [address](sim::At89s8252& c) { c.AddUnprogrammableCell(address); };
}
ChipSetup Flipped(int address) {
    return [address](sim::At89s8252& c) { c.Flash()[static_cast<std::size_t>(address)] ^= 0x80; };
}
const std::vector<std::string> kWritten{"PROGRAMMING DEVICE", "VERIFYING DEVICE",
                                        "WRITE SUCCESSFUL!"};
const std::vector<std::string> kFailed{"PROGRAMMING DEVICE", "VERIFYING DEVICE", "WRITE FAILED!"};
const std::vector<std::string> kCancelled{"PROGRAMMING DEVICE", "VERIFYING DEVICE", "CANCELLED!"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, WorkerRunTest,
    ::testing::Values(
        RunCase{"ProgramNothing", kProgram, 0, kAsIs, 0, 1, kWritten},
        RunCase{"ProgramOneByte", kProgram, 1, kAsIs, 0, 3, kWritten},
        RunCase{"ProgramTheWholeChip", kProgram, 8192, kAsIs, 0, 1 + 2 * 8192, kWritten},
        // A bad cell at either end of the file is found after both full passes.
        RunCase{"CellAt0WillNotProgram", kProgram, 300, Unprogrammable(0), 0, 601, kFailed},
        RunCase{"LastCellWillNotProgram", kProgram, 300, Unprogrammable(299), 0, 601, kFailed},
        RunCase{"WriteCycleLongerThanThePause", kProgram, 50, [](sim::At89s8252& c) { c.SetWriteCycleNanoseconds(4'000'000); }, 0, 76, kFailed},  // writes sent mid-cycle are ignored
        RunCase{"VerifySame", kVerify, 200, kAsIs, 0, 201, {"VERIFYING DEVICE", "SAME"}},
        RunCase{"VerifyDifferentAt0", kVerify, 200, Flipped(0), 0, 201, {"VERIFYING DEVICE", "DIFFERENT"}},
        RunCase{"VerifyDifferentAtTheEnd", kVerify, 200, Flipped(199), 0, 201, {"VERIFYING DEVICE", "DIFFERENT"}},
        // A cancel skips the rest of the run, and is tested again once the loops are done.
        RunCase{"CancelProgramWhileWriting", kProgram, 500, kAsIs, 120, 121, kCancelled},
        RunCase{"CancelProgramAfterTheLastRead", kProgram, 10, kAsIs, 20, 21, kCancelled},
        RunCase{"CancelVerify", kVerify, 200, kAsIs, 50, 51, {"VERIFYING DEVICE", "CANCELLED!"}},
        RunCase{"CancelRead", kRead, 2000, kAsIs, 500, 501, {"READING DEVICE", "CANCELLED"}},
        // 300 bytes, then the 52 erased bytes that end the read, then the bar set to 100.
        RunCase{"CancelReadAfterTheLastAddress", kRead, 300, kAsIs, 353, 353, {"READING DEVICE", "CANCELLED"}}),
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

class ProgramChangedTest : public SimChipFixture,
                           public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ProgramChangedTest, WritesOnlyWhatDiffersAndWaitsForEachWrite) {
    const ChangedCase& c = GetParam();
    LoadFile(16);
    HoldFile(*chip);
    const auto image = chip->Flash();
    counter.SetStep(100);  // 100 ns per counter read: phases close to their computed length
    c.prepare(*chip);
    linkTiming = DataSheetLinkTiming(12'000'000);
    const std::uint64_t startNs = counter.Peek();
    RecordingOperationView view;
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

INSTANTIATE_TEST_SUITE_P(
    Table, ProgramChangedTest,
    ::testing::Values(
        ChangedCase{"AllEqual", kAsIs, 0, 16, -1, "WRITE SUCCESSFUL!"},
        ChangedCase{"OneDiffers", [](sim::At89s8252& c) { c.Flash()[5] ^= 0x81; }, 1, 15, -1,
                    "WRITE SUCCESSFUL!"},
        ChangedCase{"ACellThatNeverPrograms",
                    [](sim::At89s8252& c) {
                        c.Flash()[9] ^= 0x01;
                        c.AddUnprogrammableCell(9);
                    },
                    0, 9, 9, "WRITE FAILED!"},
        ChangedCase{"AWriteCycleOutlastingTheLimit",
                    [](sim::At89s8252& c) {
                        c.Flash()[3] = 0x00;
                        c.SetWriteCycleNanoseconds(12'000'000);
                    },
                    0, 3, 3, "WRITE FAILED!"},
        // The erase answers 0x00 to reads for 16 ms: a program started at once must wait.
        ChangedCase{"RightAfterAChipErase",
                    [](sim::At89s8252& c) {
                        c.Flash().fill(0x00);
                        linkTiming = DataSheetLinkTiming(12'000'000);
                        EXPECT_TRUE(EraseChip());
                    },
                    16, 0, -1, "WRITE SUCCESSFUL!"}),
    [](const auto& param) { return std::string(param.param.name); });

// Raising RST, then 10 us and the 10 ms settle before the enable's first bit; each wait
// overshoots by at most two 10 us counter reads.
class SettleTest : public DeviceFixture {
protected:
    SettleTest() : DeviceFixture(10'000) {}
};

TEST_F(SettleTest, TheChipSettlesTenMillisecondsBeforeTheEnable) {
    Calibrate();
    OpenFakePort();
    StartDeviceSession();
    ASSERT_GE(port->accesses.size(), 2u);
    const std::uint64_t gap = port->accesses[1].ticks - port->accesses[0].ticks;
    EXPECT_GE(gap, 10'010'000u);
    EXPECT_LE(gap, 10'050'000u);
}

}  // namespace
