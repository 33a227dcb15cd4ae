#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hex-bin/firmware_parser.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Records are built here with their checksums, independently of the parser, so a row says what a
// record holds: `head` and `data` as upper-case hex pairs, then the checksum (Intel HEX: two's
// complement of the sum, S-records: one's complement), then a line feed.
std::string Record(std::string text, std::vector<std::size_t> head, const Bytes& data, bool s) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    head.insert(head.end(), data.begin(), data.end());
    std::size_t sum = 0;
    for (const std::size_t byte : head) {
        sum += byte;
    }
    head.push_back((s ? ~sum : 0x100 - sum) & 0xFF);
    for (const std::size_t byte : head) {
        text += {kDigits[byte >> 4], kDigits[byte & 0xF]};
    }
    return text + "\n";
}

std::string Intel(std::size_t type, std::size_t offset, const Bytes& data = {}) {
    return Record(":", {data.size(), offset >> 8, offset & 0xFF, type}, data, false);
}

// S2/S8 take a 3-byte address, S3/S7 a 4-byte one, the others 2 bytes.
std::string SRec(char type, std::size_t address, const Bytes& data = {}) {
    const std::size_t width = (type == '2' || type == '8')   ? 3
                              : (type == '3' || type == '7') ? 4
                                                             : 2;
    std::vector<std::size_t> head = {width + data.size() + 1};
    for (std::size_t i = width; i-- > 0;) {
        head.push_back(address >> (8 * i) & 0xFF);
    }
    return Record(std::string("S") + type, head, data, true);
}

struct ParseCase {
    const char* name;
    std::string text;
    std::string error;  // "LINE: message" when the text is refused
    Bytes image = {};   // else the image it gives
};

// `size` bytes of 0xFF (erased flash) with the given blocks laid over them.
Bytes Image(std::size_t size, std::vector<std::pair<std::size_t, Bytes>> blocks) {
    Bytes image(size, 0xFF);
    for (const auto& [address, bytes] : blocks) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(address));
    }
    return image;
}

const std::string kData = Intel(0x00, 0x0000, {0x02, 0x00, 0x30});  // :03000000020030CB
const std::string kEof = Intel(0x01, 0);

