#include "srecord_reader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "hex_digits.h"
#include "image_builder.h"

namespace firmware::detail {
namespace {

enum class Role { kHeader, kData, kCount, kEnd };

struct RecordType {
    char digit;
    Role role;
    std::size_t addressBytes;
};

constexpr RecordType kTypes[] = {
    {'0', Role::kHeader, 2}, {'1', Role::kData, 2}, {'2', Role::kData, 3}, {'3', Role::kData, 4},
    {'5', Role::kCount, 2},  {'7', Role::kEnd, 4},  {'8', Role::kEnd, 3},  {'9', Role::kEnd, 2},
};

const RecordType* FindType(char digit) {
    for (const RecordType& type : kTypes) {
        if (type.digit == digit) {
            return &type;
        }
    }
    return nullptr;
}

ParseResult Failed(ParseError error) {
    ParseResult result;
    result.format = Format::kMotorolaSRecord;
    result.error = std::move(error);
    return result;
}

// Checks one record's framing and checksum; on success `bytes` holds count, address, data and
// checksum, and `type` the record's type.
std::optional<ParseError> DecodeRecord(const TextLine& line, const RecordType*& type,
                                       std::vector<std::uint8_t>& bytes) {
    if (line.text.front() != 'S') {
        return MakeError(line.number, ErrorKind::kBadSyntax,
                         "line does not start with 'S' as every S-record does");
    }
    if (line.text.size() < 2) {
        return MakeError(line.number, ErrorKind::kTruncated, "record ends after its 'S'");
    }
    const char digit = line.text[1];
    if (digit < '0' || digit > '9') {
        return MakeError(line.number, ErrorKind::kBadCharacter,
                         "bad character " + Printable(digit) +
                             " in column 2, where the record type digit belongs");
    }
    type = FindType(digit);
    if (type == nullptr) {
        return MakeError(line.number, ErrorKind::kUnsupported,
                         std::string("unsupported record type S") + digit);
    }
    if (auto error = DecodeHexPairs(line.text.substr(2), 3, bytes)) {
        error->line = line.number;
        return error;
    }
    if (bytes.empty()) {
        return MakeError(line.number, ErrorKind::kTruncated, "record ends before its byte count");
    }
    const std::size_t announced = bytes[0];
    const std::size_t present = bytes.size() - 1;
    if (present != announced) {
        return MakeError(line.number,
                         present < announced ? ErrorKind::kTruncated : ErrorKind::kByteCount,
                         "byte count says " + std::to_string(announced) +
                             " bytes follow it, the record holds " + std::to_string(present));
    }
    const std::size_t minimum = type->addressBytes + 1;
    if (announced < minimum) {
        return MakeError(line.number, ErrorKind::kByteCount,
                         std::string("byte count ") + std::to_string(announced) +
                             " is too small for an S" + digit + " record, which needs " +
                             std::to_string(minimum));
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        sum += bytes[i];
    }
    const auto expected = static_cast<std::uint8_t>(~sum & 0xFF);
    if (bytes.back() != expected) {
        return MakeError(
            line.number, ErrorKind::kBadChecksum,
            "bad checksum " + Hex(bytes.back()) + ", the record's bytes need " + Hex(expected));
    }
    return std::nullopt;
}

std::uint64_t Address(const std::vector<std::uint8_t>& bytes, std::size_t addressBytes) {
    std::uint64_t address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i) {
        address = (address << 8) | bytes[1 + i];
    }
    return address;
}

ParseResult Finish(ImageBuilder& image, std::size_t line) {
    if (!image.HasData()) {
        return Failed(MakeError(line, ErrorKind::kNoData, "no data records (S1, S2 or S3)"));
    }
    ParseResult result;
    result.format = Format::kMotorolaSRecord;
    result.image = image.TakeImage(result.given);
    return result;
}

}  // namespace

ParseResult ReadSRecords(const std::vector<TextLine>& lines, std::size_t capacity) {
    ImageBuilder image(capacity);
    std::uint64_t dataRecords = 0;
    std::vector<std::uint8_t> bytes;
    for (const TextLine& line : lines) {
        const RecordType* type = nullptr;
        if (auto error = DecodeRecord(line, type, bytes)) {
            return Failed(std::move(*error));
        }
        const std::uint64_t address = Address(bytes, type->addressBytes);
        switch (type->role) {
            case Role::kHeader:
                break;
            case Role::kData: {
                const std::size_t dataStart = 1 + type->addressBytes;
                const std::span<const std::uint8_t> data =
                    std::span(bytes).subspan(dataStart, bytes.size() - dataStart - 1);
                if (auto error = image.Place(address, data, line.number)) {
                    return Failed(std::move(*error));
                }
                ++dataRecords;
                break;
            }
            case Role::kCount:
                if (bytes.size() != 4) {
                    return Failed(MakeError(line.number, ErrorKind::kByteCount,
                                            "S5 record must hold only its count"));
                }
                if (address != dataRecords) {
                    return Failed(MakeError(line.number, ErrorKind::kRecordCount,
                                            "S5 record counts " + std::to_string(address) +
                                                " data records, the file has " +
                                                std::to_string(dataRecords) +
                                                " before it; records may be missing"));
                }
                break;
            case Role::kEnd:
                if (bytes.size() != type->addressBytes + 2) {
                    return Failed(MakeError(line.number, ErrorKind::kByteCount,
                                            std::string("S") + type->digit +
                                                " record must hold only its start address"));
                }
                return Finish(image, line.number);
        }
    }
    return Finish(image, lines.back().number);
}

}  // namespace firmware::detail
