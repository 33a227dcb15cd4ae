#include "files/raw_image.h"

#include <algorithm>
#include <cstdio>

#include "app/image_store.h"
#include "platform/file_names.h"

bool LoadRawFileImage(const char* path) {
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) {
        return false;
    }
    // Anything past the chip's 8 KB is not code memory and is dropped without complaint.
    unsigned char buffer[kImageSize];
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
    // A read error (a directory opens like a file here) is a file that could not be read, not
    // an empty image; the image loaded before stays as it was.
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return false;
    }
    imageStore.fileByteCount = static_cast<std::int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        imageStore.FileImage[i] = buffer[i];
    }
    return true;
}

bool SaveRawDeviceImage(const std::string& path, const FileWriteSteps& steps) {
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int32_t>(imageStore.deviceByteCount, 0, kImageSize));
    unsigned char bytes[kImageSize];
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(imageStore.DeviceImage[i] & 0xFF);
    }
    return WriteFileReplacing(path, std::span<const unsigned char>(bytes, count), steps);
}
