// The seam the Windows program runs with: MessageBoxW and the common file dialogs.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/ui_seam.h"
#include "framework/win32/win32_dialog_window.h"
#include "framework/win32/windows_api.h"

namespace {

// Longer than any path the program keeps: a longer choice is refused by the program itself.
constexpr DWORD kFileNameCapacity = 4096;

HWND HandleOf(Dialog* dialog) {
    return dialog != nullptr ? Win32WindowOf(*dialog).Handle() : nullptr;
}

// "Name|*.ext|...||" becomes the chooser's "Name\0*.ext\0...\0\0".
std::wstring ChooserFilter(std::string_view filter) {
    std::wstring result = Utf16FromUtf8(filter);
    std::replace(result.begin(), result.end(), L'|', L'\0');
    return result;
}

class Win32UiSeam final : public UiSeam {
public:
    int MessageBox(Dialog* owner, std::string_view text, std::string_view caption,
                   unsigned type) override {
        const int answer = MessageBoxW(HandleOf(owner), Utf16FromUtf8(text).c_str(),
                                       Utf16FromUtf8(caption).c_str(), type & MB_BUTTONS_MASK);
        return answer == IDCANCEL && (type & MB_BUTTONS_MASK) == MB_OKCANCEL ? IDCANCEL_ANSWER
                                                                             : IDOK_ANSWER;
    }

    std::optional<std::string> OpenFileName(Dialog* owner, std::string_view filter) override {
        return Choose(owner, filter, nullptr, false);
    }

    std::optional<std::string> SaveFileName(Dialog* owner, std::string_view defaultExtension,
                                            std::string_view filter) override {
        const std::wstring extension = Utf16FromUtf8(defaultExtension);
        return Choose(owner, filter, extension.c_str(), true);
    }

private:
    static std::optional<std::string> Choose(Dialog* owner, std::string_view filter,
                                             const wchar_t* defaultExtension, bool save) {
        const std::wstring filters = ChooserFilter(filter);
        std::vector<wchar_t> name(kFileNameCapacity, L'\0');
        OPENFILENAMEW chooser = {};
        chooser.lStructSize = sizeof chooser;
        chooser.hwndOwner = HandleOf(owner);
        chooser.lpstrFilter = filters.c_str();
        chooser.nFilterIndex = 1;
        chooser.lpstrFile = name.data();
        chooser.nMaxFile = kFileNameCapacity;
        chooser.lpstrDefExt = defaultExtension;
        // Open: the file need not exist. Save: ask before overwriting.
        chooser.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : 0u);
        const BOOL chosen = save ? GetSaveFileNameW(&chooser) : GetOpenFileNameW(&chooser);
        if (!chosen) {
            return std::nullopt;
        }
        return Utf8FromUtf16(name.data());
    }
};

}  // namespace

UiSeam& PlatformUiSeam() {
    static Win32UiSeam real;
    return real;
}
