#include "framework/win32/dialog_template_bytes.h"

#include "framework/dialog_template.h"
#include "framework/win32/windows_api.h"

namespace {

// Predefined control classes, by the atoms a template names them with.
constexpr std::uint16_t kButtonAtom = 0x0080;
constexpr std::uint16_t kStaticAtom = 0x0082;
constexpr std::uint16_t kListBoxAtom = 0x0083;

bool Has(unsigned styles, unsigned style) {
    return (styles & style) != 0;
}

class Writer {
public:
    void Word(std::uint16_t value) { words_.push_back(value); }
    void Dword(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    void Text(std::string_view utf8) {
        for (const wchar_t c : Utf16FromUtf8(utf8)) {
            Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<std::uint16_t> Take() { return std::move(words_); }

private:
    std::vector<std::uint16_t> words_;
};

std::uint32_t ControlStyle(const ControlTemplate& control) {
    std::uint32_t style = WS_CHILD | WS_VISIBLE;
    if (Has(control.style, control_style::kTabStop)) {
        style |= WS_TABSTOP;
    }
    if (Has(control.style, control_style::kBorder)) {
        style |= WS_BORDER;
    }
    switch (control.kind) {
        case ControlKind::PushButton:
            return style | BS_PUSHBUTTON;
        case ControlKind::DefPushButton:
            return style | BS_DEFPUSHBUTTON;
        case ControlKind::Static:
            return style | SS_LEFT | (Has(control.style, control_style::kSunken) ? SS_SUNKEN : 0u);
        case ControlKind::ProgressBar:
            return style;
        case ControlKind::ListBox:
            if (Has(control.style, control_style::kVerticalScroll)) {
                style |= WS_VSCROLL;
            }
            if (Has(control.style, control_style::kNoIntegralHeight)) {
                style |= LBS_NOINTEGRALHEIGHT;
            }
            if (Has(control.style, control_style::kNotify)) {
                style |= LBS_NOTIFY;
            }
            if (Has(control.style, control_style::kSorted)) {
                style |= LBS_SORT;
            }
            return style;
    }
    return style;
}

void WriteClass(Writer& out, ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            out.Word(0xFFFF);
            out.Word(kButtonAtom);
            return;
        case ControlKind::Static:
            out.Word(0xFFFF);
            out.Word(kStaticAtom);
            return;
        case ControlKind::ListBox:
            out.Word(0xFFFF);
            out.Word(kListBoxAtom);
            return;
        case ControlKind::ProgressBar:
            break;
    }
    out.Text("msctls_progress32");  // comctl32's progress bar has no atom
}

}  // namespace

unsigned long DialogWindowStyle(unsigned dialogStyle) {
    unsigned long style = DS_SETFONT;
    if (Has(dialogStyle, dialog_style::kPopup)) {
        style |= WS_POPUP;
    }
    if (Has(dialogStyle, dialog_style::kCaption)) {
        style |= WS_CAPTION;
    }
    if (Has(dialogStyle, dialog_style::kSystemMenu)) {
        style |= WS_SYSMENU;
    }
    if (Has(dialogStyle, dialog_style::kModalFrame)) {
        style |= DS_MODALFRAME;
    }
    if (Has(dialogStyle, dialog_style::kMinimizeBox)) {
        style |= WS_MINIMIZEBOX;
    }
    if (Has(dialogStyle, dialog_style::kMaximizeBox)) {
        style |= WS_MAXIMIZEBOX;
    }
    // Shown by the framework once placed and initialised, never by the dialog manager before.
    return style;
}

unsigned long DialogExtendedStyle(unsigned dialogStyle) {
    return Has(dialogStyle, dialog_style::kAppWindow) ? WS_EX_APPWINDOW : 0;
}

std::vector<std::uint16_t> DialogTemplateBytes(const DialogTemplate& t) {
    Writer out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: the extended form
    out.Dword(0);      // helpID
    out.Dword(static_cast<std::uint32_t>(DialogExtendedStyle(t.style)));
    out.Dword(static_cast<std::uint32_t>(DialogWindowStyle(t.style)));
    out.Word(static_cast<std::uint16_t>(t.controls.size()));
    out.Short(t.x);
    out.Short(t.y);
    out.Short(t.cx);
    out.Short(t.cy);
    out.Word(0);  // no menu
    out.Word(0);  // the predefined dialog class
    out.Text(t.caption);
    out.Word(static_cast<std::uint16_t>(t.pointSize));
    out.Word(FW_NORMAL);
    out.Word(DEFAULT_CHARSET << 8);  // italic 0, then the character set
    out.Text(t.fontFace);
    for (const ControlTemplate& control : t.controls) {
        out.AlignToDword();
        out.Dword(0);  // helpID
        out.Dword(0);  // extended style
        out.Dword(ControlStyle(control));
        out.Short(control.x);
        out.Short(control.y);
        out.Short(control.cx);
        out.Short(control.cy);
        out.Dword(static_cast<std::uint32_t>(control.id));
        WriteClass(out, control.kind);
        out.Text(control.kind == ControlKind::ProgressBar || control.kind == ControlKind::ListBox
                     ? ""
                     : control.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}
