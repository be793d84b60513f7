// ApplyLanguage on windows made here: every kind of target, letter case, the cut at
// 2047 bytes, the accelerator, the separators, and files or keys that are missing.
#include "language_keys.h"
#include "language_loader.h"
#include "language_test_support.h"
#include "program_messages.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

using language_test::WriteFile;

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A main window carrying some of the real names, with a settings dialog and an editor
// window of its own, and the texts it keeps as properties.
class LoaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        main_ = std::make_unique<QWidget>();
        main_->setObjectName("frmMain");
        main_->setWindowTitle("built-in");
        group_ = Named(new QGroupBox("built-in", main_.get()), "GroupBoxKaraokeFile");
        left_ = Named(new QCheckBox("built-in", group_), "CheckBoxLeftChannel");
        label_ = Named(new QLabel("built-in", group_), "LabelKaraokeFile");
        record_ = Named(new QPushButton("built-in", main_.get()), "ButtonRecord");
        menu_ = Named(new QMenu("built-in", main_.get()), "N1");
        exit_ = Named(menu_->addAction("built-in"), "N1_1");
        tabs_ = Named(new QTabWidget(main_.get()), "PageControl");
        tabs_->addTab(Named(new QWidget, "TabSheetSongList"), "built-in");
        tabs_->addTab(Named(new QWidget, "TabSheetHistory"), "built-in");
        history_ = Named(new QTableView(tabs_->widget(1)), "ListViewHistory");
        auto* model = new QStandardItemModel(0, 1, history_);
        model->setHorizontalHeaderLabels({"built-in"});
        history_->setModel(model);

        setting_ = Named(new QWidget(main_.get(), Qt::Dialog), "frmSetting");
        frequency_ = Named(new QLabel("built-in", setting_), "LabelWAVFrequency");
        ok_ = Named(new QPushButton("built-in", setting_), "ButtonOK");

        editor_ = std::make_unique<QWidget>();
        editor_->setObjectName("frmAudioEditor");
        editorMenu_ = new QMenu(editor_.get());
        play_ = Named(editorMenu_->addAction("built-in"), "popMenuPlay");
        spliter1_ = Named(editorMenu_->addAction(""), "popMenuSpliter1");
        spliter1_->setSeparator(true);
        spliter2_ = Named(editorMenu_->addAction(""), "popMenuSpliter2");
        spliter2_->setSeparator(true);

        loader_ = std::make_unique<TLanguageLoader>(main_.get());
        loader_->AddWindow(editor_.get());
        program_messages::Reset();
        QApplication::setApplicationDisplayName("built-in");
    }
    void TearDown() override
    {
        program_messages::Reset();
        QApplication::setApplicationDisplayName("Chorvane");
    }

    std::string File(const QByteArray& text) { return WriteFile(dir_, "lang.ini", text); }

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> main_;
    QGroupBox* group_;
    QCheckBox* left_;
    QLabel* label_;
    QPushButton* record_;
    QMenu* menu_;
    QAction* exit_;
    QTabWidget* tabs_;
    QTableView* history_;
    QWidget* setting_;
    QLabel* frequency_;
    QPushButton* ok_;
    std::unique_ptr<QWidget> editor_;
    QMenu* editorMenu_;
    QAction* play_;
    QAction* spliter1_;
    QAction* spliter2_;
    std::unique_ptr<TLanguageLoader> loader_;
};

}  // namespace

TEST(LanguageKeys, TheListHoldsTheKeysOfEverySectionInTheirOrder)
{
    const auto keys = language_keys::Keys();
    ASSERT_EQ(keys.size(), 122u);
    EXPECT_STREQ(keys.front().section, "App");
    EXPECT_STREQ(keys.front().key, "Title");
    EXPECT_STREQ(keys.back().section, "frmHelpDialog");
    EXPECT_STREQ(keys.back().key, "ButtonNo");
    // The sections come one after the other, each once.
    QStringList sections;
    for (const language_keys::Key& k : keys)
        if (sections.isEmpty() || sections.back() != k.section) sections << k.section;
    EXPECT_EQ(sections, (QStringList{"App", "frmMain", "frmSetting", "frmDisplay", "frmStereoMixer", "frmAudioEditor",
                                     "frmHelpDialog"}));
    int perSection[7] = {};
    for (const language_keys::Key& k : keys) ++perSection[sections.indexOf(k.section)];
    EXPECT_EQ(perSection[0], 1);
    EXPECT_EQ(perSection[1], 73);
    EXPECT_EQ(perSection[2], 16);
    EXPECT_EQ(perSection[3], 4);
    EXPECT_EQ(perSection[4], 6);
    EXPECT_EQ(perSection[5], 16);
    EXPECT_EQ(perSection[6], 6);
}

