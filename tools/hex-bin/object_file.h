#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace hexbin {

// BASE.obj when it exists, else BASE.OBJ (assemblers of the DOS era wrote upper-case names).
std::filesystem::path ObjectFilePath(const std::filesystem::path& base);

// BASE.bin: where the programmer looks for the converted image.
std::filesystem::path BinaryFilePath(const std::filesystem::path& base);

// The whole file, byte for byte; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

}  // namespace hexbin
