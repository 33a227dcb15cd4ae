#include "app/image_store.h"
#include "device/cycle_timer.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "operations/operation_view.h"
#include "operations/workers.h"

namespace {

// The quotient is formed first, so the bar can sit one below the exact percentage
// (29 of 100 bytes shows 28); the last byte brings it to 100.
int PassProgress(int done, int total) {
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

}  // namespace

int ProgramThreadProc(OperationView& dialog) {
    imageStore.SetBusy(true);
    SetProgrammingMode(1);
    cycleTimer->DelayMicroseconds(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
    dialog.SetStatusText("PROGRAMMING DEVICE");

    const int count = imageStore.fileByteCount;
    const std::int32_t* const file = imageStore.FileImage;
    std::int32_t* const device = imageStore.DeviceImage;

    // Every byte is written, 0xFF included: a location is erased by its own write cycle, so a
    // chip that was not erased first still ends up holding the image.
    for (int i = 0; i < count && !imageStore.IsCancelRequested();) {
        WriteCodeByte(i, file[i]);
        ++i;
        dialog.SetProgressPosition(PassProgress(i, count));
    }

    dialog.SetStatusText("VERIFYING DEVICE");
    for (int j = 0; j < count && !imageStore.IsCancelRequested();) {
        device[j] = ReadCodeByte(j);
        ++j;
        dialog.SetProgressPosition(PassProgress(j, count));
    }

    bool match = true;
    for (int k = 0; k < count; ++k) {
        if (file[k] != device[k]) {
            match = false;
        }
    }

    if (imageStore.IsCancelRequested()) {
        dialog.SetStatusText("CANCELLED!");
        dialog.SetProgressPosition(0);
    } else {
        dialog.SetStatusText(match ? "WRITE SUCCESSFUL!" : "WRITE FAILED!");
    }
    SetProgrammingMode(0);
    imageStore.SetBusy(false);
    dialog.SetCloseLabel();
    return 0;
}

int RunWorker(int viewKind, OperationView& dialog) {
    return viewKind == kProgramOperation ? ProgramThreadProc(dialog) : ReadThreadProc(dialog);
}
