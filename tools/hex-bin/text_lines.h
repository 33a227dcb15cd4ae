#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace firmware::detail {

struct TextLine {
    std::size_t number;     // 1-based
    std::string_view text;  // without its LF, and without the CR of a CRLF ending
};

// Lines are separated by LF. A CR directly before the LF (or before the end of the text) belongs
// to the line ending; any other CR stays in the line, where the record reader refuses it.
// Empty lines are left out, so `number` can skip values.
std::vector<TextLine> NonEmptyLines(std::string_view text);

}  // namespace firmware::detail
