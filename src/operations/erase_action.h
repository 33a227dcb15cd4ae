#pragma once

class MainWindowView;

// ERASE (control 1006): after the user confirms, erases the whole code flash with the chip-erase
// instruction, on the user-interface thread (about a millisecond of clocking), then resets the
// device side of the main window.
void OnErase(MainWindowView& window);

// The erase itself: programming mode, enable, chip erase, out of programming mode. No settle
// before the enable and no pause after the erase: the chip times its erase cycle itself.
void EraseChip();
