#include "views/data_dlg.h"

#include "app/resource_ids.h"
#include "resources/dialog_templates.h"
#include "views/contents_lines.h"

CDataDlg::CDataDlg(int kind, Dialog* parent)
    : Dialog(DialogTemplateById(IDD_DATA_DIALOG), parent), viewKind(kind) {}

bool CDataDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetDlgItemText(IDC_VIEW_TITLE, ContentsTitle(viewKind));
    const ContentsSource source = ContentsFor(viewKind);
    // Up to 8192 lines at once: reserve first so the list does not grow line by line.
    InitListStorage(IDC_VIEW_LIST, source.count, kContentsLineReserve);
    char line[kContentsLineBufferSize];
    for (int i = 0; i < source.count; ++i) {
        FormatContentsLine(line, i, source.entries[i]);
        AddListString(IDC_VIEW_LIST, line);
    }
    return true;
}
