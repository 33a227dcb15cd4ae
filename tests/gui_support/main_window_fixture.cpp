#include "main_window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "gui_test_helpers.h"
#include "sim/simulated_cable.h"

void MainWindowFixture::SetUp() {
    DeviceFixture::SetUp();
    chip = std::make_shared<sim::At89s8252>();
    SetPortOpener([this](std::string*) {
        return std::make_unique<GatedPort>(
            sim::MakeSimulatedPort(chip, [this] { return counter.Peek(); }), gate);
    });
    SetUiSeam(&seam);
}

void MainWindowFixture::TearDown() {
    gate->Open();
    if (window) {
        Dialog::SetMainWindow(nullptr);
        window.reset();
    }
    SetUiSeam(nullptr);
    EXPECT_EQ(chip->ViolationCount(), 0u);
    DeviceFixture::TearDown();
}

void MainWindowFixture::OpenMainWindow() {
    window = std::make_unique<CProgrammerDlg>();
    Dialog::SetMainWindow(window.get());
    window->Create(nullptr);
    window->show();
    ASSERT_TRUE(gui_test::ActivateAndWait(window.get()));
}

bool MainWindowFixture::WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void MainWindowFixture::PressWithOperationDialog(
    int id, const std::function<void(Dialog& dialog)>& whileModal) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        WaitUntil([] { return QApplication::activeModalWidget() != nullptr; });
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        whileModal(*dialog);
        ran = true;
        // A test that failed part-way must not leave the nested loop running for ever.
        if (dialog->IsRunningModal()) {
            ADD_FAILURE() << "the operation dialog was still open after the test's steps";
            gate->Open();
            imageStore.SetCancelRequested(true);
            WaitUntil([] { return !imageStore.IsBusy(); });
            dialog->EndDialog(IDOK);
        }
    });
    window->SendCommand(id);
    EXPECT_TRUE(ran) << "the operation dialog never came up";
}
