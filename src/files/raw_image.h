#pragma once

#include <string>

#include "platform/replace_file.h"

// The raw image format: byte i is code address i, no header. Reading takes at most the chip's
// 8192 bytes into FileImage (a longer file is cut without complaint) and sets fileByteCount;
// false, with the image as it was, when the file can't be opened or read.
bool LoadRawFileImage(const char* path);

// The same for a file the user chose: when the whole file is valid Intel HEX or S-record text
// (what assemblers and compilers write, whatever its name), the image it describes is loaded
// instead of its text; a file that reads as such text but does not parse is refused (false).
bool LoadFileImage(const char* path);

// Writes the low eight bits of DeviceImage[0 .. deviceByteCount - 1] to path, replacing it only
// once the whole file is written (see ReplaceFileContents); false when it can't be written.
bool SaveRawDeviceImage(const std::string& path,
                        const FileWriteSteps& steps = StandardFileWriteSteps());
