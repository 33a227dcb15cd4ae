#include "operations/device_gate.h"

#include "app/main_window_view.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "framework/message_box_types.h"

bool PassCalibrationGate(MainWindowView& window) {
    if (cycleTimer != nullptr && cycleTimer->IsCalibrated()) {
        return true;
    }
    window.ShowMessageBox(kCalibratingMessage, "ERROR", MB_OK);
    return false;
}

bool EnsurePortOpen(MainWindowView& window) {
    if (EnsurePortOpen()) {
        return true;
    }
    window.ShowMessageBox(kPortOpenFailedMessage, "ERROR", MB_OK);
    return false;
}

void ReportPortFailure(MainWindowView& window) {
    if (PortFailure().empty()) {
        return;
    }
    // The next action opens the port afresh: it may be back by then.
    ClosePort();
    window.ShowMessageBox(kPortOpenFailedMessage, "ERROR", MB_OK);
}
