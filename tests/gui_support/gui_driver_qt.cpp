// The GUI test driver over Qt Widgets on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "framework/qt/dialog_font.h"
#include "framework/qt/qt_dialog_window.h"
#include "gui_driver.h"

namespace gui_test {

namespace {

Rect FromQt(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

Qt::Key ToQt(Key key) {
    switch (key) {
        case Key::Return:
            return Qt::Key_Return;
        case Key::Enter:
            return Qt::Key_Enter;
        case Key::Escape:
            return Qt::Key_Escape;
        case Key::Tab:
            break;
    }
    return Qt::Key_Tab;
}

QtDialogWindow& W(const Dialog& dialog) {
    return QtWindowOf(dialog);
}

}  // namespace

bool ActivateAndWait(Dialog& dialog) {
    QtDialogWindow& window = W(dialog);
    window.raise();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, 2000);
}

void PressKey(Dialog& dialog, Key key) {
    QtDialogWindow& window = W(dialog);
    QTest::keyClick(window.focusWidget() != nullptr ? window.focusWidget() : &window, ToQt(key));
}

void ClickButton(Dialog& dialog, int id) {
    QTest::mouseClick(W(dialog).Item(id), Qt::LeftButton);
}

void RequestClose(Dialog& dialog) {
    QtDialogWindow& window = W(dialog);
    if (window.windowHandle() != nullptr) {
        window.windowHandle()->close();
    } else {
        window.close();
    }
}

void SetFocus(Dialog& dialog, int id) {
    W(dialog).Item(id)->setFocus();
}

int FocusedId(const Dialog& dialog) {
    QWidget* focus = W(dialog).focusWidget();
    return focus != nullptr ? focus->property("controlId").toInt() : 0;
}

std::string Caption(const Dialog& dialog) {
    return W(dialog).windowTitle().toStdString();
}

bool HasCloseBox(const Dialog& dialog) {
    return W(dialog).windowFlags().testFlag(Qt::WindowCloseButtonHint);
}

bool HasIcon(const Dialog& dialog) {
    return !W(dialog).windowIcon().isNull();
}

const Dialog* OwnerOf(const Dialog& dialog) {
    const auto* owner = qobject_cast<const QtDialogWindow*>(W(dialog).parentWidget());
    return owner != nullptr ? &owner->Owner() : nullptr;
}

Size ClientSize(const Dialog& dialog) {
    return {W(dialog).width(), W(dialog).height()};
}

Point ClientOrigin(const Dialog& dialog) {
    const QPoint origin = W(dialog).mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y()};
}

Rect Frame(const Dialog& dialog) {
    return FromQt(W(dialog).frameGeometry());
}

Rect WorkArea() {
    return FromQt(QGuiApplication::primaryScreen()->availableGeometry());
}

void MoveBy(Dialog& dialog, int dx, int dy) {
    W(dialog).move(W(dialog).pos() + QPoint(dx, dy));
}

void SetEnabled(Dialog& dialog, bool enabled) {
    W(dialog).setEnabled(enabled);
}

DialogUnits TemplateFontUnits(const Dialog& dialog) {
    const QFontMetrics metrics(DialogFont(dialog.Template()));
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alphabetWidth / 26 + 1) / 2, metrics.height());
}

int ControlCount(const Dialog& dialog) {
    return static_cast<int>(W(dialog).findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size());
}

ControlState ControlAt(const Dialog& dialog, int index) {
    const QWidget* widget = W(dialog).findChildren<QWidget*>(Qt::FindDirectChildrenOnly)[index];
    const auto* bar = qobject_cast<const QProgressBar*>(widget);
    return {widget->property("controlId").toInt(), FromQt(widget->geometry()),
            widget->focusPolicy() != Qt::NoFocus,
            qobject_cast<const QAbstractButton*>(widget) != nullptr && widget->font().bold(),
            bar != nullptr ? bar->maximum() : 0};
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void RunLater(int delayMs, std::function<void()> task) {
    QTimer::singleShot(delayMs, qApp, std::move(task));
}

struct Ticker::Impl {
    QTimer timer;
};

Ticker::Ticker(std::function<void()> tick) : impl_(std::make_unique<Impl>()) {
    // Every millisecond: a zero-interval timer would compete with the list views' own
    // zero-interval layout timers and starve the worker's updates.
    impl_->timer.setInterval(1);
    impl_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->timer, &QTimer::timeout, std::move(tick));
    impl_->timer.start();
}

Ticker::~Ticker() = default;

void Ticker::Stop() {
    impl_->timer.stop();
}

struct PaintWatch::Impl final : QObject {
    PaintWatch* watch = nullptr;
    std::function<bool(const Dialog&)> matches;
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* window = qobject_cast<QtDialogWindow*>(watched);
        if (event->type() == QEvent::Paint && window != nullptr && matches(window->Owner())) {
            ++paints;
            if (watch->act) {
                std::exchange(watch->act, nullptr)();
            }
        }
        return false;
    }
};

PaintWatch::PaintWatch(std::function<bool(const Dialog&)> matches)
    : impl_(std::make_unique<Impl>()) {
    impl_->watch = this;
    impl_->matches = std::move(matches);
    qApp->installEventFilter(impl_.get());
}

PaintWatch::~PaintWatch() {
    qApp->removeEventFilter(impl_.get());
}

int PaintWatch::Paints() const {
    return impl_->paints;
}

}  // namespace gui_test
