#pragma once

#include <Qt>

// Window decorations for a template's dialog style: caption, close box only with a system menu,
// minimise and maximise boxes only when asked for, never resizable. An application window is a
// window of its own in the task bar; every other dialog is a dialog window.
Qt::WindowFlags WindowFlagsForStyle(unsigned dialogStyle);
