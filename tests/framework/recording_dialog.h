#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "gui_driver.h"
#include "resources/dialog_templates.h"

using Calls = std::vector<std::string>;

// A dialog on a real template that records what the framework calls on it, in order.
class RecordingDialog : public Dialog {
public:
    explicit RecordingDialog(int templateId, Dialog* parent = nullptr)
        : Dialog(DialogTemplateById(templateId), parent) {}

    Calls calls;
    bool tableClaimsCancel = false;  // id 2 in the table, as a dialog that must not end on Cancel
    std::function<void(RecordingDialog&)> duringInit;

protected:
    bool OnInitDialog() override {
        calls.push_back("init");
        if (duringInit) {
            duringInit(*this);
        }
        return Dialog::OnInitDialog();
    }
    void OnOK() override {
        calls.push_back("ok");
        Dialog::OnOK();
    }
    void OnCancel() override {
        calls.push_back("cancel");
        Dialog::OnCancel();
    }
    bool OnCommand(int id) override {
        return tableClaimsCancel ? DispatchCommand(this, kStopTable, id)
                                 : DispatchCommand(this, kCommands, id);
    }

private:
    void OnBrowse() { calls.push_back("browse"); }
    void OnRead() { calls.push_back("read"); }
    void OnStop() { calls.push_back("stop"); }

    static constexpr CommandEntry<RecordingDialog> kCommands[] = {
        {IDC_BROWSE, &RecordingDialog::OnBrowse}, {IDC_READ, &RecordingDialog::OnRead}};
    static constexpr CommandEntry<RecordingDialog> kStopTable[] = {
        {IDCANCEL, &RecordingDialog::OnStop}};
};

// Opens the dialog modeless with no owner and makes it the active window.
inline void OpenActive(Dialog& dialog) {
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.Show();
    ASSERT_TRUE(gui_test::ActivateAndWait(dialog));
}
