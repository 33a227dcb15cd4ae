#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/image_loading.h"
#include "framework/message_box_types.h"
#include "main_window_fixture.h"
#include "scratch_dir.h"

namespace {

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, StartsWithItsTitleFieldsIconAndStartupDirectory) {
    OpenMainWindow();
    EXPECT_EQ(window->windowTitle(), "AT89S8252");
    // clang-format off
    const std::pair<int, const char*> initialTexts[] = {
        {IDC_BROWSE, "-->"},         {IDCANCEL, "QUIT"},         {IDC_PROG, "PROG"},
        {IDC_COMPARE, "<< compare >>"}, {IDC_COMPARE_RESULT, ""}, {IDC_DEVICE_STATE, "NOT LOADED"},
        {IDC_READ, "READ"},          {IDC_ERASE, "ERASE"},       {IDC_FILE_NAME, ""},
        {IDC_FILE_CONTENTS, "contents"}, {IDC_DEVICE_CONTENTS, "contents"}, {IDC_SAVE, "N/A"},
        {IDC_RELOAD, "reload"},      {IDC_FILE_BYTES, ""},       {IDC_DEVICE_BYTES, ""}};
    // clang-format on
    for (const auto& [id, text] : initialTexts) {
        EXPECT_EQ(Text(id), text) << "control " << id;
    }
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->OnQueryDragIcon().cacheKey(), window->windowIcon().cacheKey());
    EXPECT_EQ(std::string(window->StartupDirectory()), std::filesystem::current_path().string());
    EXPECT_EQ(imageStore.fileLoaded, 0);
}

struct CommandCase {
    const char* name;
    int id;
    ScriptedUiSeam::Kind kind;
    const char* text;  // the box's text, or the chooser's filter
};

class MainWindowCommandTest : public MainWindowFixture,
                              public ::testing::WithParamInterface<CommandCase> {};

// Each button reaches its own handler; each of these shows one item first (a box answered
// CANCEL, a chooser cancelled) and nothing after.
TEST_P(MainWindowCommandTest, ButtonRunsItsHandler) {
    Calibrate();
    OpenMainWindow();
    seam.QueueMessageBoxAnswer(IDCANCEL_ANSWER);
    window->SendCommand(GetParam().id);
    ASSERT_EQ(seam.ShownItems().size(), 1u);
    EXPECT_EQ(seam.ShownItems()[0].kind, GetParam().kind);
    EXPECT_EQ(seam.ShownItems()[0].owner, window.get());
    EXPECT_EQ(GetParam().kind == ScriptedUiSeam::Kind::MessageBox ? seam.ShownItems()[0].text
                                                                  : seam.ShownItems()[0].filter,
              GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowCommandTest,
    ::testing::Values(CommandCase{"Browse", IDC_BROWSE, ScriptedUiSeam::Kind::OpenFile, kOpenFileFilter},
                      CommandCase{"Prog", IDC_PROG, ScriptedUiSeam::Kind::MessageBox, "NO DATA TO LOAD"},
                      CommandCase{"Erase", IDC_ERASE, ScriptedUiSeam::Kind::MessageBox, "ERASE FLASH CONTENTS?"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(MainWindowTest, QuittingReleasesTheBuffersImagesAndTimer) {
    OpenMainWindow();
    window->SendCommand(IDCANCEL);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    EXPECT_EQ(imageStore.DeviceImage, nullptr);
    EXPECT_EQ(cycleTimer, nullptr);
    EXPECT_EQ(window->StartupDirectory(), nullptr);
    EXPECT_EQ(window->FilePath(), nullptr);
    (void)timer.release();  // the window released the shared timer
}

TEST_F(MainWindowTest, AStartupDirectoryTooLongForTheBufferIsNotStored) {
    const test_support::ScratchDir scratch;
    auto deep = scratch.path();
    while (deep.string().size() < 320) {
        deep /= "a-rather-long-directory-name";
    }
    std::filesystem::create_directories(deep);
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(deep);
    OpenMainWindow();
    std::filesystem::current_path(home);
    EXPECT_STREQ(window->StartupDirectory(), "");
}

}  // namespace
