#include <gtest/gtest.h>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "fake_main_window.h"
#include "views/compare_action.h"

namespace {

struct CompareCase {
    int fileLoaded, deviceValid, fileCount;
    int differingAddress;  // -1: none
    const char* expected;  // "untouched": the earlier text stays
};

class CompareTest : public testing::TestWithParam<CompareCase> {};

// SAME or DIFFERENT over the file's length, whatever the read counted; nothing without both.
TEST_P(CompareTest, ShowsTheVerdictOverTheFileLength) {
    const CompareCase& c = GetParam();
    AllocateImages();
    ResetImageStoreState();
    imageStore.fileLoaded = c.fileLoaded;
    imageStore.deviceImageValid = c.deviceValid;
    imageStore.fileByteCount = c.fileCount;
    imageStore.deviceByteCount = 300;
    for (int i = 0; i < kCodeMemoryBytes; ++i) {
        imageStore.FileImage[i] = imageStore.DeviceImage[i] = (i * 13 + 0x80) & 0xFF;
    }
    if (c.differingAddress >= 0) {
        imageStore.DeviceImage[c.differingAddress] ^= 0x01;
    }
    FakeMainWindow window;
    window.texts[IDC_COMPARE_RESULT] = "untouched";
    OnCompare(window);
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), c.expected);
    ReleaseImages();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTest,
    testing::Values(CompareCase{1, 1, 300, -1, "SAME"}, CompareCase{1, 1, 300, 0, "DIFFERENT"},
                    CompareCase{1, 1, 300, 299, "DIFFERENT"}, CompareCase{1, 1, 300, 300, "SAME"},
                    CompareCase{1, 1, 310, -1, "SAME"}, CompareCase{0, 1, 300, 5, "untouched"},
                    CompareCase{1, 0, 300, 5, "untouched"}));

}  // namespace
