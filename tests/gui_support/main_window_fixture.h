#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/programmer_dlg.h"
#include "device_fixture.h"
#include "framework/scripted_ui_seam.h"
#include "gated_port.h"
#include "sim/at89s8252.h"

// The real main window over a simulated chip in virtual time, with a scripted seam for boxes and
// choosers. The port can be gated to hold a worker mid-operation.
class MainWindowFixture : public DeviceFixture {
protected:
    MainWindowFixture() : DeviceFixture(10'000) {}
    void SetUp() override;
    void TearDown() override;

    // Creates the main window (modeless, so the test keeps control) and activates it.
    void OpenMainWindow();

    // Presses a main-window button while `whileModal` runs with the operation dialog on screen;
    // returns once the button's handler has returned.
    void PressWithOperationDialog(int id, const std::function<void(Dialog& dialog)>& whileModal);

    // Runs `step` on each turn of the event loop until it returns true (or a generous limit of
    // real time passes, which fails the test).
    static bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000);

    std::string Text(int id) const { return window->GetDlgItemText(id); }

    std::shared_ptr<sim::At89s8252> chip;
    std::shared_ptr<GatedPort::Gate> gate = std::make_shared<GatedPort::Gate>();
    ScriptedUiSeam seam;
    std::unique_ptr<CProgrammerDlg> window;
};
