#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <csignal>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "framework/quit_signals.h"
#include "recording_dialog.h"

namespace {

using Calls = std::vector<std::string>;

// Runs `body` once the modal loop of `dialog` is serving events. A guard ends the dialog with
// -99 should the body fail to, so a fault shows up as a wrong code, not a hung test.
template <class F>
void WhileModal(Dialog& dialog, F body) {
    QTimer::singleShot(0, &dialog, body);
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.EndDialog(-99); });
}

class DialogModalTest : public testing::Test {
protected:
    void SetUp() override {
        main_.Create(nullptr);  // visible by its template
        Dialog::SetMainWindow(&main_);
    }
    void TearDown() override { Dialog::SetMainWindow(nullptr); }

    RecordingDialog main_{IDD_PROGRAMMER_DIALOG};
};

TEST_F(DialogModalTest, DisablesTheMainWindowWhileRunningAndReturnsTheEndCode) {
    ASSERT_TRUE(main_.isVisible());
    RecordingDialog action(IDD_ACTION_DIALOG);
    bool ownerEnabledDuringInit = true;
    action.duringInit = [&](RecordingDialog&) { ownerEnabledDuringInit = main_.isEnabled(); };
    bool ownerEnabled = true, dialogEnabled = false, dialogVisible = false;
    QWidget* owner = nullptr;
    WhileModal(action, [&] {
        ownerEnabled = main_.isEnabled();
        dialogEnabled = action.isEnabled() && action.GetDlgItem(IDCANCEL)->isEnabled();
        dialogVisible = action.isVisible();
        owner = action.parentWidget();
        action.EndDialog(42);
    });
    EXPECT_EQ(action.DoModal(), 42);
    EXPECT_FALSE(ownerEnabledDuringInit);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(dialogVisible);
    EXPECT_EQ(owner, &main_);
    EXPECT_TRUE(main_.isEnabled());
    EXPECT_FALSE(action.isVisible());
    EXPECT_EQ(action.calls, Calls{"init"});
    main_.hide();
}

TEST_F(DialogModalTest, ButtonsEndTheModalDialogThroughOkAndCancel) {
    for (const int id : {IDOK, IDCANCEL}) {
        RecordingDialog action(IDD_ACTION_DIALOG);
        WhileModal(action, [&action, id] {
            qobject_cast<QAbstractButton*>(action.GetDlgItem(id))->click();
        });
        EXPECT_EQ(action.DoModal(), id);
        EXPECT_EQ(action.calls, (Calls{"init", id == IDOK ? "ok" : "cancel"}));
        EXPECT_TRUE(main_.isEnabled());
    }
    main_.hide();
}

TEST_F(DialogModalTest, ModelessWindowsOfTheOwnerStayUsable) {
    Dialog viewer(IDD_DATA_DIALOG);
    viewer.Create(nullptr);
    viewer.show();
    RecordingDialog action(IDD_ACTION_DIALOG);
    bool viewerEnabled = false;
    WhileModal(action, [&] {
        viewerEnabled = viewer.isEnabled() && viewer.GetDlgItem(IDC_VIEW_LIST)->isEnabled();
        action.EndDialog(IDOK);
    });
    EXPECT_EQ(action.DoModal(), IDOK);
    EXPECT_TRUE(viewerEnabled);
    EXPECT_TRUE(viewer.isEnabled());
    viewer.hide();
    main_.hide();
}

TEST_F(DialogModalTest, AParentGivenIsTheOwnerInsteadOfTheMainWindow) {
    RecordingDialog other(IDD_DATA_DIALOG);
    other.Create(nullptr);
    other.show();
    RecordingDialog action(IDD_ACTION_DIALOG, &other);
    bool otherEnabled = true, mainEnabled = false;
    WhileModal(action, [&] {
        otherEnabled = other.isEnabled();
        mainEnabled = main_.isEnabled();
        action.EndDialog(5);
    });
    EXPECT_EQ(action.DoModal(), 5);
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(mainEnabled);
    EXPECT_TRUE(other.isEnabled());
    other.hide();
    main_.hide();
}

