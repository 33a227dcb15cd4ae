#include "scripted_ui_seam.h"

namespace {

template <class T>
std::optional<T> TakeFront(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

}  // namespace

std::vector<ScriptedUiSeam::Shown> ScriptedUiSeam::MessageBoxes() const {
    std::vector<Shown> boxes;
    for (const Shown& shown : shown_) {
        if (shown.kind == Kind::MessageBox) {
            boxes.push_back(shown);
        }
    }
    return boxes;
}

int ScriptedUiSeam::MessageBox(QWidget* owner, std::string_view text, std::string_view caption,
                               unsigned type) {
    Show({Kind::MessageBox, owner, std::string(text), std::string(caption), type, {}, {}});
    return TakeFront(boxAnswers_).value_or(IDOK_ANSWER);
}

std::optional<std::string> ScriptedUiSeam::OpenFileName(QWidget* owner, std::string_view filter) {
    Show({Kind::OpenFile, owner, {}, {}, 0, std::string(filter), {}});
    return TakeFront(openAnswers_).value_or(std::nullopt);
}

std::optional<std::string> ScriptedUiSeam::SaveFileName(QWidget* owner,
                                                        std::string_view defaultExtension,
                                                        std::string_view filter) {
    Show({Kind::SaveFile, owner, {}, {}, 0, std::string(filter), std::string(defaultExtension)});
    return TakeFront(saveAnswers_).value_or(std::nullopt);
}

void ScriptedUiSeam::Show(Shown shown) {
    shown_.push_back(std::move(shown));
    if (whileShown_) {
        whileShown_(shown_.back());
    }
}
