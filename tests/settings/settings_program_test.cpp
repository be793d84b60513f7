// The settings inside the program, with whole takes against the private sound server:
// what the main window holds, which buffer size the recorder uses, and where and at
// which bit rate the take is written.
#include "UnitMain.h"
#include "UnitSetting.h"
#include "event_loop.h"
#include "media_tools.h"
#include "message_box.h"
#include "program_windows.h"
#include "recordings_folder.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

using test_support::SpinFor;
using test_support::SpinUntil;

namespace {

class SettingsProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        QDir().mkpath(programFolder_ + "/language");
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        ASSERT_TRUE(media_tools::MakeToneMp3(song_, 2.0, 440, 660));
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    TfrmMain& Start()
    {
        windows_.reset();
        windows_ = std::make_unique<ProgramWindows>(nullptr, programFolder_.toStdString());
        windows_->frmMain().show();
        SpinFor(100);
        return windows_->frmMain();
    }
    // Runs a take of the song to its end; the recording's path.
    QString Take()
    {
        TfrmMain& main = windows_->frmMain();
        main.EditKaraokeFile->setText(song_);
        main.ButtonRecord->click();
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
        EXPECT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 60000));
        return main.takeOutput();
    }

    QTemporaryDir home_;
    ScopedEnv homeEnv_{"HOME", home_.path().toLocal8Bit()};
    ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", (home_.path() + "/xdg").toLocal8Bit()};
    QString programFolder_ = home_.path() + "/program";
    QString song_ = home_.path() + "/Tone Song.mp3";
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

// The bit rate of the first MPEG audio frame, in kbit/s (MPEG-1 Layer III).
int FirstFrameKbps(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray b = f.readAll();
    int at = 0;
    if (b.startsWith("ID3") && b.size() > 10)
        at = 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
    static constexpr int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1};
    for (; at + 2 < b.size(); ++at)
        if (uint8_t(b[at]) == 0xff && (uint8_t(b[at + 1]) & 0xfe) == 0xfa) return kRates[uint8_t(b[at + 2]) >> 4];
    return -1;
}

}  // namespace

TEST_F(SettingsProgramTest, BufferSizeSavedInOneRunIsShownNextTimeButUsedOnlyAfterOk)
{
    TfrmMain& first = Start();
    const recorder_settings::WorkingValues& v = first.workingValues();
    EXPECT_EQ(std::tuple(v.samplesPerSec, v.channels, v.bitsPerSample, v.mp3BitRate), std::tuple(44100, 2, 16, 128));
    EXPECT_EQ(first.bufferSize(), 0);
    windows_->frmSetting().show();
    windows_->frmSetting().EditBufferSize->setText("8192");
    windows_->frmSetting().ButtonOK->click();
    EXPECT_EQ(first.bufferSize(), 8192);

    TfrmMain& second = Start();
    EXPECT_EQ(second.bufferSize(), 0);
    windows_->frmSetting().show();
    EXPECT_EQ(windows_->frmSetting().EditBufferSize->text(), "8192");
    windows_->frmSetting().ButtonCancel->click();
    const QString take = Take();
    EXPECT_EQ(second.bufferSize(), 16384);  // the recorder ran with the default
    EXPECT_TRUE(take.startsWith(home_.path() + "/Music/Chorvane/")) << take.toStdString();
    EXPECT_GT(QFileInfo(take).size(), 0);
    windows_->frmSetting().show();
    windows_->frmSetting().ButtonOK->click();
    EXPECT_EQ(second.bufferSize(), 8192);
}

TEST_F(SettingsProgramTest, OkWith320KbpsAndAnotherFolderGivesA320KbpsTakeThere)
{
    TfrmMain& main = Start();
    const QString folder = home_.path() + "/other takes";
    TfrmSetting& setting = windows_->frmSetting();
    setting.show();
    EXPECT_EQ(setting.EditOutputFolder->placeholderText(), home_.path() + "/Music/Chorvane");
    setting.ComboBoxMP3BitRate->setCurrentIndex(setting.ComboBoxMP3BitRate->findText("320Kbps"));
    setting.EditOutputFolder->setText(folder);
    setting.ButtonOK->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_EQ(main.workingValues().mp3BitRate, 320);
    const QString take = Take();
    EXPECT_EQ(QFileInfo(take).absolutePath(), folder);
    EXPECT_EQ(QDir(folder).entryList({"*.mp3"}).size(), 1);
    EXPECT_EQ(FirstFrameKbps(take), 320);
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(take)) << main.statusBar()->currentMessage().toStdString();
}

TEST_F(SettingsProgramTest, TheStoredValuesReachTheMainWindowBeforeTheDialogIsMadeWhichKeepsLaterChanges)
{
    QDir().mkpath(programFolder_);
    QFile config(programFolder_ + "/config.ini");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[wav]\nfrequency=8\nchannels=0\n[mp3]\nbitrate=13\n");
    config.close();
    TfrmMain& main = Start();
    EXPECT_EQ(main.findChild<TfrmSetting*>(), nullptr);
    const recorder_settings::WorkingValues& v = main.workingValues();
    EXPECT_EQ(std::tuple(v.samplesPerSec, v.channels, v.mp3BitRate), std::tuple(48000, 1, 320));

    // The recording source dialog changes the mixer; making the settings dialog keeps that.
    recorder_settings::WorkingValues chosen = v;
    chosen.mixerIndex = 3;
    main.SetWorkingValues(chosen);
    TfrmSetting& setting = windows_->frmSetting();
    EXPECT_EQ(main.workingValues().mixerIndex, 3);
    EXPECT_EQ(setting.ComboBoxDriver->count(), main.driverList().size());
    EXPECT_EQ(setting.ComboBoxMP3BitRate->currentText(), "320Kbps");
}

TEST(RecordingsFolder, APortableFolderKeepsMySongsOthersUseTheMusicFolder)
{
    QTemporaryDir dir;
    const ScopedEnv home("HOME", dir.path().toLocal8Bit());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir.path() + "/xdg").toLocal8Bit());
    const QString exe = dir.path() + "/bin";
    QDir().mkpath(exe);
    EXPECT_EQ(recordings_folder::DefaultFolder("/prog/", exe), dir.path() + "/Music/Chorvane");
    // user-dirs.dirs names another Music folder.
    QDir().mkpath(dir.path() + "/xdg");
    QFile dirs(dir.path() + "/xdg/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    dirs.close();
    EXPECT_EQ(recordings_folder::DefaultFolder("/prog/", exe), dir.path() + "/Musik/Chorvane");
    QFile portable(exe + "/portable");
    ASSERT_TRUE(portable.open(QIODevice::WriteOnly));
    portable.close();
    EXPECT_EQ(recordings_folder::DefaultFolder("/prog/", exe), "/prog/my_songs");
}
