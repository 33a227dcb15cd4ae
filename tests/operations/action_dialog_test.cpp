#include <gtest/gtest.h>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "gui_driver.h"
#include "main_window_fixture.h"
#include "operations_fixture.h"

namespace {

class ActionDialogTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        Calibrate();
        OpenMainWindow();
        LoadFile(300);
        HoldFile(*chip);
        gate->Close();  // in virtual time an unheld worker may be done before the dialog is found
    }

    // OK ends the nested loop once control returns to it; the end code is recorded at once.
    static bool Closed(Dialog& dialog) { return dialog.Result() == IDOK; }
    Step WorkerHeld() {
        return [this](Dialog&) { return gate->HoldsSomeone(); };
    }
    Step ReleaseWorker() {
        return [this](Dialog&) {
            gate->Open();
            return true;
        };
    }
};

// Under the worker the dialog holds on: WAIT (and Enter) do nothing, a close request to the
// disabled main window is dropped; Escape, CANCEL and a close request to the dialog only ask the
// worker to stop. Once it has, Escape still does nothing, Enter on CLOSE ends it; the focus is
// back on PROG, and now a close request quits.
TEST_F(ActionDialogTest, WaitsForTheWorkerAndCancelOnlyStopsIt) {
    gui_test::SetFocus(*window, IDC_PROG);
    PressWithOperationDialog(
        IDC_PROG, {WorkerHeld(),
                   [&](Dialog& d) {
                       EXPECT_EQ(gui_test::Caption(d), "ACTION");
                       EXPECT_FALSE(window->IsEnabled());
                       EXPECT_EQ(d.GetDlgItemText(IDOK), "WAIT");
                       EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "CANCEL");
                       gui_test::RequestClose(*window);
                       EXPECT_TRUE(window->IsVisible());
                       EXPECT_TRUE(gui_test::ActivateAndWait(d));
                       gui_test::PressKey(d, gui_test::Key::Return);
                       gui_test::PressKey(d, gui_test::Key::Enter);
                       EXPECT_TRUE(d.IsRunningModal());
                       EXPECT_FALSE(imageStore.IsCancelRequested());
                       gui_test::PressKey(d, gui_test::Key::Escape);
                       gui_test::ClickButton(d, IDCANCEL);
                       gui_test::RequestClose(d);
                       EXPECT_FALSE(Closed(d));
                       EXPECT_TRUE(d.IsVisible());
                       EXPECT_TRUE(imageStore.IsCancelRequested());
                       return true;
                   },
                   ReleaseWorker(), [](Dialog& d) { return d.GetDlgItemText(IDOK) == "CLOSE"; },
                   [](Dialog& d) {
                       EXPECT_EQ(d.GetDlgItemText(IDC_STATUS), "CANCELLED!");
                       EXPECT_EQ(d.ProgressPosition(IDC_PROGRESS), 0);
                       gui_test::PressKey(d, gui_test::Key::Escape);
                       EXPECT_FALSE(Closed(d));
                       gui_test::SetFocus(d, IDOK);  // off CANCEL
                       gui_test::PressKey(d, gui_test::Key::Return);
                       EXPECT_TRUE(Closed(d));
                       return true;
                   }});
    EXPECT_TRUE(window->IsEnabled());
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(gui_test::FocusedId(*window), IDC_PROG);
    gui_test::RequestClose(*window);
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(CurrentPort(), nullptr);
    (void)timer.release();  // the window released the shared timer
}

// A quit signal under the worker cancels the operation, and quits once the worker has let go of
// the chip.
TEST_F(ActionDialogTest, AQuitSignalWaitsForTheWorker) {
    PressWithOperationDialog(IDC_READ, {WorkerHeld(),
                                        [&](Dialog& d) {
                                            window->RequestQuit();
                                            EXPECT_TRUE(imageStore.IsCancelRequested());
                                            EXPECT_TRUE(window->IsVisible());
                                            EXPECT_TRUE(d.IsRunningModal());
                                            EXPECT_NE(imageStore.FileImage, nullptr);
                                            return true;
                                        },
                                        ReleaseWorker()});
    EXPECT_FALSE(chip->InProgrammingMode());
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    EXPECT_EQ(CurrentPort(), nullptr);
    (void)timer.release();
}

}  // namespace
