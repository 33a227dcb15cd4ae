#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/convert_dlg.h"
#include "main_window_fixture.h"

namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

class ConvertNoticeTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        OpenMainWindow();
        // Each case its own directory: CTest runs the cases in parallel.
        std::string pattern =
            (std::filesystem::temp_directory_path() / "isp8252 notice XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
        directory = pattern;
        std::filesystem::create_directories(directory / "start up");
        std::ofstream(directory / "blink.obj") << ":00000001FF\n";
    }
    void TearDown() override {
        std::filesystem::remove_all(directory);
        MainWindowFixture::TearDown();
    }

    std::filesystem::path directory;
};

TEST_F(ConvertNoticeTest, IsPaintedAtTheClientOriginBeforeTheWaitBegins) {
    window->OpenConvertNotice();
    CConvertDlg* notice = window->ConvertNotice();
    ASSERT_NE(notice, nullptr);
    // Nothing serves the notice's events once the wait begins: it must already be on screen.
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->windowTitle(), "CONVERTING FILE...");
    EXPECT_EQ(notice->parentWidget(), window.get());
    EXPECT_EQ(notice->pos(), window->mapToGlobal(QPoint(0, 0)));
    EXPECT_FALSE(notice->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(notice->size(), notice->Units().ToPixels(QSize(102, 21)));
    window->CloseConvertNotice();
    EXPECT_EQ(window->ConvertNotice(), nullptr);
}

TEST_F(ConvertNoticeTest, ShowPaintedReturnsOnlyAfterAPaint) {
    CConvertDlg notice(window.get());
    PaintCounter paints;
    notice.installEventFilter(&paints);
    notice.Create(window.get());
    notice.ShowPainted();
    EXPECT_GE(paints.paints, 1);
    notice.hide();
}

TEST_F(ConvertNoticeTest, AMissingConverterIsReportedWhileTheNoticeIsUpAndItClosesAfter) {
    const std::string start = (directory / "start up").string();
    std::strcpy(window->StartupDirectory(), start.c_str());
    seam.QueueOpenFileName((directory / "blink.obj").string());
    bool noticeUpDuringBox = false;
    std::string nameDuringBox;
    seam.SetWhileShown([&](const ScriptedUiSeam::Shown& shown) {
        if (shown.kind == ScriptedUiSeam::Kind::MessageBox) {
            noticeUpDuringBox =
                window->ConvertNotice() != nullptr && window->ConvertNotice()->isVisible();
            nameDuringBox = Text(IDC_FILE_NAME);
        }
    });
    window->SendCommand(IDC_BROWSE);
    const auto boxes = seam.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_TRUE(noticeUpDuringBox);
    EXPECT_EQ(nameDuringBox, "blink.obj");  // emptied only after the box and the notice
    EXPECT_EQ(window->ConvertNotice(), nullptr);
    EXPECT_EQ(Text(IDC_FILE_NAME), "");
    EXPECT_STREQ(window->FilePath(), "");
    EXPECT_EQ(imageStore.fileLoaded, 0);
}

// Painting the notice runs the event loop. A close request (false) or a quit signal's request
// (true) arriving then waits until the load handler has returned: the path buffers it is using
// are only released after.
class QuitWhileNoticePaintsTest : public ConvertNoticeTest,
                                  public ::testing::WithParamInterface<bool> {};

TEST_P(QuitWhileNoticePaintsTest, WaitsForTheLoadHandler) {
    std::strcpy(window->StartupDirectory(), (directory / "start up").string().c_str());
    seam.QueueOpenFileName((directory / "blink.obj").string());
    bool delivered = false;
    struct OnPaint final : QObject {
        std::function<void()> act;
        bool eventFilter(QObject* object, QEvent* event) override {
            if (act && event->type() == QEvent::Paint && qobject_cast<CConvertDlg*>(object)) {
                std::exchange(act, nullptr)();
            }
            return false;
        }
    } onPaint;
    onPaint.act = [&] {
        GetParam() ? window->RequestQuit() : static_cast<void>(window->windowHandle()->close());
        delivered = window->isVisible() && window->FilePath() != nullptr;
    };
    qApp->installEventFilter(&onPaint);
    window->SendCommand(IDC_BROWSE);
    qApp->removeEventFilter(&onPaint);
    EXPECT_TRUE(delivered);
    ASSERT_EQ(seam.MessageBoxes().size(), 1u);
    EXPECT_EQ(seam.MessageBoxes()[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->FilePath(), nullptr);
    (void)timer.release();
}

INSTANTIATE_TEST_SUITE_P(Requests, QuitWhileNoticePaintsTest, ::testing::Bool());

}  // namespace
