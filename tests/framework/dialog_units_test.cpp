#include "framework/dialog_units.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <cstdio>
#include <ostream>

#include "framework/dialog_font.h"
#include "framework/mul_div.h"
#include "resources/dialog_templates.h"

namespace {

struct MulDivCase {
    int a, b, c, expected;
    friend std::ostream& operator<<(std::ostream& out, const MulDivCase& k) {
        return out << k.a << " * " << k.b << " / " << k.c << " = " << k.expected;
    }
};

class MulDivTest : public testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTest, RoundsToNearestWithHalvesAwayFromZero) {
    const MulDivCase& k = GetParam();
    EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << " * " << k.b << " / " << k.c;
}

INSTANTIATE_TEST_SUITE_P(Table, MulDivTest,
                         testing::Values(MulDivCase{5, 7, 4, 9},      // 8.75 up
                                         MulDivCase{2, 7, 4, 4},      // 3.5: half away from 0
                                         MulDivCase{-2, 7, 4, -4},    // -3.5
                                         MulDivCase{2, -7, 4, -4},    // sign from either side
                                         MulDivCase{5, 13, 8, 8},     // 8.125 down
                                         MulDivCase{3, 13, 8, 5},     // 4.875 up
                                         MulDivCase{4, 13, 8, 7},     // 6.5
                                         MulDivCase{1, 1, -2, -1},    // -0.5
                                         MulDivCase{217, 7, 4, 380},  // 379.75
                                         MulDivCase{0, 9, 4, 0},
                                         MulDivCase{70000, 70000, 70000, 70000},  // 64-bit product
                                         MulDivCase{3, 4, 0, -1}));               // no divisor

TEST(DialogUnitsTest, ConvertsEachEdgeWithRoundingNotTruncation) {
    const DialogUnits units(7, 13);
    // x 5*7/4 = 8.75, y 20*13/8 = 32.5, w 15*7/4 = 26.25, h 14*13/8 = 22.75.
    EXPECT_EQ(units.ToPixels(QRect(5, 20, 15, 14)), QRect(9, 33, 26, 23));
    EXPECT_EQ(units.ToPixels(QSize(217, 90)), QSize(380, 146));  // 379.75, 146.25
    EXPECT_EQ(units.ToPixelsX(2), 4);
    EXPECT_EQ(units.ToPixelsY(3), 5);
}

TEST(DialogUnitsTest, BaseUnitsComeFromTheDialogFontsMetrics) {
    const QFont font = DialogFont(DialogTemplateById(102));
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogUnits units = DialogUnits::FromFont(font);
    std::printf("dialog font %s %d pt: alphabet %d px, height %d px, base %d x %d\n",
                qPrintable(QFontInfo(font).family()), font.pointSize(), alphabet, metrics.height(),
                units.BaseX(), units.BaseY());
    // Hand computation: average width of 52 letters rounded to nearest, via halves.
    EXPECT_EQ(units.BaseX(), (alphabet / 26 + 1) / 2);
    EXPECT_EQ(units.BaseY(), metrics.height());
    EXPECT_GT(units.BaseX(), 3);
    EXPECT_GT(units.BaseY(), 8);
}

TEST(DialogUnitsTest, ALargerFontGivesLargerUnits) {
    QFont small = DialogFont(DialogTemplateById(102));
    QFont large = small;
    large.setPointSize(small.pointSize() * 2);
    const DialogUnits a = DialogUnits::FromFont(small);
    const DialogUnits b = DialogUnits::FromFont(large);
    EXPECT_GT(b.BaseX(), a.BaseX());
    EXPECT_GT(b.BaseY(), a.BaseY());
}

}  // namespace
