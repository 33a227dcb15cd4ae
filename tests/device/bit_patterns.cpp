#include "bit_patterns.h"

#include <iterator>

std::vector<std::uint8_t> SendWrites(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> writes;
    for (const std::uint8_t byte : bytes) {
        for (int n = 7; n >= 0; --n) {
            const bool one = ((byte >> n) & 1) != 0;
            const auto& bit = one ? kSendOneBit : kSendZeroBit;
            writes.insert(writes.end(), std::begin(bit), std::end(bit));
        }
    }
    return writes;
}

std::vector<std::uint8_t> ReceiveWrites(bool lastBitSent) {
    std::vector<std::uint8_t> writes;
    const auto& bit = lastBitSent ? kReceiveAfterOne : kReceiveAfterZero;
    for (int n = 0; n < 8; ++n) {
        writes.insert(writes.end(), std::begin(bit), std::end(bit));
    }
    return writes;
}

std::vector<std::uint8_t> StatusFor(std::uint8_t byte, std::uint8_t noise) {
    std::vector<std::uint8_t> status;
    const auto others = static_cast<std::uint8_t>(noise & ~0x08u);
    for (int n = 7; n >= 0; --n) {
        const bool one = ((byte >> n) & 1) != 0;
        status.push_back(static_cast<std::uint8_t>(others | (one ? 0x00 : 0x08)));
    }
    return status;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}
