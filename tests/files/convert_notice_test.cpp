#include <QApplication>
#include <QWindow>
#include <cstring>
#include <fstream>
#include <functional>
#include <utility>

#include "app/resource_ids.h"
#include "files/convert_dlg.h"
#include "main_window_fixture.h"
#include "scratch_dir.h"

namespace {

// While alive, counts the paint events conversion notices receive and runs `act` at the first.
class NoticePaints final : public QObject {
public:
    NoticePaints() { qApp->installEventFilter(this); }
    ~NoticePaints() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<CConvertDlg*>(watched) != nullptr) {
            ++paints;
            if (act) {
                std::exchange(act, nullptr)();
            }
        }
        return false;
    }
    int paints = 0;
    std::function<void()> act;
};

class ConvertNoticeTest : public MainWindowFixture {};

// Nothing serves the notice's events once the converter's wait begins: it must already be on
// screen, painted, with the window events queued before it served, when the main window's call to
// open it returns. (Its template, caption and place are the framework's.)
TEST_F(ConvertNoticeTest, IsPaintedBeforeTheWaitBegins) {
    OpenMainWindow();
    const NoticePaints paints;
    bool queuedServed = false;  // as a display's expose and paint requests are queued
    QMetaObject::invokeMethod(
        qApp, [&queuedServed] { queuedServed = true; }, Qt::QueuedConnection);
    window->OpenConvertNotice();
    EXPECT_GE(paints.paints, 1);
    EXPECT_TRUE(queuedServed);
    CConvertDlg* notice = window->ConvertNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->parentWidget(), window.get());
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
    NoticePaints onPaint;
    onPaint.act = [&] {
        GetParam() ? window->RequestQuit() : static_cast<void>(window->windowHandle()->close());
        delivered = window->isVisible() && window->FilePath() != nullptr;
    };
    window->SendCommand(IDC_BROWSE);
    EXPECT_TRUE(delivered);
    ASSERT_EQ(seam.MessageBoxes().size(), 1u);
    EXPECT_EQ(seam.MessageBoxes()[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->FilePath(), nullptr);
    (void)timer.release();
}

INSTANTIATE_TEST_SUITE_P(Requests, QuitWhileNoticePaintsTest, ::testing::Bool());

}  // namespace
