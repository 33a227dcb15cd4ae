#include "files/image_file_paths.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file_names.h"

std::string_view PathText(const char* buffer) {
    const void* terminator = std::memchr(buffer, '\0', kPathBufferSize);
    if (terminator == nullptr) {
        return {};
    }
    return {buffer, static_cast<std::size_t>(static_cast<const char*>(terminator) - buffer)};
}

bool StorePath(char* buffer, std::string_view text) {
    if (text.size() >= kPathBufferSize) {
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

std::FILE* OpenFileForReading(const char* path, const char* mode) {
    std::error_code error;
    if (std::filesystem::is_directory(PathFromUtf8(path), error)) {
        return nullptr;
    }
    return OpenFile(path, mode);
}

std::string_view FileNameOf(std::string_view path) {
#if defined(_WIN32)
    // The Windows file dialogs return backslashes, but forward slashes are valid there too.
    const std::size_t separator = path.find_last_of("\\/");
#else
    const std::size_t separator = path.find_last_of(kPathSeparator);
#endif
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string_view ExtensionOf(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot + 1);
}
