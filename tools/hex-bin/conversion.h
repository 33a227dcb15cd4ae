#pragma once

#include <filesystem>
#include <ostream>

namespace hexbin {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitConversionFailed = 1;
inline constexpr int kExitUsage = 2;

// Converts BASE.obj (or BASE.OBJ) into BASE.bin. Every failure is explained on `errors` as
// "hex-bin: FILE:LINE: reason" (or "hex-bin: FILE: reason") and leaves BASE.bin as it was.
int ConvertObjectFile(const std::filesystem::path& base, std::ostream& errors);

// Converts exactly objectFile, whatever its extension, into the same path with the extension
// "bin" in place of its own (added when it has none). Failures as above.
int ConvertNamedFile(const std::filesystem::path& objectFile, std::ostream& errors);

}  // namespace hexbin
