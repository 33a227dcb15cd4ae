#pragma once

class QWidget;
struct ControlTemplate;

// The widget for one template control, a child of the dialog, not yet placed: push buttons,
// static texts (framed when sunken), a 0..100 progress bar, a list with a vertical scroll bar.
// Controls with a tab stop take the keyboard focus; the others never do.
QWidget* CreateControl(const ControlTemplate& control, QWidget* dialog);
