#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "framework/dialog_units.h"
#include "framework/geometry.h"

// What GUI tests do to real windows and read back from them, the same for every backend: the
// test sources are shared, and each backend implements these over its own windows (Qt offscreen,
// Win32 under Wine).
namespace gui_test {

enum class Key { Return, Enter, Escape, Tab };

// Activates the window and waits (briefly) until it is active; a window has no keyboard focus
// until this has happened. False when it never became active.
bool ActivateAndWait(Dialog& dialog);

// A key press and release sent to the control that has the focus in the dialog (else the dialog).
void PressKey(Dialog& dialog, Key key);

// A mouse click on the button with this id.
void ClickButton(Dialog& dialog, int id);

// The close request a window manager sends when the close box is clicked.
void RequestClose(Dialog& dialog);

void SetFocus(Dialog& dialog, int id);
// The id of the dialog's control that has (or, while another window is active, will get back)
// the keyboard focus; 0 when none has.
int FocusedId(const Dialog& dialog);

std::string Caption(const Dialog& dialog);
bool HasCloseBox(const Dialog& dialog);
bool HasIcon(const Dialog& dialog);
// The dialog whose window owns this one's, if any.
const Dialog* OwnerOf(const Dialog& dialog);

// Geometry in pixels: the client area and its origin on the screen, the whole window, and the
// work area of the screen.
Size ClientSize(const Dialog& dialog);
Point ClientOrigin(const Dialog& dialog);
Rect Frame(const Dialog& dialog);
Rect WorkArea();
void MoveBy(Dialog& dialog, int dx, int dy);
void SetEnabled(Dialog& dialog, bool enabled);

// The units measured independently from the template's font as the backend renders it, and the
// n-th control in creation order (id, place in the client area, whether it takes the focus, whether
// it is drawn as a default button, a progress bar's maximum).
DialogUnits TemplateFontUnits(const Dialog& dialog);
int ControlCount(const Dialog& dialog);
struct ControlState {
    int id = 0;
    Rect rect;
    bool takesFocus = false;
    // Unknown (nullopt) where the window system moves the default style along with the focus.
    std::optional<bool> defaultButton;
    int progressMaximum = 0;  // 0 for anything but a progress bar
};
ControlState ControlAt(const Dialog& dialog, int index);

// Turns the event loop until `done` holds; false once `timeoutMs` of real time have passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs `task` from the event loop (a modal loop counts) after `delayMs`.
void RunLater(int delayMs, std::function<void()> task);

// Runs `tick` from the event loop every millisecond until destroyed or stopped.
class Ticker {
public:
    explicit Ticker(std::function<void()> tick);
    ~Ticker();
    void Stop();
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// While alive, counts the paint events of dialogs that `matches` accepts and runs `act` (once)
// at the first of them.
class PaintWatch {
public:
    explicit PaintWatch(std::function<bool(const Dialog&)> matches);
    ~PaintWatch();
    int Paints() const;
    std::function<void()> act;
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace gui_test
