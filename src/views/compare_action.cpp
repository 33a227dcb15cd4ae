#include "views/compare_action.h"

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"

void OnCompare(MainWindowView& window) {
    if (imageStore.fileLoaded == 0 || imageStore.deviceImageValid == 0) {
        return;
    }
    // The file's length, not the read count: the run of equal bytes that ended the read is still
    // in the device image, so a file padded with erased bytes compares SAME.
    for (int i = 0; i < imageStore.fileByteCount; ++i) {
        if (imageStore.FileImage[i] != imageStore.DeviceImage[i]) {
            window.SetItemText(IDC_COMPARE_RESULT, "DIFFERENT");
            return;
        }
    }
    window.SetItemText(IDC_COMPARE_RESULT, "SAME");
}
