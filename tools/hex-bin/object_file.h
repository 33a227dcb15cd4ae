#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace hexbin {

// BASE.obj when it exists, else BASE.OBJ (assemblers of the DOS era wrote upper-case names).
std::filesystem::path ObjectFilePath(const std::filesystem::path& base);

// BASE.bin: where the programmer looks for the converted image.
std::filesystem::path BinaryFilePath(const std::filesystem::path& base);

// The same path with "bin" in place of the text after the file name's last dot, or with ".bin"
// added to a name without a dot: where the programmer looks for the image of a file it names.
std::filesystem::path BinaryFileBeside(const std::filesystem::path& objectFile);

// The whole file, byte for byte; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

}  // namespace hexbin
