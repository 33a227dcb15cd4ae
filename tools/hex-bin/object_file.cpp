#include "object_file.h"

#include <fstream>
#include <system_error>

namespace hexbin {
namespace {

std::filesystem::path WithSuffix(const std::filesystem::path& base, const char* suffix) {
    std::filesystem::path path = base;
    path += suffix;
    return path;
}

}  // namespace

std::filesystem::path ObjectFilePath(const std::filesystem::path& base) {
    const std::filesystem::path lower = WithSuffix(base, ".obj");
    std::error_code error;
    if (std::filesystem::exists(lower, error)) {
        return lower;
    }
    const std::filesystem::path upper = WithSuffix(base, ".OBJ");
    return std::filesystem::exists(upper, error) ? upper : lower;
}

std::filesystem::path BinaryFilePath(const std::filesystem::path& base) {
    return WithSuffix(base, ".bin");
}

std::filesystem::path BinaryFileBeside(const std::filesystem::path& objectFile) {
    // Not replace_extension: for a name like ".obj" that sees no extension, the programmer does.
    auto name = objectFile.filename().native();
    const auto dot = name.rfind(static_cast<std::filesystem::path::value_type>('.'));
    if (dot != decltype(name)::npos) {
        name.erase(dot);
    }
    std::filesystem::path binary = objectFile;
    binary.replace_filename(name);
    binary += ".bin";
    return binary;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace hexbin
