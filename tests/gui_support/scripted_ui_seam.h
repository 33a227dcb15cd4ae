#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "framework/ui_seam.h"
#include "next_answer.h"

// A seam for tests: answers from a script, in order, and records every message box shown. A box
// with no answer queued gets OK (its default button); a chooser with none queued is cancelled.
class ScriptedUiSeam final : public UiSeam {
public:
    struct Box {
        Dialog* owner;
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

    int MessageBox(Dialog* owner, std::string_view text, std::string_view, unsigned) override {
        boxes_.push_back({owner, std::string(text)});
        return test_support::NextAnswer(boxAnswers_, int{IDOK_ANSWER});
    }
    std::optional<std::string> OpenFileName(Dialog*, std::string_view) override {
        return test_support::NextAnswer(openAnswers_, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileName(Dialog*, std::string_view, std::string_view) override {
        return test_support::NextAnswer(saveAnswers_, std::optional<std::string>());
    }

private:
    std::deque<int> boxAnswers_;
    std::deque<std::optional<std::string>> openAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    std::vector<Box> boxes_;
};
