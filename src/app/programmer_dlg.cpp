#include "app/programmer_dlg.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "files/convert_dlg.h"
#include "files/image_loading.h"
#include "files/image_saving.h"
#include "framework/ui_seam.h"
#include "operations/action_dlg.h"
#include "operations/device_actions.h"
#include "operations/erase_action.h"
#include "platform/file_names.h"
#include "resources/dialog_templates.h"
#include "views/compare_action.h"
#include "views/contents_lines.h"
#include "views/data_dlg.h"

const CommandEntry<CProgrammerDlg> CProgrammerDlg::kCommands[9] = {
    {IDC_PROG, &CProgrammerDlg::OnProg},
    {IDC_BROWSE, &CProgrammerDlg::OnBrowse},
    {IDC_ERASE, &CProgrammerDlg::OnErase},
    {IDC_READ, &CProgrammerDlg::OnRead},
    {IDC_COMPARE, &CProgrammerDlg::OnCompare},
    {IDC_FILE_CONTENTS, &CProgrammerDlg::OnFileContents},
    {IDC_DEVICE_CONTENTS, &CProgrammerDlg::OnDeviceContents},
    {IDC_SAVE, &CProgrammerDlg::OnSave},
    {IDC_RELOAD, &CProgrammerDlg::OnReload},
};

namespace {

// The process's current directory, when it fits in the buffer with its terminator. When it
// does not, the buffer stays empty: the converter is then simply not found, which the user is
// told, rather than looked for in a directory cut short.
void StoreCurrentDirectory(char* buffer) {
    std::error_code error;
    // UTF-8, as every file name in the program; string() would give the ANSI code page on Windows.
    const std::string directory = Utf8FromPath(std::filesystem::current_path(error));
    if (!error && directory.size() < static_cast<std::size_t>(kPathBufferSize)) {
        std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    }
}

}  // namespace

CProgrammerDlg::CProgrammerDlg(Dialog* parent)
    : Dialog(DialogTemplateById(IDD_PROGRAMMER_DIALOG), parent),
      startupDirectory(new char[kPathBufferSize]()),
      filePath(new char[kPathBufferSize]()) {
    imageStore.fileLoaded = 0;
}

CProgrammerDlg::~CProgrammerDlg() {
    // Normally released by quitting; a window that ended any other way releases them here.
    delete[] startupDirectory;
    delete[] filePath;
}

bool CProgrammerDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetIcon(IDR_MAINFRAME);
    StoreCurrentDirectory(startupDirectory);
    return true;
}

void CProgrammerDlg::OnCancel() {
    // Quitting releases, in this order, the path buffers, both images and the shared timer (whose
    // destruction cancels a calibration still pending), then the port.
    delete[] startupDirectory;
    startupDirectory = nullptr;
    delete[] filePath;
    filePath = nullptr;
    ReleaseImages();
    delete cycleTimer;
    cycleTimer = nullptr;
    ClosePort();
    Dialog::OnCancel();
}

bool CProgrammerDlg::OnCommand(int id) {
    return DispatchCommand(this, kCommands, id);
}

void CProgrammerDlg::OnProg() {
    ::OnProgram(*this);
}
void CProgrammerDlg::OnBrowse() {
    ::OnBrowse(*this);
}
void CProgrammerDlg::OnErase() {
    ::OnErase(*this);
}
void CProgrammerDlg::OnRead() {
    ::OnRead(*this);
}
void CProgrammerDlg::OnCompare() {
    ::OnCompare(*this);
}
void CProgrammerDlg::OnFileContents() {
    ShowContents(fileViewer, kFileContents);
}
void CProgrammerDlg::OnDeviceContents() {
    ShowContents(deviceViewer, kDeviceContents);
}
void CProgrammerDlg::OnSave() {
    ::OnSave(*this);
}
void CProgrammerDlg::OnReload() {
    ::OnReload(*this);
}

void CProgrammerDlg::ShowContents(std::unique_ptr<CDataDlg>& viewer, int viewKind) {
    // One viewer per kind: a second press replaces the first with a fresh snapshot.
    viewer.reset();
    viewer = std::make_unique<CDataDlg>(viewKind, this);
    viewer->Create(this);
    viewer->Show();
}

void CProgrammerDlg::SetItemText(int id, std::string_view text) {
    SetDlgItemText(id, text);
}

int CProgrammerDlg::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return Ui().MessageBox(this, text, caption, type);
}

std::optional<std::string> CProgrammerDlg::ChooseFileToOpen(std::string_view filter) {
    return Ui().OpenFileName(this, filter);
}

std::optional<std::string> CProgrammerDlg::ChooseFileToSave(std::string_view defaultExtension,
                                                            std::string_view filter) {
    return Ui().SaveFileName(this, defaultExtension, filter);
}

void CProgrammerDlg::OpenConvertNotice() {
    convertNotice_ = std::make_unique<CConvertDlg>(this);
    convertNotice_->Create(this);
    convertNotice_->ShowPainted();
}

void CProgrammerDlg::CloseConvertNotice() {
    convertNotice_.reset();
}

void CProgrammerDlg::RunOperationDialog(int viewKind) {
    CActionDlg dialog(viewKind, this);
    dialog.DoModal();
}
