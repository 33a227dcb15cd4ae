#include "files/image_loading.h"

#include <cstdio>
#include <optional>

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"
#include "files/read_binary_file.h"
#include "files/run_converter.h"
#include "framework/message_box_types.h"
#include "platform/file_names.h"

namespace {

bool FileOpensForReading(const char* path) {
    if (PathText(path).empty()) {
        return false;
    }
    std::FILE* file = OpenFileForReading(path, "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

// Only these two spellings go through the converter; any other letter case is read raw.
bool IsObjectFileName(std::string_view fileName) {
    const std::string_view extension = ExtensionOf(fileName);
    return extension == "obj" || extension == "OBJ";
}

}  // namespace

void OnBrowse(MainWindowView& window) {
    imageStore.fileLoaded = 0;
    imageStore.fileByteCount = 0;
    window.SetItemText(IDC_FILE_NAME, "");
    window.SetItemText(IDC_FILE_BYTES, "");

    const std::optional<std::string> chosen = window.ChooseFileToOpen(kOpenFileFilter);
    char* filePath = window.FilePath();
    // A path longer than the 300-character buffer is refused the way the system's own dialog
    // refuses it when its buffer is too small: as if nothing had been chosen.
    if (!chosen || chosen->size() >= kPathBufferSize) {
        filePath[0] = '\0';
        return;
    }
    imageStore.needsConversion = 0;
    StorePath(filePath, *chosen);
    const std::string_view fileName = FileNameOf(*chosen);
    window.SetItemText(IDC_FILE_NAME, fileName);
    if (IsObjectFileName(fileName)) {
        imageStore.needsConversion = 1;
    }
    LoadSelectedFile(window);
}

void OnReload(MainWindowView& window) {
    window.SetItemText(IDC_FILE_BYTES, "");
    LoadSelectedFile(window);
}

void LoadSelectedFile(MainWindowView& window) {
    char* filePath = window.FilePath();
    if (!FileOpensForReading(filePath)) {
        window.ShowMessageBox("FILE DOES NOT EXIST", "ERROR", MB_OK);
        filePath[0] = '\0';
        window.SetItemText(IDC_FILE_NAME, "");
        return;
    }

    std::optional<PathBuffer> converted;
    char* binaryPath = filePath;
    if (imageStore.needsConversion == 1) {
        // The user-interface thread is blocked for the whole conversion; the notice is the only
        // sign of life until the converter ends.
        window.OpenConvertNotice();
        converted = RunConverter(window);
        window.CloseConvertNotice();
        if (!converted) {
            window.SetItemText(IDC_FILE_NAME, "");
            filePath[0] = '\0';
            return;
        }
        binaryPath = converted->data();
    }

    // The converter's output is raw; a file read as it was chosen may be firmware text.
    if (ReadBinaryFile(window, binaryPath, /*firmwareText=*/!converted)) {
        imageStore.fileLoaded = 1;
        return;
    }
    window.ShowMessageBox("COULD NOT READ FILE", "ERROR", MB_OK);
    filePath[0] = '\0';
}
