// The recording source dialog over the real mixer library and the private sound
// server: two null sinks give their monitors as sources, a slider sets the volume the
// server reports, a sink loaded while the dialog is open appears in it, and a take
// records from the chosen monitor while the desktop's default source stays.
#include "UnitMain.h"
#include "UnitStereoMixer.h"
#include "command.h"
#include "event_loop.h"
#include "media_tools.h"
#include "message_box.h"
#include "program_windows.h"
#include "scoped_env.h"
#include "fake_mixers.h"
#include "source_choice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>

using mixer_test::RunCommand;
using test_support::SpinUntil;

namespace {

std::string Trim(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// Null sinks loaded for one test, unloaded after it; the default source is put back.
class NullSinks {
public:
    ~NullSinks()
    {
        for (const std::string& id : modules_) RunCommand("pactl unload-module " + id);
    }
    bool Load(const std::string& sink, const std::string& description)
    {
        const auto r = RunCommand("pactl load-module module-null-sink rate=44100 channels=2 sink_name=" + sink +
                                  " sink_properties=device.description=" + description);
        if (r.status == 0) modules_.push_back(Trim(r.output));
        return r.status == 0;
    }

private:
    std::vector<std::string> modules_;
};

int IndexOf(const TfrmStereoMixer& d, const QString& name)
{
    return static_cast<int>(d.sourceNames().indexOf(name));
}

class SourceDialogServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunCommand("pactl info").status, 0) << "the private sound server is not running";
        defaultSource_ = Trim(RunCommand("pactl get-default-source").output);
        ASSERT_TRUE(sinks_.Load("sd_first", "ChorvaneFirst"));
        ASSERT_TRUE(sinks_.Load("sd_second", "ChorvaneSecond"));
        QDir().mkpath(programFolder_ + "/language");
        message_box::SetSink([this](const QString& text) { messages_ << text; });
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
        EXPECT_EQ(Trim(RunCommand("pactl get-default-source").output), defaultSource_);
    }
    // The whole program over the real mixer libraries; its dialog is built at the first show.
    TfrmStereoMixer& Start()
    {
        windows_ = std::make_unique<ProgramWindows>(nullptr, programFolder_.toStdString());
        windows_->frmMain().show();
        EXPECT_TRUE(SpinUntil([this] { return windows_->frmMain().firstShowFinished(); }, 30000));
        return windows_->frmStereoMixer();
    }

    QTemporaryDir home_;
    ScopedEnv homeEnv_{"HOME", home_.path().toLocal8Bit()};
    ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", (home_.path() + "/xdg").toLocal8Bit()};
    QString programFolder_ = home_.path() + "/program";
    std::string defaultSource_;
    NullSinks sinks_;
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

TEST_F(SourceDialogServerTest, MonitorsAreSourcesAndASliderSetsTheVolumeTheServerReports)
{
    TfrmStereoMixer& d = Start();
    EXPECT_TRUE(d.isVisible()) << "with a sound server the dialog comes up at start";
    const int first = IndexOf(d, "Monitor of ChorvaneFirst");
    const int second = IndexOf(d, "Monitor of ChorvaneSecond");
    ASSERT_GE(first, 0) << d.sourceNames().join(", ").toStdString();
    ASSERT_GE(second, 0);
    EXPECT_EQ(d.sourceCount(), d.sourceButtons().size());
    // The server's default source is the program's while nothing is chosen.
    const int byDefault = static_cast<int>(
        std::find_if(d.sourceButtons().begin(), d.sourceButtons().end(), [](auto* b) { return b->isChecked(); }) -
        d.sourceButtons().begin());
    EXPECT_EQ(byDefault, IndexOf(d, "Monitor of Null Output"));

    d.volumeSliders()[first]->setValue(37);
    const std::string volume = RunCommand("pactl get-source-volume sd_first.monitor").output;
    EXPECT_NE(volume.find(" 37%"), std::string::npos) << volume;
    EXPECT_EQ(RunCommand("pactl get-source-volume sd_second.monitor").output.find(" 37%"), std::string::npos);
}

TEST_F(SourceDialogServerTest, ASinkLoadedWhileTheDialogIsOpenAppearsAndGoesAgain)
{
    TfrmStereoMixer& d = Start();
    ASSERT_LT(IndexOf(d, "Monitor of ChorvaneThird"), 0);
    {
        NullSinks third;
        ASSERT_TRUE(third.Load("sd_third", "ChorvaneThird"));
        EXPECT_TRUE(SpinUntil([&] { return IndexOf(d, "Monitor of ChorvaneThird") >= 0; }, 10000))
            << d.sourceNames().join(", ").toStdString();
    }
    EXPECT_TRUE(SpinUntil([&] { return IndexOf(d, "Monitor of ChorvaneThird") < 0; }, 10000));
}

