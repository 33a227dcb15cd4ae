// gtest main for widget tests: an offscreen QApplication, and a listener that fails any test
// leaving a window on screen (a window left open would take the next test's keyboard focus).
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QWidget>

namespace {

class LeftOpenWindowListener final : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& /*info*/) override {
        // Deferred deletions first: a window deleted with deleteLater is not left open.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible()) {
                ADD_FAILURE() << "test left a window open: " << widget->windowTitle().toStdString()
                              << " (" << widget->metaObject()->className() << ")";
                widget->hide();
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs the binary from the build without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Appended after the default printer, so it runs before the printer reports the test.
    testing::UnitTest::GetInstance()->listeners().Append(new LeftOpenWindowListener);
    return RUN_ALL_TESTS();
}
