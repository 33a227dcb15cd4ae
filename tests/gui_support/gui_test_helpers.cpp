#include "gui_test_helpers.h"

#include <QTest>
#include <QWidget>

namespace gui_test {

bool ActivateAndWait(QWidget* window) {
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 2000);
}

void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window->focusWidget() != nullptr ? window->focusWidget() : window, key,
                    modifiers);
}

}  // namespace gui_test
