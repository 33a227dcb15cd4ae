#pragma once

class MainWindowView;

inline constexpr const char* kCalibratingMessage =
    "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.";

// READ, PROG and ERASE start here: false (after the message box) while the shared timer is
// still calibrating.
bool PassCalibrationGate(MainWindowView& window);
