#pragma once

#include <cstdint>

inline constexpr int kFileContents = 0;
inline constexpr int kDeviceContents = 1;
inline constexpr int kContentsLineBufferSize = 20;
// Bytes the list reserves per line before it is filled.
inline constexpr int kContentsLineReserve = 20;

// The image and count a contents viewer of this kind lists: the count alone decides, whatever
// the validity flags say.
struct ContentsSource {
    const std::int32_t* entries;
    int count;
};
ContentsSource ContentsFor(int viewKind);

// "%X         %X": address and value in upper-case hexadecimal, nine blanks between.
void FormatContentsLine(char (&line)[kContentsLineBufferSize], int address, std::int32_t value);

const char* ContentsTitle(int viewKind);
