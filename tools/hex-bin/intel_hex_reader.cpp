#include "intel_hex_reader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "hex_digits.h"
#include "image_builder.h"

namespace firmware::detail {
namespace {

constexpr std::size_t kOverhead = 5;  // count, offset high, offset low, type, checksum

struct RecordType {
    std::uint8_t code;
    const char* name;
    std::optional<std::size_t> fixedCount;  // data bytes the type must carry, if fixed
};

constexpr RecordType kTypes[] = {
    {0x00, "data", std::nullopt},          {0x01, "end-of-file", 0},
    {0x02, "extended segment address", 2}, {0x03, "start segment address", 4},
    {0x04, "extended linear address", 2},  {0x05, "start linear address", 4},
};

const RecordType* FindType(std::uint8_t code) {
    for (const RecordType& type : kTypes) {
        if (type.code == code) {
            return &type;
        }
    }
    return nullptr;
}

// Checks one record's framing and checksum; on success `bytes` holds the whole record.
std::optional<ParseError> DecodeRecord(const TextLine& line, std::vector<std::uint8_t>& bytes) {
    if (line.text.front() != ':') {
        return MakeError(line.number, ErrorKind::kBadSyntax,
                         "line does not start with ':' as every Intel HEX record does");
    }
    if (auto error = DecodeHexPairs(line.text.substr(1), 2, bytes)) {
        error->line = line.number;
        return error;
    }
    if (bytes.size() < kOverhead) {
        return MakeError(line.number, ErrorKind::kTruncated,
                         "record is cut short: " + std::to_string(bytes.size()) +
                             " bytes, where even an empty record has 5");
    }
    const std::size_t announced = bytes[0];
    const std::size_t present = bytes.size() - kOverhead;
    if (present != announced) {
        return MakeError(line.number,
                         present < announced ? ErrorKind::kTruncated : ErrorKind::kByteCount,
                         "byte count says " + std::to_string(announced) +
                             " data bytes, the record holds " + std::to_string(present));
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        sum += bytes[i];
    }
    const auto expected = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    if (bytes.back() != expected) {
        return MakeError(
            line.number, ErrorKind::kBadChecksum,
            "bad checksum " + Hex(bytes.back()) + ", the record's bytes need " + Hex(expected));
    }
    return std::nullopt;
}

// The big-endian 16-bit value of an address record, whose byte count was checked to be 2.
std::uint64_t FirstDataWord(const std::vector<std::uint8_t>& bytes) {
    return (std::uint64_t{bytes[4]} << 8) | bytes[5];
}

ParseResult Failed(ParseError error) {
    ParseResult result;
    result.format = Format::kIntelHex;
    result.error = std::move(error);
    return result;
}

}  // namespace

ParseResult ReadIntelHex(const std::vector<TextLine>& lines, std::size_t capacity) {
    ImageBuilder image(capacity);
    std::uint64_t base = 0;
    std::vector<std::uint8_t> bytes;
    for (const TextLine& line : lines) {
        if (auto error = DecodeRecord(line, bytes)) {
            return Failed(std::move(*error));
        }
        const RecordType* type = FindType(bytes[3]);
        if (type == nullptr) {
            return Failed(MakeError(line.number, ErrorKind::kUnsupported,
                                    "unknown record type " + Hex(bytes[3])));
        }
        const std::size_t count = bytes[0];
        if (type->fixedCount && count != *type->fixedCount) {
            return Failed(MakeError(line.number, ErrorKind::kByteCount,
                                    std::string(type->name) + " record must hold " +
                                        std::to_string(*type->fixedCount) + " data bytes, not " +
                                        std::to_string(count)));
        }
        const std::uint64_t offset = (std::uint64_t{bytes[1]} << 8) | bytes[2];
        switch (type->code) {
            case 0x00:
                if (auto error = image.Place(base + offset, std::span(bytes).subspan(4, count),
                                             line.number)) {
                    return Failed(std::move(*error));
                }
                break;
            case 0x01: {
                // Whatever follows the end-of-file record (a DOS end-of-file mark, a
                // listing) is not part of the image.
                if (!image.HasData()) {
                    return Failed(MakeError(line.number, ErrorKind::kNoData,
                                            "no data records before the end-of-file record"));
                }
                ParseResult result;
                result.format = Format::kIntelHex;
                result.image = image.TakeImage(result.given);
                return result;
            }
            case 0x02:
                base = FirstDataWord(bytes) << 4;
                break;
            case 0x04:
                base = FirstDataWord(bytes) << 16;
                break;
            default:
                break;
        }
    }
    return Failed(MakeError(lines.back().number, ErrorKind::kMissingEnd,
                            "file ends without an end-of-file record (:00000001FF); it may be "
                            "cut short"));
}

}  // namespace firmware::detail
