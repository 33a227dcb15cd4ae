#include <cstring>
#include <fstream>
#include <functional>
#include <utility>

#include "app/resource_ids.h"
#include "files/convert_dlg.h"
#include "framework/ui_thread.h"
#include "gui_driver.h"
#include "main_window_fixture.h"
#include "scratch_dir.h"

namespace {

bool IsNotice(const Dialog& dialog) {
    return dynamic_cast<const CConvertDlg*>(&dialog) != nullptr;
}

class ConvertNoticeTest : public MainWindowFixture {};

// Nothing serves the notice's events once the converter's wait begins: it must already be on
// screen, painted, with the window events queued before it served, when the main window's call to
// open it returns. (Its template, caption and place are the framework's.)
TEST_F(ConvertNoticeTest, IsPaintedBeforeTheWaitBegins) {
    OpenMainWindow();
    const gui_test::PaintWatch paints(IsNotice);
    bool queuedServed = false;  // as a display's expose and paint requests are queued
    PostToUiThread([&queuedServed] { queuedServed = true; });
    window->OpenConvertNotice();
    EXPECT_GE(paints.Paints(), 1);
    EXPECT_TRUE(queuedServed);
    CConvertDlg* notice = window->ConvertNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->IsVisible());
    EXPECT_EQ(gui_test::OwnerOf(*notice), window.get());
    window->CloseConvertNotice();
    EXPECT_EQ(window->ConvertNotice(), nullptr);
}

// Painting the notice runs the event loop. A close request (false) or a quit signal's request
// (true) arriving then waits until the load handler has returned: the path buffers it is using
// are only released after.
class QuitWhileNoticePaintsTest : public ConvertNoticeTest,
                                  public ::testing::WithParamInterface<bool> {};

TEST_P(QuitWhileNoticePaintsTest, WaitsForTheLoadHandler) {
    OpenMainWindow();
    const test_support::ScratchDir directory(true);
    std::ofstream(directory.path() / "blink.obj") << ":00000001FF\n";
    std::strcpy(window->StartupDirectory(), (directory.path() / "start up").string().c_str());
    seam.QueueOpenFileName((directory.path() / "blink.obj").string());
    bool delivered = false;
    gui_test::PaintWatch onPaint(IsNotice);
    onPaint.act = [&] {
        GetParam() ? window->RequestQuit() : gui_test::RequestClose(*window);
        delivered = window->IsVisible() && window->FilePath() != nullptr;
    };
    window->SendCommand(IDC_BROWSE);
    EXPECT_TRUE(delivered);
    ASSERT_EQ(seam.MessageBoxes().size(), 1u);
    EXPECT_EQ(seam.MessageBoxes()[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(window->FilePath(), nullptr);
    (void)timer.release();
}

INSTANTIATE_TEST_SUITE_P(Requests, QuitWhileNoticePaintsTest, ::testing::Bool());

}  // namespace
