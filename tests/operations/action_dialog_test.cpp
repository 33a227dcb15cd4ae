#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "gui_test_helpers.h"
#include "main_window_fixture.h"
#include "views/data_dlg.h"

namespace {

class ActionDialogTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        Calibrate();
        OpenMainWindow();
    }

    // OK ends the nested loop once control returns to it; the end code is recorded at once.
    static bool Closed(Dialog& dialog) { return dialog.result() == IDOK; }
    static bool ShowsClose(Dialog& dialog) { return dialog.GetDlgItemText(IDOK) == "CLOSE"; }

    // Steps shared by the scenarios. The gate is closed before the button is pressed: in virtual
    // time an unheld worker may be done before the dialog is even found.
    Step WorkerHeld() {
        return [this](Dialog&) { return gate->HoldsSomeone(); };
    }
    Step ReleaseWorker() {
        return [this](Dialog&) {
            gate->Open();
            return true;
        };
    }
    static Step UntilClose() { return ShowsClose; }
    static Step PressOk() {
        return [](Dialog& d) {
            d.SendCommand(IDOK);
            EXPECT_TRUE(Closed(d));
            return true;
        };
    }

    void LoadFile(int length) {
        imageStore.fileLoaded = 1;
        imageStore.fileByteCount = length;
        for (int i = 0; i < length; ++i) {
            imageStore.FileImage[i] = (i * 11 + 1) & 0xFF;
        }
    }

    void LoadChipWithCountingBytes(int length) {
        std::vector<std::uint8_t> program(static_cast<std::size_t>(length));
        for (std::size_t i = 0; i < program.size(); ++i) {
            program[i] = static_cast<std::uint8_t>(i * 7);
        }
        chip->LoadFlash(program);
    }
};

TEST_F(ActionDialogTest, OpensCentredOverTheDisabledMainWindowWithItsInitialTexts) {
    gate->Close();
    PressWithOperationDialog(
        IDC_READ, {WorkerHeld(),
                   [&](Dialog& d) {
                       EXPECT_EQ(d.windowTitle(), "ACTION");
                       EXPECT_EQ(d.parentWidget(), window.get());
                       EXPECT_FALSE(window->isEnabled());
                       const QRect owner = window->frameGeometry();
                       const QRect own = d.frameGeometry();
                       EXPECT_EQ(own.x(), owner.x() + (owner.width() - own.width()) / 2);
                       EXPECT_EQ(own.y(), owner.y() + (owner.height() - own.height()) / 2);
                       EXPECT_EQ(d.GetDlgItemText(IDOK), "WAIT");
                       EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "CANCEL");
                       EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
                       return true;
                   },
                   ReleaseWorker(), UntilClose(), PressOk()});
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "LOADED");
}

TEST_F(ActionDialogTest, EnterDoesNothingWhileWaitAndClosesAfterClose) {
    LoadChipWithCountingBytes(400);
    gate->Close();
    PressWithOperationDialog(IDC_READ,
                             {WorkerHeld(),
                              [](Dialog& d) {
                                  EXPECT_TRUE(gui_test::ActivateAndWait(&d));
                                  EXPECT_EQ(QApplication::focusWidget(), d.GetDlgItem(IDOK));
                                  gui_test::PressKey(&d, Qt::Key_Return);
                                  gui_test::PressKey(&d, Qt::Key_Enter);
                                  EXPECT_FALSE(Closed(d));
                                  EXPECT_EQ(d.GetDlgItemText(IDOK), "WAIT");
                                  return true;
                              },
                              ReleaseWorker(), UntilClose(),
                              [](Dialog& d) {
                                  EXPECT_EQ(d.GetDlgItemText(IDC_STATUS), "READING DEVICE");
                                  EXPECT_EQ(d.ProgressPosition(IDC_PROGRESS), 100);
                                  gui_test::PressKey(&d, Qt::Key_Return);
                                  EXPECT_TRUE(Closed(d));
                                  return true;
                              }});
    EXPECT_EQ(Text(IDC_DEVICE_BYTES), "400 bytes");
    EXPECT_EQ(Text(IDC_SAVE), "SAVE");
}

TEST_F(ActionDialogTest, EscapeAndCancelNeverCloseItAndTheWorkerEndsCancelled) {
    LoadFile(300);
    gate->Close();
    PressWithOperationDialog(IDC_PROG,
                             {WorkerHeld(),
                              [](Dialog& d) {
                                  EXPECT_TRUE(gui_test::ActivateAndWait(&d));
                                  for (int i = 0; i < 5; ++i) {
                                      gui_test::PressKey(&d, Qt::Key_Escape);
                                      d.SendCommand(IDCANCEL);
                                      QTest::mouseClick(d.GetDlgItem(IDCANCEL), Qt::LeftButton);
                                      d.close();  // what the close box would do, had it one
                                      EXPECT_FALSE(Closed(d));
                                      EXPECT_TRUE(d.isVisible());
                                  }
                                  EXPECT_TRUE(imageStore.IsCancelRequested());
                                  return true;
                              },
                              ReleaseWorker(), UntilClose(),
                              [](Dialog& d) {
                                  EXPECT_EQ(d.GetDlgItemText(IDC_STATUS), "CANCELLED!");
                                  EXPECT_EQ(d.ProgressPosition(IDC_PROGRESS), 0);
                                  gui_test::PressKey(&d, Qt::Key_Escape);
                                  EXPECT_FALSE(Closed(d));
                                  return true;
                              },
                              PressOk()});
    EXPECT_FALSE(chip->InProgrammingMode());
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "NOT LOADED");
    EXPECT_EQ(Text(IDC_SAVE), "N/A");
}

