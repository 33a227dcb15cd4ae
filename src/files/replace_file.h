#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>

// The stream steps of writing a file that can still fail once its temporary file exists (a full
// disk, a network share that went away). The standard ones call the C library; tests put a
// failing step in their place.
struct FileWriteSteps {
    std::size_t (*write)(std::span<const unsigned char> bytes, std::FILE* stream);
    int (*flush)(std::FILE* stream);
    int (*close)(std::FILE* stream);
};

const FileWriteSteps& StandardFileWriteSteps();

// The name of the temporary file that is tried as attempt `attempt` when replacing `path`: in the
// same directory, so that the final rename never crosses a file system.
std::string TemporaryFileName(const std::string& path, int attempt);

// Writes bytes to a temporary file beside path and renames it over path once it is complete and
// closed. On failure the temporary file is removed and whatever was at path stays as it was.
bool WriteFileReplacing(const std::string& path, std::span<const unsigned char> bytes,
                        const FileWriteSteps& steps = StandardFileWriteSteps());
