#include "files_test_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "app/image_store.h"
#include "files/image_file_paths.h"

TemporaryDirectory::TemporaryDirectory(const std::string& prefix) {
#if defined(_WIN32)
    // No mkdtemp: a random name, created only if it did not exist.
    std::random_device entropy;
    const auto root = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
        const auto candidate = root / (prefix + std::to_string(entropy()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate.generic_string();
        }
    }
    if (path_.empty()) {
        ADD_FAILURE() << "cannot create a temporary directory in " << root;
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary directory from " << pattern;
    }
    path_ = pattern;
#endif
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

#if !defined(_WIN32)
void WriteScript(const std::string& path, const std::string& body) {
    WriteText(path, "#!/bin/sh\n" + body);
    ASSERT_EQ(chmod(path.c_str(), 0755), 0) << path;
}
#endif

std::vector<std::string> DirectoryEntries(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes CountingBytes(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

void FilesTest::SetUp() {
    AllocateImages();
    ResetImageStoreState();
    SetStartupDirectory(startup.Path());
}

void FilesTest::TearDown() {
    ReleaseImages();
}

#if !defined(_WIN32)
void FilesTest::InstallConverter(const std::string& body) {
    WriteScript(startup / std::string(kConverterFileName), body);
}
#endif

std::vector<std::string> FilesTest::ConverterCalls() const {
    std::vector<std::string> lines;
    if (!Exists(startup / "calls.txt")) {
        return lines;
    }
    std::istringstream in(ReadText(startup / "calls.txt"));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void FilesTest::SetStartupDirectory(const std::string& directory) {
    ASSERT_TRUE(StorePath(window.startupDirectory, directory)) << directory;
}

Bytes FilesTest::LoadedImage() const {
    Bytes bytes;
    for (std::int32_t i = 0; i < imageStore.fileByteCount; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(imageStore.FileImage[i]));
    }
    return bytes;
}
