#include "files/image_saving.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/image_loading.h"
#include "files/replace_file.h"
#include "files_test_support.h"
#include "framework/message_box_types.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SaveDeviceImageTest : public FilesTest {
protected:
    // A completed read of `bytes` from the chip.
    void ReadFromChip(const Bytes& bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            imageStore.DeviceImage[i] = bytes[i];
        }
        imageStore.deviceByteCount = static_cast<std::int32_t>(bytes.size());
        imageStore.deviceImageValid = 1;
        window.SetItemText(IDC_SAVE, "SAVE");
        window.events.clear();
    }
    void Save(const std::string& target) {
        window.saveAnswers.push_back(target);
        OnSave(window);
    }
};

TEST_F(SaveDeviceImageTest, WritesExactlyTheBytesReadWithoutSayingAnything) {
    const Bytes read = CountingBytes(300, 0x70);
    ReadFromChip(read);
    const std::string target = data / "read back.bin";

    Save(target);

    EXPECT_THAT(window.saveExtensions, ElementsAre("bin"));
    EXPECT_THAT(window.saveFilters, ElementsAre("Binary Files (*.bin)|*.bin||"));
    EXPECT_THAT(window.events, ElementsAre("save dialog"));
    EXPECT_EQ(ReadBytes(target), read);
    EXPECT_THAT(DirectoryEntries(data.Path()), ElementsAre("read back.bin"));
}

TEST_F(SaveDeviceImageTest, WritesOnlyTheLowEightBitsOfEachEntry) {
    ReadFromChip(CountingBytes(4));
    imageStore.DeviceImage[0] = 0x1AB;
    imageStore.DeviceImage[1] = -1;
    imageStore.DeviceImage[2] = 0x100;
    imageStore.DeviceImage[3] = 0x7F;
    const std::string target = data / "masked.bin";

    Save(target);

    EXPECT_EQ(ReadBytes(target), (Bytes{0xAB, 0xFF, 0x00, 0x7F}));
}

TEST_F(SaveDeviceImageTest, AFullImageOf8192BytesIsSaved) {
    const Bytes read = CountingBytes(8192, 0x33);
    ReadFromChip(read);
    const std::string target = data / "full.bin";

    Save(target);

    EXPECT_EQ(ReadBytes(target), read);
}

TEST_F(SaveDeviceImageTest, ASavedFileLoadsBackAsTheSameImage) {
    const Bytes read = CountingBytes(300, 0xF0);
    ReadFromChip(read);
    const std::string target = data / "round trip.bin";
    Save(target);

    window.openAnswers.push_back(target);
    OnBrowse(window);

    EXPECT_EQ(imageStore.fileByteCount, imageStore.deviceByteCount);
    for (int i = 0; i < imageStore.deviceByteCount; ++i) {
        ASSERT_EQ(imageStore.FileImage[i], imageStore.DeviceImage[i]) << "address " << i;
    }
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "300 bytes");
}