TEST_F(LoaderTest, EachKeySetsItsControlWindowMenuTabColumnAndKeptText)
{
    const std::string path = File(
        "[App]\nTitle=Karaoke\n"
        "[frmMain]\nCaption=Main caption\nN1=&Control\nN1_1=E&xit\nGroupBoxKaraokeFile=Files\n"
        "CheckBoxLeftChannel=Left\nLabelKaraokeFile=&Music:\nbuttonRecord=Sing\nbuttonStop=Stop\n"
        "msgMessage1=No song\nmsgStereoMixerSetting=No stereo mix\nTabSheetSongList=Songs\nTabSheetHistory=Takes\n"
        "listViewHistoryItem1=Recordings\n"
        "[frmSetting]\nCaption=Settings\nButtonOK=OK\n");
    loader_->ApplyLanguage(path);
    EXPECT_EQ(QApplication::applicationDisplayName(), "Karaoke");
    EXPECT_EQ(main_->windowTitle(), "Main caption");
    EXPECT_EQ(menu_->title(), "&Control");
    EXPECT_EQ(menu_->menuAction()->text(), "&Control");
    EXPECT_EQ(exit_->text(), "E&xit");
    EXPECT_EQ(group_->title(), "Files");
    EXPECT_EQ(left_->text(), "Left");
    EXPECT_EQ(label_->text(), "&Music:");
    EXPECT_EQ(tabs_->tabText(0), "Songs");
    EXPECT_EQ(tabs_->tabText(1), "Takes");
    EXPECT_EQ(history_->model()->headerData(0, Qt::Horizontal).toString(), "Recordings");
    // The start caption is kept and set on the sing button at once; the others are kept.
    EXPECT_EQ(record_->text(), "Sing");
    EXPECT_EQ(main_->property("buttonRecord").toString(), "Sing");
    EXPECT_EQ(main_->property("buttonStop").toString(), "Stop");
    EXPECT_EQ(main_->property("msgMessage1").toString(), "No song");
    EXPECT_EQ(main_->property("msgStereoMixerSetting").toString(), "No stereo mix");
    EXPECT_EQ(setting_->windowTitle(), "Settings");
    EXPECT_EQ(ok_->text(), "OK");
    EXPECT_EQ(loader_->Text("frmMain", "TabSheetHistory"), "Takes");
}

TEST_F(LoaderTest, KeysAndNamesAreFoundInAnyLetterCase)
{
    // The list's LabelWavFrequency reaches the control LabelWAVFrequency; the file may
    // spell section and key any way too.
    loader_->ApplyLanguage(File("[FRMSETTING]\nlabelwavfrequency=Rate\n[frmmain]\nCHECKBOXLEFTCHANNEL=Left\n"));
    EXPECT_EQ(frequency_->text(), "Rate");
    EXPECT_EQ(left_->text(), "Left");
}

TEST_F(LoaderTest, AControlIsLookedForOnlyInItsOwnWindow)
{
    // frmMain has no ButtonOK of its own: the settings dialog's button keeps its text
    // when only the main window's keys are read.
    EXPECT_EQ(TLanguageLoader::FindControl(main_.get(), "ButtonOK"), nullptr);
    EXPECT_EQ(TLanguageLoader::FindControl(setting_, "ButtonOK"), ok_);
    EXPECT_EQ(TLanguageLoader::FindControl(main_.get(), "N1_1"), exit_);  // menus belong to their window
    EXPECT_EQ(loader_->FindWindow("FRMSETTING"), setting_);
    EXPECT_EQ(loader_->FindWindow("frmAudioEditor"), editor_.get());
    EXPECT_EQ(loader_->FindWindow("frmStereoMixer"), nullptr);
}

TEST_F(LoaderTest, AMissingFileEmptiesEveryListedTargetAndKeepsTheBuiltInMessages)
{
    loader_->ApplyLanguage(QDir(dir_.path()).filePath("missing.ini").toStdString());
    EXPECT_EQ(QApplication::applicationDisplayName(), "");
    EXPECT_EQ(main_->windowTitle(), "");
    EXPECT_EQ(menu_->title(), "");
    EXPECT_EQ(exit_->text(), "");
    EXPECT_EQ(group_->title(), "");
    EXPECT_EQ(left_->text(), "");
    EXPECT_EQ(label_->text(), "");
    EXPECT_EQ(record_->text(), "");
    EXPECT_EQ(tabs_->tabText(0), "");
    EXPECT_EQ(history_->model()->headerData(0, Qt::Horizontal).toString(), "");
    EXPECT_EQ(main_->property("msgMessage1").toString(), "");
    EXPECT_EQ(main_->property("buttonStop").toString(), "");
    EXPECT_EQ(setting_->windowTitle(), "");
    EXPECT_EQ(frequency_->text(), "");
    EXPECT_EQ(play_->text(), "");
    // The program's own messages have a built-in English text to fall back on.
    EXPECT_EQ(program_messages::Text(program_messages::Id::SourceLost),
              QString::fromUtf8(program_messages::EnglishOf(program_messages::Id::SourceLost)));
}

TEST_F(LoaderTest, AMissingKeyEmptiesThatOneTarget)
{
    loader_->ApplyLanguage(File("[frmMain]\nCaption=Main\nN1=Control\n"));
    EXPECT_EQ(main_->windowTitle(), "Main");
    EXPECT_EQ(menu_->title(), "Control");
    EXPECT_EQ(exit_->text(), "");
    EXPECT_EQ(group_->title(), "");
}

