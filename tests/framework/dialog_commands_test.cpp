#include <gtest/gtest.h>

#include <QAbstractButton>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "recording_dialog.h"

namespace {

using Calls = std::vector<std::string>;

struct CommandCase {
    int id;
    Calls expected;  // after "init"
    bool ends;
};

class CommandTableTest : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandTableTest, SendCommandRunsTheTableEntryOrOkOrCancel) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    dialog.Create(nullptr);
    dialog.SendCommand(GetParam().id);
    Calls expected{"init"};
    expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
    EXPECT_EQ(dialog.calls, expected);
    EXPECT_EQ(dialog.isVisible(), !GetParam().ends);
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(Ids, CommandTableTest,
                         testing::Values(CommandCase{IDC_BROWSE, {"browse"}, false},
                                         CommandCase{IDC_PROG, {"prog"}, false},
                                         CommandCase{IDC_READ, {"read"}, false},
                                         CommandCase{IDC_ERASE, {}, false},  // no entry
                                         CommandCase{IDC_COMPARE, {}, false},
                                         CommandCase{IDOK, {"ok"}, true},
                                         CommandCase{IDCANCEL, {"cancel"}, true}));

class ButtonPressTest : public testing::TestWithParam<CommandCase> {};

TEST_P(ButtonPressTest, PressingTheButtonIsTheSameCommand) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    dialog.Create(nullptr);
    auto* button = qobject_cast<QAbstractButton*>(dialog.GetDlgItem(GetParam().id));
    ASSERT_NE(button, nullptr);
    button->click();
    Calls expected{"init"};
    expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
    EXPECT_EQ(dialog.calls, expected);
    EXPECT_EQ(dialog.isVisible(), !GetParam().ends);
    dialog.hide();
}

// Template 102 has no button with id 1.
INSTANTIATE_TEST_SUITE_P(Buttons, ButtonPressTest,
                         testing::Values(CommandCase{IDC_BROWSE, {"browse"}, false},
                                         CommandCase{IDC_PROG, {"prog"}, false},
                                         CommandCase{IDC_READ, {"read"}, false},
                                         CommandCase{IDC_ERASE, {}, false},
                                         CommandCase{IDCANCEL, {"cancel"}, true}));

TEST(CommandTableTest, DispatchCommandReportsWhetherTheTableHadTheId) {
    struct Target {
        int hits = 0;
        void Hit() { ++hits; }
    } target;
    static constexpr CommandEntry<Target> kTable[] = {{7, &Target::Hit}, {9, &Target::Hit}};
    EXPECT_TRUE(DispatchCommand(&target, kTable, 7));
    EXPECT_TRUE(DispatchCommand(&target, kTable, 9));
    EXPECT_FALSE(DispatchCommand(&target, kTable, 8));
    EXPECT_EQ(target.hits, 2);
}

}  // namespace
