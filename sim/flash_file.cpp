#include "sim/flash_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file_names.h"
#include "platform/replace_file.h"

namespace sim {

namespace {

void Explain(std::string* why, const std::string& text) {
    if (why != nullptr) {
        *why = text;
    }
}

}  // namespace

bool LoadFlashFile(At89s8252& chip, const std::string& path, std::string* why) {
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file) {
        Explain(why, "cannot open " + path);
        return false;
    }
    std::vector<char> bytes;
    bytes.reserve(kStateFileBytes + 1);
    char c = 0;
    while (bytes.size() <= kStateFileBytes && file.get(c)) {
        bytes.push_back(c);
    }
    if (file.bad()) {
        Explain(why, "cannot read " + path);
        return false;
    }
    const std::string trailer(
        bytes.begin() +
            static_cast<std::ptrdiff_t>(std::min(bytes.size(), kCodeFlashBytes + kDataEepromBytes)),
        bytes.end());
    const bool stateFile =
        bytes.size() == kStateFileBytes &&
        trailer.compare(0, sizeof kStateFileMagic - 1, kStateFileMagic) == 0 &&
        static_cast<unsigned char>(trailer[sizeof kStateFileMagic - 1]) == kStateFileVersion;
    if (bytes.size() > kCodeFlashBytes && !stateFile) {
        Explain(why, path + " holds more than 8192 bytes");
        return false;
    }
    std::vector<std::uint8_t> image(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    chip.LoadFlash(std::span(image).first(std::min(image.size(), kCodeFlashBytes)));
    chip.Eeprom().fill(0xFF);
    chip.SetLockBits(0);
    if (stateFile) {
        std::copy_n(image.begin() + kCodeFlashBytes, kDataEepromBytes, chip.Eeprom().begin());
        chip.SetLockBits(image.back());
    }
    return true;
}

bool SaveFlashFile(const At89s8252& chip, const std::string& path, std::string* why) {
    const bool codeOnly =
        chip.LockBits() == 0 && std::all_of(chip.Eeprom().begin(), chip.Eeprom().end(),
                                            [](std::uint8_t b) { return b == 0xFF; });
    std::vector<unsigned char> bytes(chip.Flash().begin(), chip.Flash().end());
    if (!codeOnly) {
        bytes.insert(bytes.end(), chip.Eeprom().begin(), chip.Eeprom().end());
        bytes.insert(bytes.end(), kStateFileMagic, kStateFileMagic + sizeof kStateFileMagic - 1);
        bytes.push_back(kStateFileVersion);
        bytes.push_back(chip.LockBits());
    }
    if (const auto failure = ReplaceFileContents(path, bytes)) {
        Explain(why, path + ": " + *failure);
        return false;
    }
    return true;
}

}  // namespace sim
