#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/image_store.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "device_fixture.h"
#include "operations/device_session.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "recording_operation_view.h"
#include "sim/simulated_cable.h"

namespace {

class ProgramWorkerTest : public DeviceFixture {
protected:
    ProgramWorkerTest() : DeviceFixture(10'000, true) {}
    void LoadFile(int length) {
        imageStore.fileLoaded = 1;
        imageStore.fileByteCount = length;
        for (int i = 0; i < length; ++i) {
            imageStore.FileImage[i] = (i * 53 + 7) & 0xFF;
        }
    }
    RecordingOperationView view;
};

class ProgramSizeTest : public ProgramWorkerTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramSizeTest, WritesEveryByteAndVerifiesIt) {
    const int length = GetParam();
    LoadFile(length);
    chip->Flash().fill(0x00);  // not erased first: every write replaces its byte all the same
    EXPECT_EQ(ProgramThreadProc(view), 0);

    EXPECT_EQ(view.statuses, (std::vector<std::string>{"PROGRAMMING DEVICE", "VERIFYING DEVICE",
                                                       "WRITE SUCCESSFUL!"}));
    ASSERT_EQ(view.progress.size(), static_cast<std::size_t>(2 * length));
    if (length > 0) {
        EXPECT_EQ(view.progress[static_cast<std::size_t>(length - 1)], 100);
        EXPECT_EQ(view.progress.back(), 100);
    }
    for (int i = 0; i < length; ++i) {
        ASSERT_EQ(chip->Flash()[static_cast<std::size_t>(i)], imageStore.FileImage[i]) << i;
        ASSERT_EQ(imageStore.DeviceImage[i], imageStore.FileImage[i]) << i;
    }
    for (std::size_t i = static_cast<std::size_t>(length); i < 8192; ++i) {
        ASSERT_EQ(chip->Flash()[i], 0x00) << i;
    }
    // One enable, then a write and a read per byte.
    EXPECT_EQ(chip->Counts().obeyed, 1u + 2u * static_cast<std::uint64_t>(length));
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(imageStore.IsBusy());
    EXPECT_FALSE(chip->InProgrammingMode());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramSizeTest, ::testing::Values(0, 1, 300, 8192));

TEST_F(ProgramWorkerTest, TheChipSettlesTenMillisecondsBeforeTheEnable) {
    std::vector<std::uint64_t> writes;  // the counter at each port write
    SetPortOpener([&](std::string*) {
        return sim::MakeSimulatedPort(chip, [&] {
            writes.push_back(counter.Peek());
            return counter.Peek();
        });
    });
    ASSERT_TRUE(EnsurePortOpen());
    writes.clear();
    StartDeviceSession();
    // RST rises, then 10 us and the 10 ms settle before the enable's first bit; each of the two
    // waits overshoots by at most two 10 us counter reads.
    ASSERT_GE(writes.size(), 2u);
    EXPECT_GE(writes[1] - writes[0], 10'010'000u);
    EXPECT_LE(writes[1] - writes[0], 10'050'000u);
    EXPECT_EQ(chip->Counts().obeyed, 1u);
}

TEST_F(ProgramWorkerTest, ProgressFormsTheQuotientFirst) {
    LoadFile(100);
    ProgramThreadProc(view);
    ASSERT_EQ(view.progress.size(), 200u);
    EXPECT_EQ(view.progress[28], 28);  // 29 of 100 bytes
    for (int i = 1; i <= 100; ++i) {
        const int expected = static_cast<int>(static_cast<double>(i) / 100.0 * 100.0);
        ASSERT_EQ(view.progress[static_cast<std::size_t>(i - 1)], expected);
        ASSERT_EQ(view.progress[static_cast<std::size_t>(99 + i)], expected);
    }
}

TEST_F(ProgramWorkerTest, CancelDuringTheWritePassSkipsTheReadBack) {
    LoadFile(500);
    view.onProgress = [](int, int updates) {
        if (updates == 120) {
            imageStore.SetCancelRequested(true);
        }
    };
    ProgramThreadProc(view);
    EXPECT_EQ(chip->Counts().obeyed, 1u + 120u);  // enable and 120 writes, no read
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{"PROGRAMMING DEVICE", "VERIFYING DEVICE", "CANCELLED!"}));
    EXPECT_EQ(view.LastProgress(), 0);
    EXPECT_EQ(view.progress.size(), 121u);
    EXPECT_FALSE(chip->InProgrammingMode());
    EXPECT_EQ(view.closeLabels, 1);
}

