#include "gui_test_helpers.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace gui_test {

bool ActivateAndWait(QWidget* window) {
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 2000);
}

void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, key, modifiers);
}

QStringList VisibleTopLevelWindows() {
    QStringList open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            open.append(widget->windowTitle().isEmpty()
                            ? QString::fromLatin1(widget->metaObject()->className())
                            : widget->windowTitle());
        }
    }
    return open;
}

void CloseAllTopLevelWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            widget->hide();
        }
    }
}

}  // namespace gui_test
