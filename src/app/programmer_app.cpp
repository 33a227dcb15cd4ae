#include "app/programmer_app.h"

#include <memory>

#include "app/image_store.h"
#include "app/programmer_dlg.h"
#include "device/cycle_timer.h"
#include "platform/counter_source.h"
#include "platform/one_shot_timer.h"

bool CProgrammerApp::InitInstance() {
    CProgrammerDlg dialog;
    Dialog::SetMainWindow(&dialog);
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
