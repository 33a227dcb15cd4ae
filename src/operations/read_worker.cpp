#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "operations/device_session.h"
#include "operations/operation_view.h"
#include "operations/workers.h"

namespace {

int ReadDevice(OperationView& dialog, bool stopAtEndOfData, Memory memory) {
    const int size = MemoryBytes(memory);
    StartDeviceSession();
    dialog.SetStatusText("READING DEVICE");

    std::int32_t* const image = imageStore.DeviceImage;
    int i = 0;
    int run = 0;
    for (;;) {
        if (StopRequested()) {
            break;
        }
        image[i] = ReadMemoryByte(memory, i);
        // Sent before i advances, so a full read leaves the bar at 99 (1 / 8192 is exact).
        dialog.SetProgressPosition(static_cast<int>(i * (1.0 / size) * 100));
        // 52 equal bytes (a byte and 51 repeats) end the read: erased flash, or the padding after
        // a program. The count stops where that run starts; the run itself stays in the image.
        run = (i > 0 && image[i] == image[i - 1]) ? run + 1 : 0;
        if (stopAtEndOfData && run > 50) {
            dialog.SetProgressPosition(100);
            i -= 51;
            break;
        }
        ++i;
        if (i > size - 1) {
            break;
        }
    }
    imageStore.deviceByteCount = i;
    HoldInProgrammingMode(false);
    imageStore.deviceImageValid = 1;

    (void)StopRequested();  // a port that failed on the last byte discards the image too
    // Tested again after the loop: a cancel after the last address still discards the image.
    if (imageStore.IsCancelRequested()) {
        imageStore.deviceByteCount = 0;
        imageStore.deviceImageValid = 0;
        dialog.SetMainWindowItemText(IDC_SAVE, "N/A");
        dialog.SetStatusText("CANCELLED");
        dialog.SetProgressPosition(0);
    }
    imageStore.SetBusy(false);
    dialog.SetCloseLabel();
    return 0;
}

}  // namespace

int ReadThreadProc(OperationView& dialog) {
    return ReadDevice(dialog, true, Memory::kCode);
}

int ReadFullThreadProc(OperationView& dialog, Memory memory) {
    return ReadDevice(dialog, false, memory);
}
