#include "operations/device_display.h"

#include <cstdio>

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"

void ResetDeviceDisplay(MainWindowView& window) {
    window.SetItemText(IDC_DEVICE_STATE, "NOT LOADED");
    window.SetItemText(IDC_DEVICE_BYTES, "");
    window.SetItemText(IDC_COMPARE_RESULT, "");
    window.SetItemText(IDC_SAVE, "N/A");
    imageStore.deviceImageValid = 0;
    imageStore.deviceByteCount = 0;
}

void FormatByteCount(char (&buffer)[15], int count) {
    std::snprintf(buffer, sizeof buffer, "%d bytes", count);
}
