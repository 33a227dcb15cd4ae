#pragma once

#include <string>

#include "device/programming_commands.h"

// Loads FILE into the file image for program and verify: a raw binary when its name ends in
// ".bin" (any letter case), else Intel HEX or Motorola S-records read by the same parser the
// converter uses. On failure returns the program's message ("FILE DOES NOT EXIST" or
// "COULD NOT READ FILE") with what went wrong in `detail`; on success an empty string. For the
// EEPROM every address must lie below 0x800: the first one that does not is named in `detail`,
// and only the addresses the file names are written (a raw file names 0 to its length). A raw
// file that is empty or larger than the memory is refused.
std::string LoadImageInput(const std::string& path, std::string* detail,
                           Memory memory = Memory::kCode);

bool NamesRawBinary(const std::string& path);
