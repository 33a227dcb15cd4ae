#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

// The one way this project replaces a file it writes (a saved read, the converter's binary, the
// simulated chip's state and trace): whoever opens the file afterwards sees either what it held
// before or all of the new bytes, never a part.

// Creates a file that did not exist before, for writing; nothing (errno set) when it can't. It
// never opens an existing file, nor follows a symbolic link planted under its name.
std::FILE* CreateNewFile(const char* path);

// A tag from the system's random source, for a temporary file's name.
std::uint32_t RandomTemporaryTag();

// The steps of writing a file that can fail for reasons a test cannot bring about at will (a
// full disk, a network share that went away, a folder that takes no new file even for root). The
// standard ones call the C library; tests put a failing step in their place.
struct FileWriteSteps {
    std::size_t (*write)(std::span<const unsigned char> bytes, std::FILE* stream);
    int (*flush)(std::FILE* stream);
    int (*close)(std::FILE* stream);
    std::FILE* (*createNew)(const char* path) = &CreateNewFile;
    // The tag in a temporary file's name: random, so that nobody can plant anything under it
    // beforehand.
    std::uint32_t (*temporaryTag)() = &RandomTemporaryTag;
};

const FileWriteSteps& StandardFileWriteSteps();

// The name of a temporary file beside `path` (same directory, so the final rename never crosses
// a file system): `path` with ".tmp-" and the tag in eight hexadecimal digits.
std::string TemporaryFileName(const std::string& path, std::uint32_t tag);

// Writes `bytes` over the file named `path` (UTF-8):
// - a regular file, or none: through a new temporary file beside it, renamed over it once
//   complete and closed; the new file keeps the old one's permission bits (and owner, where
//   allowed);
// - a symbolic link: the link stays, and the file it points to is replaced as above;
// - an existing FIFO or device: written in place, never replaced by a regular file;
// - where no temporary file can be made (a folder that takes no new file), an existing regular
//   file is overwritten in place; only then can a failure leave it partly written.
// Returns nothing on success, else the reason ("cannot write it: No space left on device"); a
// temporary file is then removed again and a replaced file stays as it was.
std::optional<std::string> ReplaceFileContents(
    const std::string& path, std::span<const unsigned char> bytes,
    const FileWriteSteps& steps = StandardFileWriteSteps());
