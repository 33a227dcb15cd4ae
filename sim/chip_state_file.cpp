#include "sim/chip_state_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file_names.h"
#include "platform/replace_file.h"
#include "sim/chip_datasheet.h"
#include "sim/chip_factory.h"

namespace sim {

namespace {

constexpr std::string_view kAt89s8252 = "at89s8252";
constexpr std::size_t kMagicBytes = sizeof kStateFileMagic - 1;
// Longer than any chip's state file: the largest code and EEPROM with the trailer.
constexpr std::size_t kLongestStateFileBytes = 65536;

void Explain(std::string* why, const std::string& text) {
    if (why != nullptr) {
        *why = text;
    }
}

bool TrailerAt(const std::vector<std::uint8_t>& bytes, std::size_t at, unsigned char version) {
    return bytes.size() >= at + kMagicBytes + 1 &&
           std::memcmp(bytes.data() + at, kStateFileMagic, kMagicBytes) == 0 &&
           bytes[at + kMagicBytes] == version;
}

// What a state file holds: which chip, and its cells.
struct Held {
    const ChipSpec* chip = nullptr;
    std::vector<std::uint8_t> code;
    std::vector<std::uint8_t> eeprom;
    std::uint8_t lockBits = 0;
};

bool Parse(const std::vector<std::uint8_t>& bytes, const std::string& path, Held* held,
           std::string* why) {
    const std::size_t size = bytes.size();
    const auto take = [&bytes](std::size_t from, std::size_t count) {
        return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
    };
    if (size >= kNamedStateTrailerBytes &&
        TrailerAt(bytes, size - kNamedStateTrailerBytes, kNamedStateFileVersion)) {
        const auto* name = reinterpret_cast<const char*>(bytes.data() + size - kStateFileNameBytes);
        const std::string_view chipName(name, strnlen(name, kStateFileNameBytes));
        held->chip = FindChipSpec(chipName);
        if (held->chip == nullptr) {
            Explain(why, path + " holds an unknown chip, \"" + std::string(chipName) + "\"");
            return false;
        }
        const std::size_t cells = held->chip->codeBytes + held->chip->eepromBytes;
        if (size != cells + kNamedStateTrailerBytes) {
            Explain(why, path + " is damaged: " + std::to_string(size) + " bytes where an " +
                             std::string(held->chip->displayName) + " takes " +
                             std::to_string(cells + kNamedStateTrailerBytes));
            return false;
        }
        held->code = take(0, held->chip->codeBytes);
        held->eeprom = take(held->chip->codeBytes, held->chip->eepromBytes);
        held->lockBits = bytes[size - kStateFileNameBytes - 1];
        return true;
    }
    held->chip = FindChipSpec(kAt89s8252);
    if (size == kStateFileBytes &&
        TrailerAt(bytes, kCodeFlashBytes + kDataEepromBytes, kStateFileVersion)) {
        held->code = take(0, kCodeFlashBytes);
        held->eeprom = take(kCodeFlashBytes, kDataEepromBytes);
        held->lockBits = bytes.back();
        return true;
    }
    if (size > kCodeFlashBytes) {
        Explain(why, path + " holds more than 8192 bytes");
        return false;
    }
    held->code = bytes;
    held->code.resize(kCodeFlashBytes, 0xFF);
    held->eeprom.assign(kDataEepromBytes, 0xFF);
    return true;
}

// The AT89S8252 keeps the layout it has always had; every other chip names itself.
std::vector<std::uint8_t> StateFileBytes(const CellsView& chip) {
    std::vector<std::uint8_t> bytes(chip.code.begin(), chip.code.end());
    const bool at89s8252 = chip.chip == kAt89s8252;
    if (at89s8252 && chip.lockBits == 0 &&
        std::ranges::all_of(chip.eeprom, [](std::uint8_t b) { return b == 0xFF; })) {
        return bytes;
    }
    bytes.insert(bytes.end(), chip.eeprom.begin(), chip.eeprom.end());
    bytes.insert(bytes.end(), kStateFileMagic, kStateFileMagic + kMagicBytes);
    bytes.push_back(at89s8252 ? kStateFileVersion : kNamedStateFileVersion);
    bytes.push_back(chip.lockBits);
    if (!at89s8252) {
        std::vector<std::uint8_t> name(kStateFileNameBytes, 0);
        std::copy_n(chip.chip.begin(), std::min(chip.chip.size(), kStateFileNameBytes),
                    name.begin());
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    return bytes;
}

}  // namespace

bool LoadChipStateFile(ChipCells& chip, const std::string& path, std::string* why) {
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file) {
        Explain(why, "cannot open " + path);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    char c = 0;
    while (bytes.size() <= kLongestStateFileBytes && file.get(c)) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    if (file.bad()) {
        Explain(why, "cannot read " + path);
        return false;
    }
    Held held;
    if (!Parse(bytes, path, &held, why)) {
        return false;
    }
    const ChipSpec* wanted = FindChipSpec(chip.Cells().chip);
    if (held.chip != wanted) {
        Explain(why, path + " holds an " + std::string(held.chip->displayName) + ", not an " +
                         std::string(wanted->displayName) + ": name that chip or another file");
        return false;
    }
    chip.RestoreCells(held.code, held.eeprom, held.lockBits);
    return true;
}

bool LoadChipStateFile(At89s8252& chip, const std::string& path, std::string* why) {
    At89s8252Cells cells(std::shared_ptr<At89s8252>(std::shared_ptr<At89s8252>(), &chip));
    return LoadChipStateFile(cells, path, why);
}

bool SaveChipStateFile(const CellsView& chip, const std::string& path, std::string* why) {
    const std::vector<std::uint8_t> state = StateFileBytes(chip);
    const std::vector<unsigned char> bytes(state.begin(), state.end());
    if (const auto failure = ReplaceFileContents(path, bytes)) {
        Explain(why, path + ": " + *failure);
        return false;
    }
    return true;
}

bool SaveChipStateFile(const ChipCells& chip, const std::string& path, std::string* why) {
    return SaveChipStateFile(chip.Cells(), path, why);
}

bool SaveChipStateFile(const At89s8252& chip, const std::string& path, std::string* why) {
    return SaveChipStateFile(At89s8252Cells::ViewOf(chip), path, why);
}

}  // namespace sim
