#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window_view.h"

// A main window without widgets: remembers every control's text and every box it was asked to
// show, answers boxes and file dialogs from a script, and records the order of events.
class FakeMainWindow final : public MainWindowView {
public:
    struct ShownBox {
        std::string text;
        std::string caption;
        unsigned type;
    };

    void SetItemText(int id, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    std::optional<std::string> ChooseFileToOpen(std::string_view filter) override;
    std::optional<std::string> ChooseFileToSave(std::string_view defaultExtension,
                                                std::string_view filter) override;
    void OpenConvertNotice() override;
    void CloseConvertNotice() override;
    void RunOperationDialog(int viewKind) override;
    char* StartupDirectory() override { return startupDirectory; }
    char* FilePath() override { return filePath; }

    // Text of a control as the main window would show it now.
    std::string Text(int id) const;

    std::map<int, std::string> texts;                    // every text set so far
    std::vector<ShownBox> boxes;                         // every message box, in order
    std::deque<int> boxAnswers;                          // answers to give, IDOK_ANSWER when empty
    std::deque<std::optional<std::string>> openAnswers;  // nothing = cancel
    std::deque<std::optional<std::string>> saveAnswers;
    // "text <id> <text>", "box <text>", "open dialog <filter>", "save dialog .<extension>
    // <filter>", "notice open", ...
    std::vector<std::string> events;
    std::function<void(int viewKind)> operationDialog;  // runs the operation when set

    char startupDirectory[kPathBufferSize] = {};
    char filePath[kPathBufferSize] = {};
};
