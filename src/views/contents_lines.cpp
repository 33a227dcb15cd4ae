#include "views/contents_lines.h"

#include <cstdio>

#include "app/image_store.h"

ContentsSource ContentsFor(int viewKind) {
    if (viewKind == kDeviceContents) {
        return {imageStore.DeviceImage, imageStore.deviceByteCount};
    }
    return {imageStore.FileImage, imageStore.fileByteCount};
}

void FormatContentsLine(char (&line)[kContentsLineBufferSize], int address, std::int32_t value) {
    std::snprintf(line, sizeof line, "%X         %X", static_cast<unsigned>(address),
                  static_cast<unsigned>(value));
}

const char* ContentsTitle(int viewKind) {
    return viewKind == kDeviceContents ? "FLASH CONTENTS" : "FILE CONTENTS";
}
