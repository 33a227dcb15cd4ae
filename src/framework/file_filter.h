#pragma once

#include <string>
#include <string_view>
#include <vector>

// File-chooser filters come as "Name|*.ext|Name2|*.a;*.b||": pairs of a display name and
// patterns separated by ';'. The chooser wants one "Name (*.ext)" entry per pair. A name that
// already shows its patterns in parentheses is kept as it is, so nothing appears twice.
std::vector<std::string> ChooserFilterEntries(std::string_view filter);
