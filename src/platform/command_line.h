#pragma once

#include <string>
#include <string_view>
#include <vector>

// Windows hands a program one command-line string, which the C run-time splits back into
// arguments. These build that string so the split gives back exactly the arguments given:
// an argument with a blank, tab or quote (or an empty one) is quoted, a quote in it is escaped
// with a backslash, and the backslashes just before a quote (or before the closing quote) are
// doubled; other backslashes stay as they are. Text is UTF-8; only ASCII characters matter.
std::string QuoteCommandLineArgument(std::string_view argument);

// The program's path, then each argument, quoted and separated by one blank.
std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments);

// The program's arguments after its own name, as UTF-8. On Windows they are taken from the
// wide-character command line, since argv holds only what the ANSI code page can spell.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
