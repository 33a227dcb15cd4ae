#include "operations/erase_action.h"

#include "app/main_window_view.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
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
}

bool EraseChip() {
    SetProgrammingMode(1);
    ProgrammingEnable();
    ChipErase();
    const bool erased = WaitForChipErase();
    SetProgrammingMode(0);
    return erased;
}
