#include "framework/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/resource_ids.h"
#include "framework/control_factory.h"
#include "framework/dialog_font.h"
#include "framework/dialog_placement.h"
#include "framework/owner_disabler.h"
#include "framework/window_flags.h"
#include "resources/dialog_templates.h"

namespace {

Dialog* g_mainWindow = nullptr;
// The dialog whose modal loop runs innermost now, if any.
Dialog* g_innermostModal = nullptr;

// Above this many lines the list lays itself out in batches between events, so a viewer of a
// full 8 KB image opens without stalling the windows around it.
constexpr int kBatchedListThreshold = 1000;

QString FromLocal(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace

Dialog::Dialog(int templateId, QWidget* parent)
    : QDialog(parent),
      template_(DialogTemplateById(templateId)),
      units_(1, 1),
      windowFlags_(WindowFlagsForStyle(template_.style)) {
    setWindowFlags(windowFlags_);
    setWindowTitle(QString::fromLocal8Bit(template_.caption));
    setFont(DialogFont(template_));
    units_ = DialogUnits::FromFont(font());
    setFixedSize(units_.ToPixels(QSize(template_.cx, template_.cy)));

    QWidget* previousFocusable = nullptr;
    for (const ControlTemplate& control : template_.controls) {
        QWidget* widget = CreateControl(control, this);
        widget->setGeometry(units_.ToPixels(QRect(control.x, control.y, control.cx, control.cy)));
        controls_.emplace_back(control.id, widget);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const int id = control.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousFocusable != nullptr) {
                setTabOrder(previousFocusable, widget);
            }
            previousFocusable = widget;
        }
    }
}

Dialog::~Dialog() {
    if (g_mainWindow == this) {
        g_mainWindow = nullptr;
    }
    if (g_innermostModal == this) {
        g_innermostModal = nullptr;
    }
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(-1);
    }
}

int Dialog::DoModal() {
    QWidget* owner = ResolveOwner(parentWidget());
    AttachToOwner(owner);
    runningModal_ = true;
    endRequested_ = false;
    endCode_ = -1;
    const QPointer<Dialog> self(this);
    Dialog* const outerModal = std::exchange(g_innermostModal, this);
    {
        // The owner is disabled before initialisation, so the dialog opens centred over it.
        const OwnerDisabler disabler(owner);
        StartDialog(owner);
        if (!endRequested_) {
            show();
            raise();
            activateWindow();
            QEventLoop loop;
            modalLoop_ = &loop;
            loop.exec(QEventLoop::DialogExec);
            if (!self) {
                g_innermostModal = outerModal;
                return -1;
            }
            modalLoop_ = nullptr;
        }
    }
    g_innermostModal = outerModal;
    // The owner is enabled again before the dialog goes, so it gets the activation back.
    hide();
    runningModal_ = false;
    return endCode_;
}

bool Dialog::Create(QWidget* owner) {
    owner = ResolveOwner(owner);
    AttachToOwner(owner);
    StartDialog(owner);
    if ((template_.style & dialog_style::kVisible) != 0) {
        show();
    }
    return true;
}

void Dialog::EndDialog(int code) {
    endCode_ = code;
    setResult(code);
    if (runningModal_) {
        endRequested_ = true;
        if (modalLoop_ != nullptr) {
            modalLoop_->exit(code);
        }
        return;
    }
    hide();
}

void Dialog::SendCommand(int id) {
    const QPointer<Dialog> self(this);
    ++commandDepth_;
    if (!OnCommand(id)) {
        if (id == IDOK) {
            OnOK();
        } else if (id == IDCANCEL) {
            OnCancel();
        }
    }
    if (!self) {
        return;
    }
    if (--commandDepth_ == 0 && std::exchange(cancelPending_, false)) {
        SendCommand(IDCANCEL);
    }
}

void Dialog::RequestQuit() {
    if (commandDepth_ == 0) {
        OnQuitRequest();
        return;
    }
    // A handler is running, with a modal window of its own open or about to paint: end that
    // window, and leave Cancel to the moment the handler has returned.
    cancelPending_ = true;
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        box->reject();
    } else if (g_innermostModal != nullptr && g_innermostModal != this) {
        g_innermostModal->RequestQuit();
    }
}

