#include "framework/qt/qt_dialog_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "framework/dialog.h"
#include "framework/dialog_placement.h"
#include "framework/qt/control_factory.h"
#include "framework/qt/dialog_font.h"
#include "framework/qt/icon_resource.h"
#include "framework/qt/owner_disabler.h"
#include "framework/qt/window_flags.h"

namespace {

// Above this many lines the list lays itself out in batches between events, so a viewer of a
// full 8 KB image opens without stalling the windows around it.
constexpr int kBatchedListThreshold = 1000;

QString FromLocal(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QSize ToQt(Size size) {
    return {size.width, size.height};
}

QRect ToQt(Rect rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

Rect FromQt(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QWidget* WidgetOf(Dialog* dialog) {
    return dialog != nullptr ? &QtWindowOf(*dialog) : nullptr;
}

// The placement rule's input for a window of this frame size owned by this window (or none).
PlacementInput PlacementFor(QSize frameSize, const QWidget* owner) {
    PlacementInput input;
    input.dialogSize = {frameSize.width(), frameSize.height()};
    const QScreen* screen = owner != nullptr && owner->screen() != nullptr
                                ? owner->screen()
                                : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        input.workArea = FromQt(screen->availableGeometry());
    }
    if (owner != nullptr) {
        const QWidget* ownerWindow = owner->window();
        input.hasOwner = true;
        input.ownerEnabled = ownerWindow->isEnabled();
        input.ownerFrame = FromQt(ownerWindow->frameGeometry());
        const QPoint origin = ownerWindow->mapToGlobal(QPoint(0, 0));
        input.ownerClientOrigin = {origin.x(), origin.y()};
    }
    return input;
}

DialogUnits UnitsOfFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alphabetWidth / 26 + 1) / 2, metrics.height());
}

}  // namespace

std::unique_ptr<DialogWindow> MakeDialogWindow(Dialog& dialog, Dialog* parent) {
    return std::make_unique<QtDialogWindow>(dialog, WidgetOf(parent));
}

QtDialogWindow& QtWindowOf(const Dialog& dialog) {
    return static_cast<QtDialogWindow&>(dialog.Window());
}

QtDialogWindow::QtDialogWindow(Dialog& dialog, QWidget* parent)
    : QDialog(parent),
      dialog_(dialog),
      units_(1, 1),
      windowFlags_(WindowFlagsForStyle(dialog.Template().style)) {
    const DialogTemplate& t = dialog.Template();
    setWindowFlags(windowFlags_);
    setWindowTitle(QString::fromLocal8Bit(t.caption));
    setFont(DialogFont(t));
    units_ = UnitsOfFont(font());
    setFixedSize(ToQt(units_.ToPixels(Size{t.cx, t.cy})));

    QWidget* previousFocusable = nullptr;
    for (const ControlTemplate& control : t.controls) {
        QWidget* widget = CreateControl(control, this);
        widget->setGeometry(
            ToQt(units_.ToPixels(Rect{control.x, control.y, control.cx, control.cy})));
        controls_.emplace_back(control.id, widget);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const int id = control.id;
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { dialog_.SendCommand(id); });
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousFocusable != nullptr) {
                setTabOrder(previousFocusable, widget);
            }
            previousFocusable = widget;
        }
    }
}

QtDialogWindow::~QtDialogWindow() {
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(-1);
    }
    // The windows of owned dialogs belong to their own Dialog objects, not to this widget.
    for (QtDialogWindow* owned : findChildren<QtDialogWindow*>(Qt::FindDirectChildrenOnly)) {
        owned->setParent(nullptr);
    }
}

int QtDialogWindow::RunModal(Dialog* owner) {
    AttachToOwner(owner);
    endRequested_ = false;
    endCode_ = -1;
    const QPointer<QtDialogWindow> self(this);
    {
        // The owner is disabled before initialisation, so the dialog opens centred over it.
        const OwnerDisabler disabler(WidgetOf(owner));
        Place(owner);
        dialog_.Initialise();
        if (!endRequested_) {
            show();
            raise();
            activateWindow();
            QEventLoop loop;
            modalLoop_ = &loop;
            loop.exec(QEventLoop::DialogExec);
            if (!self) {
                return -1;
            }
            modalLoop_ = nullptr;
        }
    }
    // The owner is enabled again before the dialog goes, so it gets the activation back.
    hide();
    return endCode_;
}

void QtDialogWindow::EndModal(int code) {
    endCode_ = code;
    endRequested_ = true;
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(code);
    }
}

void QtDialogWindow::CreateModeless(Dialog* owner) {
    AttachToOwner(owner);
    Place(owner);
    dialog_.Initialise();
}

void QtDialogWindow::Show() {
    show();
}

void QtDialogWindow::ShowPainted() {
    show();
    // Map the window and paint it now: nothing will serve its events until the caller is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtDialogWindow::Hide() {
    hide();
}

bool QtDialogWindow::IsVisible() const {
    return isVisible();
}

