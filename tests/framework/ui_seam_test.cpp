#include "framework/ui_seam.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/qt_ui_seam.h"
#include "scripted_ui_seam.h"

namespace {

// ---- the scripted seam

TEST(ScriptedUiSeamTest, RecordsEverythingShownInOrderAndAnswersFromTheScript) {
    ScriptedUiSeam seam;
    SetUiSeam(&seam);
    seam.QueueMessageBoxAnswer(IDCANCEL_ANSWER);
    seam.QueueOpenFileName("/tmp/a.obj");
    seam.QueueSaveFileName(std::nullopt);

    Dialog main(IDD_PROGRAMMER_DIALOG);
    EXPECT_EQ(Ui().MessageBox(&main, "ERASE FLASH CONTENTS?", "WARNING", MB_OKCANCEL),
              IDCANCEL_ANSWER);
    EXPECT_EQ(Ui().OpenFileName(&main, "Object Files (*.obj)|*.obj||"), "/tmp/a.obj");
    EXPECT_EQ(Ui().SaveFileName(&main, "bin", "Binary Files (*.bin)|*.bin||"), std::nullopt);
    // Nothing queued: a box gets OK, a chooser is cancelled.
    EXPECT_EQ(Ui().MessageBox(nullptr, "FILE DOES NOT EXIST", "ERROR", MB_OK), IDOK_ANSWER);
    EXPECT_EQ(Ui().OpenFileName(nullptr, "x|*.x||"), std::nullopt);
    SetUiSeam(nullptr);

    using Kind = ScriptedUiSeam::Kind;
    const auto& shown = seam.ShownItems();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].kind, Kind::MessageBox);
    EXPECT_EQ(shown[0].owner, &main);
    EXPECT_EQ(shown[0].text, "ERASE FLASH CONTENTS?");
    EXPECT_EQ(shown[0].caption, "WARNING");
    EXPECT_EQ(shown[0].type, MB_OKCANCEL);
    EXPECT_EQ(shown[1].kind, Kind::OpenFile);
    EXPECT_EQ(shown[1].filter, "Object Files (*.obj)|*.obj||");
    EXPECT_EQ(shown[2].kind, Kind::SaveFile);
    EXPECT_EQ(shown[2].defaultExtension, "bin");
    EXPECT_EQ(shown[2].filter, "Binary Files (*.bin)|*.bin||");
    EXPECT_EQ(shown[3].owner, nullptr);
    EXPECT_EQ(shown[3].type, MB_OK);
    EXPECT_EQ(seam.MessageBoxes().size(), 2u);
    EXPECT_EQ(seam.MessageBoxes()[1].text, "FILE DOES NOT EXIST");
    EXPECT_EQ(seam.UnusedAnswers(), 0u);
}

TEST(ScriptedUiSeamTest, TheHookSeesTheScreenWhileTheBoxIsShown) {
    ScriptedUiSeam seam;
    Dialog main(IDD_PROGRAMMER_DIALOG);
    std::string stateWhileShown;
    seam.SetWhileShown([&](const ScriptedUiSeam::Shown& shown) {
        stateWhileShown = shown.text + " / " + main.GetDlgItemText(IDC_DEVICE_STATE);
    });
    main.SetDlgItemText(IDC_DEVICE_STATE, "LOADED");
    seam.MessageBox(&main, "COULD NOT READ FILE", "ERROR", MB_OK);
    main.SetDlgItemText(IDC_DEVICE_STATE, "NOT LOADED");
    EXPECT_EQ(stateWhileShown, "COULD NOT READ FILE / LOADED");
}

TEST(ScriptedUiSeamTest, UnusedAnswersAreCounted) {
    ScriptedUiSeam seam;
    seam.QueueMessageBoxAnswer(IDOK_ANSWER);
    seam.QueueSaveFileName("/tmp/x.bin");
    EXPECT_EQ(seam.UnusedAnswers(), 2u);
}

TEST(UiSeamTest, NullRestoresTheRealSeam) {
    ScriptedUiSeam seam;
    SetUiSeam(&seam);
    EXPECT_EQ(&Ui(), &seam);
    SetUiSeam(nullptr);
    EXPECT_NE(dynamic_cast<QtUiSeam*>(&Ui()), nullptr);
}

// ---- the real seam, answered by a timer that acts on the modal window once it is up

