#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/image_store.h"
#include "operations/workers.h"
#include "sim_chip_fixture.h"

namespace {

// `length` bytes of a program whose last byte is `last`, then `run` bytes of 0xA5 up to 8192.
ChipSetup Flash(int length, std::uint8_t last, int run = 0) {
    return [=](sim::At89s8252& c) {
        for (int i = 0; i < length; ++i) {
            c.Flash()[static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>((i * 37 + 11) & 0x7F);
        }
        c.Flash()[static_cast<std::size_t>(length - 1)] = last;
        std::fill(c.Flash().end() - run, c.Flash().end(), 0xA5);
    };
}

struct StopCase {
    const char* name;
    ChipSetup chip;  // the rest of the chip stays erased
    int count;
    int lastProgress;
};

class ReadStopTest : public SimChipFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ReadStopTest, CountsUpToTheFirstRunOf52EqualBytes) {
    RecordingOperationView view;
    GetParam().chip(*chip);
    EXPECT_EQ(ReadThreadProc(view), 0);
    EXPECT_EQ(imageStore.deviceByteCount, GetParam().count);
    EXPECT_EQ(imageStore.deviceImageValid, 1);
    EXPECT_EQ(view.LastProgress(), GetParam().lastProgress);
    EXPECT_EQ(view.statuses, std::vector<std::string>{"READING DEVICE"});
    EXPECT_EQ(view.closeLabels, 1);
    EXPECT_FALSE(imageStore.IsBusy());
    EXPECT_FALSE(chip->InProgrammingMode());
    // Everything read is stored, the run that ended the read included.
    for (int i = 0; i < std::min(GetParam().count + 52, kImageSize); ++i) {
        ASSERT_EQ(imageStore.DeviceImage[i], chip->Flash()[static_cast<std::size_t>(i)]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadStopTest,
    ::testing::Values(
        StopCase{"ErasedChip", [](sim::At89s8252&) {}, 0, 100},
        StopCase{"NoChip", [](sim::At89s8252& c) { c.SetMisoFault(sim::MisoFault::kStuckHigh); }, 0,
                 100},
        StopCase{"ProgramLastByteNotErased", Flash(300, 0x12), 300, 100},
        // A last byte equal to the erased value joins the run.
        StopCase{"ProgramLastByteErased", Flash(300, 0xFF), 299, 100},
        // Sent before the address advances: a read of all 8192 bytes leaves the bar at 99.
        StopCase{"MemoryEndingIn51EqualBytes", Flash(8192 - 51, 0x12, 51), 8192, 99},
        StopCase{"MemoryEndingIn52EqualBytes", Flash(8192 - 52, 0x12, 52), 8140, 100},
        // Any value ends the read, not only the erased one.
        StopCase{"ZeroTableInsideProgram",
                 [](sim::At89s8252& c) {
                     Flash(400, 0x12)(c);
                     std::fill(c.Flash().begin() + 100, c.Flash().begin() + 152, 0x00);
                 },
                 100, 100}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
