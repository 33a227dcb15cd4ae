#pragma once

#include <QDialog>
#include <QIcon>
#include <utility>
#include <vector>

#include "framework/dialog_units.h"
#include "framework/dialog_window.h"

class QCloseEvent;
class QEventLoop;
class QKeyEvent;
class QPaintEvent;

// A Dialog's window on Qt Widgets: a QDialog whose controls are made from the template at
// construction, with their template texts. Escape and Enter are handled here, since Qt's own
// handling would bypass the command table.
class QtDialogWindow final : public QDialog, public DialogWindow {
    Q_OBJECT

public:
    QtDialogWindow(Dialog& dialog, QWidget* parent);
    ~QtDialogWindow() override;

    int RunModal(Dialog* owner) override;
    void EndModal(int code) override;
    void CreateModeless(Dialog* owner) override;
    void Show() override;
    void ShowPainted() override;
    void Hide() override;
    bool IsVisible() const override;
    bool IsEnabled() const override;
    void FocusFirstControl() override;
    bool EndActiveBox() override;
    void SetIcon(int resourceId) override;
    void SetItemText(int id, std::string_view text) override;
    std::string ItemText(int id) const override;
    void SetProgressPosition(int id, int position) override;
    int ProgressPosition(int id) const override;
    void InitListStorage(int id, int count, int bytesPerItem) override;
    void AddListString(int id, std::string_view text) override;
    int ListCount(int id) const override;
    std::string ListText(int id, int index) const override;

    // Controls by id. For IDC_STATIC (several labels share it) the first one.
    QWidget* Item(int id) const;
    const DialogUnits& Units() const { return units_; }
    Dialog& Owner() const { return dialog_; }

protected:
    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void AttachToOwner(Dialog* owner);
    void Place(Dialog* owner);
    template <class W>
    W* ItemAs(int id) const;

    Dialog& dialog_;
    DialogUnits units_;
    Qt::WindowFlags windowFlags_;
    std::vector<std::pair<int, QWidget*>> controls_;
    QEventLoop* modalLoop_ = nullptr;
    bool endRequested_ = false;
    int endCode_ = 0;
    QIcon icon_;
};

// The Qt window of a dialog.
QtDialogWindow& QtWindowOf(const Dialog& dialog);
