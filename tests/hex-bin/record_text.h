#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds single records with their checksums computed here, independently of the parser, so a
// test states what a record says rather than copying hex strings from somewhere.
namespace hexbin_test {

using Bytes = std::vector<std::uint8_t>;

// ":" count offset type data checksum, upper-case digits, no line ending.
std::string IntelRecord(std::uint8_t type, std::uint16_t offset, const Bytes& data);

// "S" type count address data checksum; the address takes 2, 3 or 4 bytes as the type demands.
std::string SRecord(char type, std::uint32_t address, const Bytes& data);

// The same record with its checksum byte (the last two digits) replaced.
std::string WithChecksum(std::string record, std::uint8_t checksum);

// Lines joined with `ending` after each.
std::string Lines(const std::vector<std::string>& lines, const std::string& ending = "\n");

}  // namespace hexbin_test
