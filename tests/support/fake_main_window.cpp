#include "fake_main_window.h"

#include "framework/message_box_types.h"
#include "next_answer.h"

using test_support::NextAnswer;

void FakeMainWindow::SetItemText(int id, std::string_view text) {
    texts[id] = std::string(text);
    events.push_back("text " + std::to_string(id) + " " + std::string(text));
}

int FakeMainWindow::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    boxes.push_back({std::string(text), std::string(caption), type});
    events.push_back("box " + std::string(text));
    return NextAnswer(boxAnswers, int{IDOK_ANSWER});
}

std::optional<std::string> FakeMainWindow::ChooseFileToOpen(std::string_view filter) {
    events.push_back("open dialog " + std::string(filter));
    return NextAnswer(openAnswers, std::optional<std::string>());
}

std::optional<std::string> FakeMainWindow::ChooseFileToSave(std::string_view defaultExtension,
                                                            std::string_view filter) {
    events.push_back("save dialog ." + std::string(defaultExtension) + " " + std::string(filter));
    return NextAnswer(saveAnswers, std::optional<std::string>());
}

void FakeMainWindow::OpenConvertNotice() {
    events.emplace_back("notice open");
}

void FakeMainWindow::CloseConvertNotice() {
    events.emplace_back("notice close");
}

void FakeMainWindow::RunOperationDialog(int viewKind) {
    events.push_back("operation " + std::to_string(viewKind));
    if (operationDialog) {
        operationDialog(viewKind);
    }
}

std::string FakeMainWindow::Text(int id) const {
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}
