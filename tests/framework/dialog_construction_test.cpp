#include <gtest/gtest.h>

#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/dialog_units.h"
#include "gui_driver.h"
#include "resources/dialog_templates.h"

namespace {

TEST(DialogUnitsTest, EachEdgeIsConvertedOnItsOwnAxisWithRounding) {
    const DialogUnits units(7, 13);
    // x 5*7/4 = 8.75, y 20*13/8 = 32.5, w 15*7/4 = 26.25, h 14*13/8 = 22.75.
    EXPECT_EQ(units.ToPixels(Rect{5, 20, 15, 14}), (Rect{9, 33, 26, 23}));
    EXPECT_EQ(units.ToPixels(Size{217, 90}), (Size{380, 146}));
}

struct TemplateCase {
    int id;
    bool closeBox;
};

class TemplateTest : public testing::TestWithParam<TemplateCase> {};

// The window's size, caption and close box, and every control where its template puts it, in
// template order, with its text; the units follow the template's font as the backend renders it.
TEST_P(TemplateTest, BuildsTheWindowFromItsTemplate) {
    const DialogTemplate& t = DialogTemplateById(GetParam().id);
    Dialog dialog(t);
    dialog.Create(nullptr);
    const DialogUnits du = gui_test::TemplateFontUnits(dialog);
    EXPECT_LT(du.BaseX(), du.BaseY());  // from the font's average width, less than its height
    EXPECT_EQ(gui_test::ClientSize(dialog), du.ToPixels(Size{t.cx, t.cy}));
    EXPECT_EQ(gui_test::Caption(dialog), t.caption);
    EXPECT_EQ(gui_test::HasCloseBox(dialog), GetParam().closeBox);
    ASSERT_EQ(static_cast<std::size_t>(gui_test::ControlCount(dialog)), t.controls.size());
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        const gui_test::ControlState control = gui_test::ControlAt(dialog, static_cast<int>(i));
        SCOPED_TRACE("control " + std::to_string(c.id) + " \"" + c.text + "\"");
        const bool isButton =
            c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton;
        EXPECT_EQ(control.id, c.id);
        EXPECT_EQ(control.rect, du.ToPixels(Rect{c.x, c.y, c.cx, c.cy}));
        EXPECT_EQ(control.takesFocus, (c.style & control_style::kTabStop) != 0);
        if (control.defaultButton) {
            EXPECT_EQ(*control.defaultButton, c.kind == ControlKind::DefPushButton);
        }
        EXPECT_EQ(control.progressMaximum, c.kind == ControlKind::ProgressBar ? 100 : 0);
        if (c.id != IDC_STATIC) {
            EXPECT_EQ(dialog.GetDlgItemText(c.id),
                      isButton || c.kind == ControlKind::Static ? c.text : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, TemplateTest,
                         testing::Values(TemplateCase{IDD_PROGRAMMER_DIALOG, true},
                                         TemplateCase{IDD_ACTION_DIALOG, false},
                                         TemplateCase{IDD_DATA_DIALOG, true},
                                         TemplateCase{IDD_CONVERT_DIALOG, false}));

}  // namespace
