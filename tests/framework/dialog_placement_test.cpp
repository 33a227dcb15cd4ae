#include "framework/dialog_placement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cctype>
#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"

namespace {

QRect WorkArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QPoint CentredIn(const QRect& over, QSize size) {
    return {over.x() + (over.width() - size.width()) / 2,
            over.y() + (over.height() - size.height()) / 2};
}

class DialogPlacementTest : public testing::Test {
protected:
    void SetUp() override {
        main_.Create(nullptr);
        main_.move(main_.pos() + QPoint(-37, 21));  // off centre, so the two rules differ
        Dialog::SetMainWindow(&main_);
    }
    void TearDown() override {
        Dialog::SetMainWindow(nullptr);
        main_.hide();
    }

    Dialog main_{IDD_PROGRAMMER_DIALOG};
};

TEST_F(DialogPlacementTest, AModelessDialogOpensAtItsOwnersClientAreaOrigin) {
    Dialog viewer(IDD_DATA_DIALOG);
    Dialog notice(IDD_CONVERT_DIALOG);
    viewer.Create(nullptr);
    notice.Create(&main_);
    viewer.show();
    notice.show();
    const QPoint origin = main_.mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(viewer.pos(), origin);
    EXPECT_EQ(notice.pos(), origin);
    EXPECT_NE(origin, CentredIn(main_.frameGeometry(), viewer.frameGeometry().size()));
    viewer.hide();
    notice.hide();
}

TEST_F(DialogPlacementTest, AModalDialogOpensCentredOverItsOwner) {
    Dialog action(IDD_ACTION_DIALOG);
    QPoint shownAt;
    QTimer::singleShot(0, &action, [&] {
        shownAt = action.pos();
        action.EndDialog(IDOK);
    });
    ASSERT_EQ(action.DoModal(), IDOK);
    EXPECT_EQ(shownAt, CentredIn(main_.frameGeometry(), action.frameGeometry().size()));
}

TEST_F(DialogPlacementTest, AModelessDialogOfADisabledOwnerOpensCentredOverIt) {
    main_.setEnabled(false);
    Dialog viewer(IDD_DATA_DIALOG);
    viewer.Create(nullptr);
    EXPECT_EQ(viewer.pos(), CentredIn(main_.frameGeometry(), viewer.frameGeometry().size()));
    main_.setEnabled(true);
}

TEST(DialogPlacementNoOwnerTest, TheMainWindowOpensCentredInTheWorkArea) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    main.Create(nullptr);
    EXPECT_EQ(main.pos(), CentredIn(WorkArea(), main.frameGeometry().size()));
    main.hide();
}

TEST(DialogPlacementNoOwnerTest, ADialogWithNoOwnerOpensCentredInTheWorkArea) {
    Dialog action(IDD_ACTION_DIALOG);
    QPoint shownAt;
    QTimer::singleShot(0, &action, [&] {
        shownAt = action.pos();
        action.EndDialog(IDOK);
    });
    ASSERT_EQ(action.DoModal(), IDOK);
    EXPECT_EQ(shownAt, CentredIn(WorkArea(), action.frameGeometry().size()));

    Dialog viewer(IDD_DATA_DIALOG);
    viewer.Create(nullptr);
    EXPECT_EQ(viewer.pos(), CentredIn(WorkArea(), viewer.frameGeometry().size()));
}

struct RuleCase {
    const char* name;
    PlacementInput input;
    QPoint expected;
};

class PlacementRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(PlacementRuleTest, TopLeft) {
    EXPECT_EQ(DialogTopLeft(GetParam().input), GetParam().expected);
}

const QRect kWork(0, 0, 1000, 700);

INSTANTIATE_TEST_SUITE_P(
    Table, PlacementRuleTest,
    testing::Values(
        RuleCase{"no owner", {QSize(200, 100), false, false, {}, {}, kWork}, QPoint(400, 300)},
        RuleCase{"enabled owner",
                 {QSize(200, 100), true, true, QRect(100, 50, 400, 300), QPoint(104, 80), kWork},
                 QPoint(104, 80)},
        RuleCase{"disabled owner",
                 {QSize(200, 100), true, false, QRect(100, 50, 401, 301), QPoint(104, 80), kWork},
                 QPoint(200, 150)},
        RuleCase{"kept inside the work area's left and top",
                 {QSize(200, 100), true, false, QRect(-150, -90, 100, 60), QPoint(), kWork},
                 QPoint(0, 0)},
        RuleCase{"kept inside the work area's right and bottom",
                 {QSize(200, 100), true, false, QRect(900, 650, 100, 60), QPoint(), kWork},
                 QPoint(800, 600)},
        RuleCase{"modeless at the origin even near the edge",
                 {QSize(200, 100), true, true, QRect(900, 650, 100, 60), QPoint(990, 690), kWork},
                 QPoint(990, 690)}),
    [](const testing::TestParamInfo<RuleCase>& param) {
        std::string name;
        for (const char* c = param.param.name; *c != '\0'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) != 0 ? *c : '_';
        }
        return name;
    });

}  // namespace
