#pragma once

class MainWindowView;

// After programming and after erasing: the device side reads "NOT LOADED" and "N/A" again, and
// the read image no longer counts.
void ResetDeviceDisplay(MainWindowView& window);

// "%d bytes" into the 15-character buffer the main window formats counts in.
void FormatByteCount(char (&buffer)[15], int count);
