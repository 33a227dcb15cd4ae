#pragma once

#include <array>
#include <cstdio>
#include <string_view>

#include "app/main_window_view.h"

// A path in one of the program's fixed 300-character buffers (299 characters and a terminator).
using PathBuffer = std::array<char, kPathBufferSize>;

// The converter ships beside the programmer and is looked for in the directory the program was
// started from, never on the search path.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
inline constexpr std::string_view kConverterFileName = "hex-bin.exe";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kConverterFileName = "hex-bin";
#endif

// The text of a path buffer up to its terminator. A buffer with no terminator in its 300
// characters was never filled (a start-up directory that did not fit) and holds no path.
std::string_view PathText(const char* buffer);

// Copies text and its terminator into a path buffer; false, with the buffer untouched, when it
// does not fit.
bool StorePath(char* buffer, std::string_view text);

// Opens a file for reading in the given fopen mode; a directory is refused (nullptr), never
// opened as a file (it would open here, where the system this program comes from refuses it).
std::FILE* OpenFileForReading(const char* path, const char* mode);

// The file's name with its extension: the text after the last directory separator.
std::string_view FileNameOf(std::string_view path);

// The text after the name's last dot; empty when the name has no dot.
std::string_view ExtensionOf(std::string_view fileName);
