#include "files/image_saving.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>

#include "files/replace_file.h"
#include "files_test_support.h"

namespace {

namespace fs = std::filesystem;

std::size_t ShortWrite(std::span<const unsigned char> bytes, std::FILE* stream) {
    return std::fwrite(bytes.data(), 1, bytes.size() / 2, stream);
}

// Words of the setup: "old" (image.bin holds 1000 older bytes), "link" (link.bin points to
// image.bin, which has mode 0640), "tmp" (a temporary file left by an earlier save), "dir"
// (image.bin is a folder with a file in it), and the failing steps "short", "flush", "close",
// "nonew". The read found `count` bytes (`valid` 0: no completed read); a target of nullptr
// cancels the dialog. Afterwards image.bin holds the bytes read when the save went through, else
// what it held before (unknown after a failure writing in place).
struct SaveCase {
    const char* name;
    const char* setup;
    const char* target;
    const char* events;
    const char* entries;  // the data folder's, sorted
    std::int32_t valid = 1;
    std::int32_t count = 300;
};

class SaveTest : public FilesTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveTest, WritesTheWholeImageOrLeavesTheFileAsItWas) {
    const SaveCase& c = GetParam();
    const auto has = [&c](const char* word) { return std::strstr(c.setup, word) != nullptr; };
    const fs::path image = data.path() / "image.bin";
    const std::string old = has("old") ? CountingBytes(1000) : "";
    if (has("old")) {
        test_support::WriteFileBytes(image, old);
    }
#if defined(_WIN32)
    if (has("link")) {
        GTEST_SKIP() << "symbolic links and permission bits are not Windows file attributes";
    }
#endif
    if (has("link")) {
        fs::permissions(image, fs::perms(0640));
        fs::create_symlink("image.bin", data.path() / "link.bin");
    }
    if (has("tmp")) {
        test_support::WriteFileBytes(TemporaryFileName(image.string(), 0), "someone else's");
    }
    if (has("dir")) {
        fs::create_directories(image / "inside");
    }
    const std::string read = CountingBytes(static_cast<std::size_t>(c.count));
    std::copy(read.begin(), read.end(), imageStore.DeviceImage);  // negative: only 8 bits count
    imageStore.deviceByteCount = c.count;
    imageStore.deviceImageValid = c.valid;
    window.saveAnswers.push_back(c.target ? std::optional((data.path() / c.target).string())
                                          : std::nullopt);

    // Stream steps that fail as a full disk would, and a folder that takes no new file.
    FileWriteSteps steps = StandardFileWriteSteps();
    steps.write = has("short") ? &ShortWrite : steps.write;
    steps.flush = has("flush") ? +[](std::FILE* f) { return std::fflush(f), EOF; } : steps.flush;
    steps.close = has("close") ? +[](std::FILE* f) { return std::fclose(f), EOF; } : steps.close;
    steps.createNew =
        has("nonew") ? +[](const char*) -> std::FILE* { return errno = EACCES, nullptr; }
                     : steps.createNew;

    OnSave(window, steps);

    const std::string events = Events();
    EXPECT_EQ(events, c.events);
    std::string entries;
    for (const fs::path& entry : std::set<fs::path>(fs::directory_iterator(data.path()), {})) {
        entries += (entries.empty() ? "" : " ") + entry.filename().string();
    }
    EXPECT_EQ(entries, c.entries);
    const bool saved = events == "save dialog" && c.target;
    if (saved || !has("nonew")) {
        EXPECT_EQ(test_support::FileBytes(image), saved ? read : old);
    }
    if (has("link")) {
        EXPECT_EQ(fs::status(image).permissions(), fs::perms(0640));
    }
    EXPECT_EQ(test_support::FileBytes(TemporaryFileName(image.string(), 0)),
              has("tmp") ? "someone else's" : "");
}

const char* const kSaved = "save dialog";
const char* const kFailed = "save dialog|box COULD NOT WRITE FILE";

const SaveCase kSaveCases[] = {
    {"FullImage", "", "image.bin", kSaved, "image.bin", 1, 8192},
    {"OverLongerFile", "old", "image.bin", kSaved, "image.bin"},
    {"ThroughLink", "old link", "link.bin", kSaved, "image.bin link.bin"},
    {"BesideOldTemporary", "tmp", "image.bin", kSaved, "image.bin image.bin.0.tmp"},
    {"ShortWriteOverFile", "old short", "image.bin", kFailed, "image.bin"},
    {"FlushFailsOverFile", "old flush", "image.bin", kFailed, "image.bin"},
    {"CloseFailsOverFile", "old close", "image.bin", kFailed, "image.bin"},
    {"InPlace", "old nonew", "image.bin", kSaved, "image.bin"},
    {"InPlaceShortWrite", "old nonew short", "image.bin", kFailed, "image.bin"},
    {"MissingFolder", "", "none/image.bin", kFailed, ""},
    {"Folder", "dir", "image.bin", kFailed, "image.bin"},
    {"Cancelled", "", nullptr, "save dialog", ""},
    {"ErasedChipRead", "", "image.bin", "", "", 1, 0},
    {"CountWithoutCompletedRead", "", "image.bin", "", "", 0, 300}};

INSTANTIATE_TEST_SUITE_P(Cases, SaveTest, ::testing::ValuesIn(kSaveCases), CaseName{});

}  // namespace
