#include "framework/dialog.h"

#include <utility>

#include "framework/dialog_window.h"

namespace {

Dialog* g_mainWindow = nullptr;
// The dialog whose modal loop runs innermost now, if any.
Dialog* g_innermostModal = nullptr;

}  // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate, Dialog* parent)
    : template_(dialogTemplate), parent_(parent), window_(MakeDialogWindow(*this, parent)) {}

Dialog::~Dialog() {
    *alive_ = false;
    if (g_mainWindow == this) {
        g_mainWindow = nullptr;
    }
    if (g_innermostModal == this) {
        g_innermostModal = nullptr;
    }
}

int Dialog::DoModal() {
    Dialog* const owner = ResolveOwner(parent_);
    runningModal_ = true;
    endCode_ = -1;
    const std::weak_ptr<bool> alive = alive_;
    Dialog* const outerModal = std::exchange(g_innermostModal, this);
    const int code = window_->RunModal(owner);
    g_innermostModal = outerModal;
    if (alive.expired()) {
        return -1;  // destroyed from within its own loop
    }
    runningModal_ = false;
    return code;
}

bool Dialog::Create(Dialog* owner) {
    window_->CreateModeless(ResolveOwner(owner));
    if ((template_.style & dialog_style::kVisible) != 0) {
        window_->Show();
    }
    return true;
}

void Dialog::EndDialog(int code) {
    endCode_ = code;
    if (runningModal_) {
        window_->EndModal(code);
        return;
    }
    window_->Hide();
}

void Dialog::Show() {
    window_->Show();
}

void Dialog::ShowPainted() {
    window_->ShowPainted();
}

bool Dialog::IsVisible() const {
    return window_->IsVisible();
}

bool Dialog::IsEnabled() const {
    return window_->IsEnabled();
}

void Dialog::SendCommand(int id) {
    const std::weak_ptr<bool> alive = alive_;
    ++commandDepth_;
    if (!OnCommand(id)) {
        if (id == IDOK) {
            OnOK();
        } else if (id == IDCANCEL) {
            OnCancel();
        }
    }
    if (alive.expired()) {
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
    if (!window_->EndActiveBox() && g_innermostModal != nullptr && g_innermostModal != this) {
        g_innermostModal->RequestQuit();
    }
}

void Dialog::CloseRequested() {
    // The close box is the Cancel command too; whether the dialog ends is Cancel's business.
    // A window that a modal dialog has disabled takes no input, so the request is dropped.
    // During one of this dialog's own handlers it waits for the handler to return, since Cancel
    // may release what the handler is using.
    if (!IsVisible() || !IsEnabled()) {
        return;
    }
    if (commandDepth_ > 0) {
        cancelPending_ = true;
        return;
    }
    SendCommand(IDCANCEL);
}

void Dialog::Initialise() {
    if (OnInitDialog()) {
        window_->FocusFirstControl();
    }
}

void Dialog::SetDlgItemText(int id, std::string_view text) {
    window_->SetItemText(id, text);
}

std::string Dialog::GetDlgItemText(int id) const {
    return window_->ItemText(id);
}

void Dialog::SetProgressPosition(int id, int position) {
    window_->SetProgressPosition(id, position);
}

int Dialog::ProgressPosition(int id) const {
    return window_->ProgressPosition(id);
}

void Dialog::InitListStorage(int id, int count, int bytesPerItem) {
    window_->InitListStorage(id, count, bytesPerItem);
}

void Dialog::AddListString(int id, std::string_view text) {
    window_->AddListString(id, text);
}

int Dialog::ListCount(int id) const {
    return window_->ListCount(id);
}

std::string Dialog::ListText(int id, int index) const {
    return window_->ListText(id, index);
}

void Dialog::SetIcon(int resourceId) {
    window_->SetIcon(resourceId);
}

void Dialog::SetMainWindow(Dialog* dialog) {
    g_mainWindow = dialog;
}

Dialog* Dialog::MainWindow() {
    return g_mainWindow;
}

Dialog* Dialog::InnermostModal() {
    return g_innermostModal;
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

Dialog* Dialog::ResolveOwner(Dialog* owner) const {
    if (owner != nullptr) {
        return owner;
    }
    return g_mainWindow != this ? g_mainWindow : nullptr;
}
