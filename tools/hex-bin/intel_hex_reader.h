#pragma once

#include <cstddef>
#include <vector>

#include "hex-bin/firmware_parser.h"
#include "text_lines.h"

namespace firmware::detail {

// Intel HEX: ":" count(1) offset(2) type(1) data(count) checksum(1), all as hex-digit pairs.
// Types 00 data, 01 end of file, 02 extended segment address, 03 start segment address,
// 04 extended linear address, 05 start linear address. The start addresses mean nothing to a
// chip that always starts at 0000, so they are checked and ignored. `lines` is not empty.
ParseResult ReadIntelHex(const std::vector<TextLine>& lines, std::size_t capacity);

}  // namespace firmware::detail
