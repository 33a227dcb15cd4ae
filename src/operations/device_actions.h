#pragma once

class MainWindowView;

// READ (control 1005): reads the chip into the device image behind the operation dialog, then
// shows what was found.
void OnRead(MainWindowView& window);

// PROG (control 3): writes the loaded file into the chip and verifies it behind the operation
// dialog, then resets the device side.
void OnProgram(MainWindowView& window);