QWidget* Dialog::GetDlgItem(int id) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [id](const auto& control) { return control.first == id; });
    return found != controls_.end() ? found->second : nullptr;
}

template <class W>
W* Dialog::ItemAs(int id) const {
    return qobject_cast<W*>(GetDlgItem(id));
}

void Dialog::SetDlgItemText(int id, std::string_view text) {
    QWidget* item = GetDlgItem(id);
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

std::string Dialog::GetDlgItemText(int id) const {
    const QWidget* item = GetDlgItem(id);
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

void Dialog::SetProgressPosition(int id, int position) {
    if (auto* bar = ItemAs<QProgressBar>(id)) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

int Dialog::ProgressPosition(int id) const {
    const auto* bar = ItemAs<QProgressBar>(id);
    return bar != nullptr ? bar->value() : -1;
}

void Dialog::InitListStorage(int id, int count, int bytesPerItem) {
    // The list keeps its own strings, so there is no character storage to set aside; what a
    // long list needs is a layout that does not hold up the event loop.
    static_cast<void>(bytesPerItem);
    if (auto* list = ItemAs<QListWidget>(id)) {
        if (count > kBatchedListThreshold) {
            list->setLayoutMode(QListView::Batched);
        }
    }
}

void Dialog::AddListString(int id, std::string_view text) {
    if (auto* list = ItemAs<QListWidget>(id)) {
        list->addItem(FromLocal(text));
    }
}

int Dialog::ListCount(int id) const {
    const auto* list = ItemAs<QListWidget>(id);
    return list != nullptr ? list->count() : -1;
}

std::string Dialog::ListText(int id, int index) const {
    const auto* list = ItemAs<QListWidget>(id);
    const QListWidgetItem* item = list != nullptr ? list->item(index) : nullptr;
    return item != nullptr ? ToLocal(item->text()) : std::string();
}

void Dialog::SetMainWindow(Dialog* dialog) {
    g_mainWindow = dialog;
}

Dialog* Dialog::MainWindow() {
    return g_mainWindow;
}

bool Dialog::OnInitDialog() {
    return true;
}

void Dialog::OnOK() {
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(int id) {
    static_cast<void>(id);
    return false;
}

void Dialog::OnQuitRequest() {
    SendCommand(IDCANCEL);
}

void Dialog::accept() {
    SendCommand(IDOK);
}

// Escape reaches the dialog here, past any command table: send it on as the Cancel command.
void Dialog::reject() {
    SendCommand(IDCANCEL);
}

void Dialog::closeEvent(QCloseEvent* event) {
    // The close box is the Cancel command too; whether the dialog ends is Cancel's business.
    // Qt still delivers it to a window that a modal dialog has disabled: such a window takes no
    // input, so it is dropped. During one of this dialog's own handlers it waits for the handler
    // to return, since Cancel may release what the handler is using.
    event->ignore();
    if (!isVisible() || !isEnabled()) {
        return;
    }
    if (commandDepth_ > 0) {
        cancelPending_ = true;
        return;
    }
    SendCommand(IDCANCEL);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
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
                    SendCommand(IDOK);
                }
                event->accept();
                return;
            }
            case Qt::Key_Escape:
                SendCommand(IDCANCEL);
                event->accept();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

QWidget* Dialog::ResolveOwner(QWidget* owner) const {
    if (owner != nullptr) {
        return owner->window();
    }
    return g_mainWindow != this ? g_mainWindow : nullptr;
}

void Dialog::AttachToOwner(QWidget* owner) {
    if (parentWidget() != owner) {
        setParent(owner, windowFlags_);
    }
}

void Dialog::StartDialog(QWidget* owner) {
    // A window is centred as a whole, frame and caption included: make the platform window now so
    // that its frame margins are known (a window manager may still adjust them once mapped).
    if (!testAttribute(Qt::WA_WState_Created)) {
        create();
    }
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    const QSize frameSize = size().grownBy(frame);
    move(DialogTopLeft(PlacementFor(frameSize, owner)));
    if (OnInitDialog()) {
        FocusFirstControl();
    }
}

void Dialog::FocusFirstControl() {
    for (const auto& [id, widget] : controls_) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabledTo(this) &&
            !widget->isHidden()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
