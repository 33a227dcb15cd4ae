#pragma once

#include <QTest>
#include <QWidget>

namespace gui_test {

// Activates the window and waits (briefly) until it is active; on the offscreen platform a
// window has no keyboard focus until this has happened. False when it never became active.
inline bool ActivateAndWait(QWidget* window) {
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 2000);
}

// A key press and release sent to the widget that has the focus in `window` (else the window).
inline void PressKey(QWidget* window, Qt::Key key) {
    QTest::keyClick(window->focusWidget() != nullptr ? window->focusWidget() : window, key);
}

}  // namespace gui_test
