#include <gtest/gtest.h>

#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device_fixture.h"
#include "operations/workers.h"
#include "recording_operation_view.h"

namespace {

std::vector<std::uint8_t> Program(int length, std::uint8_t last) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
    }
    bytes.back() = last;
    return bytes;
}

class ReadWorkerTest : public DeviceFixture {
protected:
    ReadWorkerTest() : DeviceFixture(10'000, true) {}
    RecordingOperationView view;
};

struct StopCase {
    const char* name;
    std::vector<std::uint8_t> flash;  // the rest of the chip stays erased
    int expectedCount;
    int expectedLastProgress;
};

class ReadStopTest : public ReadWorkerTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ReadStopTest, CountsUpToTheFirstRunOf52EqualBytes) {
    chip->LoadFlash(GetParam().flash);
    EXPECT_EQ(ReadThreadProc(view), 0);
    EXPECT_EQ(imageStore.deviceByteCount, GetParam().expectedCount);
    EXPECT_EQ(imageStore.deviceImageValid, 1);
    EXPECT_EQ(view.LastProgress(), GetParam().expectedLastProgress);
    EXPECT_EQ(view.statuses, std::vector<std::string>{"READING DEVICE"});
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(imageStore.IsBusy());
    EXPECT_FALSE(chip->InProgrammingMode());
    // Everything read is stored, the run that ended the read included.
    const int stored = std::min(GetParam().expectedCount + 52, kImageSize);
    for (int i = 0; i < stored; ++i) {
        ASSERT_EQ(imageStore.DeviceImage[i], chip->Flash()[static_cast<std::size_t>(i)]) << i;
    }
}

std::vector<std::uint8_t> EndingInEqualBytes(int runLength) {
    std::vector<std::uint8_t> bytes(8192);
    for (int i = 0; i < 8192; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i & 0x7F);
    }
    for (int i = 8192 - runLength; i < 8192; ++i) {
        bytes[static_cast<std::size_t>(i)] = 0xA5;
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadStopTest,
    ::testing::Values(StopCase{"ErasedChip", {}, 0, 100},
                      StopCase{"ProgramLastByteNotErased", Program(300, 0x12), 300, 100},
                      // A last byte equal to the erased value joins the run.
                      StopCase{"ProgramLastByteErased", Program(300, 0xFF), 299, 100},
                      StopCase{"MemoryEndingIn51EqualBytes", EndingInEqualBytes(51), 8192, 99},
                      StopCase{"MemoryEndingIn52EqualBytes", EndingInEqualBytes(52), 8140, 100},
                      // Any value ends the read, not only the erased one.
                      StopCase{"ZeroTableInsideProgram",
                               [] {
                                   auto b = Program(400, 0x12);
                                   std::fill(b.begin() + 100, b.begin() + 152, 0x00);
                                   return b;
                               }(),
                               100, 100}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ReadWorkerTest, ProgressIsTheAddressOver8192BeforeItAdvances) {
    chip->LoadFlash(EndingInEqualBytes(0));
    ReadThreadProc(view);
    ASSERT_EQ(view.progress.size(), 8192u);
    for (int i = 0; i < 8192; ++i) {
        ASSERT_EQ(view.progress[static_cast<std::size_t>(i)], i * 100 / 8192) << i;
    }
}

TEST_F(ReadWorkerTest, CancelDiscardsTheImageAndTakesTheChipOutOfProgrammingMode) {
    chip->LoadFlash(Program(2000, 0x12));
    view.onProgress = [](int, int updates) {
        if (updates == 500) {
            imageStore.SetCancelRequested(true);
        }
    };
    ReadThreadProc(view);
    EXPECT_EQ(chip->Counts().obeyed, 1u + 500u);  // the enable and 500 reads, then nothing
    EXPECT_EQ(imageStore.deviceByteCount, 0);
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(view.mainWindowTexts.at(IDC_SAVE), "N/A");
    EXPECT_EQ(view.statuses, (std::vector<std::string>{"READING DEVICE", "CANCELLED"}));
    EXPECT_EQ(view.LastProgress(), 0);
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(chip->InProgrammingMode());
}

TEST_F(ReadWorkerTest, ACancelAfterTheLastAddressStillDiscardsTheImage) {
    chip->LoadFlash(Program(300, 0x12));
    view.onProgress = [](int position, int) {
        if (position == 100) {
            imageStore.SetCancelRequested(true);
        }
    };
    ReadThreadProc(view);
    EXPECT_EQ(imageStore.deviceImageValid, 0);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
    EXPECT_EQ(view.LastStatus(), "CANCELLED");
}

TEST_F(ReadWorkerTest, AShorterReadLeavesEntriesBeyondItAsAnEarlierReadLeftThem) {
    chip->LoadFlash(Program(1000, 0x12));
    ReadThreadProc(view);
    ASSERT_EQ(imageStore.deviceByteCount, 1000);
    const std::int32_t beyond = imageStore.DeviceImage[900];
    chip->Flash().fill(0xFF);
    RecordingOperationView second;
    ReadThreadProc(second);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
    EXPECT_EQ(imageStore.DeviceImage[51], 0xFF);
    EXPECT_EQ(imageStore.DeviceImage[900], beyond);
}

TEST_F(ReadWorkerTest, NoChipReadsLikeAnErasedOne) {
    chip->SetMisoFault(sim::MisoFault::kStuckHigh);
    ReadThreadProc(view);
    EXPECT_EQ(imageStore.deviceByteCount, 0);
    EXPECT_EQ(imageStore.deviceImageValid, 1);
}

}  // namespace
