#include "cli/image_input.h"

#include <algorithm>
#include <cctype>
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

std::string LoadImageInput(const std::string& path, std::string* detail) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
        *detail = path;
        return "FILE DOES NOT EXIST";
    }
    if (NamesRawBinary(path)) {
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
    const firmware::ParseResult parsed = firmware::ParseFirmware(text.str());
    if (!parsed.ok()) {
        *detail = path + ":" + std::to_string(parsed.error->line) + ": " + parsed.error->message;
        return "COULD NOT READ FILE";
    }
    imageStore.fileByteCount = static_cast<std::int32_t>(parsed.image.size());
    for (std::size_t i = 0; i < parsed.image.size(); ++i) {
        imageStore.FileImage[i] = parsed.image[i];
    }
    imageStore.fileLoaded = 1;
    return {};
}
