#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "framework/dialog.h"

// A dialog on a real template that records what the framework calls on it, in order.
class RecordingDialog : public Dialog {
public:
    using Dialog::Dialog;

    std::vector<std::string> calls;
    bool cancelEnds = true;         // OnCancel ends the dialog, as the framework's does
    bool focusFirstControl = true;  // OnInitDialog's answer
    std::function<void(RecordingDialog&)> duringInit;

    using Dialog::OnCancel;
    using Dialog::OnOK;

protected:
    bool OnInitDialog() override {
        calls.push_back("init");
        Dialog::OnInitDialog();
        if (duringInit) {
            duringInit(*this);
        }
        return focusFirstControl;
    }
    void OnOK() override {
        calls.push_back("ok");
        Dialog::OnOK();
    }
    void OnCancel() override {
        calls.push_back("cancel");
        if (cancelEnds) {
            Dialog::OnCancel();
        }
    }
    bool OnCommand(int id) override { return DispatchCommand(this, kCommands, id); }

private:
    void OnBrowse() { calls.push_back("browse"); }
    void OnProg() { calls.push_back("prog"); }
    void OnRead() { calls.push_back("read"); }

    static constexpr CommandEntry<RecordingDialog> kCommands[] = {
        {IDC_BROWSE, &RecordingDialog::OnBrowse},
        {IDC_PROG, &RecordingDialog::OnProg},
        {IDC_READ, &RecordingDialog::OnRead},
    };
};

// A dialog whose table claims id 2 itself, as a dialog does that must not end on Cancel.
class StopOnCancelDialog : public Dialog {
public:
    StopOnCancelDialog() : Dialog(IDD_ACTION_DIALOG) {}

    std::vector<std::string> calls;

protected:
    void OnCancel() override {
        calls.push_back("cancel");
        Dialog::OnCancel();
    }
    bool OnCommand(int id) override { return DispatchCommand(this, kCommands, id); }

private:
    void OnStop() { calls.push_back("stop"); }

    static constexpr CommandEntry<StopOnCancelDialog> kCommands[] = {
        {IDCANCEL, &StopOnCancelDialog::OnStop},
    };
};