TEST_F(SourceDialogServerTest, ATakeRecordsTheChosenMonitorAndTheDefaultSourceStays)
{
    const QString song = home_.path() + "/Tone Song.mp3";
    ASSERT_TRUE(media_tools::MakeToneMp3(song, 3.0, 440, 660));
    const QString tone = home_.path() + "/second.wav";
    ASSERT_TRUE(media_tools::Run(QString("sox -n -r 44100 -c 2 -b 16 '%1' synth 12 sine 1000 vol 0.5").arg(tone)));

    TfrmStereoMixer& d = Start();
    const int second = IndexOf(d, "Monitor of ChorvaneSecond");
    ASSERT_GE(second, 0);
    d.sourceButtons()[second]->click();
    d.ButtonOK->click();
    EXPECT_EQ(source_choice::ReadChosenSource(programFolder_.toStdString() + "/config.ini"), "sd_second.monitor");

    // The accompaniment plays into the default sink; only the second sink carries 1000 Hz.
    QProcess player;
    player.start("paplay", {"-d", "sd_second", tone});
    ASSERT_TRUE(player.waitForStarted());
    TfrmMain& main = windows_->frmMain();
    main.EditKaraokeFile->setText(song);
    main.ButtonRecord->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    ASSERT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 60000));
    player.kill();
    player.waitForFinished();

    const media_tools::Stereo take = media_tools::Decode(main.takeOutput());
    ASSERT_GT(take.seconds(), 1.5);
    const double to = take.seconds() - 0.2;
    EXPECT_GT(media_tools::ToneLevel(take.left, take.rate, 1000, 0.5, to), 0.1);
    EXPECT_LT(media_tools::ToneLevel(take.left, take.rate, 440, 0.5, to), 0.02) << "recorded the default sink";
}

TEST_F(SourceDialogServerTest, AChosenSourceThatWentAwayFallsBackToTheDefaultWithAStatusLine)
{
    TfrmStereoMixer& d = Start();
    source_choice::WriteChosenSource(programFolder_.toStdString() + "/config.ini", "sd_gone.monitor");
    EXPECT_EQ(d.SourceForTake(), "");
    EXPECT_TRUE(windows_->frmMain().statusBar()->currentMessage().contains("sd_gone.monitor"));
}

TEST_F(SourceDialogServerTest, WithoutASoundServerATakeRecordsThroughAlsaFromTheCardsDevice)
{
    // The card's capture device is a device of a private asoundrc: ALSA's pulse plugin on
    // the default sink's monitor, so the take hears its own accompaniment.
    const QString rc = home_.filePath("asoundrc");
    QFile file(rc);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("pcm.chorvane_card {\n  type pulse\n  device \"chorvane_test.monitor\"\n}\n");
    file.close();
    const ScopedEnv alsa("ALSA_CONFIG_PATH", rc.toLocal8Bit());
    const QString song = home_.path() + "/Tone Song.mp3";
    ASSERT_TRUE(media_tools::MakeToneMp3(song, 3.0, 440, 660));

    auto fakes = std::make_unique<mixer::FakeMixerLibraries>(false);
    mixer::FakeCard card;
    card.name = "Card";
    card.lines = {{"Mic", true, false, 30000}, {"Stereo Mix", true, false, 30000}};
    card.stereoLine = 1;
    card.captureDevice = "chorvane_card";
    fakes->state.cards = {card};
    windows_ = std::make_unique<ProgramWindows>(std::move(fakes), programFolder_.toStdString());
    TfrmMain& main = windows_->frmMain();
    main.show();
    ASSERT_TRUE(SpinUntil([&] { return main.firstShowFinished(); }, 30000));
    EXPECT_EQ(windows_->frmStereoMixer().sourceCount(), 2);
    EXPECT_EQ(windows_->frmStereoMixer().SourceForTake(), "alsa:chorvane_card");

    main.EditKaraokeFile->setText(song);
    main.ButtonRecord->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    ASSERT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 60000));
    const media_tools::Stereo take = media_tools::Decode(main.takeOutput());
    ASSERT_GT(take.seconds(), 1.5);
    EXPECT_GT(media_tools::ToneLevel(take.left, take.rate, 440, 0.5, take.seconds() - 0.2), 0.1);
}

}  // namespace
