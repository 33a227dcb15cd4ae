#pragma once

#include <cstdint>

// a * b / c in 64 bits, rounded to the nearest integer with halves away from zero: the rounding
// the dialog manager uses for dialog units, so control edges land on the same pixel as there.
// A zero divisor gives -1.
constexpr int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    const bool negative = (product < 0) != (c < 0);
    return static_cast<int>(negative ? -rounded : rounded);
}
