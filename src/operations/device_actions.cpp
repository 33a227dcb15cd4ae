#include "operations/device_actions.h"

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "framework/message_box_types.h"
#include "operations/device_display.h"
#include "operations/device_gate.h"
#include "operations/workers.h"

void OnRead(MainWindowView& window) {
    if (!PassCalibrationGate(window) || !EnsurePortOpen(window)) {
        return;
    }
    window.RunOperationDialog(kReadOperation);
    ReportPortFailure(window);

    // The dialog ends only once the worker has cleared operationBusy, after storing its results.
    if (imageStore.deviceImageValid == 1) {
        window.SetItemText(IDC_DEVICE_STATE, "LOADED");
        if (imageStore.deviceByteCount != 0) {
            char text[15];
            FormatByteCount(text, imageStore.deviceByteCount);
            window.SetItemText(IDC_SAVE, "SAVE");
            window.SetItemText(IDC_DEVICE_BYTES, text);
        }
    }
    window.SetItemText(IDC_COMPARE_RESULT, "");
}

void OnProgram(MainWindowView& window) {
    if (!PassCalibrationGate(window)) {
        return;
    }
    if (imageStore.fileLoaded == 0) {
        window.ShowMessageBox("NO DATA TO LOAD", "ERROR", MB_OK);
        return;
    }
    if (!EnsurePortOpen(window)) {
        return;
    }
    window.RunOperationDialog(kProgramOperation);
    ReportPortFailure(window);
    ResetDeviceDisplay(window);
}