struct BadCell {
    int length;
    std::uint16_t address;
};

class BadCellTest : public ProgramWorkerTest, public ::testing::WithParamInterface<BadCell> {};

TEST_P(BadCellTest, ACellThatWillNotProgramFailsAfterBothFullPasses) {
    const auto length = static_cast<std::uint64_t>(GetParam().length);
    LoadFile(GetParam().length);
    chip->AddUnprogrammableCell(GetParam().address);
    ProgramThreadProc(view);
    EXPECT_EQ(view.LastStatus(), "WRITE FAILED!");
    EXPECT_EQ(chip->Counts().obeyed, 1u + 2u * length);
    EXPECT_EQ(view.progress.size(), 2u * length);
}

// The reset vector and the last cell of a full image count like any other.
INSTANTIATE_TEST_SUITE_P(Cells, BadCellTest,
                         ::testing::Values(BadCell{300, 0}, BadCell{300, 17}, BadCell{8192, 8191}));

TEST_F(ProgramWorkerTest, AWriteCycleLongerThanThePauseIsCaughtByTheVerify) {
    LoadFile(50);
    chip->SetWriteCycleNanoseconds(4'000'000);
    ProgramThreadProc(view);
    EXPECT_EQ(view.LastStatus(), "WRITE FAILED!");
    chip->ClearViolations();  // the chip rightly reports writes it was too busy to take
}

TEST_F(ProgramWorkerTest, ACancelAfterTheLastVerifiedByteStillReportsCancelled) {
    LoadFile(10);
    view.onProgress = [](int, int updates) {
        if (updates == 20) {
            imageStore.SetCancelRequested(true);
        }
    };
    ProgramThreadProc(view);
    EXPECT_EQ(view.LastStatus(), "CANCELLED!");
    EXPECT_EQ(view.LastProgress(), 0);
}

}  // namespace

namespace {

class VerifyWorkerTest : public ProgramWorkerTest {};

TEST_F(VerifyWorkerTest, ReadsBackWithoutWritingAndSaysSameOrDifferent) {
    LoadFile(200);
    std::vector<std::uint8_t> chipBytes(200);
    for (int i = 0; i < 200; ++i) {
        chipBytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(imageStore.FileImage[i]);
    }
    chip->LoadFlash(chipBytes);
    EXPECT_EQ(VerifyThreadProc(view), 0);
    EXPECT_EQ(view.statuses, (std::vector<std::string>{"VERIFYING DEVICE", "SAME"}));
    EXPECT_EQ(chip->Counts().obeyed, 1u + 200u);  // the enable and 200 reads: nothing written
    EXPECT_EQ(view.LastProgress(), 100);
    EXPECT_FALSE(chip->InProgrammingMode());

    chip->Flash()[199] ^= 0x80;
    RecordingOperationView second;
    VerifyThreadProc(second);
    EXPECT_EQ(second.LastStatus(), "DIFFERENT");
    EXPECT_EQ(chip->Flash()[199], chipBytes[199] ^ 0x80);  // still not written
}

TEST_F(VerifyWorkerTest, ACancelledVerifySaysCancelled) {
    LoadFile(200);
    view.onProgress = [](int, int updates) {
        if (updates == 50) {
            imageStore.SetCancelRequested(true);
        }
    };
    VerifyThreadProc(view);
    EXPECT_EQ(view.LastStatus(), "CANCELLED!");
    EXPECT_EQ(chip->Counts().obeyed, 1u + 50u);
}

}  // namespace

namespace {

// Data-sheet timing at 12 MHz: each byte read first, only differing ones written and polled.
struct ChangedCase {
    const char* name;
    std::function<void(sim::At89s8252&)> prepare;  // the chip before the run; file bytes 0..15
    int written;
    int alreadyEqual;
    int failedAddress;
    const char* outcome;
};

class ProgramChangedTest : public ProgramWorkerTest,
                           public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ProgramChangedTest, WritesOnlyWhatDiffersAndWaitsForEachWrite) {
    const ChangedCase& c = GetParam();
    LoadFile(16);
    std::vector<std::uint8_t> image(16);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(imageStore.FileImage[i]);
    }
    chip->LoadFlash(image);
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
        EXPECT_TRUE(std::equal(image.begin(), image.end(), chip->Flash().begin()));
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
        ChangedCase{"AllEqual", [](sim::At89s8252&) {}, 0, 16, -1, "WRITE SUCCESSFUL!"},
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

}  // namespace
