#pragma once

#include "platform/replace_file.h"

class MainWindowView;

// "SAVE": writes the image read from the chip to a raw binary file the user chooses.
void OnSave(MainWindowView& window);

// The same with the file writing's stream steps given (tests make one of them fail).
void OnSave(MainWindowView& window, const FileWriteSteps& steps);
