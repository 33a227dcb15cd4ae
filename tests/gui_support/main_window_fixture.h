#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/programmer_dlg.h"
#include "device_fixture.h"
#include "fake_port.h"
#include "scripted_ui_seam.h"

// The real main window over a simulated chip in virtual time, with a scripted seam for boxes and
// choosers. The port can be gated to hold a worker mid-operation.
class MainWindowFixture : public DeviceFixture {
protected:
    MainWindowFixture() : DeviceFixture(10'000) {}
    void SetUp() override;
    void TearDown() override;

    // Creates the main window (modeless, so the test keeps control) and activates it.
    void OpenMainWindow();

    // One step of a scenario played against the operation dialog: it acts and returns true, or
    // returns false to be polled again on the next turn of the dialog's own event loop.
    using Step = std::function<bool(Dialog& dialog)>;

    // Presses a main-window button and plays `steps` against the operation dialog it opens, each
    // from the dialog's own modal loop; returns once the button's handler has returned. The last
    // step is expected to end the dialog, at once or (bounded) soon after.
    void PressWithOperationDialog(int id, std::vector<Step> steps);

    std::string Text(int id) const { return window->GetDlgItemText(id); }

    std::shared_ptr<FakePort::Gate> gate = std::make_shared<FakePort::Gate>();
    ScriptedUiSeam seam;
    std::unique_ptr<CProgrammerDlg> window;
};
