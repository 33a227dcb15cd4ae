#pragma once

class MainWindowView;

inline constexpr const char* kCalibratingMessage =
    "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.";
inline constexpr const char* kPortOpenFailedMessage = "COULD NOT OPEN PARALLEL PORT";

// READ, PROG and ERASE start here: false (after the message box) while the shared timer is
// still calibrating.
bool PassCalibrationGate(MainWindowView& window);

// Opens the port on first use; when it can't be opened, shows "COULD NOT OPEN PARALLEL PORT"
// (caption "ERROR") and returns false. The device layer only says whether it opened: what the
// user is told belongs to the window's side.
bool EnsurePortOpen(MainWindowView& window);

// After an operation has ended: when the port failed during it (the worker then stopped as on
// a cancel), says "COULD NOT OPEN PARALLEL PORT" and lets the port go.
void ReportPortFailure(MainWindowView& window);
