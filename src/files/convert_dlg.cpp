#include "files/convert_dlg.h"

#include <QApplication>

#include "app/resource_ids.h"

CConvertDlg::CConvertDlg(QWidget* parent) : Dialog(IDD_CONVERT_DIALOG, parent) {}

void CConvertDlg::ShowPainted() {
    show();
    // Map the window and paint it now: nothing will serve its events until the converter ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
