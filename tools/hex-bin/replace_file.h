#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace hexbin {

// Writes `bytes` to a fresh temporary file beside `target` and renames it over `target`, so a
// reader (the programmer, right after we exit) sees either the old file or the complete new one,
// never a partial one. Returns a reason on failure, after removing the temporary file; `target`
// is then untouched.
std::optional<std::string> ReplaceFile(const std::filesystem::path& target,
                                       std::span<const std::uint8_t> bytes);

}  // namespace hexbin