std::vector<ParseCase> Cases() {
    return {
        // Accepted: the image runs from 0 to the highest address given, gaps 0xFF.
        {"IntelData00OutOfOrderGapsFF",
         Intel(0, 0x10, {0xAA, 0xBB}) + Intel(0, 0, {1, 2, 3}) + Intel(0, 1, {2, 3}) +
             Intel(0, 0x100, {}) + kEof,
         "", Image(0x12, {{0, {1, 2, 3}}, {0x10, {0xAA, 0xBB}}})},
        {"IntelEof01EndsTheText", Intel(0, 1, {0x12}) + kEof + "\x1A\nnot a record\n", "",
         Image(2, {{1, {0x12}}})},
        {"IntelSegment02TimesSixteen",
         Intel(2, 0, {0x01, 0x00}) + Intel(0, 5, {0x11, 0x22}) + Intel(2, 0, {0, 0}) +
             Intel(0, 0, {0x33}) + kEof,
         "", Image(0x1007, {{0x1005, {0x11, 0x22}}, {0, {0x33}}})},
        {"IntelLinear04ReplacesSegment",
         Intel(2, 0, {0x01, 0x00}) + Intel(4, 0, {0, 0}) + Intel(0, 0x1FFE, {0x80, 0xFE}) + kEof,
         "", Image(0x2000, {{0x1FFE, {0x80, 0xFE}}})},
        {"IntelStart03And05Ignored",
         Intel(3, 0, {0, 0, 1, 0}) + Intel(0, 0, {0x42}) + Intel(5, 0, {0, 0, 0, 0}) + kEof, "",
         Image(1, {{0, {0x42}}})},
        {"IntelLowerCaseDigits", ":040abc00deadbeeffe\n:00000001ff\n", "",
         Image(0xAC0, {{0xABC, {0xDE, 0xAD, 0xBE, 0xEF}}})},
        {"IntelCrLfBlankLinesNoFinalEnding", "\r\n:02000000758108\r\n\r\n:00000001FF", "",
         Image(2, {{0, {0x75, 0x81}}})},
        {"SRecordS0S1S9TextAfterIgnored",
         SRec('0', 0, {'h', 'e', 'x'}) + SRec('1', 0, {2, 1, 0}) + SRec('1', 0x100, {0x80}) +
             SRec('9', 0) + "garbage\n",
         "", Image(0x101, {{0, {2, 1, 0}}, {0x100, {0x80}}})},
        {"SRecordS5CountMatches",
         SRec('0', 0) + SRec('1', 2, {1}) + SRec('1', 0, {2}) + SRec('5', 2) + SRec('9', 0), "",
         Image(3, {{0, {2, 0xFF, 1}}})},
        {"SRecordWithoutTermination", SRec('1', 0x10, {1, 2}), "", Image(0x12, {{0x10, {1, 2}}})},
        // Refused, naming the line.
        {"EmptyFile", "\n\r\n", "1: file is empty"},
        {"NeitherFormat", "\n\nORG 0000h\n",
         "3: neither an Intel HEX record (':') nor an S-record ('S') starts the file"},
        {"IntelBadChecksum", kData + ":010003000100\n" + kEof,
         "2: bad checksum 0x00, the record's bytes need 0xFB"},
        {"IntelTruncated", kData + ":0400030001020B\n" + kEof,
         "2: byte count says 4 data bytes, the record holds 2"},
        {"IntelCutInsideAByte", kData.substr(0, 12), "1: record ends in the middle of a byte"},
        {"IntelCutBeforeChecksum", ":00000001",
         "1: record is cut short: 4 bytes, where even an empty record has 5"},
        {"IntelLongerThanCount", ":0300000002003000CB\n" + kEof,
         "1: byte count says 3 data bytes, the record holds 4"},
        {"IntelBadCharacter", kData + ":0100000G00FF\n" + kEof, "2: bad character 'G' in column 9"},
        {"IntelLineWithoutColon", kData + SRec('1', 0, {1}) + kEof,
         "2: line does not start with ':' as every Intel HEX record does"},
        {"IntelUnknownType06", kData + Intel(6, 0, {0}) + kEof, "2: unknown record type 0x06"},
        {"IntelEofWithData", kData + Intel(1, 0, {0}),
         "2: end-of-file record must hold 0 data bytes, not 1"},
        {"IntelSegmentWrongSize", Intel(2, 0, {0x10}) + kData + kEof,
         "1: extended segment address record must hold 2 data bytes, not 1"},
        {"IntelMissingEof", kData + "\n" + Intel(0, 3, {1}) + "\n",
         "3: file ends without an end-of-file record (:00000001FF); it may be cut short"},
        {"IntelNoData", Intel(4, 0, {0, 0}) + kEof,
         "2: no data records before the end-of-file record"},
        {"IntelRunsPast8191", kData + Intel(0, 0x1FFE, {1, 2, 3}) + kEof,
         "2: data at address 0x2000 lies beyond the 8192-byte code memory"},
        {"IntelLinearPast8191", Intel(4, 0, {0x00, 0x01}) + Intel(0, 0, {1}) + kEof,
         "2: data at address 0x10000 lies beyond the 8192-byte code memory"},
        {"SRecordBadChecksum", SRec('0', 0) + "S1040010AA42\n",
         "2: bad checksum 0x42, the record's bytes need 0x41"},
        {"SRecordTruncated", SRec('1', 0, {1, 2}) + "S1050000AA\n",
         "2: byte count says 5 bytes follow it, the record holds 3"},
        {"SRecordOnlyLetter", SRec('1', 0, {1}) + "S\n", "2: record ends after its 'S'"},
        {"SRecordNoByteCount", SRec('1', 0, {1}) + "S1\n", "2: record ends before its byte count"},
        {"SRecordBadTypeCharacter", "SX030000FC",
         "1: bad character 'X' in column 2, where the record type digit belongs"},
        {"SRecordS4Unsupported", SRec('1', 0, {1}) + SRec('4', 0), "2: unsupported record type S4"},
        {"SRecordCountTooSmallForS2", "S2030000FC",
         "1: byte count 3 is too small for an S2 record, which needs 4"},
        {"SRecordS5Disagrees", SRec('1', 0, {1}) + SRec('1', 1, {2}) + SRec('5', 3),
         "3: S5 record counts 3 data records, the file has 2 before it; records may be missing"},
        {"SRecordS9WithData", SRec('1', 0, {1}) + SRec('9', 0, {0}),
         "2: S9 record must hold only its start address"},
        {"SRecordNoData", SRec('0', 0, {'x'}) + SRec('9', 0), "2: no data records (S1, S2 or S3)"},
        {"SRecordLineWithoutS", SRec('1', 0, {1}) + kData,
         "2: line does not start with 'S' as every S-record does"},
        {"SRecordConflict", SRec('1', 0x100, {1, 2, 3}) + SRec('2', 0x102, {4}),
         "2: address 0x0102 gets 0x04, but line 1 gave it 0x03"},
        {"SRecordS3FarPast8191", SRec('3', 0xFFFFFFFF, {1, 2}),
         "1: data at address 0xFFFFFFFF lies beyond the 8192-byte code memory"},
    };
}

class Parser : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parser, GivesTheImageOrNamesTheLineAndReason) {
    const ParseCase& c = GetParam();
    const firmware::ParseResult result = firmware::ParseFirmware(c.text);
    EXPECT_EQ(result.ok() ? "" : std::to_string(result.error->line) + ": " + result.error->message,
              c.error);
    EXPECT_EQ(result.image, c.image);
}

INSTANTIATE_TEST_SUITE_P(Table, Parser, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
