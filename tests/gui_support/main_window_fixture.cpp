#include "main_window_fixture.h"

#include <chrono>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/port_access.h"
#include "gui_driver.h"
#include "sim/simulated_cable.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Overdue(Clock::time_point start) {
    return Clock::now() - start > std::chrono::seconds(20);
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
    window->Show();
    ASSERT_TRUE(gui_test::ActivateAndWait(*window));
}

void MainWindowFixture::PressWithOperationDialog(int id, std::vector<Step> steps) {
    std::size_t next = 0;
    Dialog* dialog = nullptr;
    const Clock::time_point start = Clock::now();
    gui_test::Ticker* self = nullptr;
    gui_test::Ticker driver([&] {
        if (dialog == nullptr) {
            Dialog* modal = Dialog::InnermostModal();
            dialog =
                modal != nullptr && modal != window.get() && modal->IsVisible() ? modal : nullptr;
            if (dialog == nullptr && Overdue(start)) {
                self->Stop();
                if (Dialog* other = Dialog::InnermostModal()) {
                    other->EndDialog(-1);  // some other modal window: end it rather than hang
                }
            }
            return;
        }
        if (next < steps.size()) {
            if (steps[next](*dialog)) {
                ++next;
            } else if (Overdue(start)) {
                ADD_FAILURE() << "step " << next << " never completed";
                next = steps.size();
            }
            return;
        }
        self->Stop();
        // A scenario that failed part-way must not leave the nested loop running for ever.
        if (!gui_test::PumpUntil(
                [&] { return !dialog->IsRunningModal() || dialog->Result() != -1; }, 20000)) {
            ADD_FAILURE() << "the operation dialog was still open after the last step";
            gate->Open();
            imageStore.SetCancelRequested(true);
            gui_test::PumpUntil([] { return !imageStore.IsBusy(); }, 20000);
            dialog->EndDialog(IDOK);
        }
    });
    self = &driver;
    window->SendCommand(id);
    driver.Stop();
    EXPECT_EQ(next, steps.size()) << "the dialog never came up or ended before step " << next;
}
