#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "hex-bin/firmware_parser.h"
#include "record_text.h"

namespace {

using firmware::ErrorKind;
using hexbin_test::IntelRecord;
using hexbin_test::Lines;
using hexbin_test::SRecord;
using hexbin_test::WithChecksum;

struct RejectCase {
    const char* name;
    std::string text;
    std::size_t line;
    ErrorKind kind;
    std::string message;
};

const std::string kData = IntelRecord(0x00, 0x0000, {0x02, 0x00, 0x30});  // :03000000020030CB
const std::string kEof = IntelRecord(0x01, 0, {});

std::vector<RejectCase> RejectCases() {
    return {
        {"EmptyFile", "", 1, ErrorKind::kNoData, "file is empty"},
        {"OnlyBlankLines", "\n\r\n\n", 1, ErrorKind::kNoData, "file is empty"},
        {"NeitherFormat", "\n\nORG 0000h\n", 3, ErrorKind::kBadSyntax,
         "neither an Intel HEX record (':') nor an S-record ('S') starts the file"},
        {"IntelBadChecksum", Lines({kData, WithChecksum(IntelRecord(0x00, 3, {0x01}), 0x00), kEof}),
         2, ErrorKind::kBadChecksum, "bad checksum 0x00, the record's bytes need 0xFB"},
        {"IntelTruncatedData", Lines({kData, ":0400030001020B", kEof}), 2, ErrorKind::kTruncated,
         "byte count says 4 data bytes, the record holds 2"},
        {"IntelCutInsideAByte", Lines({kData.substr(0, 12)}), 1, ErrorKind::kTruncated,
         "record ends in the middle of a byte"},
        {"IntelCutBeforeChecksum", Lines({":00000001"}), 1, ErrorKind::kTruncated,
         "record is cut short: 4 bytes, where even an empty record has 5"},
        {"IntelLongerThanCount", Lines({kData.substr(0, kData.size() - 2) + "00CB", kEof}), 1,
         ErrorKind::kByteCount, "byte count says 3 data bytes, the record holds 4"},
        {"IntelBadCharacter", Lines({kData, ":0100000G00FF", kEof}), 2, ErrorKind::kBadCharacter,
         "bad character 'G' in column 9"},
        {"IntelBlankInsideRecord", Lines({":03000000 02003000CB"}), 1, ErrorKind::kBadCharacter,
         "bad character ' ' in column 10"},
        {"IntelTrailingBlank", Lines({kData + " ", kEof}), 1, ErrorKind::kBadCharacter,
         "bad character ' ' in column 18"},
        {"IntelStrayCarriageReturn", Lines({kData.substr(0, 5) + "\r" + kData.substr(5), kEof}), 1,
         ErrorKind::kBadCharacter, "bad character (code 0x0D) in column 6"},
        {"IntelLineWithoutColon", Lines({kData, kData, SRecord('1', 0, {0x01}), kEof}), 3,
         ErrorKind::kBadSyntax, "line does not start with ':' as every Intel HEX record does"},
        {"IntelUnknownRecordType", Lines({kData, IntelRecord(0x06, 0, {0x00}), kEof}), 2,
         ErrorKind::kUnsupported, "unknown record type 0x06"},
        {"IntelEofWithData", Lines({kData, IntelRecord(0x01, 0, {0x00})}), 2, ErrorKind::kByteCount,
         "end-of-file record must hold 0 data bytes, not 1"},
        {"IntelSegmentRecordWrongSize", Lines({IntelRecord(0x02, 0, {0x10}), kData, kEof}), 1,
         ErrorKind::kByteCount, "extended segment address record must hold 2 data bytes, not 1"},
        {"IntelLinearRecordWrongSize", Lines({IntelRecord(0x04, 0, {0, 0, 0, 0}), kData, kEof}), 1,
         ErrorKind::kByteCount, "extended linear address record must hold 2 data bytes, not 4"},
        {"IntelStartSegmentWrongSize", Lines({kData, IntelRecord(0x03, 0, {0, 0}), kEof}), 2,
         ErrorKind::kByteCount, "start segment address record must hold 4 data bytes, not 2"},
        {"IntelStartLinearWrongSize", Lines({kData, IntelRecord(0x05, 0, {}), kEof}), 2,
         ErrorKind::kByteCount, "start linear address record must hold 4 data bytes, not 0"},
        {"IntelMissingEndOfFile", Lines({kData, "", IntelRecord(0x00, 3, {0x01}), ""}), 3,
         ErrorKind::kMissingEnd,
         "file ends without an end-of-file record (:00000001FF); it may be cut short"},
        {"IntelNoDataRecords", Lines({IntelRecord(0x04, 0, {0, 0}), kEof}), 2, ErrorKind::kNoData,
         "no data records before the end-of-file record"},
        {"IntelConflictingBytes",
         Lines({kData, IntelRecord(0x00, 0x0010, {0x01}), IntelRecord(0x00, 0x0001, {0x00, 0x31}),
                kEof}),
         3, ErrorKind::kConflict, "address 0x0002 gets 0x31, but line 1 gave it 0x30"},
        {"IntelRecordRunsPast8Kb", Lines({kData, IntelRecord(0x00, 0x1FFE, {1, 2, 3}), kEof}), 2,
         ErrorKind::kOutOfRange, "data at address 0x2000 lies beyond the 8192-byte code memory"},
        {"IntelLinearAddressAbove8Kb",
         Lines({IntelRecord(0x04, 0, {0x00, 0x01}), IntelRecord(0x00, 0, {0x01}), kEof}), 2,
         ErrorKind::kOutOfRange, "data at address 0x10000 lies beyond the 8192-byte code memory"},
        {"IntelSegmentAddressAbove8Kb",
         Lines({kData, IntelRecord(0x02, 0, {0x02, 0x00}), IntelRecord(0x00, 0, {0x01}), kEof}), 3,
         ErrorKind::kOutOfRange, "data at address 0x2000 lies beyond the 8192-byte code memory"},
        {"SRecordBadChecksum",
         Lines({SRecord('0', 0, {}), WithChecksum(SRecord('1', 0x10, {0xAA}), 0x42)}), 2,
         ErrorKind::kBadChecksum, "bad checksum 0x42, the record's bytes need 0x41"},
        {"SRecordTruncated", Lines({SRecord('1', 0, {1, 2}), "S1050000AA"}), 2,
         ErrorKind::kTruncated, "byte count says 5 bytes follow it, the record holds 3"},
        {"SRecordLongerThanCount", Lines({"S10300000101"}), 1, ErrorKind::kByteCount,
         "byte count says 3 bytes follow it, the record holds 4"},
        {"SRecordOnlyLetter", Lines({SRecord('1', 0, {1}), "S"}), 2, ErrorKind::kTruncated,
         "record ends after its 'S'"},
        {"SRecordNoByteCount", Lines({SRecord('1', 0, {1}), "S1"}), 2, ErrorKind::kTruncated,
         "record ends before its byte count"},
        {"SRecordBadTypeCharacter", Lines({"SX030000FC"}), 1, ErrorKind::kBadCharacter,
         "bad character 'X' in column 2, where the record type digit belongs"},
        {"SRecordBadDigit", Lines({"S1040000Z1FA"}), 1, ErrorKind::kBadCharacter,
         "bad character 'Z' in column 9"},
        {"SRecordS4Unsupported", Lines({SRecord('1', 0, {1}), SRecord('4', 0, {})}), 2,
         ErrorKind::kUnsupported, "unsupported record type S4"},
        {"SRecordS6Unsupported", Lines({SRecord('1', 0, {1}), SRecord('6', 1, {})}), 2,
         ErrorKind::kUnsupported, "unsupported record type S6"},
        {"SRecordCountTooSmallForAddress", Lines({"S2030000FC"}), 1, ErrorKind::kByteCount,
         "byte count 3 is too small for an S2 record, which needs 4"},
        {"SRecordCountRecordDisagrees",
         Lines({SRecord('1', 0, {1}), SRecord('1', 1, {2}), SRecord('5', 3, {})}), 3,
         ErrorKind::kRecordCount,
         "S5 record counts 3 data records, the file has 2 before it; records may be missing"},
        {"SRecordCountRecordWithData", Lines({SRecord('1', 0, {1}), SRecord('5', 1, {0})}), 2,
         ErrorKind::kByteCount, "S5 record must hold only its count"},
        {"SRecordTerminationWithData", Lines({SRecord('1', 0, {1}), SRecord('9', 0, {0x00})}), 2,
         ErrorKind::kByteCount, "S9 record must hold only its start address"},
        {"SRecordNoData", Lines({SRecord('0', 0, {'x'}), SRecord('9', 0, {})}), 2,
         ErrorKind::kNoData, "no data records (S1, S2 or S3)"},
        {"SRecordHeaderOnlyNoTermination", Lines({SRecord('0', 0, {'x'}), ""}), 1,
         ErrorKind::kNoData, "no data records (S1, S2 or S3)"},
        {"SRecordLineWithoutS", Lines({SRecord('1', 0, {1}), kData}), 2, ErrorKind::kBadSyntax,
         "line does not start with 'S' as every S-record does"},
        {"SRecordConflictingBytes",
         Lines({SRecord('1', 0x0100, {1, 2, 3}), SRecord('2', 0x000102, {4})}), 2,
         ErrorKind::kConflict, "address 0x0102 gets 0x04, but line 1 gave it 0x03"},
        {"SRecordAddressAbove8Kb", Lines({SRecord('1', 0, {1}), SRecord('2', 0x002000, {1})}), 2,
         ErrorKind::kOutOfRange, "data at address 0x2000 lies beyond the 8192-byte code memory"},
        {"SRecordS3FarAbove8Kb", Lines({SRecord('3', 0xFFFFFFFF, {1, 2})}), 1,
         ErrorKind::kOutOfRange,
         "data at address 0xFFFFFFFF lies beyond the 8192-byte code memory"},
    };
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const RejectCase& c, std::ostream* os) {
    *os << c.name;
}

class ParserRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(ParserRejects, NamesTheLineAndTheReason) {
    const RejectCase& c = GetParam();
    const firmware::ParseResult result = firmware::ParseFirmware(c.text);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error->line, c.line);
    EXPECT_EQ(result.error->kind, c.kind);
    EXPECT_EQ(result.error->message, c.message);
    EXPECT_TRUE(result.image.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, ParserRejects, ::testing::ValuesIn(RejectCases()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
