#include "conversion.h"

#include <string>
#include <system_error>

#include "hex-bin/firmware_parser.h"
#include "object_file.h"
#include "platform/file_names.h"
#include "platform/replace_file.h"

namespace hexbin {
namespace {

// Converts objectPath into binaryPath; `missing` explains an object file that is not there.
int Convert(const std::filesystem::path& objectPath, const std::filesystem::path& binaryPath,
            const std::string& missing, std::ostream& errors) {
    const std::optional<std::string> text = ReadWholeFile(objectPath);
    if (!text) {
        std::error_code ignored;
        errors << "hex-bin: " << objectPath.string() << ": "
               << (std::filesystem::exists(objectPath, ignored) ? "cannot read the object file"
                                                                : missing)
               << '\n';
        return kExitConversionFailed;
    }
    const firmware::ParseResult parsed = firmware::ParseFirmware(*text);
    if (!parsed.ok()) {
        errors << "hex-bin: " << objectPath.string() << ':' << parsed.error->line << ": "
               << parsed.error->message << '\n';
        return kExitConversionFailed;
    }
    if (const auto failure = ReplaceFileContents(Utf8FromPath(binaryPath), parsed.image)) {
        errors << "hex-bin: " << binaryPath.string() << ": " << *failure << '\n';
        return kExitConversionFailed;
    }
    return kExitSuccess;
}

}  // namespace

int ConvertObjectFile(const std::filesystem::path& base, std::ostream& errors) {
    std::filesystem::path upper = base;
    upper += ".OBJ";
    return Convert(ObjectFilePath(base), BinaryFilePath(base),
                   "no such object file (nor " + upper.string() + ")", errors);
}

int ConvertNamedFile(const std::filesystem::path& objectFile, std::ostream& errors) {
    return Convert(objectFile, BinaryFileBeside(objectFile), "no such object file", errors);
}

}  // namespace hexbin
