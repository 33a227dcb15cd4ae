#pragma once

#include <string>

#include "sim/at89s8252.h"

namespace sim {

// A chip kept between runs as a raw 8192-byte image (e.g. CHIP.bin). A shorter file fills the
// start of code memory and leaves the rest erased; a longer one is refused. False, with the
// reason in `why`, when the file can't be read or is too long; the chip is then unchanged.
bool LoadFlashFile(At89s8252& chip, const std::string& path, std::string* why = nullptr);

// Writes all 8192 bytes through a temporary file renamed over `path`, so a failed save leaves an
// existing image untouched.
bool SaveFlashFile(const At89s8252& chip, const std::string& path, std::string* why = nullptr);

}  // namespace sim
