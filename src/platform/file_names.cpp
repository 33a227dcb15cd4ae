#include "platform/file_names.h"

#include <cstring>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#endif

#if defined(_WIN32)

namespace {

std::wstring Wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(Wide(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Narrow(path.native());
}

std::FILE* OpenFile(const std::string& name, const char* mode) {
    const std::string_view modeText = mode;
    if (modeText.find('x') == std::string_view::npos) {
        return _wfopen(Wide(name).c_str(), Wide(mode).c_str());
    }
    // The C run-time's fopen ignores "x"; CREATE_NEW is the system's own exclusive creation,
    // failing with EEXIST as fopen's "x" does elsewhere.
    HANDLE handle = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (stream == nullptr) {
        _close(descriptor);
    }
    return stream;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    // Same directory, same volume: the replacement is one directory update, never a copy.
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& name) {
    return DeleteFileW(Wide(name).c_str()) != 0;
}

#else

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(name);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.native();
}

std::FILE* OpenFile(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& name) {
    return std::remove(name.c_str()) == 0;
}

#endif
