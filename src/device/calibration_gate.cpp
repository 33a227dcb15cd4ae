#include "device/calibration_gate.h"

#include "app/main_window_view.h"
#include "device/cycle_timer.h"
#include "framework/message_box_types.h"

bool PassCalibrationGate(MainWindowView& window) {
    if (cycleTimer != nullptr && cycleTimer->IsCalibrated()) {
        return true;
    }
    window.ShowMessageBox(kCalibratingMessage, "ERROR", MB_OK);
    return false;
}
