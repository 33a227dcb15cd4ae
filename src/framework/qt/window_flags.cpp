#include "framework/qt/window_flags.h"

#include "framework/dialog_template.h"

Qt::WindowFlags WindowFlagsForStyle(unsigned dialogStyle) {
    Qt::WindowFlags flags = (dialogStyle & dialog_style::kAppWindow) != 0 ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
    if ((dialogStyle & dialog_style::kCaption) != 0) {
        flags |= Qt::WindowTitleHint;
    }
    if ((dialogStyle & dialog_style::kSystemMenu) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if ((dialogStyle & dialog_style::kMinimizeBox) != 0) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if ((dialogStyle & dialog_style::kMaximizeBox) != 0) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}
