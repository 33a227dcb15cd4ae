#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "operations/operation_view.h"

// An operation dialog without widgets: every update is applied at once, in the calling thread.
// `onProgress` lets a test act at a given point of a run (e.g. press CANCEL).
class RecordingOperationView final : public OperationView {
public:
    void SetProgressPosition(int position) override {
        progress.push_back(position);
        if (onProgress) {
            onProgress(position, static_cast<int>(progress.size()));
        }
    }
    void SetStatusText(const char* text) override { statuses.emplace_back(text); }
    void SetMainWindowItemText(int id, const char* text) override { mainWindowTexts[id] = text; }
    void SetCloseLabel() override { ++closeLabels; }

    int LastProgress() const { return progress.empty() ? 0 : progress.back(); }
    std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }

    std::vector<int> progress;
    std::vector<std::string> statuses;
    std::map<int, std::string> mainWindowTexts;
    int closeLabels = 0;
    std::function<void(int position, int updates)> onProgress;
};
