#include <QApplication>

#include "files/convert_dlg.h"
#include "main_window_fixture.h"

namespace {

// Counts the paint events conversion notices receive.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        paints += event->type() == QEvent::Paint && qobject_cast<CConvertDlg*>(watched) ? 1 : 0;
        return false;
    }
    int paints = 0;
};

class ConvertNoticeTest : public MainWindowFixture {};

// Nothing serves the notice's events once the converter's wait begins: it must already be on
// screen, painted, with the window events queued before it served, when the main window's call to
// open it returns. (Its template, caption and place are the framework's.)
TEST_F(ConvertNoticeTest, IsPaintedBeforeTheWaitBegins) {
    OpenMainWindow();
    PaintCounter paints;
    qApp->installEventFilter(&paints);
    bool queuedServed = false;  // as a display's expose and paint requests are queued
    QMetaObject::invokeMethod(
        qApp, [&queuedServed] { queuedServed = true; }, Qt::QueuedConnection);
    window->OpenConvertNotice();
    qApp->removeEventFilter(&paints);
    EXPECT_GE(paints.paints, 1);
    EXPECT_TRUE(queuedServed);
    CConvertDlg* notice = window->ConvertNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->parentWidget(), window.get());
    window->CloseConvertNotice();
    EXPECT_EQ(window->ConvertNotice(), nullptr);
}

}  // namespace
