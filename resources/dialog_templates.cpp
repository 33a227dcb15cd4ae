#include "resources/dialog_templates.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "app/resource_ids.h"

namespace {

using control_style::kBorder;
using control_style::kNoIntegralHeight;
using control_style::kNotify;
using control_style::kSunken;
using control_style::kTabStop;
using control_style::kVerticalScroll;
using dialog_style::kAppWindow;
using dialog_style::kCaption;
using dialog_style::kModalFrame;
using dialog_style::kPopup;
using dialog_style::kSystemMenu;
using dialog_style::kVisible;

constexpr const char* kDialogFont = "MS Sans Serif";
constexpr int kDialogPointSize = 8;

constexpr ControlKind kButton = ControlKind::PushButton;
constexpr ControlKind kDefButton = ControlKind::DefPushButton;
constexpr ControlKind kStatic = ControlKind::Static;

// Main window: file side on the left, device side on the right.
constexpr std::array<ControlTemplate, 16> kProgrammerControls{{
    {IDC_BROWSE, kDefButton, "-->", 5, 20, 15, 14, kTabStop},
    {IDCANCEL, kButton, "QUIT", 80, 75, 45, 10, kTabStop},
    {IDC_PROG, kDefButton, "PROG", 40, 40, 30, 14, kTabStop},
    {IDC_COMPARE, kButton, "<< compare >>", 75, 20, 55, 15, kTabStop},
    {IDC_COMPARE_RESULT, kStatic, "", 75, 45, 55, 10, 0},
    {IDC_STATIC, kStatic, "DEVICE FLASH", 140, 5, 55, 15, 0},
    {IDC_DEVICE_STATE, kStatic, "NOT LOADED", 140, 20, 55, 10, 0},
    {IDC_READ, kButton, "READ", 140, 50, 30, 15, kTabStop},
    {IDC_ERASE, kButton, "ERASE", 175, 50, 30, 15, kTabStop},
    {IDC_FILE_NAME, kStatic, "", 20, 20, 50, 15, kSunken},
    {IDC_FILE_CONTENTS, kDefButton, "contents", 25, 65, 40, 14, kTabStop},
    {IDC_DEVICE_CONTENTS, kDefButton, "contents", 140, 70, 35, 15, kTabStop},
    {IDC_SAVE, kButton, "N/A", 180, 70, 25, 15, kTabStop},
    {IDC_RELOAD, kDefButton, "reload", 5, 40, 25, 15, kTabStop},
    {IDC_FILE_BYTES, kStatic, "", 10, 5, 60, 10, 0},
    {IDC_DEVICE_BYTES, kStatic, "", 140, 35, 55, 10, 0},
}};

// Operation dialog: status line, progress bar, WAIT/CLOSE and CANCEL.
constexpr std::array<ControlTemplate, 4> kActionControls{{
    {IDOK, kDefButton, "WAIT", 65, 50, 50, 14, kTabStop},
    {IDC_PROGRESS, ControlKind::ProgressBar, "", 5, 25, 110, 10, kBorder},
    {IDC_STATUS, kStatic, "", 5, 5, 110, 10, 0},
    {IDCANCEL, kButton, "CANCEL", 5, 50, 50, 14, kTabStop},
}};

// Contents viewer: one list line per byte, up to 8192 of them.
constexpr std::array<ControlTemplate, 3> kDataControls{{
    {IDOK, kDefButton, "CLOSE", 25, 165, 50, 14, kTabStop},
    {IDC_VIEW_TITLE, kStatic, "Static", 15, 10, 80, 10, 0},
    {IDC_VIEW_LIST, ControlKind::ListBox, "", 15, 30, 70, 125,
     kVerticalScroll | kBorder | kNoIntegralHeight | kNotify | kTabStop},
}};

constexpr DialogTemplate kProgrammerDialog{
    IDD_PROGRAMMER_DIALOG,
    "AT89S8252",
    kDialogFont,
    kDialogPointSize,
    0,
    0,
    217,
    90,
    kPopup | kCaption | kSystemMenu | kModalFrame | kVisible | kAppWindow,
    kProgrammerControls};

constexpr DialogTemplate kActionDialog{IDD_ACTION_DIALOG,
                                       "ACTION",
                                       kDialogFont,
                                       kDialogPointSize,
                                       0,
                                       0,
                                       132,
                                       71,
                                       kPopup | kCaption | kModalFrame,
                                       kActionControls};

constexpr DialogTemplate kDataDialog{IDD_DATA_DIALOG,
                                     "DATA",
                                     kDialogFont,
                                     kDialogPointSize,
                                     0,
                                     0,
                                     107,
                                     191,
                                     kPopup | kCaption | kSystemMenu | kModalFrame,
                                     kDataControls};

constexpr DialogTemplate kConvertDialog{IDD_CONVERT_DIALOG,
                                        "CONVERTING FILE...",
                                        kDialogFont,
                                        kDialogPointSize,
                                        0,
                                        0,
                                        102,
                                        21,
                                        kPopup | kCaption | kModalFrame,
                                        {}};

}  // namespace

const DialogTemplate& DialogTemplateById(int id) {
    switch (id) {
        case IDD_PROGRAMMER_DIALOG:
            return kProgrammerDialog;
        case IDD_ACTION_DIALOG:
            return kActionDialog;
        case IDD_DATA_DIALOG:
            return kDataDialog;
        case IDD_CONVERT_DIALOG:
            return kConvertDialog;
        default:
            std::fprintf(stderr, "no dialog template %d\n", id);
            std::abort();
    }
}
