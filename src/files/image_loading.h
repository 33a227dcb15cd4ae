#pragma once

class MainWindowView;

// The open-file dialog's choices; object files come first because they are the usual input.
// Firmware text under its usual names is read in the program, without the converter.
inline constexpr const char* kOpenFileFilter =
    "Object Files (*.obj)|*.obj|Binary Files (*.bin)|*.bin|All Files (*.*)|*.*|"
    "Firmware Files (*.hex *.ihx *.s19 *.s28 *.s37 *.srec *.mot)|"
    "*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot||";

// "-->": forgets the loaded file, lets the user choose one and loads it.
void OnBrowse(MainWindowView& window);

// "reload": loads the chosen file again (converting it again), keeping the earlier image if
// that fails.
void OnReload(MainWindowView& window);

// Checks that the chosen file exists, converts an object file, reads the binary (or the image a
// file of firmware text describes) into FileImage and reports every failure to the user.
void LoadSelectedFile(MainWindowView& window);
