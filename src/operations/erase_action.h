#pragma once

class MainWindowView;

// ERASE (control 1006): after the user confirms, erases the whole code flash with the chip-erase
// instruction, on the user-interface thread (about a millisecond of clocking), then resets the
// device side of the main window.
void OnErase(MainWindowView& window);

// The erase itself: programming mode, the data sheet's 10 ms settle, enable, chip erase, out of
// programming mode. With the window's timing no pause after the erase (the chip times its erase
// cycle itself), while data-sheet timing waits for the chip's "erasing" and then "erased"
// answers (WaitForChipErase). False when they did not come.
bool EraseChip();
