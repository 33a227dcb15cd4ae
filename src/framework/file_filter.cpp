#include "framework/file_filter.h"

namespace {

std::vector<std::string_view> SplitFields(std::string_view filter) {
    std::vector<std::string_view> fields;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        const std::string_view field = filter.substr(0, bar);
        if (field.empty()) {
            break;  // "||" ends the list
        }
        fields.push_back(field);
        if (bar == std::string_view::npos) {
            break;
        }
        filter.remove_prefix(bar + 1);
    }
    return fields;
}

std::string PatternsWithBlanks(std::string_view patterns) {
    std::string result;
    for (const char c : patterns) {
        result += c == ';' ? ' ' : c;
    }
    return result;
}

// The entry for one pair. The chooser reads the patterns from the last parentheses, separated
// by blanks, so a name showing them separated by ';' gets blanks there instead.
std::string Entry(std::string_view name, std::string_view patterns) {
    const std::string withBlanks = "(" + PatternsWithBlanks(patterns) + ")";
    std::string entry(name);
    if (entry.find(withBlanks) != std::string::npos) {
        return entry;
    }
    const std::string withSemicolons = "(" + std::string(patterns) + ")";
    const std::size_t shown = entry.find(withSemicolons);
    if (shown != std::string::npos) {
        return entry.replace(shown, withSemicolons.size(), withBlanks);
    }
    return entry + " " + withBlanks;
}

}  // namespace

std::vector<std::string> ChooserFilterEntries(std::string_view filter) {
    const std::vector<std::string_view> fields = SplitFields(filter);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        entries.push_back(Entry(fields[i], fields[i + 1]));
    }
    return entries;
}
