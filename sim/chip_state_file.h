#pragma once

#include <cstddef>
#include <string>

#include "sim/at89s8252.h"
#include "sim/chip_cells.h"

namespace sim {

// A chip kept between runs (e.g. CHIP.bin), in one of three layouts:
// - An AT89S8252 whose data EEPROM is erased and whose lock bits are all unprogrammed: the raw
//   8192-byte code image, as it has always been.
// - Any other AT89S8252 (version 1): the code image, the 2048 EEPROM bytes, then the trailer
//   "ISP8252", a version byte (1) and the programmed lock bits (kLockBit1 ...).
// - Every other chip (version 2): the code image, the EEPROM bytes (none on a chip without one),
//   then "ISP8252", a version byte (2), the programmed lock bits, and the chip's name (a ChipSpec
//   name) padded with zero bytes to 16.
// A file without a trailer, of at most 8192 bytes, is an AT89S8252's code image from the start.
inline constexpr char kStateFileMagic[] = "ISP8252";
inline constexpr unsigned char kStateFileVersion = 1;
inline constexpr std::size_t kStateFileBytes =
    kCodeFlashBytes + kDataEepromBytes + (sizeof kStateFileMagic - 1) + 2;
inline constexpr unsigned char kNamedStateFileVersion = 2;
inline constexpr std::size_t kStateFileNameBytes = 16;
inline constexpr std::size_t kNamedStateTrailerBytes =
    (sizeof kStateFileMagic - 1) + 2 + kStateFileNameBytes;

// Loads the file into `chip`. A file that holds another chip than this one is refused, as is a
// file that can't be read or is no state file; false then, with the reason in `why`, and the chip
// is unchanged.
bool LoadChipStateFile(ChipCells& chip, const std::string& path, std::string* why = nullptr);
bool LoadChipStateFile(At89s8252& chip, const std::string& path, std::string* why = nullptr);

// Writes the chip through the project's safe replacement (platform/replace_file.h), so a failed
// save leaves an existing image untouched and a symbolic link stays a link.
bool SaveChipStateFile(const CellsView& chip, const std::string& path, std::string* why = nullptr);
bool SaveChipStateFile(const ChipCells& chip, const std::string& path, std::string* why = nullptr);
bool SaveChipStateFile(const At89s8252& chip, const std::string& path, std::string* why = nullptr);

}  // namespace sim