TEST_F(ActionDialogTest, ProgrammingEndsWithItsVerdictAndTheBarFull) {
    LoadFile(64);
    PressWithOperationDialog(IDC_PROG, {UntilClose(),
                                        [](Dialog& d) {
                                            EXPECT_EQ(d.GetDlgItemText(IDC_STATUS),
                                                      "WRITE SUCCESSFUL!");
                                            EXPECT_EQ(d.ProgressPosition(IDC_PROGRESS), 100);
                                            return true;
                                        },
                                        PressOk()});
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(chip->Flash()[static_cast<std::size_t>(i)], imageStore.FileImage[i]);
    }
}

TEST_F(ActionDialogTest, ViewersScrollAndHideWhileAnOperationRuns) {
    LoadChipWithCountingBytes(300);
    LoadFile(2000);
    window->SendCommand(IDC_FILE_CONTENTS);
    CDataDlg* viewer = window->FileViewer();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(viewer->isVisible());

    gate->Close();
    PressWithOperationDialog(
        IDC_READ, {WorkerHeld(),
                   [&](Dialog&) {
                       EXPECT_TRUE(viewer->isEnabled());
                       auto* list = static_cast<QListWidget*>(viewer->GetDlgItem(IDC_VIEW_LIST));
                       EXPECT_TRUE(list->isEnabled());
                       QScrollBar* bar = list->verticalScrollBar();
                       EXPECT_GT(bar->maximum(), 0);
                       // A click in the scroll bar's trough below the handle pages down.
                       QTest::mouseClick(bar, Qt::LeftButton, {},
                                         QPoint(bar->width() / 2, bar->height() - 20));
                       EXPECT_GT(bar->value(), 0);
                       viewer->SendCommand(IDOK);  // CLOSE hides it
                       EXPECT_FALSE(viewer->isVisible());
                       return true;
                   },
                   ReleaseWorker(), UntilClose(), PressOk()});
    EXPECT_EQ(window->FileViewer(), viewer);  // hidden, not destroyed
}

struct QuitCase {
    const char* name;
    int id;
    bool bySignal;  // a quit signal's request, else the window manager's close request
};

class QuitDuringOperationTest : public ActionDialogTest,
                                public ::testing::WithParamInterface<QuitCase> {};

// While the worker is held mid-operation: a close request to the disabled main window is dropped
// (the operation runs to its end, a later close quits), a quit signal cancels the operation and
// quits once the worker has let go of the chip. Either way the keyboard focus was back on the
// button that started the operation before the window went.
TEST_P(QuitDuringOperationTest, NeverQuitsUnderTheWorker) {
    const auto [name, id, bySignal] = GetParam();
    LoadFile(300);
    QWidget* button = window->GetDlgItem(id);
    button->setFocus();
    gate->Close();
    std::vector<Step> steps = {WorkerHeld(),
                               [&](Dialog& d) {
                                   if (bySignal) {
                                       window->RequestQuit();
                                   } else {
                                       window->windowHandle()->close();
                                   }
                                   EXPECT_EQ(imageStore.IsCancelRequested(), bySignal);
                                   EXPECT_TRUE(window->isVisible());
                                   EXPECT_TRUE(d.IsRunningModal());
                                   EXPECT_NE(imageStore.FileImage, nullptr);
                                   return true;
                               },
                               ReleaseWorker()};
    if (!bySignal) {
        steps.insert(steps.end(), {UntilClose(), PressOk()});  // the signal's quit ends it alone
    }
    PressWithOperationDialog(id, std::move(steps));
    EXPECT_FALSE(chip->InProgrammingMode());
    if (!bySignal) {
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->focusWidget(), button);
        window->windowHandle()->close();
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    EXPECT_EQ(CurrentPort(), nullptr);
    (void)timer.release();
}

INSTANTIATE_TEST_SUITE_P(Operations, QuitDuringOperationTest,
                         ::testing::Values(QuitCase{"ReadClosed", IDC_READ, false},
                                           QuitCase{"ProgClosed", IDC_PROG, false},
                                           QuitCase{"ReadSignalled", IDC_READ, true},
                                           QuitCase{"ProgSignalled", IDC_PROG, true}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