TEST_F(DialogModalTest, AnOwnerDisabledBeforeStaysDisabledAfter) {
    main_.setEnabled(false);
    RecordingDialog action(IDD_ACTION_DIALOG);
    WhileModal(action, [&] { action.EndDialog(3); });
    EXPECT_EQ(action.DoModal(), 3);
    EXPECT_FALSE(main_.isEnabled());
    main_.setEnabled(true);
    main_.hide();
}

TEST_F(DialogModalTest, EndingDuringInitialisationReturnsWithoutShowing) {
    RecordingDialog action(IDD_ACTION_DIALOG);
    bool everShown = false;
    action.duringInit = [](RecordingDialog& d) { d.EndDialog(7); };
    QTimer::singleShot(0, &action, [&] {
        everShown = action.isVisible();
        action.EndDialog(-99);
    });
    EXPECT_EQ(action.DoModal(), 7);
    EXPECT_FALSE(everShown);
    EXPECT_TRUE(main_.isEnabled());
    main_.hide();
}

TEST_F(DialogModalTest, TheMainWindowHasNoOwnerAndRunsModallyItself) {
    main_.hide();
    WhileModal(main_, [&] {
        EXPECT_EQ(main_.parentWidget(), nullptr);
        EXPECT_TRUE(main_.isEnabled());
        main_.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(main_.DoModal(), IDCANCEL);
    EXPECT_FALSE(main_.isVisible());
}

TEST(DialogRegistrationTest, MainWindowIsRegisteredAndForgottenWhenDestroyed) {
    EXPECT_EQ(Dialog::MainWindow(), nullptr);
    {
        Dialog main(IDD_PROGRAMMER_DIALOG);
        Dialog::SetMainWindow(&main);
        EXPECT_EQ(Dialog::MainWindow(), &main);
    }
    EXPECT_EQ(Dialog::MainWindow(), nullptr);
}

TEST(DialogModelessTest, EndDialogHidesAModelessDialogWithoutDestroyingIt) {
    auto* viewer = new RecordingDialog(IDD_DATA_DIALOG);
    const QPointer<Dialog> alive(viewer);
    viewer->Create(nullptr);
    viewer->show();
    viewer->SetDlgItemText(IDC_VIEW_TITLE, "FILE CONTENTS");
    viewer->EndDialog(IDOK);
    EXPECT_FALSE(viewer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(viewer->GetDlgItemText(IDC_VIEW_TITLE), "FILE CONTENTS");
    EXPECT_EQ(viewer->result(), IDOK);
    viewer->show();
    EXPECT_TRUE(viewer->isVisible());
    viewer->SendCommand(IDOK);  // the CLOSE button: hidden again
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(viewer->calls, (Calls{"init", "ok"}));
    delete viewer;
}

TEST(DialogModelessTest, CreateShowsOnlyTemplatesMarkedVisible) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    Dialog viewer(IDD_DATA_DIALOG);
    main.Create(nullptr);
    viewer.Create(nullptr);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(viewer.isVisible());
    main.hide();
}

#if defined(Q_OS_UNIX)
class QuitSignalsTest : public testing::TestWithParam<int> {};

// The handler only wakes the event loop; the quit request runs from there, once per signal.
TEST_P(QuitSignalsTest, ASignalBecomesOneCallFromTheEventLoop) {
    int calls = 0;
    const QuitSignals quitSignals([&calls] { ++calls; });
    ASSERT_EQ(raise(GetParam()), 0);
    EXPECT_EQ(calls, 0);
    QElapsedTimer elapsed;
    elapsed.start();
    while (calls == 0 && elapsed.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalsTest, testing::Values(SIGTERM, SIGHUP, SIGINT));
#endif

}  // namespace
