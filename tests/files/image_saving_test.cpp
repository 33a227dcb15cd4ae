#include "files/image_saving.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>

#include "platform/replace_file.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include "files_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPlantedTag = 0x2a;

// A FIFO at `path` and the read end of it, open without waiting for a writer; -1 on Windows.
int MakeFifoWithReader(const fs::path& path) {
#if defined(_WIN32)
    (void)path;
    return -1;
#else
    return mkfifo(path.c_str(), 0600) == 0 ? open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;
#endif
}

// What was written into the FIFO so far; closes the read end.
std::string DrainFifo(int reader) {
    std::string received(2000, '\0');
#if defined(_WIN32)
    (void)reader;
    received.clear();
#else
    received.resize(static_cast<std::size_t>(
        std::max<ssize_t>(0, read(reader, received.data(), received.size()))));
    close(reader);
#endif
    return received;
}

std::size_t ShortWrite(std::span<const unsigned char> bytes, std::FILE* stream) {
    return std::fwrite(bytes.data(), 1, bytes.size() / 2, stream);
}

// Words of the setup: "old" (image.bin holds 1000 older bytes), "link" (link.bin points to
// image.bin, which has mode 0640), "tmp" (a link to the file "victim" planted under every
// temporary name tried), "fifo" (image.bin is a FIFO with a reader), "dir" (image.bin is a folder
// with a file in it), and the failing steps "short", "flush", "close", "nonew". The read found
// `count` bytes (`valid` 0: no completed read); a target of nullptr cancels the dialog. Afterwards
// image.bin holds the bytes read when the save went through, else what it held before (unknown
// after a failure writing in place).
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
    if (has("link") || has("tmp") || has("fifo")) {
        GTEST_SKIP() << "symbolic links, FIFOs and permission bits are not Windows file attributes";
    }
#endif
    if (has("link")) {
        fs::permissions(image, fs::perms(0640));
        fs::create_symlink("image.bin", data.path() / "link.bin");
    }
    if (has("tmp")) {
        test_support::WriteFileBytes(data.path() / "victim", "someone else's");
        fs::create_symlink("victim", TemporaryFileName(image.string(), kPlantedTag));
    }
    const int fifoReader = has("fifo") ? MakeFifoWithReader(image) : -1;
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
    if (has("tmp")) {
        steps.temporaryTag = [] { return kPlantedTag; };
    }

    OnSave(window, steps);

    const std::string events = Events();
    EXPECT_EQ(events, c.events);
    std::string entries;
    for (const fs::path& entry : std::set<fs::path>(fs::directory_iterator(data.path()), {})) {
        entries += (entries.empty() ? "" : " ") + entry.filename().string();
    }
    EXPECT_EQ(entries, c.entries);
    const bool saved = events == "save dialog" && c.target;
    if (has("fifo")) {
        EXPECT_EQ(DrainFifo(fifoReader), read);
        EXPECT_EQ(fs::status(image).type(), fs::file_type::fifo);
    } else if (saved || !has("nonew")) {
        EXPECT_EQ(test_support::FileBytes(image), saved ? read : old);
    }
    if (has("link")) {
        EXPECT_EQ(fs::status(image).permissions(), fs::perms(0640));
    }
    if (has("tmp")) {
        EXPECT_EQ(test_support::FileBytes(data.path() / "victim"), "someone else's");
    }
}

const char* const kSaved = "save dialog";
const char* const kFailed = "save dialog|box COULD NOT WRITE FILE";

const SaveCase kSaveCases[] = {
    {"FullImage", "", "image.bin", kSaved, "image.bin", 1, 8192},
    {"OverLongerFile", "old", "image.bin", kSaved, "image.bin"},
    {"ThroughLink", "old link", "link.bin", kSaved, "image.bin link.bin"},
    {"PlantedLinkNotFollowed", "old tmp", "image.bin", kSaved,
     "image.bin image.bin.tmp-0000002a victim"},
    {"FifoWrittenInPlace", "fifo", "image.bin", kSaved, "image.bin"},
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
