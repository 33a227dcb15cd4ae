#include "files/image_saving.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "framework/message_box_types.h"

void OnSave(MainWindowView& window) {
    OnSave(window, StandardFileWriteSteps());
}

void OnSave(MainWindowView& window, const FileWriteSteps& steps) {
    // Only a completed read that found data is worth saving; the button's label is not trusted.
    if (imageStore.deviceImageValid == 0 || imageStore.deviceByteCount == 0) {
        return;
    }
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int32_t>(imageStore.deviceByteCount, 0, kImageSize));
    unsigned char bytes[kImageSize];
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(imageStore.DeviceImage[i] & 0xFF);
    }

    const std::optional<std::string> target =
        window.ChooseFileToSave("bin", "Binary Files (*.bin)|*.bin||");
    if (!target) {
        return;
    }
    if (!WriteFileReplacing(*target, std::span<const unsigned char>(bytes, count), steps)) {
        window.ShowMessageBox("COULD NOT WRITE FILE", "ERROR", MB_OK);
    }
}
