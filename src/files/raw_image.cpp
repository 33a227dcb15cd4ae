#include "files/raw_image.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "app/image_store.h"
#include "files/image_file_paths.h"
#include "hex-bin/firmware_parser.h"

namespace {

// Firmware text for 8 KB of code takes at most a few hundred kilobytes even with one byte per
// record; a longer file is taken for raw bytes without being parsed.
constexpr std::size_t kFirmwareTextLimit = 1024 * 1024;

// Reads at most `limit` bytes; nothing when the file can't be opened or read (a read error is a
// file that could not be read, not an empty image).
std::optional<std::string> ReadStart(const char* path, std::size_t limit) {
    std::FILE* file = OpenFileForReading(path, "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    std::string bytes(limit, '\0');
    bytes.resize(std::fread(bytes.data(), 1, limit, file));
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return std::nullopt;
    }
    return bytes;
}

// Text made of records only: hex digits, the record marks ':' and 'S', blanks and line ends, and
// a record mark first. Raw code is never like this; a damaged object file is.
bool LooksLikeFirmwareText(const std::string& bytes) {
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || (bytes[first] != ':' && bytes[first] != 'S')) {
        return false;
    }
    return bytes.find_first_not_of("0123456789ABCDEFabcdef:Ss \t\r\n") == std::string::npos;
}

template <typename Bytes>
void StoreFileImage(const Bytes& bytes, std::size_t count) {
    imageStore.fileByteCount = static_cast<std::int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        imageStore.FileImage[i] = static_cast<unsigned char>(bytes[i]);
    }
}

}  // namespace

bool LoadRawFileImage(const char* path) {
    const std::optional<std::string> bytes = ReadStart(path, kCodeMemoryBytes);
    if (!bytes) {
        return false;
    }
    // Anything past the chip's 8 KB is not code memory and is dropped without complaint.
    StoreFileImage(*bytes, bytes->size());
    return true;
}

bool LoadFileImage(const char* path) {
    const std::optional<std::string> bytes = ReadStart(path, kFirmwareTextLimit + 1);
    if (!bytes) {
        return false;
    }
    if (bytes->size() <= kFirmwareTextLimit) {
        const firmware::ParseResult parsed = firmware::ParseFirmware(*bytes, kCodeMemoryBytes);
        if (parsed.ok()) {
            StoreFileImage(parsed.image, parsed.image.size());
            return true;
        }
        // Its text programmed as code would be a chip full of ASCII.
        if (LooksLikeFirmwareText(*bytes)) {
            return false;
        }
    }
    StoreFileImage(*bytes, std::min<std::size_t>(bytes->size(), kCodeMemoryBytes));
    return true;
}

bool SaveRawDeviceImage(const std::string& path, const FileWriteSteps& steps) {
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int32_t>(imageStore.deviceByteCount, 0, kCodeMemoryBytes));
    unsigned char bytes[kCodeMemoryBytes];
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(imageStore.DeviceImage[i] & 0xFF);
    }
    return !ReplaceFileContents(path, std::span<const unsigned char>(bytes, count), steps);
}
