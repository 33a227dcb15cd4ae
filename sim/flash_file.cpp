#include "sim/flash_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file_names.h"

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
    bytes.reserve(kCodeFlashBytes + 1);
    char c = 0;
    while (bytes.size() <= kCodeFlashBytes && file.get(c)) {
        bytes.push_back(c);
    }
    if (file.bad()) {
        Explain(why, "cannot read " + path);
        return false;
    }
    if (bytes.size() > kCodeFlashBytes) {
        Explain(why, path + " holds more than 8192 bytes");
        return false;
    }
    std::vector<std::uint8_t> image(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    chip.LoadFlash(image);
    return true;
}

bool SaveFlashFile(const At89s8252& chip, const std::string& path, std::string* why) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(PathFromUtf8(temporary), std::ios::binary | std::ios::trunc);
        if (!file.is_open()) {
            Explain(why, "cannot write " + temporary);
            return false;
        }
        for (const std::uint8_t byte : chip.Flash()) {
            file.put(static_cast<char>(byte));
        }
        file.close();
        if (file.fail()) {
            RemoveFile(temporary);
            Explain(why, "cannot write " + temporary);
            return false;
        }
    }
    if (!RenameReplacing(temporary, path)) {
        RemoveFile(temporary);
        Explain(why, "cannot replace " + path);
        return false;
    }
    return true;
}

}  // namespace sim
