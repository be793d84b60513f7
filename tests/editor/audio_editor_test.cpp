// The audio editor window: its controls and menu, the menu states, the modified flag
// with the save question at close, the overwrite question, and what a save writes.
#include "UnitAudioEditor.h"
#include "audio_editor_control.h"
#include "event_loop.h"
#include "message_box.h"
#include "sound_files.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>

#include <filesystem>

namespace {

class AudioEditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        window_.SetQuestionAsker([this](const QString& text) {
            questions_ << text;
            return answer_;
        });
        window_.SetSaveChooser([this] { return savePath_; });
        window_.SetOpenChooser([this] { return openPath_; });
        window_.SetBitRateSource([] { return 160; });
        // A recording: ten seconds of tones, as a take leaves it.
        pcm_ = editor_test::ToneSequence(10, 44100, 2);
        ASSERT_TRUE(editor_test::WriteMp3(Path("take.mp3").toStdString(), pcm_, 44100, 2));
        takeBytes_ = editor_test::ReadBytes(Path("take.mp3").toStdString());
    }
    void TearDown() override { message_box::SetSink(nullptr); }
    QString Path(const char* name) const { return QDir(folder_.path()).filePath(name); }
    editor_control::AudioEditorControl& control() { return *window_.NCTAudioEditor; }
    // The history's Edit command: show, then open.
    void Edit(const QString& path)
    {
        window_.show();
        window_.OpenInEditor(path);
        Wait();
        ASSERT_TRUE(control().HasSound());
    }
    void Wait()
    {
        ASSERT_TRUE(test_support::SpinUntil([this] { return !control().IsBusy(); }, 60000));
        test_support::SpinFor(10);
    }
    void Close()
    {
        window_.close();
        Wait();
    }
    void Select(double fromSecond, double toSecond)
    {
        control().SetSelection(int64_t(fromSecond * 44100), int64_t(toSecond * 44100));
    }

    QTemporaryDir folder_;
    TfrmAudioEditor window_;
    QStringList messages_;
    QStringList questions_;
    bool answer_ = false;
    QString savePath_;
    QString openPath_;
    std::vector<int16_t> pcm_;
    std::vector<char> takeBytes_;
};

}  // namespace

TEST_F(AudioEditorTest, TheWindowHasTheControlsAndTheMenuInTheirPlaces)
{
    EXPECT_EQ(window_.objectName(), "frmAudioEditor");
    EXPECT_EQ(window_.size(), QSize(636, 388));
    EXPECT_TRUE(window_.isWindow());
    EXPECT_EQ(window_.parentWidget(), nullptr);  // its own taskbar entry
    EXPECT_EQ(control().objectName(), "NCTAudioEditor");
    EXPECT_EQ(control().geometry(), QRect(0, 0, 636, 323));
    EXPECT_EQ(window_.ProgressBarLeft->geometry(), QRect(0, 328, 641, 9));
    EXPECT_EQ(window_.ProgressBarRight->geometry(), QRect(0, 336, 641, 9));
    EXPECT_EQ(window_.LabelNotice->geometry(), QRect(0, 351, 641, 17));
    EXPECT_EQ(window_.LabelQuorra->geometry(), QRect(0, 367, 641, 13));
    QStringList names, captions;
    for (QAction* a : window_.PopupMenu->actions()) {
        names << a->objectName();
        captions << (a->isSeparator() ? "-" : a->text());
    }
    EXPECT_EQ(names, QStringList({"popMenuPlay", "popMenuStop", "popMenuSpliter1", "popMenuCut", "popMenuCopy",
                                  "popMenuPaste", "popMenuPasteFromFile", "popMenuDelete", "popMenuSpliter2",
                                  "popMenuSaveSelected", "popMenuSave"}));
    EXPECT_EQ(captions, QStringList({"Play", "Stop", "-", "Cut", "Copy", "Paste", "Paste from file...",
                                     "Delete Selected", "-", "Save Selected data...", "Save as..."}));
    // The language loader finds everything by name.
    for (const QString& name : names) EXPECT_NE(window_.findChild<QAction*>(name), nullptr) << name.toStdString();
    window_.setProperty("saveQuestion", "Save?");
    window_.setProperty("overwriteQuestion", "Replace?");
    EXPECT_EQ(window_.SaveQuestion(), "Save?");
    EXPECT_EQ(window_.OverwriteQuestion(), "Replace?");
    int opened = 0;
    window_.SetHomePageOpener([&] { ++opened; });
    window_.LabelQuorraClick();
    EXPECT_EQ(opened, 1);
}

