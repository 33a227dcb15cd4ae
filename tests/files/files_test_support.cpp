#include "files_test_support.h"

#include <map>
#include <numeric>

#include "app/resource_ids.h"
#include "files/image_loading.h"
#include "framework/message_box_types.h"

std::string CountingBytes(std::size_t count) {
    std::string bytes(count, '\0');
    std::iota(bytes.begin(), bytes.end(), '\x80');
    return bytes;
}

void FilesTest::SetUp() {
    AllocateImages();
    ResetImageStoreState();
    ASSERT_TRUE(StorePath(window.startupDirectory, startup.path().string()));
}

std::string FilesTest::Events() const {
    const std::map<std::string, std::string> brief = {
        {"text " + std::to_string(IDC_FILE_NAME) + " ", "N="},
        {"text " + std::to_string(IDC_FILE_BYTES) + " ", "B="},
        {"open dialog " + std::string(kOpenFileFilter), "open"},
        {"save dialog .bin Binary Files (*.bin)|*.bin||", "save dialog"},
        {"notice open", "["},
        {"notice close", "]"}};
    std::string events;
    for (std::string event : window.events) {
        for (const auto& [from, to] : brief) {
            event = event.starts_with(from) ? to + event.substr(from.size()) : event;
        }
        events += (events.empty() ? "" : "|") + event;
    }
    for (const FakeMainWindow::ShownBox& box : window.boxes) {
        EXPECT_EQ(box.caption, "ERROR");
        EXPECT_EQ(box.type, MB_OK);
    }
    return events;
}

std::string FilesTest::LoadedImage() const {
    return {imageStore.FileImage, imageStore.FileImage + imageStore.fileByteCount};
}
