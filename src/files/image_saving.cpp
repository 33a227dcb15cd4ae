#include "files/image_saving.h"

#include <optional>
#include <string>

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "files/raw_image.h"
#include "framework/message_box_types.h"

void OnSave(MainWindowView& window) {
    OnSave(window, StandardFileWriteSteps());
}

void OnSave(MainWindowView& window, const FileWriteSteps& steps) {
    // Only a completed read that found data is worth saving; the button's label is not trusted.
    if (imageStore.deviceImageValid == 0 || imageStore.deviceByteCount == 0) {
        return;
    }
    const std::optional<std::string> target =
        window.ChooseFileToSave("bin", "Binary Files (*.bin)|*.bin||");
    if (!target) {
        return;
    }
    if (!SaveRawDeviceImage(*target, steps)) {
        window.ShowMessageBox("COULD NOT WRITE FILE", "ERROR", MB_OK);
    }
}
