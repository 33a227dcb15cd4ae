#include <filesystem>
#include <iostream>

#include "conversion.h"

namespace {

int Run(int argc, const std::filesystem::path& base) {
    if (argc != 2) {
        std::cerr << "usage: hex-bin BASE\n"
                     "Reads BASE.obj (or BASE.OBJ), Intel HEX or Motorola S-records, and writes "
                     "BASE.bin,\nthe raw code-memory image from address 0 to the highest address "
                     "used.\n";
        return hexbin::kExitUsage;
    }
    return hexbin::ConvertObjectFile(base, std::cerr);
}

}  // namespace

// The programmer passes the object file's path without its extension as the only argument.
// Windows hands over paths outside the ANSI code page only through the wide entry point.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return Run(argc, argc == 2 ? std::filesystem::path(argv[1]) : std::filesystem::path());
}
#else
int main(int argc, char** argv) {
    return Run(argc, argc == 2 ? std::filesystem::path(argv[1]) : std::filesystem::path());
}
#endif
