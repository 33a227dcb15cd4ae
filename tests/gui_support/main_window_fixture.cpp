#include "main_window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "gui_test_helpers.h"
#include "sim/simulated_cable.h"

namespace {

// Turns the event loop until `done` holds; false once 20 s of real time have passed.
bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > 20000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

}  // namespace

void MainWindowFixture::SetUp() {
    DeviceFixture::SetUp();
    SetPortOpener([this](std::string*) {
        return std::make_unique<FakePort>(
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
    DeviceFixture::TearDown();
}

void MainWindowFixture::OpenMainWindow() {
    window = std::make_unique<CProgrammerDlg>();
    Dialog::SetMainWindow(window.get());
    window->Create(nullptr);
    window->show();
    ASSERT_TRUE(gui_test::ActivateAndWait(window.get()));
}

void MainWindowFixture::PressWithOperationDialog(int id, std::vector<Step> steps) {
    std::size_t next = 0;
    Dialog* dialog = nullptr;
    QElapsedTimer elapsed;
    elapsed.start();
    // Polled every millisecond: a zero-interval timer would compete with the list views' own
    // zero-interval layout timers and starve the worker's updates.
    QTimer driver;
    driver.setInterval(1);
    driver.setTimerType(Qt::PreciseTimer);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (dialog == nullptr) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* d = dynamic_cast<Dialog*>(widget);
                dialog = d != nullptr && d->IsRunningModal() && d->isVisible() ? d : dialog;
            }
            if (dialog == nullptr && elapsed.elapsed() > 20000) {
                driver.stop();
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();  // some other modal window: end it rather than hang
                }
            }
            return;
        }
        if (next < steps.size()) {
            if (steps[next](*dialog)) {
                ++next;
            } else if (elapsed.elapsed() > 20000) {
                ADD_FAILURE() << "step " << next << " never completed";
                next = steps.size();
            }
            return;
        }
        driver.stop();
        // A scenario that failed part-way must not leave the nested loop running for ever.
        if (!WaitUntil([&] { return !dialog->IsRunningModal() || dialog->result() != 0; })) {
            ADD_FAILURE() << "the operation dialog was still open after the last step";
            gate->Open();
            imageStore.SetCancelRequested(true);
            WaitUntil([] { return !imageStore.IsBusy(); });
            dialog->EndDialog(IDOK);
        }
    });
    driver.start();
    window->SendCommand(id);
    driver.stop();
    EXPECT_EQ(next, steps.size()) << "the dialog never came up or ended before step " << next;
}
