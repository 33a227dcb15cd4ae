#include "files/read_binary_file.h"

#include "app/image_store.h"
#include "app/main_window_view.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"
#include "files/raw_image.h"
#include "operations/device_display.h"

bool ReadBinaryFile(MainWindowView& window, char* path, bool firmwareText) {
    if (PathText(path).empty() || !(firmwareText ? LoadFileImage(path) : LoadRawFileImage(path))) {
        path[0] = '\0';
        return false;
    }
    char text[15];
    FormatByteCount(text, imageStore.fileByteCount);
    window.SetItemText(IDC_FILE_BYTES, text);
    return true;
}
