#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "app/resource_ids.h"
#include "framework/dialog_placement.h"
#include "framework/quit_signals.h"
#include "gui_driver.h"
#include "recording_dialog.h"

namespace {

// Runs `body` once the modal loop of `dialog` is serving events. A guard ends the dialog with -99
// should the body fail to, so a fault shows up as a wrong code, not a hung test; it stands down
// when the token returned goes.
template <class F>
std::shared_ptr<bool> WhileModal(Dialog& dialog, F body) {
    auto token = std::make_shared<bool>(true);
    gui_test::RunLater(0, [body, weak = std::weak_ptr<bool>(token)] {
        if (!weak.expired()) {
            body();
        }
    });
    gui_test::RunLater(5000, [&dialog, weak = std::weak_ptr<bool>(token)] {
        if (!weak.expired() && dialog.IsRunningModal()) {
            dialog.EndDialog(-99);
        }
    });
    return token;
}

// Where a window of this frame size is centred over `over`.
Point CentredIn(const Rect& over, const Dialog& dialog) {
    const Rect frame = gui_test::Frame(dialog);
    return {over.x + (over.width - frame.width) / 2, over.y + (over.height - frame.height) / 2};
}

Point TopLeft(const Dialog& dialog) {
    const Rect frame = gui_test::Frame(dialog);
    return {frame.x, frame.y};
}

// The registered main window, off the work area's centre so that the placement rules differ.
class OwnedDialogTest : public testing::Test {
protected:
    void SetUp() override {
        main_.Create(nullptr);
        gui_test::MoveBy(main_, -37, 21);
        Dialog::SetMainWindow(&main_);
    }
    void TearDown() override {
        Dialog::SetMainWindow(nullptr);
        main_.EndDialog(IDCANCEL);
    }

    RecordingDialog main_{IDD_PROGRAMMER_DIALOG};
};

struct ModalCase {
    int code;
    bool endDuringInit, ownerDisabledBefore;
};

class ModalTest : public OwnedDialogTest, public testing::WithParamInterface<ModalCase> {};

// A modeless dialog opens at its owner's client origin. While a modal one runs its owner is
// disabled (from before initialisation on, so the dialog opens centred over it), the owner's
// modeless windows stay as they were, and afterwards the owner is as it was before.
TEST_P(ModalTest, DisablesTheOwnerWhileRunningAndReturnsTheEndCode) {
    const ModalCase& k = GetParam();
    RecordingDialog viewer(IDD_DATA_DIALOG), action(IDD_ACTION_DIALOG);
    viewer.Create(nullptr);
    EXPECT_EQ(TopLeft(viewer), gui_test::ClientOrigin(main_));
    viewer.Show();
    gui_test::SetEnabled(main_, !k.ownerDisabledBefore);
    const bool viewerEnabled = viewer.IsEnabled();
    bool ownerEnabledInInit = true, runningRight = k.endDuringInit;
    action.duringInit = [&](RecordingDialog& d) {
        ownerEnabledInInit = main_.IsEnabled();
        if (k.endDuringInit) {
            d.EndDialog(k.code);
        }
    };
    const auto guard = WhileModal(action, [&] {
        runningRight = !main_.IsEnabled() && gui_test::OwnerOf(action) == &main_ &&
                       action.IsVisible() && action.IsEnabled() &&
                       viewer.IsEnabled() == viewerEnabled &&
                       TopLeft(action) == CentredIn(gui_test::Frame(main_), action);
        action.EndDialog(k.code);
    });
    EXPECT_EQ(action.DoModal(), k.code);
    EXPECT_EQ(action.calls, Calls{"init"});
    EXPECT_FALSE(ownerEnabledInInit);
    EXPECT_TRUE(runningRight);
    EXPECT_EQ(main_.IsEnabled(), !k.ownerDisabledBefore);
    EXPECT_FALSE(action.IsVisible());
    viewer.EndDialog(IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(Ends, ModalTest,
                         testing::Values(ModalCase{42, false, false}, ModalCase{7, true, false},
                                         ModalCase{3, false, true}));

TEST_F(OwnedDialogTest, TheMainWindowRunsModallyWithNoOwnerCentredInTheWorkArea) {
    bool centred = false;
    const auto guard = WhileModal(main_, [&] {
        centred = gui_test::OwnerOf(main_) == nullptr && main_.IsEnabled() &&
                  TopLeft(main_) == CentredIn(gui_test::WorkArea(), main_);
        main_.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(main_.DoModal(), IDCANCEL);
    EXPECT_TRUE(centred);
}

TEST(PlacementRuleTest, CentredUnlessAnEnabledOwnerThenKeptInsideTheWorkArea) {
    struct Case {
        PlacementInput input;
        Point expected;
    };
    const Rect work{0, 0, 1000, 700};
    const Size size{200, 100};
    for (const Case& k : {
             Case{{size, true, false, {-150, -90, 100, 60}, {}, work}, {0, 0}},
             Case{{size, true, false, {900, 650, 100, 60}, {}, work}, {800, 600}},
             Case{{size, true, true, {900, 650, 100, 60}, {990, 690}, work}, {990, 690}},
         }) {
        EXPECT_EQ(DialogTopLeft(k.input), k.expected) << "row expecting x " << k.expected.x;
    }
}

#if defined(__unix__)
class QuitSignalsTest : public testing::TestWithParam<int> {};

// The handler only wakes the event loop; the quit request runs from there, once per signal.
TEST_P(QuitSignalsTest, ASignalBecomesOneCallFromTheEventLoop) {
    int calls = 0;
    const QuitSignals quitSignals([&calls] { ++calls; });
    ASSERT_EQ(raise(GetParam()), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(gui_test::PumpUntil([&calls] { return calls != 0; }));
    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalsTest, testing::Values(SIGTERM, SIGHUP, SIGINT));
#endif

}  // namespace
