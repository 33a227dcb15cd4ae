#pragma once

#include <cstdint>
#include <vector>

// Data-register values for one bit while the chip is held in programming mode (reset control 0,
// clock resting high): set up, clock low, clock high.
inline constexpr std::uint8_t kSendOneBit[] = {0x02, 0x00, 0x02};
inline constexpr std::uint8_t kSendZeroBit[] = {0x03, 0x01, 0x03};
// Receiving keeps the data line at the level of the last bit sent: clock low, clock high.
inline constexpr std::uint8_t kReceiveAfterOne[] = {0x00, 0x02};
inline constexpr std::uint8_t kReceiveAfterZero[] = {0x01, 0x03};

// The writes that send these bytes, most significant bit first, in programming mode.
std::vector<std::uint8_t> SendWrites(const std::vector<std::uint8_t>& bytes);

// The writes that clock in one byte after a last sent bit of `lastBitSent`.
std::vector<std::uint8_t> ReceiveWrites(bool lastBitSent);

// Status-register values that make the link assemble `byte`: bit 3 is the complement of each
// data bit, MSB first; the other bits carry `noise`, which the link must ignore.
std::vector<std::uint8_t> StatusFor(std::uint8_t byte, std::uint8_t noise = 0);

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more);
