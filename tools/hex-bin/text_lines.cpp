#include "text_lines.h"

namespace firmware::detail {

std::vector<TextLine> NonEmptyLines(std::string_view text) {
    std::vector<TextLine> lines;
    std::size_t number = 1;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.push_back({number, line});
        }
        ++number;
    }
    return lines;
}

}  // namespace firmware::detail