TEST_F(AudioEditorTest, PasteIsEnabledOnlyByCutOrCopyAndEachShowDisablesItAgain)
{
    Edit(Path("take.mp3"));
    EXPECT_FALSE(window_.popMenuPaste->isEnabled());
    EXPECT_FALSE(window_.popMenuStop->isEnabled());
    Select(1, 2);
    window_.popMenuCopy->trigger();
    EXPECT_TRUE(window_.popMenuPaste->isEnabled());
    EXPECT_FALSE(window_.modified());
    Close();
    EXPECT_TRUE(questions_.isEmpty()) << "copying does not change the sound";
    Edit(Path("take.mp3"));
    EXPECT_FALSE(window_.popMenuPaste->isEnabled());
    Select(1, 2);
    window_.popMenuCut->trigger();
    EXPECT_TRUE(window_.popMenuPaste->isEnabled());
    EXPECT_TRUE(window_.modified());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(AudioEditorTest, CutThenCloseAsksTheSaveQuestionAndNoClosesWithoutSaving)
{
    Edit(Path("take.mp3"));
    Select(2, 4);
    window_.popMenuCut->trigger();
    savePath_ = Path("should-not-exist.mp3");
    answer_ = false;
    Close();
    EXPECT_EQ(questions_, QStringList{window_.SaveQuestion()});
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(QFile::exists(savePath_));
    EXPECT_EQ(editor_test::ReadBytes(Path("take.mp3").toStdString()), takeBytes_);
}

TEST_F(AudioEditorTest, YesToTheSaveQuestionSavesTheEditsAfterTheRelease)
{
    Edit(Path("take.mp3"));
    Select(2, 4);
    window_.popMenuCut->trigger();
    savePath_ = Path("edited.wav");
    answer_ = true;
    Close();
    ASSERT_EQ(questions_.size(), 1);
    const auto saved = editor_test::ReadWav(savePath_.toStdString());
    // The decoded MP3 was ten seconds and a little; two seconds were cut.
    EXPECT_NEAR(double(saved.samples.size() / 2), 8 * 44100.0, 3 * 1152.0);
    EXPECT_FALSE(control().HasSound());
    EXPECT_FALSE(control().ReleasedSound().Valid());
}

TEST_F(AudioEditorTest, SavingTheSelectionKeepsTheFlagSoTheCloseStillAsks)
{
    Edit(Path("take.mp3"));
    Select(0, 1);
    window_.popMenuCut->trigger();
    Select(1, 3);
    savePath_ = Path("part");  // no extension: MP3
    window_.popMenuSaveSelected->trigger();
    Wait();
    EXPECT_TRUE(QFile::exists(Path("part.mp3")));
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(window_.modified());
    // 160 kbit/s from the settings: 20000 bytes a second.
    EXPECT_NEAR(double(std::filesystem::file_size(Path("part.mp3").toStdString())), 2 * 20000.0, 3000.0);
    Close();
    EXPECT_EQ(questions_, QStringList{window_.SaveQuestion()});
}

TEST_F(AudioEditorTest, SaveAsOntoAnExistingFileAsksAndNoLeavesTheFileAndTheFlag)
{
    Edit(Path("take.mp3"));
    Select(0, 5);
    window_.popMenuDelete->trigger();
    savePath_ = Path("take.mp3");
    answer_ = false;
    window_.popMenuSave->trigger();
    Wait();
    EXPECT_EQ(questions_, QStringList{window_.OverwriteQuestion()});
    EXPECT_EQ(editor_test::ReadBytes(Path("take.mp3").toStdString()), takeBytes_);
    EXPECT_TRUE(window_.modified());

    // Yes replaces the recording itself with the edit, safely.
    answer_ = true;
    window_.popMenuSave->trigger();
    Wait();
    EXPECT_FALSE(window_.modified());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    const auto size = std::filesystem::file_size(Path("take.mp3").toStdString());
    EXPECT_NEAR(double(size), 5 * 20000.0, 4000.0);  // five seconds left, at 160 kbit/s
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"take.mp3"});
}

TEST_F(AudioEditorTest, CancellingPasteFromFileChangesNothing)
{
    Edit(Path("take.mp3"));
    const int64_t frames = control().CurrentSound().Frames();
    openPath_.clear();
    window_.popMenuPasteFromFile->trigger();
    Wait();
    EXPECT_EQ(control().CurrentSound().Frames(), frames);
    EXPECT_FALSE(window_.modified());

    ASSERT_TRUE(editor_test::WriteWav(Path("one.wav").toStdString(), editor_test::ToneSequence(1, 22050, 1), 22050, 1));
    openPath_ = Path("one.wav");
    window_.popMenuPasteFromFile->trigger();
    EXPECT_TRUE(window_.modified());
    Wait();
    EXPECT_NEAR(double(control().CurrentSound().Frames()), double(frames + 44100), 64);
}

TEST_F(AudioEditorTest, ProgressFillsBothBarsAndTheEndEmptiesThem)
{
    std::vector<int> seen;
    QObject::connect(&control(), &editor_control::AudioEditorControl::OnBlockOperation,
                     [&] { seen.push_back(window_.ProgressBarLeft->value()); });
    Edit(Path("take.mp3"));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(window_.ProgressBarLeft->value(), 0);
    EXPECT_EQ(window_.ProgressBarRight->value(), 0);
}

TEST_F(AudioEditorTest, AFailingCallShowsItsMessage)
{
    window_.show();
    window_.popMenuCut->trigger();  // nothing open
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "No sound is open.");
    window_.OpenInEditor(Path("take.mp3"));
    Wait();
    QFile::remove(Path("missing.mp3"));
    EXPECT_THROW(window_.OpenInEditor(Path("missing.mp3")), ProgramError);
}
