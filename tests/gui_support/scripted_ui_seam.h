#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui_seam.h"

// A seam for tests: answers from a script and keeps a record of everything that was shown, in
// order. While an item is "on screen" the hook runs, so a test can look at the windows exactly
// as the user would see them with the box open.
class ScriptedUiSeam final : public UiSeam {
public:
    enum class Kind { MessageBox, OpenFile, SaveFile };

    struct Shown {
        Kind kind;
        QWidget* owner;
        std::string text;              // message box
        std::string caption;           // message box
        unsigned type;                 // message box
        std::string filter;            // file choosers
        std::string defaultExtension;  // save chooser
    };

    // Answers for the next boxes and choosers, in order. A box with no answer queued gets OK (its
    // default button); a chooser with none queued is cancelled.
    void QueueMessageBoxAnswer(int answer) { boxAnswers_.push_back(answer); }
    void QueueOpenFileName(std::optional<std::string> path) {
        openAnswers_.push_back(std::move(path));
    }
    void QueueSaveFileName(std::optional<std::string> path) {
        saveAnswers_.push_back(std::move(path));
    }

    void SetWhileShown(std::function<void(const Shown&)> hook) { whileShown_ = std::move(hook); }

    const std::vector<Shown>& ShownItems() const { return shown_; }
    std::vector<Shown> MessageBoxes() const;
    // Answers queued and not yet used: a test that scripted more than happened has a fault.
    std::size_t UnusedAnswers() const {
        return boxAnswers_.size() + openAnswers_.size() + saveAnswers_.size();
    }

    int MessageBox(QWidget* owner, std::string_view text, std::string_view caption,
                   unsigned type) override;
    std::optional<std::string> OpenFileName(QWidget* owner, std::string_view filter) override;
    std::optional<std::string> SaveFileName(QWidget* owner, std::string_view defaultExtension,
                                            std::string_view filter) override;

private:
    void Show(Shown shown);

    std::deque<int> boxAnswers_;
    std::deque<std::optional<std::string>> openAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    std::function<void(const Shown&)> whileShown_;
    std::vector<Shown> shown_;
};
