#include "framework/qt/qt_ui_seam.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include "framework/dialog.h"
#include "framework/file_filter.h"
#include "framework/qt/qt_dialog_window.h"

namespace {

QString FromLocal(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList NameFilters(std::string_view filter) {
    QStringList filters;
    for (const std::string& entry : ChooserFilterEntries(filter)) {
        filters.append(QString::fromLocal8Bit(entry));
    }
    return filters;
}

std::optional<std::string> RunFileDialog(QFileDialog& dialog, std::string_view filter) {
    const QStringList filters = NameFilters(filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.front());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

QWidget* WidgetOf(Dialog* dialog) {
    return dialog != nullptr ? &QtWindowOf(*dialog) : nullptr;
}

}  // namespace

UiSeam& PlatformUiSeam() {
    static QtUiSeam real;
    return real;
}

int QtUiSeam::MessageBox(Dialog* dialogOwner, std::string_view text, std::string_view caption,
                         unsigned type) {
    QWidget* const owner = WidgetOf(dialogOwner);
    QMessageBox box(owner);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(FromLocal(text));
    box.setWindowTitle(FromLocal(caption));
    if (owner != nullptr) {
        box.setWindowModality(Qt::WindowModal);
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = nullptr;
    if ((type & MB_BUTTONS_MASK) == MB_OKCANCEL) {
        cancel = box.addButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(ok);
    // Escape answers Cancel where there is one; a box with OK alone is simply dismissed.
    box.setEscapeButton(cancel != nullptr ? cancel : ok);
    box.exec();
    return cancel != nullptr && box.clickedButton() == cancel ? IDCANCEL_ANSWER : IDOK_ANSWER;
}

std::optional<std::string> QtUiSeam::OpenFileName(Dialog* dialogOwner, std::string_view filter) {
    QFileDialog dialog(WidgetOf(dialogOwner));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return RunFileDialog(dialog, filter);
}

std::optional<std::string> QtUiSeam::SaveFileName(Dialog* dialogOwner,
                                                  std::string_view defaultExtension,
                                                  std::string_view filter) {
    QFileDialog dialog(WidgetOf(dialogOwner));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(FromLocal(defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    return RunFileDialog(dialog, filter);
}
