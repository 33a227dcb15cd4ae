#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "device/cycle_timer.h"
#include "files/image_loading.h"
#include "framework/dialog_units.h"
#include "framework/icon_resource.h"
#include "gui_test_helpers.h"
#include "main_window_fixture.h"
#include "resources/dialog_templates.h"

namespace {

using MainWindowTest = MainWindowFixture;

struct InitialText {
    int id;
    const char* text;
};

// What the window shows right after start, control by control.
constexpr InitialText kInitialTexts[] = {
    {IDC_BROWSE, "-->"},
    {IDCANCEL, "QUIT"},
    {IDC_PROG, "PROG"},
    {IDC_COMPARE, "<< compare >>"},
    {IDC_COMPARE_RESULT, ""},
    {IDC_DEVICE_STATE, "NOT LOADED"},
    {IDC_READ, "READ"},
    {IDC_ERASE, "ERASE"},
    {IDC_FILE_NAME, ""},
    {IDC_FILE_CONTENTS, "contents"},
    {IDC_DEVICE_CONTENTS, "contents"},
    {IDC_SAVE, "N/A"},
    {IDC_RELOAD, "reload"},
    {IDC_FILE_BYTES, ""},
    {IDC_DEVICE_BYTES, ""},
};

TEST_F(MainWindowTest, RightAfterStartShowsTheInitialState) {
    OpenMainWindow();
    EXPECT_EQ(window->windowTitle(), "AT89S8252");
    for (const auto& [id, text] : kInitialTexts) {
        EXPECT_EQ(Text(id), text) << "control " << id;
    }
    const QRect client =
        window->Units().ToPixels(QRect(0, 0, 217, 90));  // the template's size in dialog units
    EXPECT_EQ(window->size(), client.size());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    EXPECT_EQ(frame.x(), available.x() + (available.width() - frame.width()) / 2)
        << "available " << available.width() << " wide, window " << frame.width();
    EXPECT_EQ(frame.y(), available.y() + (available.height() - frame.height()) / 2)
        << "available " << available.height() << " high, window " << frame.height();
    EXPECT_EQ(QApplication::focusWidget(), window->GetDlgItem(IDC_BROWSE));
    EXPECT_EQ(imageStore.fileLoaded, 0);
}

TEST_F(MainWindowTest, EveryControlStandsWhereItsTemplateSays) {
    OpenMainWindow();
    const DialogTemplate& t = DialogTemplateById(IDD_PROGRAMMER_DIALOG);
    ASSERT_EQ(t.controls.size(), 16u);
    for (const ControlTemplate& c : t.controls) {
        const QWidget* widget = window->GetDlgItem(c.id);
        ASSERT_NE(widget, nullptr) << c.text;
        if (c.id == IDC_STATIC) {
            EXPECT_EQ(static_cast<const QLabel*>(widget)->text().toStdString(), c.text);
        }
        EXPECT_EQ(widget->geometry(), window->Units().ToPixels(QRect(c.x, c.y, c.cx, c.cy)))
            << c.text;
    }
}

TEST_F(MainWindowTest, EnterPressesTheFocusedButton) {
    OpenMainWindow();
    seam.QueueOpenFileName(std::nullopt);
    gui_test::PressKey(window.get(), Qt::Key_Return);
    ASSERT_EQ(seam.ShownItems().size(), 1u);
    EXPECT_EQ(seam.ShownItems()[0].kind, ScriptedUiSeam::Kind::OpenFile);
    EXPECT_EQ(seam.ShownItems()[0].filter, std::string(kOpenFileFilter));

    // Tab moves on in template order; Enter then presses QUIT, the next control.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->GetDlgItem(IDCANCEL));
    gui_test::PressKey(window.get(), Qt::Key_Enter);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    (void)timer.release();
}

struct GateCase {
    const char* name;
    int id;
};

class CalibrationGateTest : public MainWindowFixture,
                            public ::testing::WithParamInterface<GateCase> {};

TEST_P(CalibrationGateTest, RefusesUntilCalibratedThenLetsThrough) {
    // A fresh timer: its one-shot has not fired yet.
    timer = std::make_unique<CCycleTimer>(counter, std::make_unique<ManualOneShot>());
    cycleTimer = timer.get();
    OpenMainWindow();
    window->SendCommand(GetParam().id);
    ASSERT_EQ(seam.MessageBoxes().size(), 1u);
    EXPECT_EQ(seam.MessageBoxes()[0].text, "TIMING ROUTINE STILL CALIBRATING.\nTRY AGAIN SOON.");
    EXPECT_EQ(seam.MessageBoxes()[0].caption, "ERROR");
    EXPECT_EQ(seam.MessageBoxes()[0].type, MB_OK);
    EXPECT_EQ(seam.MessageBoxes()[0].owner, window.get());
    for (const auto& [id, text] : kInitialTexts) {
        EXPECT_EQ(Text(id), text) << "control " << id;
    }
    EXPECT_EQ(chip->Counts().obeyed + chip->Counts().ignored, 0u);
}

INSTANTIATE_TEST_SUITE_P(Actions, CalibrationGateTest,
                         ::testing::Values(GateCase{"Read", IDC_READ}, GateCase{"Prog", IDC_PROG},
                                           GateCase{"Erase", IDC_ERASE}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainWindowTest, AfterCalibrationTheActionsPassTheGate) {
    Calibrate();
    OpenMainWindow();
    window->SendCommand(IDC_PROG);  // passes the gate, then finds no file
    seam.QueueMessageBoxAnswer(IDCANCEL_ANSWER);
    window->SendCommand(IDC_ERASE);  // passes the gate, then asks
    const auto boxes = seam.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "NO DATA TO LOAD");
    EXPECT_EQ(boxes[1].text, "ERASE FLASH CONTENTS?");
    EXPECT_EQ(boxes[1].caption, "WARNING");
}

TEST_F(MainWindowTest, QuittingReleasesTheBuffersImagesAndTimer) {
    OpenMainWindow();
    window->SendCommand(IDCANCEL);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    EXPECT_EQ(imageStore.DeviceImage, nullptr);
    EXPECT_EQ(cycleTimer, nullptr);
    EXPECT_EQ(window->StartupDirectory(), nullptr);
    EXPECT_EQ(window->FilePath(), nullptr);
    // The window released the shared timer; the fixture must not release it again.
    (void)timer.release();
}

TEST_F(MainWindowTest, EscapeAndTheCloseBoxQuitToo) {
    OpenMainWindow();
    gui_test::PressKey(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(imageStore.FileImage, nullptr);
    (void)timer.release();
}

TEST_F(MainWindowTest, TheStartupDirectoryIsTheCurrentOne) {
    OpenMainWindow();
    EXPECT_EQ(std::string(window->StartupDirectory()), std::filesystem::current_path().string());
}

TEST_F(MainWindowTest, ADirectoryTooLongForTheBufferIsNotStored) {
    const auto home = std::filesystem::current_path();
    auto deep = std::filesystem::temp_directory_path() / "isp8252-long-start-directory";
    while (deep.string().size() < 320) {
        deep /= "a-rather-long-directory-name";
    }
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    OpenMainWindow();
    std::filesystem::current_path(home);
    std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                "isp8252-long-start-directory");
    EXPECT_STREQ(window->StartupDirectory(), "");
}

TEST_F(MainWindowTest, AMinimisedWindowShowsItsIconCentred) {
    OpenMainWindow();
    EXPECT_FALSE(window->OnQueryDragIcon().isNull());
    EXPECT_EQ(window->OnQueryDragIcon().cacheKey(), window->windowIcon().cacheKey());
    const QImage normal = window->grab().toImage();
    window->setWindowState(Qt::WindowMinimized);
    const QImage minimised = window->grab().toImage();
    window->setWindowState(Qt::WindowNoState);
    // The controls are gone and the icon stands in the middle of an erased client area.
    const QPoint centre(minimised.width() / 2, minimised.height() / 2);
    const QColor background = minimised.pixelColor(1, 1);
    int iconPixels = 0;
    for (int y = centre.y() - 16; y < centre.y() + 16; ++y) {
        for (int x = centre.x() - 16; x < centre.x() + 16; ++x) {
            iconPixels += minimised.pixelColor(x, y) != background ? 1 : 0;
        }
    }
    EXPECT_GT(iconPixels, 100);
    int normalPixels = 0;
    for (int y = centre.y() - 16; y < centre.y() + 16; ++y) {
        for (int x = centre.x() - 16; x < centre.x() + 16; ++x) {
            normalPixels += normal.pixelColor(x, y) != background ? 1 : 0;
        }
    }
    EXPECT_LT(normalPixels, iconPixels / 4) << "the centre shows the icon only when minimised";
}

}  // namespace
