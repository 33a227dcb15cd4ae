#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "app/resource_ids.h"
#include "framework/dialog_placement.h"
#include "framework/quit_signals.h"
#include "recording_dialog.h"

namespace {

// Runs `body` once the modal loop of `dialog` is serving events. A guard ends the dialog with -99
// should the body fail to, so a fault shows up as a wrong code, not a hung test.
template <class F>
void WhileModal(Dialog& dialog, F body) {
    QTimer::singleShot(0, &dialog, body);
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.EndDialog(-99); });
}

// Where a window of this frame size is centred over `over`.
QPoint CentredIn(const QRect& over, const QWidget& dialog) {
    const QSize size = dialog.frameGeometry().size();
    return {over.x() + (over.width() - size.width()) / 2,
            over.y() + (over.height() - size.height()) / 2};
}

// The registered main window, off the work area's centre so that the placement rules differ.
class OwnedDialogTest : public testing::Test {
protected:
    void SetUp() override {
        main_.Create(nullptr);
        main_.move(main_.pos() + QPoint(-37, 21));
        Dialog::SetMainWindow(&main_);
    }
    void TearDown() override { Dialog::SetMainWindow(nullptr); }

    RecordingDialog main_{IDD_PROGRAMMER_DIALOG};
};

struct ModalCase {
    int code;
    bool endDuringInit, ownerDisabledBefore;
};

class ModalTest : public OwnedDialogTest, public testing::WithParamInterface<ModalCase> {};

// A modeless dialog opens at its owner's client origin. While a modal one runs its owner is
// disabled (from before initialisation on, so the dialog opens centred over it), the owner's
// modeless windows stay usable, and afterwards the owner is as it was before.
TEST_P(ModalTest, DisablesTheOwnerWhileRunningAndReturnsTheEndCode) {
    const ModalCase& k = GetParam();
    RecordingDialog viewer(IDD_DATA_DIALOG), action(IDD_ACTION_DIALOG);
    viewer.Create(nullptr);
    EXPECT_EQ(viewer.pos(), main_.mapToGlobal(QPoint(0, 0)));
    viewer.show();
    main_.setEnabled(!k.ownerDisabledBefore);
    bool ownerEnabledInInit = true, runningRight = k.endDuringInit;
    action.duringInit = [&](RecordingDialog& d) {
        ownerEnabledInInit = main_.isEnabled();
        if (k.endDuringInit) {
            d.EndDialog(k.code);
        }
    };
    WhileModal(action, [&] {
        runningRight = !main_.isEnabled() && action.parentWidget() == &main_ &&
                       action.isVisible() && action.isEnabled() &&
                       viewer.isEnabled() == !k.ownerDisabledBefore &&
                       action.pos() == CentredIn(main_.frameGeometry(), action);
        action.EndDialog(k.code);
    });
    EXPECT_EQ(action.DoModal(), k.code);
    EXPECT_EQ(action.calls, Calls{"init"});
    EXPECT_FALSE(ownerEnabledInInit);
    EXPECT_TRUE(runningRight);
    EXPECT_EQ(main_.isEnabled(), !k.ownerDisabledBefore);
    EXPECT_FALSE(action.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ends, ModalTest,
                         testing::Values(ModalCase{42, false, false}, ModalCase{7, true, false},
                                         ModalCase{3, false, true}));

TEST_F(OwnedDialogTest, TheMainWindowRunsModallyWithNoOwnerCentredInTheWorkArea) {
    QPoint shownAt;
    WhileModal(main_, [&] {
        shownAt = main_.parentWidget() == nullptr && main_.isEnabled() ? main_.pos() : QPoint();
        main_.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(main_.DoModal(), IDCANCEL);
    EXPECT_EQ(shownAt, CentredIn(QGuiApplication::primaryScreen()->availableGeometry(), main_));
}

TEST(PlacementRuleTest, CentredUnlessAnEnabledOwnerThenKeptInsideTheWorkArea) {
    struct Case {
        PlacementInput input;
        QPoint expected;
    };
    const QRect work(0, 0, 1000, 700);
    const QSize size(200, 100);
    for (const Case& k : {
             Case{{size, true, false, {-150, -90, 100, 60}, {}, work}, {0, 0}},
             Case{{size, true, false, {900, 650, 100, 60}, {}, work}, {800, 600}},
             Case{{size, true, true, {900, 650, 100, 60}, {990, 690}, work}, {990, 690}},
         }) {
        EXPECT_EQ(DialogTopLeft(k.input), k.expected) << "row expecting x " << k.expected.x();
    }
}

#if defined(Q_OS_UNIX)
class QuitSignalsTest : public testing::TestWithParam<int> {};

// The handler only wakes the event loop; the quit request runs from there, once per signal.
TEST_P(QuitSignalsTest, ASignalBecomesOneCallFromTheEventLoop) {
    int calls = 0;
    const QuitSignals quitSignals([&calls] { ++calls; });
    ASSERT_EQ(raise(GetParam()), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(QTest::qWaitFor([&calls] { return calls != 0; }, 5000));
    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalsTest, testing::Values(SIGTERM, SIGHUP, SIGINT));
#endif

}  // namespace