TEST_F(SaveDeviceImageTest, ReplacesAnExistingLongerFileEntirely) {
    const std::string target = data / "old.bin";
    WriteBytes(target, CountingBytes(5000));
    ReadFromChip(CountingBytes(10, 0x20));

    Save(target);

    EXPECT_EQ(ReadBytes(target), CountingBytes(10, 0x20));
    EXPECT_THAT(DirectoryEntries(data.Path()), ElementsAre("old.bin"));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(SaveDeviceImageTest, StepsOverATemporaryFileLeftBehindEarlier) {
    const std::string target = data / "image.bin";
    const std::string leftOver = TemporaryFileName(target, 0);
    WriteText(leftOver, "someone else's");
    ReadFromChip(CountingBytes(8));

    Save(target);

    EXPECT_EQ(ReadBytes(target), CountingBytes(8));
    EXPECT_EQ(ReadText(leftOver), "someone else's");
}

struct GuardCase {
    const char* label;
    std::int32_t valid;
    std::int32_t count;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
    *os << c.label;
}

class SaveGuardTest : public SaveDeviceImageTest,
                      public ::testing::WithParamInterface<GuardCase> {};

TEST_P(SaveGuardTest, WithoutACompletedReadThatFoundDataNothingHappens) {
    ReadFromChip(CountingBytes(300));
    imageStore.deviceImageValid = GetParam().valid;
    imageStore.deviceByteCount = GetParam().count;
    window.saveAnswers.push_back(data / "never.bin");

    OnSave(window);

    EXPECT_THAT(window.events, IsEmpty());  // no dialog, no box, although the label says "SAVE"
    EXPECT_THAT(DirectoryEntries(data.Path()), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(States, SaveGuardTest,
                         ::testing::Values(GuardCase{"NoRead", 0, 0},
                                           GuardCase{"ErasedChipRead", 1, 0},
                                           GuardCase{"CountButNoCompletedRead", 0, 300}),
                         [](const ::testing::TestParamInfo<GuardCase>& testCase) {
                             return std::string(testCase.param.label);
                         });

TEST_F(SaveDeviceImageTest, CancellingTheDialogDoesNothing) {
    ReadFromChip(CountingBytes(300));
    window.saveAnswers.push_back(std::nullopt);

    OnSave(window);

    EXPECT_THAT(window.events, ElementsAre("save dialog"));
    EXPECT_THAT(DirectoryEntries(data.Path()), IsEmpty());
}

// Stream steps that fail once the temporary file exists, as a full disk would. Each notes how
// many directory entries named the stream's file when it failed: 1 shows the temporary file was
// on disk at that moment.
long linksAtFailure = 0;

void NoteLinks(std::FILE* stream) {
    struct stat status {};
    linksAtFailure = fstat(fileno(stream), &status) == 0 ? static_cast<long>(status.st_nlink) : 0;
}
std::size_t ShortWrite(std::span<const unsigned char> bytes, std::FILE* stream) {
    NoteLinks(stream);
    return std::fwrite(bytes.data(), 1, bytes.size() / 2, stream);
}
std::size_t Write(std::span<const unsigned char> bytes, std::FILE* stream) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream);
}
int FailingFlush(std::FILE* stream) {
    NoteLinks(stream);
    std::fflush(stream);
    return EOF;
}
int Flush(std::FILE* stream) {
    return std::fflush(stream);
}
int FailingClose(std::FILE* stream) {
    NoteLinks(stream);
    std::fclose(stream);
    return EOF;
}
int Close(std::FILE* stream) {
    return std::fclose(stream);
}

struct WriteFailureCase {
    const char* label;
    FileWriteSteps steps;
};

void PrintTo(const WriteFailureCase& c, std::ostream* os) {
    *os << c.label;
}

class SaveWriteFailureTest
    : public SaveDeviceImageTest,
      public ::testing::WithParamInterface<std::tuple<WriteFailureCase, bool>> {
protected:
    const WriteFailureCase& Failure() const { return std::get<0>(GetParam()); }
    bool OverExistingFile() const { return std::get<1>(GetParam()); }
};

TEST_P(SaveWriteFailureTest, LeavesNoPartialFileAndTheOldOneIntact) {
    const std::string target = data / "image.bin";
    if (OverExistingFile()) {
        WriteBytes(target, CountingBytes(1000, 0x55));
    }
    ReadFromChip(CountingBytes(300));
    linksAtFailure = 0;
    window.saveAnswers.push_back(target);

    OnSave(window, Failure().steps);

    EXPECT_EQ(linksAtFailure, 1);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT WRITE FILE");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    if (OverExistingFile()) {
        EXPECT_EQ(ReadBytes(target), CountingBytes(1000, 0x55));
        EXPECT_THAT(DirectoryEntries(data.Path()), ElementsAre("image.bin"));
    } else {
        EXPECT_THAT(DirectoryEntries(data.Path()), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SaveWriteFailureTest,
    ::testing::Combine(
        ::testing::Values(WriteFailureCase{"ShortWrite", {&ShortWrite, &Flush, &Close}},
                          WriteFailureCase{"FlushFails", {&Write, &FailingFlush, &Close}},
                          WriteFailureCase{"CloseFails", {&Write, &Flush, &FailingClose}}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<WriteFailureCase, bool>>& testCase) {
        return std::string(std::get<0>(testCase.param).label) +
               (std::get<1>(testCase.param) ? "OverExistingFile" : "NewFile");
    });

TEST_F(SaveDeviceImageTest, AMissingDirectoryIsReported) {
    ReadFromChip(CountingBytes(300));

    Save(data / "no such directory/image.bin");

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT WRITE FILE");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_THAT(DirectoryEntries(data.Path()), IsEmpty());
}

TEST_F(SaveDeviceImageTest, APathThatIsADirectoryIsReportedAndLeftAlone) {
    ReadFromChip(CountingBytes(300));
    const std::string target = data / "folder.bin";
    std::filesystem::create_directory(target);
    WriteText(target + "/inside", "kept");

    Save(target);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT WRITE FILE");
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(ReadText(target + "/inside"), "kept");
    EXPECT_THAT(DirectoryEntries(data.Path()), ElementsAre("folder.bin"));
}

}  // namespace
