#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hex-bin/firmware_parser.h"

namespace firmware::detail {

// Turns the hex-digit pairs of a record (either letter case) into bytes. `firstColumn` is the
// 1-based column of digits[0] on its line, so a bad character can be pointed at exactly.
// On failure the returned error has no line number yet; the record reader adds it.
std::optional<ParseError> DecodeHexPairs(std::string_view digits, std::size_t firstColumn,
                                         std::vector<std::uint8_t>& bytes);

// "0x1F" style, with at least `digits` digits, for messages.
std::string Hex(std::uint64_t value, int digits = 2);

// A character as a user should see it in a message: 'x' when printable, else its code.
std::string Printable(char c);

ParseError MakeError(std::size_t line, ErrorKind kind, std::string message);

}  // namespace firmware::detail
