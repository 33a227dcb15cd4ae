#include "platform/command_line.h"

#if defined(_WIN32)
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/file_names.h"
#endif

std::string QuoteCommandLineArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
    std::string line = QuoteCommandLineArgument(program);
    for (const std::string& argument : arguments) {
        line += ' ';
        line += QuoteCommandLineArgument(argument);
    }
    return line;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#if defined(_WIN32)
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i) {
            arguments.push_back(Utf8FromPath(std::filesystem::path(wide[i])));
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}
