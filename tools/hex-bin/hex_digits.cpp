#include "hex_digits.h"

#include <utility>

namespace firmware::detail {
namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::optional<ParseError> DecodeHexPairs(std::string_view digits, std::size_t firstColumn,
                                         std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (DigitValue(digits[i]) < 0) {
            return MakeError(0, ErrorKind::kBadCharacter,
                             "bad character " + Printable(digits[i]) + " in column " +
                                 std::to_string(firstColumn + i));
        }
    }
    if (digits.size() % 2 != 0) {
        return MakeError(0, ErrorKind::kTruncated, "record ends in the middle of a byte");
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(DigitValue(digits[i]) * 16 + DigitValue(digits[i + 1])));
    }
    return std::nullopt;
}

std::string Hex(std::uint64_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
        --digits;
    } while (value != 0 || digits > 0);
    return "0x" + text;
}

std::string Printable(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 0x20 && code < 0x7F) {
        return std::string("'") + c + "'";
    }
    return "(code " + Hex(code) + ")";
}

ParseError MakeError(std::size_t line, ErrorKind kind, std::string message) {
    return ParseError{line, kind, std::move(message)};
}

}  // namespace firmware::detail
