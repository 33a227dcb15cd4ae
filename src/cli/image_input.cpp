#include "cli/image_input.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/image_store.h"
#include "files/raw_image.h"
#include "hex-bin/firmware_parser.h"
#include "platform/file_names.h"

bool NamesRawBinary(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string ending = path.substr(path.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".bin";
}

namespace {

std::string BeyondEeprom(std::uint64_t address) {
    char text[80];
    std::snprintf(text, sizeof text, "data at address 0x%04llX lies beyond the %d-byte EEPROM",
                  static_cast<unsigned long long>(address), kEepromBytes);
    return text;
}

}  // namespace

std::string LoadImageInput(const std::string& path, std::string* detail, Memory memory) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
        *detail = path;
        return "FILE DOES NOT EXIST";
    }
    const auto capacity = static_cast<std::size_t>(MemoryBytes(memory));
    if (NamesRawBinary(path)) {
        // Refused whole rather than cut: a program cut short would still verify.
        const std::uintmax_t size = std::filesystem::file_size(PathFromUtf8(path), error);
        if (size == 0 || size > capacity) {
            *detail =
                path + ": " +
                (size == 0                   ? std::string("the file is empty")
                 : memory == Memory::kEeprom ? BeyondEeprom(capacity)
                                             : std::to_string(size) + " bytes, more than the " +
                                                   std::to_string(capacity) + "-byte code memory");
            return "COULD NOT READ FILE";
        }
        if (!LoadRawFileImage(path.c_str())) {
            *detail = path;
            return "COULD NOT READ FILE";
        }
        imageStore.fileLoaded = 1;
        return {};
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof()) {
        *detail = path;
        return "COULD NOT READ FILE";
    }
    const firmware::ParseResult parsed = firmware::ParseFirmware(text.str(), capacity);
    if (!parsed.ok()) {
        const bool beyondEeprom =
            memory == Memory::kEeprom && parsed.error->kind == firmware::ErrorKind::kOutOfRange;
        *detail = path + ":" + std::to_string(parsed.error->line) + ": " +
                  (beyondEeprom ? BeyondEeprom(parsed.error->address) : parsed.error->message);
        return "COULD NOT READ FILE";
    }
    // Code memory takes the image with its gaps erased, as the window does; the EEPROM gets only
    // the bytes the file names, so settings written before stay.
    imageStore.fileByteCount = static_cast<std::int32_t>(parsed.image.size());
    for (std::size_t i = 0; i < parsed.image.size(); ++i) {
        imageStore.FileImage[i] =
            memory == Memory::kEeprom && !parsed.given[i] ? kNoByte : parsed.image[i];
    }
    imageStore.fileLoaded = 1;
    return {};
}
