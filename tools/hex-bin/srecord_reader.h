#pragma once

#include <cstddef>
#include <vector>

#include "hex-bin/firmware_parser.h"
#include "text_lines.h"

namespace firmware::detail {

// Motorola S-records: "S" type-digit count(1) address(2..4) data checksum(1), as hex-digit pairs
// after the type digit; the count covers address, data and checksum. Read: S0 header (ignored),
// S1/S2/S3 data with 16/24/32-bit addresses, S5 record count (checked against the data records
// before it), S7/S8/S9 termination (start address ignored; anything after it is not read).
// A file may end without a termination record: converters leave it out when they have no start
// address to put in it. `lines` is not empty.
ParseResult ReadSRecords(const std::vector<TextLine>& lines, std::size_t capacity);

}  // namespace firmware::detail
