#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>

// Creates a file that did not exist before, for writing; nothing (errno set) when it can't.
std::FILE* CreateNewFile(const char* path);

// The steps of writing a file that can fail for reasons a test cannot bring about at will (a
// full disk, a network share that went away, a folder that takes no new file even for root). The
// standard ones call the C library; tests put a failing step in their place.
struct FileWriteSteps {
    std::size_t (*write)(std::span<const unsigned char> bytes, std::FILE* stream);
    int (*flush)(std::FILE* stream);
    int (*close)(std::FILE* stream);
    std::FILE* (*createNew)(const char* path) = &CreateNewFile;
};

const FileWriteSteps& StandardFileWriteSteps();

// The name of the temporary file that is tried as attempt `attempt` when replacing `path`: in the
// same directory, so that the final rename never crosses a file system.
std::string TemporaryFileName(const std::string& path, int attempt);

// Writes bytes to a temporary file beside path and renames it over path once it is complete and
// closed. A symbolic link is written through to its target, and the new file keeps the
// permission bits of the one it replaces. On failure the temporary file is removed and whatever
// was at path stays as it was. Where no temporary file can be made beside it (a folder that takes
// no new file), path itself is overwritten; only then can a failure leave it partly written.
bool WriteFileReplacing(const std::string& path, std::span<const unsigned char> bytes,
                        const FileWriteSteps& steps = StandardFileWriteSteps());