bool QtDialogWindow::IsEnabled() const {
    return isEnabled();
}

bool QtDialogWindow::EndActiveBox() {
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        box->reject();
        return true;
    }
    return false;
}

void QtDialogWindow::SetIcon(int resourceId) {
    icon_ = LoadIconResource(resourceId);
    setWindowIcon(icon_);
}

QWidget* QtDialogWindow::Item(int id) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [id](const auto& control) { return control.first == id; });
    return found != controls_.end() ? found->second : nullptr;
}

template <class W>
W* QtDialogWindow::ItemAs(int id) const {
    return qobject_cast<W*>(Item(id));
}

void QtDialogWindow::SetItemText(int id, std::string_view text) {
    QWidget* item = Item(id);
    if (item == nullptr) {
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        button->setText(FromLocal(text));
    } else if (auto* label = qobject_cast<QLabel*>(item)) {
        label->setText(FromLocal(text));
    } else {
        item->setWindowTitle(FromLocal(text));
    }
}

std::string QtDialogWindow::ItemText(int id) const {
    const QWidget* item = Item(id);
    if (item == nullptr) {
        return {};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(item)) {
        return ToLocal(button->text());
    }
    if (const auto* label = qobject_cast<const QLabel*>(item)) {
        return ToLocal(label->text());
    }
    return ToLocal(item->windowTitle());
}

void QtDialogWindow::SetProgressPosition(int id, int position) {
    if (auto* bar = ItemAs<QProgressBar>(id)) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

int QtDialogWindow::ProgressPosition(int id) const {
    const auto* bar = ItemAs<QProgressBar>(id);
    return bar != nullptr ? bar->value() : -1;
}

void QtDialogWindow::InitListStorage(int id, int count, int bytesPerItem) {
    // The list keeps its own strings, so there is no character storage to set aside; what a
    // long list needs is a layout that does not hold up the event loop.
    static_cast<void>(bytesPerItem);
    if (auto* list = ItemAs<QListWidget>(id)) {
        if (count > kBatchedListThreshold) {
            list->setLayoutMode(QListView::Batched);
        }
    }
}

void QtDialogWindow::AddListString(int id, std::string_view text) {
    if (auto* list = ItemAs<QListWidget>(id)) {
        list->addItem(FromLocal(text));
    }
}

int QtDialogWindow::ListCount(int id) const {
    const auto* list = ItemAs<QListWidget>(id);
    return list != nullptr ? list->count() : -1;
}

std::string QtDialogWindow::ListText(int id, int index) const {
    const auto* list = ItemAs<QListWidget>(id);
    const QListWidgetItem* item = list != nullptr ? list->item(index) : nullptr;
    return item != nullptr ? ToLocal(item->text()) : std::string();
}

void QtDialogWindow::accept() {
    dialog_.SendCommand(IDOK);
}

// Escape reaches the dialog here, past any command table: send it on as the Cancel command.
void QtDialogWindow::reject() {
    dialog_.SendCommand(IDCANCEL);
}

void QtDialogWindow::closeEvent(QCloseEvent* event) {
    // Qt still delivers a close request to a window that a modal dialog has disabled; the
    // dialog's rules drop it there.
    event->ignore();
    dialog_.CloseRequested();
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: {
                // The focused push button is pressed, whichever it is; with the focus elsewhere
                // (the list of a viewer) Enter is the OK command.
                auto* button = qobject_cast<QPushButton*>(focusWidget());
                if (button != nullptr && button->window() == this && button->isEnabled()) {
                    button->click();
                } else {
                    dialog_.SendCommand(IDOK);
                }
                event->accept();
                return;
            }
            case Qt::Key_Escape:
                dialog_.SendCommand(IDCANCEL);
                event->accept();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

void QtDialogWindow::paintEvent(QPaintEvent* event) {
    // A minimised window with an icon shows the icon, centred.
    if (!isMinimized() || icon_.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.eraseRect(rect());
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    const int x = (width() - iconSize + 1) / 2;
    const int y = (height() - iconSize + 1) / 2;
    icon_.paint(&painter, x, y, iconSize, iconSize);
}

void QtDialogWindow::AttachToOwner(Dialog* owner) {
    QWidget* const ownerWidget = WidgetOf(owner);
    if (parentWidget() != ownerWidget) {
        setParent(ownerWidget, windowFlags_);
    }
}

void QtDialogWindow::Place(Dialog* owner) {
    // A window is centred as a whole, frame and caption included: make the platform window now so
    // that its frame margins are known (a window manager may still adjust them once mapped).
    if (!testAttribute(Qt::WA_WState_Created)) {
        create();
    }
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    const Point topLeft = DialogTopLeft(PlacementFor(size().grownBy(frame), WidgetOf(owner)));
    move(topLeft.x, topLeft.y);
}

void QtDialogWindow::FocusFirstControl() {
    for (const auto& [id, widget] : controls_) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabledTo(this) &&
            !widget->isHidden()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
