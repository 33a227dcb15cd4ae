#pragma once

class MainWindowView;

// ERASE (control 1006): after the user confirms, erases the whole code flash with the chip-erase
// instruction, on the user-interface thread (about a millisecond of clocking), then resets the
// device side of the main window.
void OnErase(MainWindowView& window);

// The erase itself: programming mode, enable, chip erase, out of programming mode. No settle
// before the enable; with the window's timing no pause after the erase either (the chip times
// its erase cycle itself), while data-sheet timing polls until the chip answers erased. False
// when that poll ran out of time.
bool EraseChip();
