#pragma once

#include <Qt>

class QWidget;

namespace gui_test {

// Activates the window and waits (briefly) until it is active; on the offscreen platform a
// window has no keyboard focus until this has happened. False when it never became active.
bool ActivateAndWait(QWidget* window);

// A key press and release sent to the widget that has the focus in `window` (else the window).
void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace gui_test
