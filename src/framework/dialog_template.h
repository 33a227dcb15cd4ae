#pragma once

#include <span>

// Dialog templates as plain data: what a dialog looks like, in dialog units, before any widget
// exists. Nothing here knows about widgets, so the templates can be checked without a display.

enum class ControlKind { PushButton, DefPushButton, Static, ProgressBar, ListBox };

// Control styles. A push button and a list box take the keyboard focus (tab stop); a static
// text and a progress bar never do.
namespace control_style {
inline constexpr unsigned kTabStop = 1u << 0;
inline constexpr unsigned kSunken = 1u << 1;  // static text drawn in a sunken frame
inline constexpr unsigned kBorder = 1u << 2;
inline constexpr unsigned kVerticalScroll = 1u << 3;
inline constexpr unsigned kNoIntegralHeight = 1u << 4;  // list keeps its exact height
inline constexpr unsigned kNotify = 1u << 5;            // list reports clicks to its dialog
inline constexpr unsigned kSorted = 1u << 6;
}  // namespace control_style

// Dialog styles.
namespace dialog_style {
inline constexpr unsigned kPopup = 1u << 0;
inline constexpr unsigned kCaption = 1u << 1;
inline constexpr unsigned kSystemMenu = 1u << 2;  // without it the window has no close box
inline constexpr unsigned kModalFrame = 1u << 3;
inline constexpr unsigned kVisible = 1u << 4;    // shown as soon as it is created
inline constexpr unsigned kAppWindow = 1u << 5;  // has its own task-bar entry
inline constexpr unsigned kMinimizeBox = 1u << 6;
inline constexpr unsigned kMaximizeBox = 1u << 7;
}  // namespace dialog_style

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units, relative to the dialog's client area
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontFace;
    int pointSize;
    int x, y, cx, cy;  // dialog units; cx x cy is the client area
    unsigned style;
    std::span<const ControlTemplate> controls;  // in template order: creation and tab order
};
