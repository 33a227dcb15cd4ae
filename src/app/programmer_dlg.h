#pragma once

#include <memory>

#include "app/main_window_view.h"
#include "framework/dialog.h"

class CDataDlg;
class CConvertDlg;

// The program's only top-level window (template 102): the file side on the left, the device
// side on the right, and a button for every action. Its texts are the whole display of the
// program's state; each handler sets exactly the fields it names.
class CProgrammerDlg final : public Dialog, public MainWindowView {
public:
    explicit CProgrammerDlg(Dialog* parent = nullptr);
    ~CProgrammerDlg() override;

    CDataDlg* FileViewer() const { return fileViewer.get(); }
    CDataDlg* DeviceViewer() const { return deviceViewer.get(); }
    CConvertDlg* ConvertNotice() const { return convertNotice_.get(); }

    // MainWindowView
    void SetItemText(int id, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    std::optional<std::string> ChooseFileToOpen(std::string_view filter) override;
    std::optional<std::string> ChooseFileToSave(std::string_view defaultExtension,
                                                std::string_view filter) override;
    void OpenConvertNotice() override;
    void CloseConvertNotice() override;
    void RunOperationDialog(int viewKind) override;
    char* StartupDirectory() override { return startupDirectory; }
    char* FilePath() override { return filePath; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(int id) override;

private:
    void OnProg();
    void OnBrowse();
    void OnErase();
    void OnRead();
    void OnCompare();
    void OnFileContents();
    void OnDeviceContents();
    void OnSave();
    void OnReload();
    void ShowContents(std::unique_ptr<CDataDlg>& viewer, int viewKind);

    static const CommandEntry<CProgrammerDlg> kCommands[9];

    char* startupDirectory = nullptr;
    char* filePath = nullptr;
    // The windows this one owns, destroyed with it.
    std::unique_ptr<CDataDlg> fileViewer;
    std::unique_ptr<CDataDlg> deviceViewer;
    std::unique_ptr<CConvertDlg> convertNotice_;
};
