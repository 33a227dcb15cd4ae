#include "image_builder.h"

#include <string>
#include <utility>

#include "hex_digits.h"

namespace firmware::detail {

ImageBuilder::ImageBuilder(std::size_t capacity) : capacity_(capacity) {}

std::optional<ParseError> ImageBuilder::Place(std::uint64_t address,
                                              std::span<const std::uint8_t> bytes,
                                              std::size_t line) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (address >= capacity_ || bytes.size() > capacity_ - address) {
        const std::uint64_t firstOutside = address >= capacity_ ? address : capacity_;
        ParseError error =
            MakeError(line, ErrorKind::kOutOfRange,
                      "data at address " + Hex(firstOutside, 4) + " lies beyond the " +
                          std::to_string(capacity_) + "-byte code memory");
        error.address = firstOutside;
        return error;
    }
    const auto start = static_cast<std::size_t>(address);
    if (bytes_.size() < start + bytes.size()) {
        bytes_.resize(start + bytes.size(), 0xFF);
        sourceLine_.resize(start + bytes.size(), 0);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t at = start + i;
        if (sourceLine_[at] != 0 && bytes_[at] != bytes[i]) {
            return MakeError(line, ErrorKind::kConflict,
                             "address " + Hex(at, 4) + " gets " + Hex(bytes[i]) + ", but line " +
                                 std::to_string(sourceLine_[at]) + " gave it " + Hex(bytes_[at]));
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes_[start + i] = bytes[i];
        if (sourceLine_[start + i] == 0) {
            sourceLine_[start + i] = line;
        }
    }
    const std::size_t last = start + bytes.size() - 1;
    if (!highest_ || last > *highest_) {
        highest_ = last;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> ImageBuilder::TakeImage(std::vector<bool>& given) {
    given.clear();
    if (!highest_) {
        return {};
    }
    bytes_.resize(*highest_ + 1);
    for (std::size_t at = 0; at <= *highest_; ++at) {
        given.push_back(sourceLine_[at] != 0);
    }
    sourceLine_.clear();
    highest_.reset();
    return std::move(bytes_);
}

}  // namespace firmware::detail
