#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads the object files an 8051 assembler or compiler leaves behind (Intel HEX or Motorola
// S-records) into the raw code-memory image the programmer burns: byte i is code address i.
namespace firmware {

// The AT89S8252 has 8 KB of code flash; nothing may be placed at or above this address.
inline constexpr std::size_t kCodeCapacity = 8192;

enum class Format { kUnknown, kIntelHex, kMotorolaSRecord };

enum class ErrorKind {
    kBadCharacter,  // a character that has no place in a record
    kBadSyntax,     // a line that is not a record of the file's format, or an odd digit count
    kTruncated,     // fewer bytes than the record's byte count announces
    kByteCount,     // more bytes than announced, or a count the record type cannot have
    kBadChecksum,   // the record's checksum does not match its bytes
    kUnsupported,   // a record type this reader does not know
    kConflict,      // one address given two different values
    kOutOfRange,    // data at or above the capacity
    kMissingEnd,    // Intel HEX text ends without its end-of-file record
    kRecordCount,   // an S5 count record disagrees with the data records before it
    kNoData,        // nothing to program
};

struct ParseError {
    std::size_t line = 0;  // 1-based line of the text the error was found on
    ErrorKind kind = ErrorKind::kBadSyntax;
    std::string message;        // one sentence for the user, without the line number
    std::uint64_t address = 0;  // kOutOfRange: the first address outside the capacity
};

struct ParseResult {
    Format format = Format::kUnknown;
    // On success: addresses 0 .. highest address given, bytes nobody gave are 0xFF (erased flash).
    std::vector<std::uint8_t> image;
    // For each byte of the image: whether a record gave it (false for the 0xFF of a gap).
    std::vector<bool> given;
    std::optional<ParseError> error;

    bool ok() const { return !error.has_value(); }
};

// Parses a whole object file held in memory. Lines end in LF or CRLF; empty lines are skipped.
// The format is decided by the first non-empty line (':' Intel HEX, 'S' Motorola S-records).
ParseResult ParseFirmware(std::string_view text, std::size_t capacity = kCodeCapacity);

std::string_view FormatName(Format format);

}  // namespace firmware
