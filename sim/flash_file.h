#pragma once

#include <cstddef>
#include <string>

#include "sim/at89s8252.h"

namespace sim {

// A chip kept between runs (e.g. CHIP.bin). While its data EEPROM is erased and no lock bit is
// programmed the file is the raw 8192-byte code image, as it has always been; otherwise it is the
// state format: the code image, the 2048 EEPROM bytes, then the trailer "ISP8252", a version byte
// (1) and the programmed lock bits (kLockBit1 ...).
inline constexpr char kStateFileMagic[] = "ISP8252";
inline constexpr unsigned char kStateFileVersion = 1;
inline constexpr std::size_t kStateFileBytes =
    kCodeFlashBytes + kDataEepromBytes + (sizeof kStateFileMagic - 1) + 2;

// A file of at most 8192 bytes fills the start of code memory and leaves the rest, the EEPROM and
// the lock bits erased; a state file restores all three; anything else is refused. False, with
// the reason in `why`, when the file can't be read or is refused; the chip is then unchanged.
bool LoadFlashFile(At89s8252& chip, const std::string& path, std::string* why = nullptr);

// Writes the chip through the project's safe replacement (platform/replace_file.h), so a failed
// save leaves an existing image untouched and a symbolic link stays a link.
bool SaveFlashFile(const At89s8252& chip, const std::string& path, std::string* why = nullptr);

}  // namespace sim
