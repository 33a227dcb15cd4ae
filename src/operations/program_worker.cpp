#include "app/image_store.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "operations/device_session.h"
#include "operations/operation_view.h"
#include "operations/workers.h"

namespace {

// The quotient is formed first, so the bar can sit one below the exact percentage
// (29 of 100 bytes shows 28); the last byte brings it to 100.
int PassProgress(int done, int total) {
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

// Reads back addresses 0 .. count - 1 into the device image, before each byte testing for a
// cancel; then compares every entry, with no early exit.
bool VerifyPass(OperationView& dialog, int count, Memory memory) {
    const std::int32_t* const file = imageStore.FileImage;
    std::int32_t* const device = imageStore.DeviceImage;
    for (int j = 0; j < count && !StopRequested();) {
        device[j] = file[j] == kNoByte ? kNoByte : ReadMemoryByte(memory, j);
        ++j;
        dialog.SetProgressPosition(PassProgress(j, count));
    }
    bool match = true;
    for (int k = 0; k < count; ++k) {
        if (file[k] != device[k]) {
            match = false;
        }
    }
    return match;
}

// The end every program or verify run makes: the outcome (a cancel wins, tested once more after
// the verdict), the chip out of programming mode, results published, the button relabelled.
void FinishRun(OperationView& dialog, const char* outcome) {
    (void)StopRequested();  // a port that failed on the last byte makes the run a cancelled one
    if (imageStore.IsCancelRequested()) {
        dialog.SetStatusText("CANCELLED!");
        dialog.SetProgressPosition(0);
    } else {
        dialog.SetStatusText(outcome);
    }
    HoldInProgrammingMode(false);
    imageStore.SetBusy(false);
    dialog.SetCloseLabel();
}

}  // namespace

int ProgramThreadProc(OperationView& dialog, Memory memory) {
    StartDeviceSession();
    dialog.SetStatusText("PROGRAMMING DEVICE");

    const int count = imageStore.fileByteCount;
    // Every byte is written, 0xFF included: a location is erased by its own write cycle, so a
    // chip that was not erased first still ends up holding the image.
    for (int i = 0; i < count && !StopRequested();) {
        if (imageStore.FileImage[i] != kNoByte) {
            WriteMemoryByte(memory, i, imageStore.FileImage[i]);
        }
        ++i;
        dialog.SetProgressPosition(PassProgress(i, count));
    }

    dialog.SetStatusText("VERIFYING DEVICE");
    const bool match = VerifyPass(dialog, count, memory);
    FinishRun(dialog, match ? "WRITE SUCCESSFUL!" : "WRITE FAILED!");
    return 0;
}

int ProgramChangedThreadProc(OperationView& dialog, ProgramTally& tally, Memory memory) {
    StartDeviceSession();
    dialog.SetStatusText("PROGRAMMING DEVICE");

    const int count = imageStore.fileByteCount;
    for (int i = 0; i < count && !StopRequested();) {
        const std::int32_t wanted = imageStore.FileImage[i] & 0xFF;
        if (imageStore.FileImage[i] == kNoByte) {
            // not named by the file: left as it is
        } else if (ReadMemoryByte(memory, i) == wanted) {
            ++tally.alreadyEqual;
        } else if (WriteMemoryByteAndWait(memory, i, wanted)) {
            ++tally.written;
        } else {
            tally.failedAddress = i;
            FinishRun(dialog, "WRITE FAILED!");
            return 0;
        }
        ++i;
        dialog.SetProgressPosition(PassProgress(i, count));
    }

    dialog.SetStatusText("VERIFYING DEVICE");
    tally.verified = VerifyPass(dialog, count, memory);
    FinishRun(dialog, tally.verified ? "WRITE SUCCESSFUL!" : "WRITE FAILED!");
    return 0;
}

int VerifyThreadProc(OperationView& dialog, Memory memory) {
    StartDeviceSession();
    dialog.SetStatusText("VERIFYING DEVICE");
    const bool match = VerifyPass(dialog, imageStore.fileByteCount, memory);
    FinishRun(dialog, match ? "SAME" : "DIFFERENT");
    return 0;
}

int RunWorker(int viewKind, OperationView& dialog) {
    return viewKind == kProgramOperation ? ProgramThreadProc(dialog) : ReadThreadProc(dialog);
}
