#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "hex-bin/firmware_parser.h"

namespace firmware::detail {

// Collects data records into a code-memory image. Records may come in any order; an address
// given twice must carry the same value both times, since the chip can hold only one of them.
class ImageBuilder {
public:
    explicit ImageBuilder(std::size_t capacity);

    // Places `bytes` from `address` on. Nothing is placed when any byte would not fit or would
    // conflict with an earlier record; the error names `line`.
    std::optional<ParseError> Place(std::uint64_t address, std::span<const std::uint8_t> bytes,
                                    std::size_t line);

    bool HasData() const { return highest_.has_value(); }

    // Addresses 0 .. highest placed; bytes no record gave stay 0xFF, as erased flash reads.
    // `given` gets, for each address of the image, whether a record gave it.
    std::vector<std::uint8_t> TakeImage(std::vector<bool>& given);

private:
    std::size_t capacity_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::size_t> sourceLine_;  // 0 = no record has given this address yet
    std::optional<std::size_t> highest_;
};

}  // namespace firmware::detail
