#pragma once

class MainWindowView;

// Reads a raw image file (byte i = code address i, at most the first 8192 bytes) into FileImage
// and shows its length; with firmwareText, a file that is valid firmware text gives the image it
// describes instead. On failure the string at path is emptied and nothing else changes.
bool ReadBinaryFile(MainWindowView& window, char* path, bool firmwareText = false);
