#pragma once

#include <QIcon>

#include "app/main_window_view.h"
#include "framework/dialog.h"

class CDataDlg;
class CConvertDlg;

// The program's only top-level window (template 102): the file side on the left, the device
// side on the right, and a button for every action. Its texts are the whole display of the
// program's state; each handler sets exactly the fields it names.
class CProgrammerDlg final : public Dialog, public MainWindowView {
    Q_OBJECT

public:
    explicit CProgrammerDlg(QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    // The icon a minimised window is dragged by.
    QIcon OnQueryDragIcon() const { return icon_; }

    CDataDlg* FileViewer() const { return fileViewer; }
    CDataDlg* DeviceViewer() const { return deviceViewer; }
    CConvertDlg* ConvertNotice() const { return convertNotice_; }

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
    void paintEvent(QPaintEvent* event) override;

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
    void ShowContents(CDataDlg*& viewer, int viewKind);

    static const CommandEntry<CProgrammerDlg> kCommands[9];

    char* startupDirectory = nullptr;
    char* filePath = nullptr;
    CDataDlg* fileViewer = nullptr;
    CDataDlg* deviceViewer = nullptr;
    QIcon icon_;
    CConvertDlg* convertNotice_ = nullptr;
};
