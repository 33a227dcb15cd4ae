#pragma once

#include <optional>
#include <string>
#include <string_view>

// The two path buffers of the main window: 299 characters and a terminator each.
inline constexpr int kPathBufferSize = 300;

// What the program's handlers need of the main window. CProgrammerDlg implements it over its
// widgets; tests implement it with a recording fake, so handlers run without a display.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // Replaces the whole text of the control with this id.
    virtual void SetItemText(int id, std::string_view text) = 0;

    // A modal message box owned by the main window; returns IDOK_ANSWER or IDCANCEL_ANSWER.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) = 0;

    // The open-file dialog with this filter ("Name|*.ext|...||"), no flags; the full path chosen,
    // or nothing when the user cancels.
    virtual std::optional<std::string> ChooseFileToOpen(std::string_view filter) = 0;

    // The save-file dialog: default extension, overwrite prompt, filter.
    virtual std::optional<std::string> ChooseFileToSave(std::string_view defaultExtension,
                                                        std::string_view filter) = 0;

    // The "CONVERTING FILE..." notice: shown and painted before this returns.
    virtual void OpenConvertNotice() = 0;
    virtual void CloseConvertNotice() = 0;

    // Runs the operation dialog modally (viewKind 0 = read, 1 = program and verify) and returns
    // when it has ended.
    virtual void RunOperationDialog(int viewKind) = 0;

    // The main window's 300-character path buffers.
    virtual char* StartupDirectory() = 0;
    virtual char* FilePath() = 0;
};
