#include "record_text.h"

#include <stdexcept>

namespace hexbin_test {
namespace {

void AppendHex(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
}

std::size_t SRecordAddressBytes(char type) {
    switch (type) {
        case '0':
        case '1':
        case '5':
        case '9':
            return 2;
        case '2':
        case '8':
        case '6':
            return 3;
        case '3':
        case '7':
            return 4;
        default:
            return 2;
    }
}

}  // namespace

std::string IntelRecord(std::uint8_t type, std::uint16_t offset, const Bytes& data) {
    Bytes bytes{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(offset >> 8),
                static_cast<std::uint8_t>(offset & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string text = ":";
    for (const std::uint8_t byte : bytes) {
        sum += byte;
        AppendHex(text, byte);
    }
    AppendHex(text, static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF));
    return text;
}

std::string SRecord(char type, std::uint32_t address, const Bytes& data) {
    const std::size_t addressBytes = SRecordAddressBytes(type);
    Bytes bytes{static_cast<std::uint8_t>(addressBytes + data.size() + 1)};
    for (std::size_t i = addressBytes; i-- > 0;) {
        bytes.push_back(static_cast<std::uint8_t>((address >> (8 * i)) & 0xFF));
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string text = std::string("S") + type;
    for (const std::uint8_t byte : bytes) {
        sum += byte;
        AppendHex(text, byte);
    }
    AppendHex(text, static_cast<std::uint8_t>(~sum & 0xFF));
    return text;
}

std::string WithChecksum(std::string record, std::uint8_t checksum) {
    if (record.size() < 2) {
        throw std::invalid_argument("record too short for a checksum");
    }
    record.resize(record.size() - 2);
    AppendHex(record, checksum);
    return record;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& ending) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += ending;
    }
    return text;
}

}  // namespace hexbin_test
