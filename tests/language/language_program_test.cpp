// The language inside the program: which file a start reads, every window receiving its
// keys, the texts the main window keeps, a missing file, and the language list of the
// settings dialog.
#include "program_fixture.h"

#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "UnitHelpDialog.h"
#include "UnitHistory.h"
#include "UnitSetting.h"
#include "Unit_common.h"
#include "language_keys.h"
#include "profile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using language_test::CaptionOf;
using language_test::ScopedLocale;

std::string ShippedValue(const char* file, const char* section, const char* key)
{
    const std::string path = QDir(QCoreApplication::applicationDirPath()).filePath("language/").toStdString() + file;
    return profile::ReadString(path, section, key, "");
}

QString Shipped(const char* file, const char* section, const char* key)
{
    return QString::fromStdString(ShippedValue(file, section, key));
}

class ProgramLanguage : public language_test::ProgramFixture {
protected:
    // Every caption key whose window and control exist shows the file's value.
    void ExpectEveryExistingCaptionFrom(const char* file)
    {
        int checked = 0;
        for (const language_keys::Key& k : language_keys::Keys()) {
            if (k.target != language_keys::Target::Caption) continue;
            QObject* target = Target(k.section, k.key);
            if (!target) continue;
            ++checked;
            EXPECT_EQ(CaptionOf(target), Shipped(file, k.section, k.key)) << k.section << "/" << k.key;
        }
        // The windows that exist today carry most of the captions.
        EXPECT_GE(checked, 40);
    }
};

}  // namespace

TEST_F(ProgramLanguage, LanguageOneReadsTheChineseFileInEveryWindow)
{
    WriteConfig("[common]\nlanguage=1\n");
    Start();
    EXPECT_EQ(windows_->frmCommon().LanguageFilePath().substr(windows_->frmCommon().LanguageFilePath().size() - 15),
              "language/gb.ini");
    EXPECT_EQ(QApplication::applicationDisplayName(), Shipped("gb.ini", "App", "Title"));
    EXPECT_EQ(main().windowTitle(), Shipped("gb.ini", "frmMain", "Caption"));
    EXPECT_EQ(windows_->frmSetting().windowTitle(), QString::fromUtf8("设置"));
    EXPECT_EQ(windows_->frmDisplay().windowTitle(), Shipped("gb.ini", "frmDisplay", "caption"));
    EXPECT_EQ(windows_->frmHelpDialog().windowTitle(), Shipped("gb.ini", "frmHelpDialog", "title"));
    EXPECT_EQ(main().ButtonRecord->text(), QString::fromUtf8("开始演唱"));
    EXPECT_EQ(main().stopCaption(), QString::fromUtf8("停止演唱"));
    EXPECT_EQ(main().History->ColumnCaption(), QString::fromUtf8("文件"));
    EXPECT_EQ(windows_->frmDisplay().PopupMenu()->actions().at(0)->text(), QString::fromUtf8("暂停/继续(&P)"));
    ExpectEveryExistingCaptionFrom("gb.ini");
    // The program's own messages are Chinese too.
    EXPECT_EQ(program_messages::Text(program_messages::Id::SavedTo), Shipped("gb.ini", "messages", "savedTo"));
}

TEST_F(ProgramLanguage, NoConfigOrLanguageThreeReadsTheEnglishFile)
{
    Start();
    EXPECT_EQ(main().windowTitle(), "Chorvane Karaoke Recorder");
    EXPECT_EQ(windows_->frmDisplay().windowTitle(), "Display");
    EXPECT_EQ(main().ButtonRecord->text(), "Start singing");
    ExpectEveryExistingCaptionFrom("en.ini");

    // A Chinese desktop does not overrule a stored 3.
    windows_.reset();
    WriteConfig("[common]\nlanguage=3\n");
    ScopedLocale chinese("zh_CN.UTF-8");
    Start();
    EXPECT_EQ(main().windowTitle(), "Chorvane Karaoke Recorder");
    EXPECT_EQ(windows_->frmSetting().windowTitle(), "Settings");
}

