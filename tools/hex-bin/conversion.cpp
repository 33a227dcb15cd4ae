#include "conversion.h"

#include <system_error>

#include "hex-bin/firmware_parser.h"
#include "object_file.h"
#include "replace_file.h"

namespace hexbin {

int ConvertObjectFile(const std::filesystem::path& base, std::ostream& errors) {
    const std::filesystem::path objectPath = ObjectFilePath(base);
    const std::optional<std::string> text = ReadWholeFile(objectPath);
    if (!text) {
        std::error_code ignored;
        if (std::filesystem::exists(objectPath, ignored)) {
            errors << "hex-bin: " << objectPath.string() << ": cannot read the object file\n";
        } else {
            std::filesystem::path upper = base;
            upper += ".OBJ";
            errors << "hex-bin: " << objectPath.string() << ": no such object file (nor "
                   << upper.string() << ")\n";
        }
        return kExitConversionFailed;
    }
    const firmware::ParseResult parsed = firmware::ParseFirmware(*text);
    if (!parsed.ok()) {
        errors << "hex-bin: " << objectPath.string() << ':' << parsed.error->line << ": "
               << parsed.error->message << '\n';
        return kExitConversionFailed;
    }
    const std::filesystem::path binaryPath = BinaryFilePath(base);
    if (const auto failure = ReplaceFile(binaryPath, parsed.image)) {
        errors << "hex-bin: " << binaryPath.string() << ": " << *failure << '\n';
        return kExitConversionFailed;
    }
    return kExitSuccess;
}

}  // namespace hexbin
