#include "operations/erase_action.h"

#include "app/main_window_view.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "framework/message_box_types.h"
#include "operations/device_display.h"
#include "operations/device_gate.h"

void OnErase(MainWindowView& window) {
    if (!PassCalibrationGate(window)) {
        return;
    }
    // Asking only when the cable can be reached: a confirmed erase that then cannot run would
    // leave the user guessing what happened to the chip.
    if (!EnsurePortOpen(window)) {
        return;
    }
    if (window.ShowMessageBox("ERASE FLASH CONTENTS?", "WARNING", MB_OKCANCEL | MB_DEFBUTTON1) ==
        IDCANCEL_ANSWER) {
        return;
    }
    (void)EraseChip();
    ResetDeviceDisplay(window);
    ReportPortFailure(window);
}

bool EraseChip() {
    HoldInProgrammingMode(true);
    // The chip ignores an enable sooner than 10 ms after RST rose, and the erase with it.
    CurrentAdapter()->Wait(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
    ChipErase();
    const bool erased = WaitForChipErase();
    HoldInProgrammingMode(false);
    return erased;
}
