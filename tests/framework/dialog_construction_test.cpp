#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>
#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/icon_resource.h"
#include "resources/dialog_templates.h"

namespace {

// Dialog units to pixels computed independently of the framework: the base units from the
// dialog's own font, then the quotient rounded with std::lround (halves away from zero).
struct Oracle {
    explicit Oracle(const QFont& font) {
        const QFontMetrics metrics(font);
        const int alphabet = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        bx = (alphabet / 26 + 1) / 2;
        by = metrics.height();
    }
    int X(int du) const { return static_cast<int>(std::lround(du * bx / 4.0)); }
    int Y(int du) const { return static_cast<int>(std::lround(du * by / 8.0)); }
    int bx, by;
};

const char* ExpectedClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            return "QPushButton";
        case ControlKind::Static:
            return "QLabel";
        case ControlKind::ProgressBar:
            return "QProgressBar";
        case ControlKind::ListBox:
            return "QListWidget";
    }
    return "";
}

class DialogConstructionTest : public testing::TestWithParam<int> {};

TEST_P(DialogConstructionTest, EveryControlSitsWhereTheTemplateSaysInPixels) {
    const DialogTemplate& t = DialogTemplateById(GetParam());
    Dialog dialog(GetParam());
    const Oracle du(dialog.font());
    EXPECT_EQ(dialog.Units().BaseX(), du.bx);
    EXPECT_EQ(dialog.Units().BaseY(), du.by);
    EXPECT_EQ(dialog.size(), QSize(du.X(t.cx), du.Y(t.cy)));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // fixed size
    EXPECT_EQ(dialog.windowTitle().toStdString(), t.caption);

    const QList<QWidget*> children = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(static_cast<std::size_t>(children.size()), t.controls.size());
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        QWidget* widget = children[static_cast<qsizetype>(i)];  // creation order
        SCOPED_TRACE("control " + std::to_string(c.id) + " \"" + c.text + "\"");
        EXPECT_EQ(widget->property("controlId").toInt(), c.id);
        EXPECT_STREQ(widget->metaObject()->className(), ExpectedClass(c.kind));
        EXPECT_EQ(widget->geometry(), QRect(du.X(c.x), du.Y(c.y), du.X(c.cx), du.Y(c.cy)));
        EXPECT_EQ(widget->focusPolicy() != Qt::NoFocus, (c.style & control_style::kTabStop) != 0);
        if (c.id != IDC_STATIC) {
            EXPECT_EQ(dialog.GetDlgItem(c.id), widget);
            EXPECT_EQ(
                dialog.GetDlgItemText(c.id),
                c.kind == ControlKind::ProgressBar || c.kind == ControlKind::ListBox ? "" : c.text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogConstructionTest,
                         testing::Values(IDD_PROGRAMMER_DIALOG, IDD_ACTION_DIALOG, IDD_DATA_DIALOG,
                                         IDD_CONVERT_DIALOG));

TEST(DialogConstructionTest, MainWindowIs217By90DialogUnits) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    const Oracle du(main.font());
    EXPECT_EQ(main.width(), du.X(217));
    EXPECT_EQ(main.height(), du.Y(90));
    std::printf("main window %d x %d px (base units %d x %d)\n", main.width(), main.height(), du.bx,
                du.by);
}

TEST(DialogConstructionTest, ControlStylesBecomeWidgetProperties) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    auto* fileName = qobject_cast<QLabel*>(main.GetDlgItem(IDC_FILE_NAME));
    auto* state = qobject_cast<QLabel*>(main.GetDlgItem(IDC_DEVICE_STATE));
    ASSERT_NE(fileName, nullptr);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(fileName->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(fileName->frameShape(), QFrame::Panel);
    EXPECT_EQ(state->frameShape(), QFrame::NoFrame);
    auto* browse = qobject_cast<QPushButton*>(main.GetDlgItem(IDC_BROWSE));
    auto* quit = qobject_cast<QPushButton*>(main.GetDlgItem(IDCANCEL));
    EXPECT_TRUE(browse->font().bold());
    EXPECT_FALSE(quit->font().bold());
    EXPECT_FALSE(browse->autoDefault());

    Dialog action(IDD_ACTION_DIALOG);
    auto* bar = qobject_cast<QProgressBar*>(action.GetDlgItem(IDC_PROGRESS));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    Dialog viewer(IDD_DATA_DIALOG);
    auto* list = qobject_cast<QListWidget*>(viewer.GetDlgItem(IDC_VIEW_LIST));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(list->frameShape(), QFrame::StyledPanel);
}

struct FlagsCase {
    int templateId;
    bool closeBox;
    Qt::WindowType type;
};

class WindowFlagsTest : public testing::TestWithParam<FlagsCase> {};

TEST_P(WindowFlagsTest, CloseBoxOnlyWithASystemMenuAndNoMinimiseOrMaximise) {
    Dialog dialog(GetParam().templateId);
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), GetParam().closeBox);
    EXPECT_EQ(flags.testFlag(Qt::WindowSystemMenuHint), GetParam().closeBox);
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.windowType(), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, WindowFlagsTest,
                         testing::Values(FlagsCase{IDD_PROGRAMMER_DIALOG, true, Qt::Window},
                                         FlagsCase{IDD_ACTION_DIALOG, false, Qt::Dialog},
                                         FlagsCase{IDD_DATA_DIALOG, true, Qt::Dialog},
                                         FlagsCase{IDD_CONVERT_DIALOG, false, Qt::Dialog}));

TEST(IconResourceTest, Icon128IsTheChipWithItsArrow) {
    const QIcon icon = LoadIconResource(IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(32, 32).toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);                        // transparent corner
    EXPECT_EQ(image.pixelColor(15, 3).rgb(), QColor("#3FAE49").rgb());   // arrow shaft
    EXPECT_EQ(image.pixelColor(15, 22).rgb(), QColor("#2E3440").rgb());  // chip body
    EXPECT_EQ(image.pixelColor(7, 15).rgb(), QColor("#C8CDD4").rgb());   // a pin
}

TEST(IconResourceTest, OtherIdsHaveNoIcon) {
    EXPECT_TRUE(LoadIconResource(129).isNull());
}

}  // namespace
