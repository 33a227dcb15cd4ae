#include "hex-bin/firmware_parser.h"

#include "hex_digits.h"
#include "intel_hex_reader.h"
#include "srecord_reader.h"
#include "text_lines.h"

namespace firmware {

ParseResult ParseFirmware(std::string_view text, std::size_t capacity) {
    const std::vector<detail::TextLine> lines = detail::NonEmptyLines(text);
    if (lines.empty()) {
        ParseResult result;
        result.error = detail::MakeError(1, ErrorKind::kNoData, "file is empty");
        return result;
    }
    switch (lines.front().text.front()) {
        case ':':
            return detail::ReadIntelHex(lines, capacity);
        case 'S':
            return detail::ReadSRecords(lines, capacity);
        default: {
            ParseResult result;
            result.error = detail::MakeError(
                lines.front().number, ErrorKind::kBadSyntax,
                "neither an Intel HEX record (':') nor an S-record ('S') starts the file");
            return result;
        }
    }
}

std::string_view FormatName(Format format) {
    switch (format) {
        case Format::kIntelHex:
            return "Intel HEX";
        case Format::kMotorolaSRecord:
            return "Motorola S-records";
        case Format::kUnknown:
            break;
    }
    return "unknown format";
}

}  // namespace firmware
