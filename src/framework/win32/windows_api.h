#pragma once

// The Windows headers for the Win32 backend, with the macros that would rename the framework's
// own functions (SetDlgItemText, GetDlgItemText, MessageBox) taken out again: every call here
// names the wide-character function itself.
#include <windows.h>
// Order matters: the common-control and dialog headers need windows.h first.
#include <commctrl.h>
#include <commdlg.h>

#undef SetDlgItemText
#undef GetDlgItemText
#undef MessageBox

#include <string>
#include <string_view>

// The program's texts are UTF-8; the wide-character functions take UTF-16.
std::wstring Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::wstring_view text);
