#include "framework/qt/qt_ui_seam.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "app/resource_ids.h"
#include "files/image_loading.h"
#include "framework/dialog.h"
#include "framework/qt/qt_dialog_window.h"
#include "resources/dialog_templates.h"

namespace {

// Acts on the modal window (box or chooser) once it is up.
template <class W>
void WhenModalShows(std::function<void(W*)> act) {
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

struct BoxCase {
    unsigned type;
    Qt::Key key;
    int expected;
};

class RealMessageBoxTest : public testing::TestWithParam<BoxCase> {};

// Text, caption, the type's buttons with OK the default, no icon, over its owner.
TEST_P(RealMessageBoxTest, ShowsTheBoxAndReturnsTheAnswer) {
    Dialog owner(DialogTemplateById(IDD_PROGRAMMER_DIALOG));
    QString seen;
    WhenModalShows<QMessageBox>([&](QMessageBox* box) {
        seen = QStringLiteral("%1|%2|%3 buttons|OK default %4|icon %5|owned %6")
                   .arg(box->text(), box->windowTitle())
                   .arg(box->buttons().size())
                   .arg(box->defaultButton() == box->button(QMessageBox::Ok))
                   .arg(box->icon() != QMessageBox::NoIcon)
                   .arg(box->parentWidget() == &QtWindowOf(owner));
        QTest::keyClick(box, GetParam().key);
    });
    EXPECT_EQ(QtUiSeam().MessageBox(&owner, "STILL CALIBRATING.\nTRY AGAIN SOON.", "ERROR",
                                    GetParam().type),
              GetParam().expected);
    EXPECT_EQ(seen.toStdString(), "STILL CALIBRATING.\nTRY AGAIN SOON.|ERROR|" +
                                      std::to_string(GetParam().type == MB_OKCANCEL ? 2 : 1) +
                                      " buttons|OK default 1|icon 0|owned 1");
}

INSTANTIATE_TEST_SUITE_P(Answers, RealMessageBoxTest,
                         testing::Values(BoxCase{MB_OK, Qt::Key_Return, IDOK_ANSWER},
                                         BoxCase{MB_OK, Qt::Key_Escape, IDOK_ANSWER},
                                         BoxCase{MB_OKCANCEL, Qt::Key_Return, IDOK_ANSWER},
                                         BoxCase{MB_OKCANCEL, Qt::Key_Escape, IDCANCEL_ANSWER}));

// The open chooser lists one entry per pair of the program's filter, patterns separated by
// blanks, the first selected, and takes a typed name of a file that does not exist; the save
// chooser asks before overwriting and appends the extension.
TEST(RealFileDialogTest, OpenTakesATypedNameAndSaveAppendsTheExtension) {
    QTemporaryDir dir;
    QString seen;
    WhenModalShows<QFileDialog>([&](QFileDialog* chooser) {
        seen = chooser->nameFilters().join('|') + " selected " + chooser->selectedNameFilter();
        chooser->selectFile(dir.filePath("missing.obj"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    EXPECT_EQ(QtUiSeam().OpenFileName(nullptr, kOpenFileFilter),
              dir.filePath("missing.obj").toStdString());
    EXPECT_EQ(seen,
              "Object Files (*.obj)|Binary Files (*.bin)|All Files (*.*)|Firmware Files (*.hex "
              "*.ihx *.s19 *.s28 *.s37 *.srec *.mot) selected Object Files (*.obj)");

    WhenModalShows<QFileDialog>([&](QFileDialog* chooser) {
        seen = chooser->testOption(QFileDialog::DontConfirmOverwrite) ? "no question" : "asks";
        chooser->selectFile(dir.filePath("image"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    EXPECT_EQ(QtUiSeam().SaveFileName(nullptr, "bin", "Binary Files (*.bin)|*.bin||"),
              dir.filePath("image.bin").toStdString());
    EXPECT_EQ(seen, "asks");
    WhenModalShows<QFileDialog>([](QFileDialog* chooser) { chooser->reject(); });
    EXPECT_EQ(QtUiSeam().SaveFileName(nullptr, "bin", "Binary Files (*.bin)|*.bin||"),
              std::nullopt);
}

}  // namespace
