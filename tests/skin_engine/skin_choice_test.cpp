// The skin choice: the number in config.ini, the skin message, the file for the number,
// and the display window that never takes a skin.
#include "skin_fixture.h"

#include "UnitDisplay.h"
#include "UnitMainCommands.h"
#include "window_handles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>

TEST_F(SkinProgramTest, NumbersOutsideTheTableGiveSilverAtStartAndByMessage)
{
    for (int saved : {0, 19}) {
        Start(saved);
        EXPECT_EQ(SkinFileName(), "Silver.ssk") << saved;
    }
    EXPECT_EQ(skins().engine().SkinFile(), QDir(QString::fromStdString(windows_->frmCommon().DataFolder())).filePath("skins/Silver.ssk"));
    const HWND handle = window_handles::HandleFor(&main());
    const std::pair<WPARAM, const char*> messages[] = {
        {3, "DiamondGreen.ssk"}, {WPARAM(-1), "Silver.ssk"}, {18, "XPSilver.ssk"}, {WPARAM(1) << 32, "Silver.ssk"}};
    for (const auto& [number, file] : messages) {
        ASSERT_TRUE(window_handles::PostMessage(handle, TSkinChoice::kSkinMessage, number, 0));
        EXPECT_TRUE(test_support::SpinUntil([&] { return SkinFileName() == file; }, 2000)) << number;
    }
}

TEST_F(SkinProgramTest, TheSkin5MenuItemSavesItBeforeItShowsAndTheNextStartAppliesIt)
{
    Start();
    EXPECT_EQ(SkinFileName(), "Silver.ssk");  // no config.ini: skin 10
    const QImage before = main().grab().toImage();
    windows_->commands().Item("N_Skin5")->trigger();
    EXPECT_EQ(SavedSkin(), 5);
    EXPECT_EQ(SkinFileName(), "Silver.ssk");
    EXPECT_EQ(main().grab().toImage(), before);
    ASSERT_TRUE(test_support::SpinUntil([&] { return SkinFileName() == "Longhorn.ssk"; }, 5000));
    EXPECT_NE(main().grab().toImage(), before);
    // The Skin menu ticks the skin shown.
    QMenu* menu = main().findChild<QMenu*>("N_Skin");
    emit menu->aboutToShow();
    EXPECT_TRUE(windows_->commands().Item("N_Skin5")->isChecked());
    EXPECT_FALSE(windows_->commands().Item("N_Skin10")->isChecked());

    Start();
    EXPECT_EQ(SkinFileName(), "Longhorn.ssk");
}

TEST_F(SkinProgramTest, AConfigThatCannotBeWrittenStillChangesTheSkinAndSaysWhy)
{
    Start();
    const QString config = QString::fromStdString(windows_->frmCommon().ConfigPath());
    ASSERT_TRUE(QFile::remove(config) && QDir().mkdir(config));  // a folder where the file should go
    try {
        skins().ChooseSkin(2);
        ADD_FAILURE() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_TRUE(e.text().startsWith("Unable to write to")) << e.text().toStdString();
    }
    EXPECT_TRUE(test_support::SpinUntil([&] { return SkinFileName() == "DiamondBlue.ssk"; }, 5000));
}

TEST_F(SkinProgramTest, TheDisplayWindowNeverTakesASkin)
{
    Start();
    TfrmDisplay& display = windows_->frmDisplay();
    display.show();
    test_support::SpinFor(20);
    const QImage plain = display.grab().toImage();
    const QImage plainMenu = display.PopupMenu()->grab().toImage();
    for (int number : {11, 4, 16}) {
        skins().ApplySkin(number);
        test_support::SpinFor(10);
        EXPECT_TRUE(skins().engine().IsSkinned(main().ButtonRecord)) << number;
        EXPECT_FALSE(skins().engine().IsSkinned(&display)) << number;
        EXPECT_EQ(display.grab().toImage(), plain) << number;
        EXPECT_EQ(display.PopupMenu()->grab().toImage(), plainMenu) << number;
    }
}