TEST_F(ProgramLanguage, WithoutTheLanguageKeyTheDesktopLocaleDecides)
{
    {
        ScopedLocale chinese("zh_CN.UTF-8");
        Start();
        EXPECT_EQ(windows_->frmCommon().LanguageNumber(), 1);
        EXPECT_EQ(main().windowTitle(), Shipped("gb.ini", "frmMain", "Caption"));
    }
    {
        ScopedLocale taiwan("zh_TW");
        Start();
        EXPECT_EQ(windows_->frmCommon().LanguageNumber(), 1);
    }
    {
        ScopedLocale german("de_DE.UTF-8");
        Start();
        EXPECT_EQ(windows_->frmCommon().LanguageNumber(), 2);
        EXPECT_EQ(main().windowTitle(), "Chorvane Karaoke Recorder");
    }
    {
        // LC_ALL comes before LANG.
        ScopedLocale chineseLang("zh_CN.UTF-8");
        ScopedEnv all("LC_ALL", "C");
        Start();
        EXPECT_EQ(windows_->frmCommon().LanguageNumber(), 2);
    }
    // Nothing is written: the choice follows the desktop until the user makes one.
    EXPECT_FALSE(ReadConfig().contains("language"));
}

TEST_F(ProgramLanguage, WithTheFileRemovedEveryCaptionAndListedMessageIsEmpty)
{
    QTemporaryDir emptyData;
    Start(emptyData.path().toStdString());
    for (const language_keys::Key& k : language_keys::Keys()) {
        if (k.target != language_keys::Target::Caption) continue;
        if (QObject* target = Target(k.section, k.key)) EXPECT_EQ(CaptionOf(target), "") << k.section << "/" << k.key;
    }
    EXPECT_EQ(QApplication::applicationDisplayName(), "");
    EXPECT_EQ(main().windowTitle(), "");
    EXPECT_EQ(windows_->frmSetting().windowTitle(), "");
    EXPECT_EQ(windows_->frmDisplay().windowTitle(), "");
    EXPECT_EQ(windows_->frmHelpDialog().windowTitle(), "");
    EXPECT_EQ(main().ButtonRecord->text(), "");
    EXPECT_EQ(main().stopCaption(), "");
    EXPECT_EQ(main().stereoMixerMessage(), "");
    EXPECT_EQ(main().History->ColumnCaption(), "");
    // The no-accompaniment message is empty too: a message box without text.
    messages_.clear();
    main().ButtonRecord->click();
    EXPECT_EQ(messages_, QStringList{QString()});
    EXPECT_EQ(main().takeState(), 0);
    // The settings lists keep their fixed entries; so does the time display.
    TfrmSetting& setting = windows_->frmSetting();
    EXPECT_EQ(setting.ComboBoxWAVFrequency->currentText(), "44100 hertz");
    EXPECT_EQ(setting.ComboBoxWAVChannels->currentText(), "STEREO");
    EXPECT_EQ(setting.ComboBoxMP3BitRate->currentText(), "128Kbps");
    EXPECT_EQ(setting.ComboBoxLanguage->itemText(0), "English");
    EXPECT_EQ(setting.ComboBoxLanguage->itemText(1), QString::fromUtf8("中文"));
    EXPECT_EQ(main().RzLEDDisplay->caption(), "00:00:00  00:00:00");
    // The program's own messages fall back on their built-in English.
    EXPECT_EQ(program_messages::Text(program_messages::Id::SourceLost),
              QString::fromUtf8(program_messages::EnglishOf(program_messages::Id::SourceLost)));
}

TEST_F(ProgramLanguage, TheMainWindowShowsTheTextsItKeeps)
{
    Start();
    messages_.clear();
    main().ButtonRecord->click();
    EXPECT_EQ(messages_, QStringList{"Please choose an accompaniment file first."});
    EXPECT_EQ(main().noAccompanimentMessage(), Shipped("en.ini", "frmMain", "msgMessage1"));
    EXPECT_EQ(main().stereoMixerMessage(), Shipped("en.ini", "frmMain", "msgStereoMixerSetting"));
    EXPECT_EQ(main().History->ColumnCaption(), "Files");
    EXPECT_EQ(main().findChild<QLabel*>("LabelKaraokeFile")->text(), "&Music:");
    // The accelerator of the label takes the keyboard to its field.
    EXPECT_EQ(main().findChild<QLabel*>("LabelKaraokeFile")->buddy(), main().EditKaraokeFile);
}