TEST_F(LoaderTest, TheSeparatorsAreLinesForAHyphenAndCommandlessItemsOtherwise)
{
    loader_->ApplyLanguage(File("[frmAudioEditor]\npopMenuPlay=&Play\npopMenuSpliter2=-\n"));
    EXPECT_EQ(play_->text(), "&Play");
    EXPECT_TRUE(spliter2_->isSeparator());
    // popMenuSpliter1 is missing: an empty item that does nothing when chosen.
    EXPECT_FALSE(spliter1_->isSeparator());
    EXPECT_EQ(spliter1_->text(), "");
    EXPECT_TRUE(spliter1_->isVisible());
    EXPECT_EQ(editorMenu_->actions().indexOf(spliter1_), 1);
    QSignalSpy triggered(spliter1_, &QAction::triggered);
    spliter1_->trigger();
    EXPECT_EQ(triggered.size(), 1);  // nothing is connected to it: the item has no command

    loader_->ApplyLanguage(File("[frmAudioEditor]\npopMenuSpliter1=Extra\npopMenuSpliter2=-\n"));
    EXPECT_FALSE(spliter1_->isSeparator());
    EXPECT_EQ(spliter1_->text(), "Extra");
}

TEST_F(LoaderTest, LongValuesAreCutTo2047BytesOnACharacterBoundary)
{
    // 700 three-byte characters: 2100 bytes, cut to 682 whole characters (2046 bytes).
    QByteArray value;
    for (int i = 0; i < 700; ++i) value += "\xE5\x94\xB1";  // 唱
    loader_->ApplyLanguage(File("[frmMain]\nCaption=" + value + "\nN1=" + QByteArray(3000, 'a') + "\n"));
    EXPECT_EQ(main_->windowTitle(), QString(682, QChar(0x5531)));
    EXPECT_EQ(main_->windowTitle().toUtf8().size(), 2046);
    EXPECT_EQ(menu_->title(), QString(2047, QLatin1Char('a')));
}

TEST_F(LoaderTest, AnAmpersandMarksTheAcceleratorAndAltPressesTheButton)
{
    loader_->ApplyLanguage(File("[frmSetting]\nButtonOK=&OK\n"));
    EXPECT_EQ(ok_->text(), "&OK");
    EXPECT_EQ(QKeySequence::mnemonic(ok_->text()), QKeySequence(Qt::ALT | Qt::Key_O));
    // The button shows OK: the ampersand takes no room.
    EXPECT_EQ(ok_->fontMetrics().size(Qt::TextShowMnemonic, ok_->text()), ok_->fontMetrics().size(0, "OK"));

    QSignalSpy clicked(ok_, &QPushButton::clicked);
    setting_->show();
    setting_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(setting_));
    // The accelerator presses the button the way a click does (shown pressed a moment).
    QTest::keyClick(setting_, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.size() == 1; }, 2000));
    QTest::keyClick(setting_, Qt::Key_X, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(clicked.size(), 1);
}

TEST_F(LoaderTest, WindowsAndControlsThatDoNotExistArePassedOver)
{
    delete tabs_;
    delete exit_;
    loader_->ApplyLanguage(File("[frmMain]\nTabSheetHistory=Takes\nN1_1=Exit\nlistViewHistoryItem1=Files\n"
                                "[frmStereoMixer]\ncaption=Sources\n[frmHelpDialog]\ntitle=Welcome\n"));
    EXPECT_EQ(loader_->Text("frmStereoMixer", "caption"), "Sources");
}

TEST_F(LoaderTest, TheProgramsMessagesComeFromTheirSectionWithTheBuiltInEnglishForMissingKeys)
{
    loader_->ApplyLanguage(File("[messages]\nsourceLost=Lost: %1\nSAVEDTO=Kept in %1\n"));
    using program_messages::Id;
    EXPECT_EQ(program_messages::Text(Id::SourceLost).arg("/a.mp3"), "Lost: /a.mp3");
    EXPECT_EQ(program_messages::Text(Id::SavedTo).arg("/a.mp3"), "Kept in /a.mp3");
    EXPECT_EQ(program_messages::Text(Id::EncoderMissing), QString::fromUtf8(program_messages::EnglishOf(Id::EncoderMissing)));
    program_messages::Reset();
    EXPECT_EQ(program_messages::Text(Id::SourceLost), QString::fromUtf8(program_messages::EnglishOf(Id::SourceLost)));
}

TEST_F(LoaderTest, AddedCaptionsFallBackToTheirBuiltInEnglish)
{
    auto* language = Named(new QLabel("built-in", setting_), "LabelLanguage");
    loader_->ApplyLanguage(File("[frmSetting]\nCaption=Settings\n"));
    EXPECT_EQ(language->text(), "Language");
    loader_->ApplyLanguage(File("[frmSetting]\nLabelLanguage=Sprache\n"));
    EXPECT_EQ(language->text(), "Sprache");
}
