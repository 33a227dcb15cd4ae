#include "files/run_converter.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window_view.h"
#include "framework/message_box_types.h"
#include "platform/file_names.h"
#include "platform/process_runner.h"

namespace {

// The object file's dot and three-letter extension.
constexpr std::size_t kObjectExtensionLength = 4;
constexpr std::string_view kBinaryExtension = "bin";

// The start-up directory, a separator (even after a root's own) and the converter's name.
// False when there is no start-up directory or the result does not fit a path buffer.
bool ComposeConverterPath(std::string_view directory, PathBuffer& exe) {
    if (directory.empty()) {
        return false;
    }
    std::string path(directory);
    path += kPathSeparator;
    path += kConverterFileName;
    return StorePath(exe.data(), path);
}

bool ConverterExists(const PathBuffer& exe) {
    std::FILE* probe = OpenFileForReading(exe.data(), "r");
    if (probe == nullptr) {
        return false;
    }
    std::fclose(probe);
    return true;
}

}  // namespace

std::optional<PathBuffer> RunConverter(MainWindowView& window) {
    const std::string_view directory = PathText(window.StartupDirectory());
    const std::string_view filePath = PathText(window.FilePath());

    PathBuffer exe{};
    if (!ComposeConverterPath(directory, exe) || !ConverterExists(exe)) {
        window.ShowMessageBox("COULD NOT FIND HEX-BIN CONVERTER", "ERROR", MB_OK);
        return std::nullopt;
    }

    PathBuffer binary{};
    const std::size_t exeLength = PathText(exe.data()).size();
    // The converter was always given its object file on a 300-character command line: the
    // converter's path, a blank and the file's path. One that would not fit is never started,
    // although the option naming the exact file makes today's command line a little longer.
    if (exeLength + 1 + filePath.size() + 1 > kPathBufferSize ||
        filePath.size() < kObjectExtensionLength) {
        return binary;
    }

    // The exact file, not its path less the extension: given P.OBJ beside P.obj, the converter
    // would look for P.obj first and convert the file the user did not choose.
    const std::optional<int> status =
        RunHiddenAndWait(exe.data(), {"--file", std::string(filePath)});
    if (!status || *status != 0) {
        return binary;
    }

    StorePath(binary.data(), filePath);
    kBinaryExtension.copy(binary.data() + filePath.size() - kBinaryExtension.size(),
                          kBinaryExtension.size());
    return binary;
}
