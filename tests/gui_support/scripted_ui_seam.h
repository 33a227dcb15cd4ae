#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui_seam.h"

// A seam for tests: answers from a script, in order, and records every message box shown. A box
// with no answer queued gets OK (its default button); a chooser with none queued is cancelled.
class ScriptedUiSeam final : public UiSeam {
public:
    struct Box {
        QWidget* owner;
        std::string text;
    };

    void QueueMessageBoxAnswer(int answer) { boxAnswers_.push_back(answer); }
    void QueueOpenFileName(std::optional<std::string> path) {
        openAnswers_.push_back(std::move(path));
    }
    void QueueSaveFileName(std::optional<std::string> path) {
        saveAnswers_.push_back(std::move(path));
    }

    const std::vector<Box>& MessageBoxes() const { return boxes_; }
    // Answers queued and not yet used: a test that scripted more than happened has a fault.
    std::size_t UnusedAnswers() const {
        return boxAnswers_.size() + openAnswers_.size() + saveAnswers_.size();
    }

    int MessageBox(QWidget* owner, std::string_view text, std::string_view, unsigned) override {
        boxes_.push_back({owner, std::string(text)});
        return TakeFront(boxAnswers_).value_or(IDOK_ANSWER);
    }
    std::optional<std::string> OpenFileName(QWidget*, std::string_view) override {
        return TakeFront(openAnswers_).value_or(std::nullopt);
    }
    std::optional<std::string> SaveFileName(QWidget*, std::string_view, std::string_view) override {
        return TakeFront(saveAnswers_).value_or(std::nullopt);
    }

private:
    template <class T>
    static std::optional<T> TakeFront(std::deque<T>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }

    std::deque<int> boxAnswers_;
    std::deque<std::optional<std::string>> openAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    std::vector<Box> boxes_;
};
