#include <gtest/gtest.h>

#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/dialog_units.h"
#include "resources/dialog_templates.h"

namespace {

TEST(DialogUnitsTest, EachEdgeIsConvertedOnItsOwnAxisWithRounding) {
    const DialogUnits units(7, 13);
    // x 5*7/4 = 8.75, y 20*13/8 = 32.5, w 15*7/4 = 26.25, h 14*13/8 = 22.75.
    EXPECT_EQ(units.ToPixels(QRect(5, 20, 15, 14)), QRect(9, 33, 26, 23));
    EXPECT_EQ(units.ToPixels(QSize(217, 90)), QSize(380, 146));
}

struct TemplateCase {
    int id;
    bool closeBox;
};

class TemplateTest : public testing::TestWithParam<TemplateCase> {};

// The window's size, caption and close box, and every control where its template puts it, in
// template order, with its text; the units follow the font actually used.
TEST_P(TemplateTest, BuildsTheWindowFromItsTemplate) {
    const DialogTemplate& t = DialogTemplateById(GetParam().id);
    Dialog dialog(GetParam().id);
    const DialogUnits& du = dialog.Units();
    EXPECT_EQ(dialog.size(), du.ToPixels(QSize(t.cx, t.cy)));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.windowTitle().toStdString(), t.caption);
    EXPECT_EQ(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint), GetParam().closeBox);
    EXPECT_EQ(du.BaseY(), dialog.fontMetrics().height());
    EXPECT_LT(du.BaseX(), du.BaseY());  // from the font's average width, less than its height
    const QList<QWidget*> children = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(static_cast<std::size_t>(children.size()), t.controls.size());
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        QWidget* widget = children[static_cast<qsizetype>(i)];
        SCOPED_TRACE("control " + std::to_string(c.id) + " \"" + c.text + "\"");
        const bool isButton =
            c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton;
        EXPECT_EQ(widget->geometry(), du.ToPixels(QRect(c.x, c.y, c.cx, c.cy)));
        EXPECT_EQ(widget->focusPolicy() != Qt::NoFocus, (c.style & control_style::kTabStop) != 0);
        EXPECT_EQ(widget->font().bold(), c.kind == ControlKind::DefPushButton);
        if (c.id != IDC_STATIC) {
            EXPECT_EQ(dialog.GetDlgItem(c.id), widget);
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
