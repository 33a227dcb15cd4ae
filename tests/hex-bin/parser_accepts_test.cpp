#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "hex-bin/firmware_parser.h"
#include "record_text.h"

namespace {

using firmware::Format;
using hexbin_test::Bytes;
using hexbin_test::IntelRecord;
using hexbin_test::Lines;
using hexbin_test::SRecord;

struct Block {
    std::size_t address;
    Bytes bytes;
};

struct AcceptCase {
    const char* name;
    std::string text;
    Format format;
    std::size_t imageSize;
    std::vector<Block> blocks;  // everything else in the image must be 0xFF
};

Bytes ExpectedImage(const AcceptCase& c) {
    Bytes image(c.imageSize, 0xFF);
    for (const Block& block : c.blocks) {
        for (std::size_t i = 0; i < block.bytes.size(); ++i) {
            image.at(block.address + i) = block.bytes[i];
        }
    }
    return image;
}

const std::string kEof = IntelRecord(0x01, 0, {});

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

Bytes Ramp(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

std::vector<AcceptCase> AcceptCases() {
    return {
        {"IntelSingleRecord",
         Lines({IntelRecord(0x00, 0x0000, {0x02, 0x00, 0x30}), kEof}),
         Format::kIntelHex,
         3,
         {{0, {0x02, 0x00, 0x30}}}},
        {"IntelOutOfOrderWithGapFilledFF",
         Lines({IntelRecord(0x00, 0x0010, {0xAA, 0xBB}), IntelRecord(0x00, 0x0000, {0x01}),
                IntelRecord(0x00, 0x0008, {0x55}), kEof}),
         Format::kIntelHex,
         0x12,
         {{0x00, {0x01}}, {0x08, {0x55}}, {0x10, {0xAA, 0xBB}}}},
        {"IntelLowerCaseDigits",
         Lower(Lines({IntelRecord(0x00, 0x0ABC, {0xDE, 0xAD, 0xBE, 0xEF}), kEof})),
         Format::kIntelHex,
         0x0AC0,
         {{0x0ABC, {0xDE, 0xAD, 0xBE, 0xEF}}}},
        {"IntelCrLfEndings",
         Lines({IntelRecord(0x00, 0x0000, {0x75, 0x81, 0x60}), kEof}, "\r\n"),
         Format::kIntelHex,
         3,
         {{0, {0x75, 0x81, 0x60}}}},
        {"IntelNoNewlineAfterEof",
         Lines({IntelRecord(0x00, 0x0001, {0x12})}) + kEof,
         Format::kIntelHex,
         2,
         {{1, {0x12}}}},
        {"IntelBlankLinesSkipped",
         "\n\r\n" + Lines({IntelRecord(0x00, 0x0000, {0x01}), "", IntelRecord(0x00, 1, {0x02}),
                           "\r", kEof}),
         Format::kIntelHex,
         2,
         {{0, {0x01, 0x02}}}},
        {"IntelExtendedSegmentAddress",
         Lines({IntelRecord(0x02, 0, {0x01, 0x00}), IntelRecord(0x00, 0x0005, {0x11, 0x22}),
                IntelRecord(0x02, 0, {0x00, 0x00}), IntelRecord(0x00, 0x0000, {0x33}), kEof}),
         Format::kIntelHex,
         0x1007,
         {{0x1005, {0x11, 0x22}}, {0x0000, {0x33}}}},
        {"IntelExtendedLinearAddressZero",
         Lines({IntelRecord(0x04, 0, {0x00, 0x00}), IntelRecord(0x00, 0x1FFE, {0x80, 0xFE}), kEof}),
         Format::kIntelHex,
         0x2000,
         {{0x1FFE, {0x80, 0xFE}}}},
        {"IntelStartAddressRecordsIgnored",
         Lines({IntelRecord(0x03, 0, {0x00, 0x00, 0x01, 0x00}), IntelRecord(0x00, 0, {0x42}),
                IntelRecord(0x05, 0, {0x00, 0x00, 0x00, 0x00}), kEof}),
         Format::kIntelHex,
         1,
         {{0, {0x42}}}},
        {"IntelSameByteTwiceIsFine",
         Lines({IntelRecord(0x00, 0x0000, {0x01, 0x02, 0x03}),
                IntelRecord(0x00, 0x0001, {0x02, 0x03, 0x04}), kEof}),
         Format::kIntelHex,
         4,
         {{0, {0x01, 0x02, 0x03, 0x04}}}},
        {"IntelEmptyDataRecordAddsNothing",
         Lines({IntelRecord(0x00, 0x0100, {}), IntelRecord(0x00, 0x0000, {0x07}), kEof}),
         Format::kIntelHex,
         1,
         {{0, {0x07}}}},
        {"IntelFull8KbInSixteenByteRecords",
         [] {
             std::vector<std::string> lines;
             for (std::uint16_t a = 0; a < 0x2000; a += 16) {
                 lines.push_back(IntelRecord(0x00, a, Ramp(16, static_cast<std::uint8_t>(a >> 4))));
             }
             lines.push_back(kEof);
             return Lines(lines);
         }(),
         Format::kIntelHex, 0x2000,
         [] {
             std::vector<Block> blocks;
             for (std::size_t a = 0; a < 0x2000; a += 16) {
                 blocks.push_back({a, Ramp(16, static_cast<std::uint8_t>(a >> 4))});
             }
             return blocks;
         }()},
        {"IntelTextAfterEofIgnored",
         Lines({IntelRecord(0x00, 0, {0x01}), kEof, "\x1A", "not a record"}),
         Format::kIntelHex,
         1,
         {{0, {0x01}}}},
        {"SRecordS1WithHeaderAndS9",
         Lines({SRecord('0', 0, {'h', 'e', 'x'}), SRecord('1', 0x0000, {0x02, 0x01, 0x00}),
                SRecord('1', 0x0100, {0x80, 0xFE}), SRecord('9', 0x0000, {})}),
         Format::kMotorolaSRecord,
         0x102,
         {{0, {0x02, 0x01, 0x00}}, {0x100, {0x80, 0xFE}}}},
        {"SRecordS2WithS8",
         Lines({SRecord('2', 0x000800, {0x12, 0x34}), SRecord('8', 0x000800, {})}),
         Format::kMotorolaSRecord,
         0x802,
         {{0x800, {0x12, 0x34}}}},
        {"SRecordS3WithS7",
         Lines({SRecord('3', 0x00001FFF, {0x5A}), SRecord('7', 0, {})}),
         Format::kMotorolaSRecord,
         0x2000,
         {{0x1FFF, {0x5A}}}},
        {"SRecordS5CountMatches",
         Lines({SRecord('0', 0, {}), SRecord('1', 0x0002, {0x01}), SRecord('1', 0x0000, {0x02}),
                SRecord('5', 2, {}), SRecord('9', 0, {})}),
         Format::kMotorolaSRecord,
         3,
         {{0, {0x02, 0xFF, 0x01}}}},
        {"SRecordWithoutTerminationRecord",
         Lines({SRecord('1', 0x0010, {0x01, 0x02})}),
         Format::kMotorolaSRecord,
         0x12,
         {{0x10, {0x01, 0x02}}}},
        {"SRecordLowerCaseDigitsCrLf",
         Lower(Lines({SRecord('1', 0x00AB, {0xCD, 0xEF}), SRecord('9', 0, {})}, "\r\n")),
         Format::kMotorolaSRecord,
         0xAD,
         {{0xAB, {0xCD, 0xEF}}}},
        {"SRecordMixedAddressWidthsOutOfOrder",
         Lines({SRecord('3', 0x00000020, {0x03}), SRecord('2', 0x000010, {0x02}),
                SRecord('1', 0x0000, {0x01})}),
         Format::kMotorolaSRecord,
         0x21,
         {{0x00, {0x01}}, {0x10, {0x02}}, {0x20, {0x03}}}},
        {"SRecordTextAfterTerminationIgnored",
         Lines({SRecord('1', 0, {0x09}), SRecord('9', 0, {}), "garbage"}),
         Format::kMotorolaSRecord,
         1,
         {{0, {0x09}}}},
    };
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const AcceptCase& c, std::ostream* os) {
    *os << c.name;
}

class ParserAccepts : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(ParserAccepts, GivesImageFromZeroToHighestAddress) {
    const AcceptCase& c = GetParam();
    const firmware::ParseResult result = firmware::ParseFirmware(c.text);
    ASSERT_TRUE(result.ok()) << "line " << result.error->line << ": " << result.error->message;
    EXPECT_EQ(result.format, c.format);
    EXPECT_EQ(result.image, ExpectedImage(c));
}

INSTANTIATE_TEST_SUITE_P(Table, ParserAccepts, ::testing::ValuesIn(AcceptCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ParserCapacity, SmallerCapacityBoundsTheImage) {
    const std::string text = Lines({IntelRecord(0x00, 0x000F, {0x01}), kEof});
    EXPECT_TRUE(firmware::ParseFirmware(text, 16).ok());
    const firmware::ParseResult refused = firmware::ParseFirmware(text, 15);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error->kind, firmware::ErrorKind::kOutOfRange);
    EXPECT_EQ(refused.error->message, "data at address 0x000F lies beyond the 15-byte code memory");
    EXPECT_TRUE(refused.image.empty());
}

TEST(ParserFormatName, NamesEachFormat) {
    EXPECT_EQ(firmware::FormatName(Format::kIntelHex), "Intel HEX");
    EXPECT_EQ(firmware::FormatName(Format::kMotorolaSRecord), "Motorola S-records");
    EXPECT_EQ(firmware::FormatName(Format::kUnknown), "unknown format");
}

}  // namespace
