// gtest main for widget tests: an offscreen QApplication, and a listener that fails any test
// leaving a window on screen (a window left open would take the next test's keyboard focus).
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <QWidget>

#include "gui_test_helpers.h"

namespace {

class LeftOpenWindowListener final : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& /*info*/) override {
        // Deferred deletions first: a window deleted with deleteLater is not left open.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QStringList open = gui_test::VisibleTopLevelWindows();
        if (!open.isEmpty()) {
            ADD_FAILURE() << "test left windows open: "
                          << open.join(QStringLiteral(", ")).toStdString();
            gui_test::CloseAllTopLevelWindows();
        }
    }
};

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform says this for every dialog it shows; it tells nothing about the test.
void QuietMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints"))) {
        return;
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs the binary from the build without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    g_previousHandler = qInstallMessageHandler(QuietMessageHandler);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Appended after the default printer, so it runs before the printer reports the test.
    testing::UnitTest::GetInstance()->listeners().Append(new LeftOpenWindowListener);
    return RUN_ALL_TESTS();
}
