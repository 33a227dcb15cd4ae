#include <filesystem>
#include <iostream>
#include <string_view>

#include "conversion.h"

namespace {

// `hex-bin BASE` is what scripts use; the programmer names the exact file with `--file`, so that
// of P.obj and P.OBJ side by side the one the user chose is converted.
int Run(int argc, std::string_view option, const std::filesystem::path& argument) {
    if (argc == 2) {
        return hexbin::ConvertObjectFile(argument, std::cerr);
    }
    if (argc == 3 && option == "--file") {
        return hexbin::ConvertNamedFile(argument, std::cerr);
    }
    std::cerr << "usage: hex-bin BASE\n"
                 "       hex-bin --file OBJECT-FILE\n"
                 "Reads BASE.obj (or BASE.OBJ), or OBJECT-FILE itself, Intel HEX or Motorola "
                 "S-records,\nand writes BASE.bin (OBJECT-FILE with the extension bin), the raw "
                 "code-memory image\nfrom address 0 to the highest address used.\n";
    return hexbin::kExitUsage;
}

}  // namespace

// The programmer passes the object file's path as the last argument. Windows hands over paths
// outside the ANSI code page only through the wide entry point.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    const bool option = argc == 3 && std::wstring_view(argv[1]) == L"--file";
    return Run(argc, option ? "--file" : "",
               argc >= 2 ? std::filesystem::path(argv[argc - 1]) : std::filesystem::path());
}
#else
int main(int argc, char** argv) {
    return Run(argc, argc == 3 ? argv[1] : "",
               argc >= 2 ? std::filesystem::path(argv[argc - 1]) : std::filesystem::path());
}
#endif
