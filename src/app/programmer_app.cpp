#include "app/programmer_app.h"

#include <memory>

#include "app/image_store.h"
#include "app/programmer_dlg.h"
#include "device/cycle_timer.h"
#include "framework/quit_signals.h"
#include "platform/counter_source.h"
#include "platform/one_shot_timer.h"

bool CProgrammerApp::InitInstance() {
    CProgrammerDlg dialog;
    Dialog::SetMainWindow(&dialog);
    // A quit signal quits as QUIT does, once whatever runs has stopped (an operation cancelled,
    // its worker out of the chip) and its handler has returned.
    const QuitSignals quitSignals([&dialog] { dialog.RequestQuit(); });
    dialog.DoModal();
    Dialog::SetMainWindow(nullptr);
    return false;
}

int RunProgrammer() {
    AllocateImages();
    cycleTimer = new CCycleTimer(HardwareCounter(), std::make_unique<ThreadOneShotTimer>());
    CProgrammerApp app;
    app.InitInstance();
    // Ended some other way than by quitting (command 1): release what quitting would have.
    ReleaseImages();
    delete cycleTimer;
    cycleTimer = nullptr;
    return 0;
}
