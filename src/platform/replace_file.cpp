#include "platform/replace_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/file_names.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Enough attempts to step over names taken by chance or by someone else.
constexpr int kTemporaryNameAttempts = 16;

// More links in a row than this are taken for a loop, as the system itself does.
constexpr int kSymbolicLinkHops = 40;

std::size_t StandardWrite(std::span<const unsigned char> bytes, std::FILE* stream) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

int StandardFlush(std::FILE* stream) {
    return std::fflush(stream);
}

int StandardClose(std::FILE* stream) {
    return std::fclose(stream);
}

std::string ErrnoText(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

// Why the last rename failed: the system's own words for it.
std::string RenameErrorText() {
#if defined(_WIN32)
    return std::system_category().message(static_cast<int>(GetLastError()));
#else
    return ErrnoText(errno);
#endif
}

// The file a chosen name stands for: a symbolic link is followed to its target (which need not
// exist yet), so that the link stays a link and the target gets the bytes.
std::filesystem::path FileBehind(const std::string& chosen) {
    std::filesystem::path path = PathFromUtf8(chosen);
    std::error_code error;
    for (int hop = 0; hop < kSymbolicLinkHops && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// A FIFO, a device, a socket: something a rename would destroy rather than fill.
bool IsSpecialFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

// Creates a temporary file that did not exist before: never opens someone else's file.
std::FILE* CreateTemporaryFile(const std::string& path, std::string& temporaryName, int& error,
                               const FileWriteSteps& steps) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = TemporaryFileName(path, steps.temporaryTag());
        errno = 0;
        if (std::FILE* stream = steps.createNew(temporaryName.c_str())) {
            return stream;
        }
        error = errno;
        if (error != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

// Gives the new file the permission bits (and, where allowed, the owner) of the file it is
// about to replace; a file that did not exist keeps what the user's umask gave it.
void TakeOverAttributes(const std::string& path, std::FILE* stream) {
#if defined(_WIN32)
    (void)path;
    (void)stream;
#else
    struct stat existing {};
    if (stat(path.c_str(), &existing) != 0) {
        return;
    }
    const int descriptor = fileno(stream);
    // Changing the owner clears set-id bits, so the mode comes after it. Only the owner of the
    // old file or root may give the new one away; for anyone else it stays the user's own.
    if (fchown(descriptor, existing.st_uid, existing.st_gid) != 0) {
        errno = 0;
    }
    if (fchmod(descriptor, existing.st_mode & 07777) != 0) {
        errno = 0;  // the new file keeps the umask's bits
    }
#endif
}

// Writes, flushes and closes; the reason of the first step that failed, else nothing.
std::optional<std::string> WriteAndClose(std::FILE* stream, std::span<const unsigned char> bytes,
                                         const FileWriteSteps& steps) {
    errno = 0;
    const bool written = steps.write(bytes, stream) == bytes.size();
    const bool flushed = written && steps.flush(stream) == 0;
    const int error = errno;
    // The stream is released whether or not closing reports an error.
    const bool closed = steps.close(stream) == 0;
    if (written && flushed && closed) {
        return std::nullopt;
    }
    return "cannot write it: " + ErrnoText(written && flushed ? errno : error);
}

// Writes into the file that is there, without replacing it.
std::optional<std::string> WriteInPlace(const std::string& path,
                                        std::span<const unsigned char> bytes,
                                        const FileWriteSteps& steps) {
    errno = 0;
    std::FILE* stream = OpenFile(path, "wb");
    if (stream == nullptr) {
        return "cannot open it: " + ErrnoText(errno);
    }
    return WriteAndClose(stream, bytes, steps);
}

}  // namespace

std::FILE* CreateNewFile(const char* path) {
    return OpenFile(path, "wbx");
}

std::uint32_t RandomTemporaryTag() {
    static std::random_device entropy;
    return entropy();
}

const FileWriteSteps& StandardFileWriteSteps() {
    static const FileWriteSteps steps{&StandardWrite, &StandardFlush, &StandardClose};
    return steps;
}

std::string TemporaryFileName(const std::string& path, std::uint32_t tag) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = path + ".tmp-";
    for (int shift = 28; shift >= 0; shift -= 4) {
        name += kDigits[(tag >> shift) & 0xFu];
    }
    return name;
}

std::optional<std::string> ReplaceFileContents(const std::string& chosen,
                                               std::span<const unsigned char> bytes,
                                               const FileWriteSteps& steps) {
    const std::filesystem::path behind = FileBehind(chosen);
    const std::string path = Utf8FromPath(behind);
    if (IsSpecialFile(behind)) {
        return WriteInPlace(path, bytes, steps);
    }
    std::string temporaryName;
    int createError = 0;
    std::FILE* stream = CreateTemporaryFile(path, temporaryName, createError, steps);
    if (stream == nullptr) {
        // A folder that takes no new file can still hold a writable file.
        std::error_code error;
        if (std::filesystem::is_regular_file(behind, error)) {
            return WriteInPlace(path, bytes, steps);
        }
        return "cannot create a temporary file beside it: " + ErrnoText(createError);
    }
    TakeOverAttributes(path, stream);
    std::optional<std::string> failure = WriteAndClose(stream, bytes, steps);
    // Replaces an existing file in one step.
    if (!failure && !RenameReplacing(temporaryName, path)) {
        failure = "cannot replace it: " + RenameErrorText();
    }
    if (failure) {
        RemoveFile(temporaryName);
    }
    return failure;
}