void WhenModalShows(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

enum class Answer { ClickOk, ClickCancel, Escape, Enter };

struct BoxCase {
    unsigned type;
    Answer answer;
    int expected;
};

class RealMessageBoxTest : public testing::TestWithParam<BoxCase> {};

TEST_P(RealMessageBoxTest, ShowsTextCaptionAndButtonsAndReturnsTheAnswer) {
    Dialog owner(IDD_PROGRAMMER_DIALOG);
    owner.Create(nullptr);
    std::string text, caption;
    int buttons = 0;
    bool okIsDefault = false, hasIcon = true;
    QWidget* parent = nullptr;
    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text().toStdString();
        caption = box->windowTitle().toStdString();
        buttons = static_cast<int>(box->buttons().size());
        okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
        hasIcon = box->icon() != QMessageBox::NoIcon;
        parent = box->parentWidget();
        switch (GetParam().answer) {
            case Answer::ClickOk:
                box->button(QMessageBox::Ok)->click();
                break;
            case Answer::ClickCancel:
                box->button(QMessageBox::Cancel)->click();
                break;
            case Answer::Escape:
                QTest::keyClick(box, Qt::Key_Escape);
                break;
            case Answer::Enter:
                QTest::keyClick(box, Qt::Key_Return);
                break;
        }
    });
    QtUiSeam real;
    const int answer = real.MessageBox(&owner, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.",
                                       "ERROR", GetParam().type);
    EXPECT_EQ(answer, GetParam().expected);
    EXPECT_EQ(text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
    EXPECT_EQ(caption, "ERROR");
    EXPECT_EQ(buttons, GetParam().type == MB_OKCANCEL ? 2 : 1);
    EXPECT_TRUE(okIsDefault);
    EXPECT_FALSE(hasIcon);
    EXPECT_EQ(parent, &owner);
    owner.hide();
}

INSTANTIATE_TEST_SUITE_P(Answers, RealMessageBoxTest,
                         testing::Values(BoxCase{MB_OK, Answer::ClickOk, IDOK_ANSWER},
                                         BoxCase{MB_OK, Answer::Escape, IDOK_ANSWER},
                                         BoxCase{MB_OK, Answer::Enter, IDOK_ANSWER},
                                         BoxCase{MB_OKCANCEL | MB_DEFBUTTON1, Answer::ClickOk,
                                                 IDOK_ANSWER},
                                         BoxCase{MB_OKCANCEL, Answer::ClickCancel, IDCANCEL_ANSWER},
                                         BoxCase{MB_OKCANCEL, Answer::Escape, IDCANCEL_ANSWER},
                                         BoxCase{MB_OKCANCEL, Answer::Enter, IDOK_ANSWER}));

TEST(RealFileDialogTest, OpenReturnsATypedNameOfAMissingFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.obj"));
    QStringList filters;
    QString selected;
    bool existingOnly = true;
    WhenModalShows([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        filters = chooser->nameFilters();
        selected = chooser->selectedNameFilter();
        existingOnly = chooser->fileMode() == QFileDialog::ExistingFile;
        chooser->setDirectory(dir.path());
        chooser->selectFile(QStringLiteral("missing.obj"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    QtUiSeam real;
    const auto path = real.OpenFileName(
        nullptr, "Object Files (*.obj)|*.obj|Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QDir::cleanPath(QString::fromStdString(*path)), QDir::cleanPath(missing));
    EXPECT_EQ(filters,
              (QStringList{"Object Files (*.obj)", "Binary Files (*.bin)", "All Files (*.*)"}));
    EXPECT_EQ(selected, "Object Files (*.obj)");
    EXPECT_FALSE(existingOnly);
}

TEST(RealFileDialogTest, CancelGivesNothing) {
    WhenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QtUiSeam real;
    EXPECT_EQ(real.OpenFileName(nullptr, "Binary Files (*.bin)|*.bin||"), std::nullopt);
}

TEST(RealFileDialogTest, SaveAppendsTheDefaultExtensionAndAsksBeforeOverwriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    bool confirmsOverwrite = false;
    QString suffix;
    WhenModalShows([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        confirmsOverwrite = !chooser->testOption(QFileDialog::DontConfirmOverwrite) &&
                            chooser->acceptMode() == QFileDialog::AcceptSave;
        suffix = chooser->defaultSuffix();
        chooser->setDirectory(dir.path());
        chooser->selectFile(QStringLiteral("image"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    QtUiSeam real;
    const auto path = real.SaveFileName(nullptr, "bin", "Binary Files (*.bin)|*.bin||");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QDir::cleanPath(QString::fromStdString(*path)),
              QDir::cleanPath(dir.filePath(QStringLiteral("image.bin"))));
    EXPECT_TRUE(confirmsOverwrite);
    EXPECT_EQ(suffix, "bin");
}

TEST(RealFileDialogTest, SavingOverAnExistingFileAsksFirst) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("old.bin")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    QString question;
    WhenModalShows([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        chooser->setDirectory(dir.path());
        chooser->selectFile(QStringLiteral("old.bin"));
        // The overwrite question is modal over the chooser: answer No, then cancel the chooser.
        QTimer::singleShot(0, qApp, [&question, chooser] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                question = box->text();
                box->button(QMessageBox::No)->click();
            }
            QTimer::singleShot(0, chooser, [chooser] { chooser->reject(); });
        });
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    QtUiSeam real;
    EXPECT_EQ(real.SaveFileName(nullptr, "bin", "Binary Files (*.bin)|*.bin||"), std::nullopt);
    EXPECT_TRUE(question.contains(QStringLiteral("old.bin"))) << question.toStdString();
}

}  // namespace
