#include <gtest/gtest.h>

#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "fake_main_window.h"
#include "views/compare_action.h"
#include "views/contents_lines.h"

namespace {

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        AllocateImages();
        ResetImageStoreState();
    }
    void TearDown() override { ReleaseImages(); }

    FakeMainWindow window;
};

struct CompareCase {
    const char* name;
    int fileLoaded;
    int deviceValid;
    int fileCount;
    int differingAddress;  // -1: none
    const char* expected;  // text afterwards; "untouched" keeps the earlier one
};

class CompareTest : public ViewsTest, public ::testing::WithParamInterface<CompareCase> {};

TEST_P(CompareTest, ShowsTheVerdictOverTheFileLength) {
    const auto& c = GetParam();
    imageStore.fileLoaded = c.fileLoaded;
    imageStore.deviceImageValid = c.deviceValid;
    imageStore.fileByteCount = c.fileCount;
    imageStore.deviceByteCount = 300;
    for (int i = 0; i < kImageSize; ++i) {
        imageStore.FileImage[i] = imageStore.DeviceImage[i] = (i * 13 + 0x80) & 0xFF;
    }
    if (c.differingAddress >= 0) {
        imageStore.DeviceImage[c.differingAddress] ^= 0x01;
    }
    window.texts[IDC_COMPARE_RESULT] = "untouched";
    OnCompare(window);
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTest,
    ::testing::Values(
        CompareCase{"Identical", 1, 1, 300, -1, "SAME"},
        CompareCase{"FirstByteDiffers", 1, 1, 300, 0, "DIFFERENT"},
        CompareCase{"LastFileByteDiffers", 1, 1, 300, 299, "DIFFERENT"},
        // Entries past the file's length take no part, whatever the read count says.
        CompareCase{"DifferenceBeyondTheFile", 1, 1, 300, 300, "SAME"},
        // The file may be longer than what the read counted: the stored run still compares.
        CompareCase{"FileLongerThanReadCount", 1, 1, 310, -1, "SAME"},
        CompareCase{"EmptyFileAndValidRead", 1, 1, 0, -1, "SAME"},
        CompareCase{"NoFileLoaded", 0, 1, 300, -1, "untouched"},
        CompareCase{"NoValidRead", 1, 0, 300, -1, "untouched"},
        CompareCase{"NeitherLoadedNorRead", 0, 0, 300, 5, "untouched"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ViewsTest, HighBytesCompareEqualWithoutSignExtension) {
    imageStore.fileLoaded = 1;
    imageStore.deviceImageValid = 1;
    imageStore.fileByteCount = 128;
    for (int i = 0; i < 128; ++i) {
        imageStore.FileImage[i] = 0x80 + i;
        imageStore.DeviceImage[i] = static_cast<std::int32_t>(static_cast<std::uint8_t>(0x80 + i));
    }
    OnCompare(window);
    EXPECT_EQ(window.Text(IDC_COMPARE_RESULT), "SAME");
}

struct LineCase {
    int address;
    std::int32_t value;
    const char* line;
};

class ContentsLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ContentsLineTest, FormatsAddressAndValueInUpperCaseHex) {
    char line[kContentsLineBufferSize];
    FormatContentsLine(line, GetParam().address, GetParam().value);
    EXPECT_STREQ(line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Lines, ContentsLineTest,
                         ::testing::Values(LineCase{26, 2, "1A         2"},
                                           LineCase{8191, 255, "1FFF         FF"},
                                           LineCase{0, 0, "0         0"},
                                           LineCase{0xABC, 0xDE, "ABC         DE"}));

TEST_F(ViewsTest, TheCountAloneDecidesWhatIsListed) {
    imageStore.fileByteCount = 12;
    imageStore.fileLoaded = 0;
    imageStore.deviceByteCount = 0;
    imageStore.deviceImageValid = 1;
    const auto file = ContentsFor(kFileContents);
    const auto device = ContentsFor(kDeviceContents);
    EXPECT_EQ(file.entries, imageStore.FileImage);
    EXPECT_EQ(file.count, 12);
    EXPECT_EQ(device.entries, imageStore.DeviceImage);
    EXPECT_EQ(device.count, 0);
    EXPECT_STREQ(ContentsTitle(kFileContents), "FILE CONTENTS");
    EXPECT_STREQ(ContentsTitle(kDeviceContents), "FLASH CONTENTS");
}

}  // namespace
