#include "files/replace_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/file_names.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

// Enough attempts to step over temporary files left by a save that was killed half-way.
constexpr int kTemporaryNameAttempts = 100;

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

// Creates a temporary file that did not exist before: never opens someone else's file.
std::FILE* CreateTemporaryFile(const std::string& path, std::string& temporaryName,
                               const FileWriteSteps& steps) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = TemporaryFileName(path, attempt);
        errno = 0;
        if (std::FILE* stream = steps.createNew(temporaryName.c_str())) {
            return stream;
        }
        if (errno != EEXIST) {
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

bool WriteAndClose(std::FILE* stream, std::span<const unsigned char> bytes,
                   const FileWriteSteps& steps) {
    const bool written = steps.write(bytes, stream) == bytes.size();
    const bool flushed = written && steps.flush(stream) == 0;
    // The stream is released whether or not closing reports an error.
    const bool closed = steps.close(stream) == 0;
    return written && flushed && closed;
}

// A folder that takes no new file can still hold a writable file: an existing file is
// overwritten where it is. The bytes are all in memory, so only a failing disk can leave it partly
// written.
bool WriteInPlace(const std::string& path, std::span<const unsigned char> bytes,
                  const FileWriteSteps& steps) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
        return false;
    }
    std::FILE* stream = OpenFile(path, "wb");
    return stream != nullptr && WriteAndClose(stream, bytes, steps);
}

}  // namespace

std::FILE* CreateNewFile(const char* path) {
    return OpenFile(path, "wbx");
}

const FileWriteSteps& StandardFileWriteSteps() {
    static const FileWriteSteps steps{&StandardWrite, &StandardFlush, &StandardClose};
    return steps;
}

std::string TemporaryFileName(const std::string& path, int attempt) {
    return path + "." + std::to_string(attempt) + ".tmp";
}

bool WriteFileReplacing(const std::string& chosen, std::span<const unsigned char> bytes,
                        const FileWriteSteps& steps) {
    const std::string path = Utf8FromPath(FileBehind(chosen));
    std::string temporaryName;
    std::FILE* stream = CreateTemporaryFile(path, temporaryName, steps);
    if (stream == nullptr) {
        return WriteInPlace(path, bytes, steps);
    }
    TakeOverAttributes(path, stream);
    if (WriteAndClose(stream, bytes, steps)) {
        // Replaces an existing file in one step.
        if (RenameReplacing(temporaryName, path)) {
            return true;
        }
    }
    RemoveFile(temporaryName);
    return false;
}
