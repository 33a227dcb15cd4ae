#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "operations/operation_view.h"
#include "sim/at89s8252.h"

// An operation dialog without widgets: every update is applied at once, in the calling thread.
// CANCEL is pressed as the `cancelAt`-th progress update arrives (never when 0).
class RecordingOperationView final : public OperationView {
public:
    void SetProgressPosition(int position) override {
        progress.push_back(position);
        if (static_cast<int>(progress.size()) == cancelAt) {
            imageStore.SetCancelRequested(true);
        }
    }
    void SetStatusText(const char* text) override { statuses.emplace_back(text); }
    void SetMainWindowItemText(int id, const char* text) override { mainWindowTexts[id] = text; }
    void SetCloseLabel() override { ++closeLabels; }
    int LastProgress() const { return progress.empty() ? 0 : progress.back(); }
    std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }

    int cancelAt = 0;
    std::vector<int> progress;
    std::vector<std::string> statuses;
    std::map<int, std::string> mainWindowTexts;
    int closeLabels = 0;
};

using ChipSetup = std::function<void(sim::At89s8252&)>;

// A loaded file of `length` bytes, none equal to its neighbour or to the erased value.
inline void LoadFile(int length) {
    imageStore.fileLoaded = 1;
    imageStore.fileByteCount = length;
    for (int i = 0; i < length; ++i) {
        imageStore.FileImage[i] = (i * 53 + 7) & 0x7F;
    }
}

// The chip holding the loaded file.
inline void HoldFile(sim::At89s8252& c) {
    for (int i = 0; i < imageStore.fileByteCount; ++i) {
        c.Flash()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(imageStore.FileImage[i]);
    }
}
