#include "files/replace_file.h"

#include <cerrno>

#include "platform/file_names.h"

namespace {

// Enough attempts to step over temporary files left by a save that was killed half-way.
constexpr int kTemporaryNameAttempts = 100;

std::size_t StandardWrite(std::span<const unsigned char> bytes, std::FILE* stream) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

int StandardFlush(std::FILE* stream) {
    return std::fflush(stream);
}

int StandardClose(std::FILE* stream) {
    return std::fclose(stream);
}

// Creates a temporary file that did not exist before ("x": never opens someone else's file).
std::FILE* CreateTemporaryFile(const std::string& path, std::string& temporaryName) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = TemporaryFileName(path, attempt);
        errno = 0;
        if (std::FILE* stream = OpenFile(temporaryName, "wbx")) {
            return stream;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

const FileWriteSteps& StandardFileWriteSteps() {
    static const FileWriteSteps steps{&StandardWrite, &StandardFlush, &StandardClose};
    return steps;
}

std::string TemporaryFileName(const std::string& path, int attempt) {
    return path + "." + std::to_string(attempt) + ".tmp";
}

bool WriteFileReplacing(const std::string& path, std::span<const unsigned char> bytes,
                        const FileWriteSteps& steps) {
    std::string temporaryName;
    std::FILE* stream = CreateTemporaryFile(path, temporaryName);
    if (stream == nullptr) {
        return false;
    }
    const bool written = steps.write(bytes, stream) == bytes.size();
    const bool flushed = written && steps.flush(stream) == 0;
    // The stream is released whether or not closing reports an error.
    const bool closed = steps.close(stream) == 0;
    if (written && flushed && closed) {
        // Replaces an existing file in one step.
        if (RenameReplacing(temporaryName, path)) {
            return true;
        }
    }
    RemoveFile(temporaryName);
    return false;
}
