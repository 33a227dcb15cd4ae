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
#include <vector>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/file_filter.h"
#include "framework/qt_ui_seam.h"

namespace {

TEST(FileFilterTest, BecomesOneChooserEntryPerPair) {
    struct Case {
        std::string filter;
        std::vector<std::string> entries;
    };
    for (const Case& k : {
             Case{"Object Files (*.obj)|*.obj|Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||",
                  {"Object Files (*.obj)", "Binary Files (*.bin)", "All Files (*.*)"}},
             Case{"Hex|*.hex;*.ihx||", {"Hex (*.hex *.ihx)"}},
             Case{"Binary Files (*.bin)|*.bin||", {"Binary Files (*.bin)"}},
         }) {
        EXPECT_EQ(ChooserFilterEntries(k.filter), k.entries) << k.filter;
    }
}

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
    Dialog owner(IDD_PROGRAMMER_DIALOG);
    QString seen;
    WhenModalShows<QMessageBox>([&](QMessageBox* box) {
        seen = QStringLiteral("%1|%2|%3 buttons|OK default %4|icon %5|owned %6")
                   .arg(box->text(), box->windowTitle())
                   .arg(box->buttons().size())
                   .arg(box->defaultButton() == box->button(QMessageBox::Ok))
                   .arg(box->icon() != QMessageBox::NoIcon)
                   .arg(box->parentWidget() == &owner);
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

// The open chooser lists the filter's entries, first selected, and takes a typed name of a file
// that does not exist; the save chooser asks before overwriting and appends the extension.
TEST(RealFileDialogTest, OpenTakesATypedNameAndSaveAppendsTheExtension) {
    QTemporaryDir dir;
    QString seen;
    WhenModalShows<QFileDialog>([&](QFileDialog* chooser) {
        seen = chooser->nameFilters().join('|') + " selected " + chooser->selectedNameFilter();
        chooser->selectFile(dir.filePath("missing.obj"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    EXPECT_EQ(QtUiSeam().OpenFileName(nullptr, "Object Files (*.obj)|*.obj|All Files (*.*)|*.*||"),
              dir.filePath("missing.obj").toStdString());
    EXPECT_EQ(seen, "Object Files (*.obj)|All Files (*.*) selected Object Files (*.obj)");

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
