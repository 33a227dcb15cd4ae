// A child for the process-start tests: writes each argument after the first as one line
// "[argument]" into the file the first argument names.
#include <cstdio>

#include "platform/command_line.h"
#include "platform/file_names.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    if (arguments.empty()) {
        return 2;
    }
    std::FILE* out = OpenFile(arguments[0], "wb");
    if (out == nullptr) {
        return 3;
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::fprintf(out, "[%s]\n", arguments[i].c_str());
    }
    return std::fclose(out) == 0 ? 0 : 4;
}
