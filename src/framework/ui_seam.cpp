#include "framework/ui_seam.h"

namespace {

UiSeam* g_installed = nullptr;

}  // namespace

UiSeam& Ui() {
    return g_installed != nullptr ? *g_installed : PlatformUiSeam();
}

void SetUiSeam(UiSeam* seam) {
    g_installed = seam;
}
