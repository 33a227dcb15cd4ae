#include "replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h names its own ReplaceFile function with a macro.
#undef ReplaceFile
#endif

namespace hexbin {
namespace {

// Opens a file that did not exist before ("x": exclusive create), so two converters started on
// the same base at once never write into each other's temporary file.
std::FILE* CreateExclusive(const std::filesystem::path& path) {
#ifdef _WIN32
    // The C run-time's fopen ignores "x": create with CREATE_NEW and wrap the handle.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
    std::FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
    if (file == nullptr) {
        descriptor < 0 ? CloseHandle(handle) : _close(descriptor);
    }
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target, std::uint32_t tag) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix = ".tmp-";
    for (int shift = 28; shift >= 0; shift -= 4) {
        suffix += kDigits[(tag >> shift) & 0xFu];
    }
    std::filesystem::path path = target;
    path += suffix;
    return path;
}

}  // namespace

std::optional<std::string> ReplaceFile(const std::filesystem::path& target,
                                       std::span<const std::uint8_t> bytes) {
    std::random_device entropy;
    std::filesystem::path temporary;
    std::FILE* file = nullptr;
    int openError = 0;
    for (int attempt = 0; attempt < 16 && file == nullptr; ++attempt) {
        temporary = TemporaryBeside(target, entropy());
        file = CreateExclusive(temporary);
        openError = errno;
        if (file == nullptr && openError != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        return "cannot create a temporary file beside it: " + std::string(std::strerror(openError));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    std::error_code ignored;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ignored);
        return "cannot write it: " + std::string(std::strerror(written ? errno : writeError));
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, target, renameError);
    if (renameError) {
        std::filesystem::remove(temporary, ignored);
        return "cannot replace it: " + renameError.message();
    }
    return std::nullopt;
}

}  // namespace hexbin
