// The welcome dialog: shown at the first paint while config.ini asks for it, its place
// and controls, Yes and No, the check box written at once, and a config.ini that
// cannot be written.
#include "program_fixture.h"

#include "UnitHelpDialog.h"
#include "Unit_common.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>

namespace {

class WelcomeDialog : public language_test::ProgramFixture {
protected:
    TfrmHelpDialog& dialog() { return windows_->frmHelpDialog(); }
    // Records what would be handed to the desktop.
    void CaptureOpened()
    {
        windows_->frmCommon().SetOpener([this](const std::string& address) { opened_ << QString::fromStdString(address); });
    }
    QStringList opened_;
};

}  // namespace

TEST_F(WelcomeDialog, TheFirstPaintShowsItModelessCentredOnTheMainWindow)
{
    Start();
    ASSERT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
    EXPECT_FALSE(dialog().isModal());
    EXPECT_EQ(dialog().size(), QSize(363, 206));
    EXPECT_EQ(dialog().parentWidget(), &main());
    const QPoint centre = dialog().frameGeometry().center();
    EXPECT_LE((centre - main().frameGeometry().center()).manhattanLength(), 4);
    // The controls at their places, with the language file's captions.
    EXPECT_EQ(dialog().LabelWelcom->geometry(), QRect(8, 25, 345, 64));
    EXPECT_EQ(dialog().LabelIntroduction->geometry(), QRect(8, 101, 345, 36));
    EXPECT_EQ(dialog().ButtonYes->geometry(), QRect(63, 144, 105, 25));
    EXPECT_EQ(dialog().ButtonNo->geometry(), QRect(195, 144, 105, 25));
    EXPECT_EQ(dialog().CheckBoxDontDisplay->geometry(), QRect(0, 184, 361, 17));
    EXPECT_TRUE(dialog().LabelWelcom->wordWrap());
    EXPECT_FALSE(dialog().CheckBoxDontDisplay->isChecked());
    EXPECT_EQ(dialog().windowTitle(), "Welcome to Chorvane");
    EXPECT_EQ(dialog().ButtonYes->text(), "&Yes");
    EXPECT_EQ(dialog().CheckBoxDontDisplay->text(), "Don't show this dialog again");
    // Later paints do not show it again.
    dialog().ButtonNo->click();
    main().update();
    test_support::SpinFor(50);
    EXPECT_FALSE(dialog().isVisible());
}

TEST_F(WelcomeDialog, AnyValueButOneShowsNoDialog)
{
    for (const QByteArray value : {"0", "2", "-1"}) {
        WriteConfig("[setting]\ndisplayHelpDialog=" + value + "\n");
        Start();
        test_support::SpinFor(100);
        EXPECT_FALSE(dialog().isVisible()) << value.constData();
    }
    WriteConfig("[setting]\ndisplayHelpDialog=1\n");
    Start();
    EXPECT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
}

TEST_F(WelcomeDialog, TheCheckBoxWritesZeroThenOneAtOnce)
{
    Start();
    dialog().CheckBoxDontDisplay->click();
    EXPECT_TRUE(ReadConfig().contains("[setting]\ndisplayHelpDialog=0\n")) << ReadConfig().constData();
    dialog().CheckBoxDontDisplay->click();
    EXPECT_TRUE(ReadConfig().contains("[setting]\ndisplayHelpDialog=1\n")) << ReadConfig().constData();
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(WelcomeDialog, CheckedThenNoMeansNoDialogAtTheNextStart)
{
    Start();
    ASSERT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
    dialog().CheckBoxDontDisplay->click();
    dialog().ButtonNo->click();
    EXPECT_FALSE(dialog().isVisible());
    // The answer changes nothing else: the setting is the box's.
    EXPECT_TRUE(ReadConfig().contains("displayHelpDialog=0"));
    Start();
    test_support::SpinFor(100);
    EXPECT_FALSE(dialog().isVisible());
}

TEST_F(WelcomeDialog, YesWithTheEnglishSetOpensTheQuickStartPageBesideTheProgram)
{
    Start();
    CaptureOpened();
    ASSERT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
    EXPECT_TRUE(windows_->frmCommon().HelpPageAddress().empty());
    dialog().ButtonYes->click();
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_TRUE(opened_[0].endsWith("/help/quick-start-en.html")) << opened_[0].toStdString();
    EXPECT_TRUE(QFileInfo(opened_[0]).isFile());
    EXPECT_FALSE(dialog().isVisible());
    // The page is a page of our own, with the main window's picture beside it.
    QFile page(opened_[0]);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("main-window-en.png"));
    EXPECT_TRUE(QFileInfo(QFileInfo(opened_[0]).dir().filePath("main-window-en.png")).isFile());
}

TEST_F(WelcomeDialog, YesWithTheChineseSetOpensTheOnlineHelpAndHidesTheDialog)
{
    WriteConfig("[common]\nlanguage=1\n");
    Start();
    CaptureOpened();
    ASSERT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
    EXPECT_EQ(dialog().windowTitle(), QString::fromUtf8("欢迎使用 Chorvane"));
    dialog().ButtonYes->click();
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_EQ(opened_[0].toStdString(), windows_->frmCommon().HelpPageAddress() + "?user=");
    EXPECT_FALSE(dialog().isVisible());
    // The Chinese quick-start page is shipped too.
    EXPECT_TRUE(QFileInfo(QString::fromStdString(dialog().QuickStartPage())).isFile());
    EXPECT_TRUE(QString::fromStdString(dialog().QuickStartPage()).endsWith("quick-start-zh.html"));
}

TEST_F(WelcomeDialog, YesHidesTheDialogEvenWhenNoPageCanBeOpened)
{
    QTemporaryDir emptyData;
    Start(emptyData.path().toStdString());
    CaptureOpened();
    dialog().show();
    dialog().ButtonYes->click();
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_FALSE(dialog().isVisible());
}

TEST_F(WelcomeDialog, TheCloseButtonAnswersNo)
{
    Start();
    ASSERT_TRUE(test_support::SpinUntil([this] { return dialog().isVisible(); }, 2000));
    CaptureOpened();
    dialog().close();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_FALSE(ReadConfig().contains("displayHelpDialog"));
}

TEST_F(WelcomeDialog, AConfigThatCannotBeWrittenIsReportedAndTheBoxGoesBack)
{
    WriteConfig("[setting]\ndisplayHelpDialog=1\n");
    ASSERT_EQ(::chmod(ConfigPath().toLocal8Bit().constData(), 0444), 0);
    Start();
    dialog().CheckBoxDontDisplay->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "Unable to write to " + ConfigPath());
    EXPECT_FALSE(dialog().CheckBoxDontDisplay->isChecked());
    EXPECT_EQ(ReadConfig(), "[setting]\ndisplayHelpDialog=1\n");
    ::chmod(ConfigPath().toLocal8Bit().constData(), 0644);
}
