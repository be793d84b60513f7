// The main window's commands: every menu item and toolbar button reaches its handler
// (the address handed to the shell, the program started, the window shown or closed),
// the keys reach the menus and the sing button, and the menu bar leaves the client area.
#include "skin_fixture.h"

#include "UnitDisplay.h"
#include "UnitMainCommands.h"
#include "UnitSetting.h"
#include "UnitStereoMixer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

class CommandsTest : public SkinProgramTest {
protected:
    void SetUp() override
    {
        SkinProgramTest::SetUp();
        message_box::SetSink([this](const QString& text) { messages_ << text; });
    }
    // Starts with the address set of `language` (1 Chinese, 2 English); every address
    // and program the commands hand on is recorded instead of opened.
    void StartIn(int language)
    {
        QFile config(QDir(folder_.path()).filePath("config.ini"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[common]\nlanguage=" + QByteArray::number(language) + "\n");
        config.close();
        Start();
        opened_.clear();
        windows_->frmCommon().SetOpener([this](const std::string& address) { opened_.push_back(address); });
        windows_->commands().SetLauncher({[this](const QString& name) { return installed_.contains(name) ? "/usr/bin/" + name : QString(); },
                                          [this](const std::string& program, const std::vector<std::string>& arguments) {
                                              started_.push_back(program);
                                              for (const std::string& a : arguments) started_.push_back(a);
                                          }});
    }
    void Trigger(const char* item)
    {
        QAction* action = windows_->commands().Item(QLatin1String(item));
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
    }
    void Click(const char* button)
    {
        auto* b = main().findChild<QToolButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    // What the command handed to the shell, and nothing else.
    std::vector<std::string> OpenedBy(const std::function<void()>& command)
    {
        opened_.clear();
        command();
        return opened_;
    }
    TfrmCommon& common() { return windows_->frmCommon(); }
    // The keyboard goes to the main window: the recording source dialog, which the start
    // shows and which would then hold it, is put away.
    [[nodiscard]] bool Activate()
    {
        test_support::SpinUntil([this] { return windows_->frmStereoMixer().isVisible(); }, 2000);
        windows_->frmStereoMixer().hide();
        main().activateWindow();
        return QTest::qWaitForWindowActive(&main()) &&
               test_support::SpinUntil([this] { return QApplication::activeWindow() == &main(); }, 2000);
    }

    std::vector<std::string> opened_;
    std::vector<std::string> started_;
    QStringList installed_;
    QStringList messages_;
};

using Addresses = std::vector<std::string>;

}  // namespace

TEST_F(CommandsTest, EveryWebAndFolderCommandOpensItsAddressAndTheEnglishSetHasNoHelp)
{
    StartIn(2);
    const Addresses home{common().HomePageAddress()};
    // The recordings folder is the default one, whatever the settings name.
    profile::WriteString(common().ConfigPath(), "recorder_setting", "folder", (folder_.path() + "/elsewhere").toStdString());
    EXPECT_EQ(OpenedBy([&] { Click("ToolButton1"); }), Addresses{folder_.path().toStdString() + "/Music/Chorvane"});
    const Addresses site = OpenedBy([&] { Click("ToolButton2"); });
    ASSERT_EQ(site.size(), 1u);
    EXPECT_TRUE(site[0].starts_with("https://")) << site[0];
    EXPECT_EQ(OpenedBy([&] { Click("ToolButton5"); }), Addresses{common().SupportAddress()});
    EXPECT_EQ(OpenedBy([&] { Click("ToolButton6"); }), home);  // "contact us" is the home page
    EXPECT_EQ(OpenedBy([&] { Click("ToolButton7"); }), home);
    EXPECT_EQ(OpenedBy([&] { Trigger("N_HomePage"); }), home);
    EXPECT_EQ(OpenedBy([&] { Trigger("N_Support"); }), Addresses{common().SupportAddress()});
    EXPECT_EQ(OpenedBy([&] { Trigger("N_FeedBack"); }), Addresses{common().ContactAddress()});
    EXPECT_EQ(OpenedBy([&] { Trigger("N_Update"); }), home);
    // No help page in English: the toolbar, the menu and F1 open nothing and say nothing.
    EXPECT_TRUE(OpenedBy([&] { Click("ToolButton4"); }).empty());
    EXPECT_TRUE(OpenedBy([&] { Trigger("N_LocalHelp"); }).empty());
    ASSERT_TRUE(Activate());
    EXPECT_TRUE(OpenedBy([&] { QTest::keyClick(&main(), Qt::Key_F1); }).empty());
    // The other products' entries carry no command.
    EXPECT_TRUE(OpenedBy([&] {
                    for (const char* item : {"N_Product1", "N_Product4", "N_Product7"}) Trigger(item);
                }).empty());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

TEST_F(CommandsTest, WithTheChineseSetTheHelpCommandsAndF1OpenTheHelpPage)
{
    StartIn(1);
    const Addresses help{common().HelpPageAddress() + "?user="};
    ASSERT_FALSE(common().HelpPageAddress().empty());
    EXPECT_EQ(OpenedBy([&] { Click("ToolButton4"); }), help);
    EXPECT_EQ(OpenedBy([&] { Trigger("N_LocalHelp"); }), help);
    ASSERT_TRUE(Activate());
    EXPECT_EQ(OpenedBy([&] { QTest::keyClick(&main(), Qt::Key_F1); }), help);
}

TEST_F(CommandsTest, OptionsShowTheDialogsAndStartTheVolumeControlViewShowsTheHiddenDisplay)
{
    StartIn(2);
    TfrmSetting& settings = windows_->frmSetting();
    TfrmStereoMixer& sources = windows_->frmStereoMixer();
    // Shown at start when the stereo mix is left to the user.
    ASSERT_TRUE(test_support::SpinUntil([&] { return sources.isVisible(); }, 2000));
    sources.hide();
    ASSERT_FALSE(settings.isVisible());
    Trigger("N2_1");
    EXPECT_TRUE(settings.isVisible());
    Trigger("N2_2");
    EXPECT_TRUE(sources.isVisible());

    // The volume control: pavucontrol's output devices, else the desktop's sound settings.
    installed_ = {"gnome-control-center", "pavucontrol"};
    Trigger("N2_3");
    EXPECT_EQ(started_, (std::vector<std::string>{"/usr/bin/pavucontrol", "--tab=3"}));
    started_.clear();
    installed_ = {"systemsettings"};
    Trigger("N2_3");
    EXPECT_EQ(started_, (std::vector<std::string>{"/usr/bin/systemsettings", "kcm_pulseaudio"}));
    started_.clear();
    installed_.clear();
    Trigger("N2_3");
    EXPECT_TRUE(started_.empty());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();

    TfrmDisplay& display = windows_->frmDisplay();
    ASSERT_FALSE(display.isVisible());
    Trigger("N_ViewVideo");
    ASSERT_TRUE(display.isVisible());
    // Shown already: it stays where the user put it, at its size.
    display.move(display.pos() + QPoint(37, 23));
    const QRect where = display.geometry();
    Trigger("N_ViewVideo");
    test_support::SpinFor(20);
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(display.geometry(), where);
}

TEST_F(CommandsTest, ExitTheCloseButtonAndCtrlQCloseTheMainWindow)
{
    const std::function<void()> closers[] = {
        [this] { Trigger("N1_1"); },
        [this] { Click("ToolButton8"); },
        [this] {
            ASSERT_TRUE(Activate());
            QTest::keyClick(&main(), Qt::Key_Q, Qt::ControlModifier);
        },
    };
    for (size_t i = 0; i < std::size(closers); ++i) {
        StartIn(2);
        ASSERT_TRUE(main().isVisible());
        closers[i]();
        EXPECT_TRUE(test_support::SpinUntil([&] { return !main().isVisible(); }, 2000)) << i;
    }
}

TEST_F(CommandsTest, AltAndEachAcceleratorOpenItsMenuAndSpaceReachesTheSingButton)
{
    StartIn(2);
    ASSERT_TRUE(Activate());
    EXPECT_EQ(QApplication::focusWidget(), main().ButtonRecord);
    // Space presses the sing button: without an accompaniment it asks for one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], main().noAccompanimentMessage());
    // The toolbar's sing button presses it too.
    Click("ToolButton3");
    ASSERT_EQ(messages_.size(), 2);

    std::set<QChar> letters;
    const QList<QAction*> titles = windows_->commands().menuBar()->actions();
    ASSERT_EQ(titles.size(), 6);
    for (QAction* item : titles) {
        QMenu* menu = item->menu();
        ASSERT_NE(menu, nullptr);
        const QString title = menu->title();  // from en.ini
        const qsizetype amp = title.indexOf('&');
        ASSERT_TRUE(amp >= 0 && amp + 1 < title.size()) << title.toStdString();
        const QChar letter = title.at(amp + 1).toUpper();
        EXPECT_TRUE(letters.insert(letter).second) << "two menus on Alt+" << QString(letter).toStdString();
        QTest::keyClick(&main(), Qt::Key(letter.unicode()), Qt::AltModifier);
        EXPECT_TRUE(test_support::SpinUntil([&] { return menu->isVisible(); }, 2000)) << title.toStdString();
        menu->close();
        test_support::SpinUntil([&] { return !menu->isVisible(); }, 2000);
    }
    // Alt+O is the Options menu.
    EXPECT_EQ(letters.count(QChar('O')), 1u);
    EXPECT_EQ(main().findChild<QMenu*>("N2")->title(), "&Options");
}

TEST_F(CommandsTest, TheMenuBarSitsAboveTheClientAreaAndEachButtonHasItsOwnPictureAndTooltip)
{
    StartIn(2);
    QMenuBar* bar = windows_->commands().menuBar();
    auto* toolBar = main().findChild<QToolBar*>("ToolBar");
    ASSERT_NE(toolBar, nullptr);
    for (int skin : {10, 11, 5}) {
        skins().ApplySkin(skin);
        test_support::SpinFor(20);
        ASSERT_GT(bar->height(), 10) << skin;
        EXPECT_EQ(main().size(), QSize(TfrmMain::kClientWidth, TfrmMain::kClientHeight + bar->height())) << skin;
        EXPECT_EQ(bar->y(), 0) << skin;
        EXPECT_GE(toolBar->y(), bar->height()) << skin;
        EXPECT_EQ(main().statusBar()->geometry().bottom(), main().height() - 1) << skin;
    }
    std::vector<QImage> pictures;
    QStringList tips;
    for (int i = 1; i <= 8; ++i) {
        auto* button = main().findChild<QToolButton*>(QStringLiteral("ToolButton%1").arg(i));
        ASSERT_NE(button, nullptr);
        const QImage picture = button->icon().pixmap(QSize(32, 32)).toImage();
        ASSERT_EQ(picture.size(), QSize(32, 32)) << i;
        for (const QImage& other : pictures) EXPECT_NE(picture, other) << "ToolButton" << i;
        pictures.push_back(picture);
        EXPECT_FALSE(button->toolTip().isEmpty()) << i;
        EXPECT_FALSE(tips.contains(button->toolTip())) << i;
        tips << button->toolTip();
    }
    EXPECT_EQ(tips.front(), "Open the folder of your recordings");  // from en.ini
}
