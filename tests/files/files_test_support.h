#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_main_window.h"

using Bytes = std::vector<std::uint8_t>;

// A fresh directory under the system's temporary directory, removed with everything in it.
// The name may contain blanks, as users' directories often do.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& prefix = "isp8252-files-");
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);

// Writes an executable /bin/sh script (not on Windows).
void WriteScript(const std::string& path, const std::string& body);

// Names of the entries of a directory, sorted.
std::vector<std::string> DirectoryEntries(const std::string& directory);

// Bytes 0, 1, 2, ... wrapping at 256, so every byte value and its position show.
Bytes CountingBytes(std::size_t count, std::uint8_t first = 0);

// A converter double: records its argument count and first argument (one line each) in
// calls.txt beside itself, then copies BASE.obj (else BASE.OBJ) to BASE.bin.
inline constexpr const char* kCopyingConverter =
    "printf '%s\\n' \"$#\" \"$1\" >> \"$(dirname \"$0\")/calls.txt\"\n"
    "if [ -f \"$1.obj\" ]; then cp \"$1.obj\" \"$1.bin\"\n"
    "elif [ -f \"$1.OBJ\" ]; then cp \"$1.OBJ\" \"$1.bin\"\n"
    "else exit 1; fi\n";

// Every test starts with freshly allocated images, start-up flags and a main window whose
// start-up directory is a temporary directory with a blank in its name.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts a converter script into the start-up directory.
    void InstallConverter(const std::string& body);
    // The converter double's recorded calls: argument count, then first argument, per call.
    std::vector<std::string> ConverterCalls() const;
    void SetStartupDirectory(const std::string& directory);
    std::string FilePathText() const { return window.filePath; }
    // The FileImage entries in use, as bytes.
    Bytes LoadedImage() const;

    TemporaryDirectory startup{"isp8252 start "};
    TemporaryDirectory data{"isp8252 data "};
    FakeMainWindow window;
};