TEST_F(ProgramLanguage, AWindowThatArrivesWithMatchingNamesReceivesItsTexts)
{
    windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                folder_.path().toStdString());
    // A window that the main window does not own, registered by the wiring.
    QWidget editor;
    editor.setObjectName("frmAudioEditor");
    auto* menu = new QMenu(&editor);
    QAction* spliter = menu->addAction("");
    spliter->setObjectName("popMenuSpliter1");
    main().Language().AddWindow(&editor);
    main().show();
    test_support::SpinFor(50);
    // The recording source dialog, which arrived with its names, has its texts.
    QWidget* mixer = main().Language().FindWindow("frmStereoMixer");
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->windowTitle(), "Recording Source");
    EXPECT_EQ(CaptionOf(TLanguageLoader::FindControl(mixer, "LabelNotice")), Shipped("en.ini", "frmStereoMixer", "LabelNotice"));
    EXPECT_EQ(editor.windowTitle(), "Audio Editor");
    EXPECT_TRUE(spliter->isSeparator());
    EXPECT_EQ(editor.property("saveQuestion").toString(), Shipped("en.ini", "frmAudioEditor", "msgSaveNotice"));
    EXPECT_EQ(editor.property("overwriteQuestion").toString(), Shipped("en.ini", "frmAudioEditor", "msgOverwriteNotice"));
}

TEST_F(ProgramLanguage, TheSettingsLanguageListWritesTheChoiceForTheNextStart)
{
    Start();
    TfrmSetting& setting = windows_->frmSetting();
    setting.show();
    test_support::SpinFor(20);
    EXPECT_EQ(setting.LabelLanguage->text(), "Language");
    EXPECT_EQ(setting.ComboBoxLanguage->currentIndex(), 0);
    EXPECT_FALSE(setting.LabelLanguageNotice->isVisible());
    setting.ComboBoxLanguage->setCurrentIndex(1);
    // The dialog says that the change waits for the next start.
    EXPECT_TRUE(setting.LabelLanguageNotice->isVisible());
    EXPECT_EQ(setting.LabelLanguageNotice->text(), "Applies at the next start");
    setting.ButtonOK->click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_TRUE(ReadConfig().contains("[common]\nlanguage=1\n")) << ReadConfig().constData();
    // This run keeps its language.
    EXPECT_EQ(main().windowTitle(), "Chorvane Karaoke Recorder");

    // The next start is Chinese, and the list shows the choice.
    Start();
    EXPECT_EQ(main().windowTitle(), Shipped("gb.ini", "frmMain", "Caption"));
    windows_->frmSetting().show();
    test_support::SpinFor(20);
    EXPECT_EQ(windows_->frmSetting().ComboBoxLanguage->currentIndex(), 1);
    EXPECT_FALSE(windows_->frmSetting().LabelLanguageNotice->isVisible());
    EXPECT_EQ(windows_->frmSetting().LabelLanguage->text(), QString::fromUtf8("界面语言"));

    // OK without a change of language writes no language key.
    windows_.reset();
    WriteConfig("");
    Start();
    windows_->frmSetting().show();
    windows_->frmSetting().ButtonOK->click();
    EXPECT_FALSE(ReadConfig().contains("language")) << ReadConfig().constData();
}

TEST_F(ProgramLanguage, TheEnglishFileLeavesNoChineseCaptionInTheMainWindow)
{
    Start();
    QStringList chinese;
    auto check = [&](const QString& text, QObject* where) {
        for (QChar c : text)
            if (c.unicode() >= 0x2E80) {
                chinese << where->objectName() + ": " + text;
                return;
            }
    };
    for (QObject* o : main().findChildren<QObject*>()) {
        if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow() && !qobject_cast<QMenu*>(w)) continue;
        check(CaptionOf(o), o);
    }
    for (QTabWidget* tabs : main().findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) check(tabs->tabText(i), tabs);
    EXPECT_TRUE(chinese.isEmpty()) << chinese.join("\n").toStdString();
}
