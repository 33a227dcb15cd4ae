#include "resources/dialog_templates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "framework/dialog_template.h"

namespace {

using namespace control_style;
using namespace dialog_style;

constexpr ControlKind kButton = ControlKind::PushButton;
constexpr ControlKind kDef = ControlKind::DefPushButton;
constexpr ControlKind kStatic = ControlKind::Static;

struct Row {
    int id;
    ControlKind kind;
    std::string text;
    int x, y, cx, cy;
    unsigned style;
};

void ExpectControls(int templateId, const std::vector<Row>& rows) {
    const DialogTemplate& t = DialogTemplateById(templateId);
    ASSERT_EQ(t.controls.size(), rows.size()) << "template " << templateId;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        const Row& r = rows[i];
        SCOPED_TRACE("template " + std::to_string(templateId) + " control #" + std::to_string(i));
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.kind, r.kind);
        EXPECT_EQ(std::string(c.text), r.text);
        EXPECT_EQ(c.x, r.x);
        EXPECT_EQ(c.y, r.y);
        EXPECT_EQ(c.cx, r.cx);
        EXPECT_EQ(c.cy, r.cy);
        EXPECT_EQ(c.style, r.style);
    }
}

TEST(DialogTemplatesTest, MainWindowControlsInTemplateOrder) {
    ExpectControls(102, {
                            {1001, kDef, "-->", 5, 20, 15, 14, kTabStop},
                            {2, kButton, "QUIT", 80, 75, 45, 10, kTabStop},
                            {3, kDef, "PROG", 40, 40, 30, 14, kTabStop},
                            {1002, kButton, "<< compare >>", 75, 20, 55, 15, kTabStop},
                            {1003, kStatic, "", 75, 45, 55, 10, 0},
                            {-1, kStatic, "DEVICE FLASH", 140, 5, 55, 15, 0},
                            {1004, kStatic, "NOT LOADED", 140, 20, 55, 10, 0},
                            {1005, kButton, "READ", 140, 50, 30, 15, kTabStop},
                            {1006, kButton, "ERASE", 175, 50, 30, 15, kTabStop},
                            {1007, kStatic, "", 20, 20, 50, 15, kSunken},
                            {4, kDef, "contents", 25, 65, 40, 14, kTabStop},
                            {5, kDef, "contents", 140, 70, 35, 15, kTabStop},
                            {1008, kButton, "N/A", 180, 70, 25, 15, kTabStop},
                            {1009, kDef, "reload", 5, 40, 25, 15, kTabStop},
                            {1023, kStatic, "", 10, 5, 60, 10, 0},
                            {1010, kStatic, "", 140, 35, 55, 10, 0},
                        });
}

TEST(DialogTemplatesTest, OperationDialogControls) {
    ExpectControls(129, {
                            {1, kDef, "WAIT", 65, 50, 50, 14, kTabStop},
                            {1009, ControlKind::ProgressBar, "", 5, 25, 110, 10, kBorder},
                            {1019, kStatic, "", 5, 5, 110, 10, 0},
                            {2, kButton, "CANCEL", 5, 50, 50, 14, kTabStop},
                        });
}

TEST(DialogTemplatesTest, ContentsViewerControls) {
    ExpectControls(130, {
                            {1, kDef, "CLOSE", 25, 165, 50, 14, kTabStop},
                            {1012, kStatic, "Static", 15, 10, 80, 10, 0},
                            {1018, ControlKind::ListBox, "", 15, 30, 70, 125,
                             kVerticalScroll | kBorder | kNoIntegralHeight | kNotify | kTabStop},
                        });
}

TEST(DialogTemplatesTest, ConversionNoticeHasNoControls) {
    ExpectControls(132, {});
}

struct DialogRow {
    int id;
    std::string caption;
    int cx, cy;
    unsigned style;
};

class DialogTemplateHeaderTest : public testing::TestWithParam<DialogRow> {};

TEST_P(DialogTemplateHeaderTest, CaptionFontPositionSizeAndStyle) {
    const DialogRow& r = GetParam();
    const DialogTemplate& t = DialogTemplateById(r.id);
    EXPECT_EQ(t.id, r.id);
    EXPECT_EQ(std::string(t.caption), r.caption);
    EXPECT_EQ(std::string(t.fontFace), "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, r.cx);
    EXPECT_EQ(t.cy, r.cy);
    EXPECT_EQ(t.style, r.style);
}

INSTANTIATE_TEST_SUITE_P(AllFour, DialogTemplateHeaderTest,
                         testing::Values(DialogRow{IDD_PROGRAMMER_DIALOG, "AT89S8252", 217, 90,
                                                   kPopup | kCaption | kSystemMenu | kModalFrame |
                                                       kVisible | kAppWindow},
                                         DialogRow{IDD_ACTION_DIALOG, "ACTION", 132, 71,
                                                   kPopup | kCaption | kModalFrame},
                                         DialogRow{IDD_DATA_DIALOG, "DATA", 107, 191,
                                                   kPopup | kCaption | kSystemMenu | kModalFrame},
                                         DialogRow{IDD_CONVERT_DIALOG, "CONVERTING FILE...", 102,
                                                   21, kPopup | kCaption | kModalFrame}));

TEST(DialogTemplatesDeathTest, UnknownIdAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(DialogTemplateById(131), "no dialog template 131");
}

}  // namespace
