#include "files/read_binary_file.h"

#include <cstdio>

#include "app/device_display.h"
#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"

bool ReadBinaryFile(MainWindowView& window, char* path) {
    std::FILE* file = PathText(path).empty() ? nullptr : std::fopen(path, "rb");
    if (file == nullptr) {
        path[0] = '\0';
        return false;
    }

    // Anything past the chip's 8 KB is not code memory and is dropped without complaint.
    unsigned char buffer[kImageSize];
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
    // A read error (a directory opens like a file here) is a file that could not be read, not
    // an empty image; the image loaded before stays as it was.
    if (std::ferror(file) != 0) {
        std::fclose(file);
        path[0] = '\0';
        return false;
    }
    imageStore.fileByteCount = static_cast<std::int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        imageStore.FileImage[i] = buffer[i];
    }
    std::fclose(file);

    char text[15];
    FormatByteCount(text, imageStore.fileByteCount);
    window.SetItemText(IDC_FILE_BYTES, text);
    return true;
}
