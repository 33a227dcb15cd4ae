#include "framework/ui_seam.h"

#include "framework/qt_ui_seam.h"

namespace {

UiSeam* g_installed = nullptr;

}  // namespace

UiSeam& Ui() {
    if (g_installed != nullptr) {
        return *g_installed;
    }
    static QtUiSeam real;
    return real;
}

void SetUiSeam(UiSeam* seam) {
    g_installed = seam;
}
