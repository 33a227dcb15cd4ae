#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// The program keeps file names as UTF-8 text. On Linux that is what the system takes; on
// Windows these convert to UTF-16 and call the wide-character functions, so names outside the
// ANSI code page (and any blanks) work.

// The file system's path for a UTF-8 name.
std::filesystem::path PathFromUtf8(std::string_view name);
// A path's name as UTF-8 text.
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen for a UTF-8 name.
std::FILE* OpenFile(const std::string& name, const char* mode);

// Renames `from` over `to` in one step, replacing a file already at `to` (a plain rename
// refuses that on Windows). False, with both files as they were, when it fails.
bool RenameReplacing(const std::string& from, const std::string& to);

// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& name);
