#include "files/convert_dlg.h"

#include "app/resource_ids.h"
#include "resources/dialog_templates.h"

CConvertDlg::CConvertDlg(Dialog* parent) : Dialog(DialogTemplateById(IDD_CONVERT_DIALOG), parent) {}
