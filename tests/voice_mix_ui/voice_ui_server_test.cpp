// "Voice and accompaniment" from the user's side against a sound server standing in for a
// speaker and a microphone: the entry chosen in the recording source dialog makes the next
// take record the voice (heard while singing when asked), whose listen-back window plays
// at once and keeps the voice track when closed; "Measure latency" with a microphone that hears nothing stores nothing and
// says what to do, and with one that hears the speaker stores the pair's residual.
#include "UnitListenBack.h"
#include "UnitMain.h"
#include "UnitStereoMixer.h"
#include "event_loop.h"
#include "loopback_rig.h"
#include "message_box.h"
#include "profile.h"
#include "program_messages.h"
#include "program_windows.h"
#include "voice_mix_settings.h"
#include "voice_source_panel.h"
#include "voice_take.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

using test_support::SpinFor;
using test_support::SpinUntil;

class VoiceUiServer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(rig_.ready());
        QDir().mkpath(programFolder_ + "/language");
        message_box::SetSink([this](const QString& text) { messages_ << text; });
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    [[nodiscard]] std::string Config() const { return (programFolder_ + "/config.ini").toStdString(); }
    // The server's loopback modules.
    [[nodiscard]] static int Loopbacks()
    {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")});
        if (!pactl.waitForFinished(10000)) return -1;
        return int(QString::fromUtf8(pactl.readAllStandardOutput()).count(QStringLiteral("module-loopback")));
    }

    voice_mix_test::LoopbackRig rig_{40};
    QTemporaryDir home_;
    test_support::ScopedEnv homeEnv_{"HOME", home_.path().toStdString()};
    test_support::ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", (home_.path() + "/xdg").toStdString()};
    QString programFolder_ = home_.path() + "/program";
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace

TEST_F(VoiceUiServer, TheEntryChosenInTheDialogRecordsTheNextTakeWhoseListenBackPlaysAndKeepsTheVoiceWhenClosed)
{
    const QString song = home_.path() + "/Tone Song.mp3";
    ASSERT_TRUE(media_tools::MakeToneMp3(song, 3.0, 440, 440));
    windows_ = std::make_unique<ProgramWindows>(nullptr, programFolder_.toStdString());
    TfrmMain& main = windows_->frmMain();
    main.show();
    ASSERT_TRUE(SpinUntil([&] { return main.firstShowFinished(); }, 30000));
    TfrmStereoMixer& sources = windows_->frmStereoMixer();
    ASSERT_TRUE(sources.RadioButtonVoiceMix->isVisibleTo(&sources));
    sources.RadioButtonVoiceMix->click();
    QComboBox* microphones = sources.PanelVoiceSource->ComboBoxVoiceSource;
    const int mic = microphones->findData(QStringLiteral("mic"));
    ASSERT_GE(mic, 1) << "the rig's microphone is listed";
    microphones->setCurrentIndex(mic);
    emit microphones->activated(mic);
    sources.PanelVoiceSource->CheckBoxHearVoice->click();
    sources.ButtonOK->click();
    const voice_mix::VoiceChoice choice = voice_mix::ReadVoiceChoice(Config());
    EXPECT_TRUE(choice.enabled);
    EXPECT_EQ(choice.source, "mic");
    EXPECT_TRUE(choice.hearVoice);
    ASSERT_EQ(Loopbacks(), 1) << "the rig's own";

    EXPECT_EQ(main.findChild<TfrmListenBack*>(), nullptr) << "no listen-back window before a take";
    // The window comes at the take's end and plays the mix while it is being made.
    TfrmListenBack* listenBack = nullptr;
    QStringList seen;
    QObject::connect(&main.take(), &TakeController::voiceTakeMixing, [&] {
        listenBack = main.findChild<TfrmListenBack*>();
        if (!listenBack) {
            seen << QStringLiteral("mixing without a window");
            return;
        }
        seen << QStringLiteral("mixing shown:%1 playing:%2").arg(listenBack->isVisible()).arg(listenBack->session().playing());
    });
    QObject::connect(&main.take(), &TakeController::voiceTakeMixed, [&] {
        seen << QStringLiteral("mixed playing:%1").arg(listenBack && listenBack->session().playing());
    });
    main.EditKaraokeFile->setText(song);
    main.ButtonRecord->click();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    const QString output = main.takeOutput();
    const QString voice = voice_mix::VoiceTake::VoicePath(output);
    EXPECT_TRUE(QFile::exists(voice)) << "the take's request carried the voice source";
    EXPECT_EQ(Loopbacks(), 2) << "the microphone is heard while singing";
    EXPECT_FALSE(sources.PanelVoiceSource->ButtonMeasureLatency->isEnabled()) << "no test sound in a take";
    ASSERT_TRUE(SpinUntil([&] { return main.takeState() == 0; }, 60000));
    EXPECT_EQ(Loopbacks(), 1);
    EXPECT_TRUE(sources.PanelVoiceSource->ButtonMeasureLatency->isEnabled());
    ASSERT_TRUE(SpinUntil([&] { return seen.size() == 2; }, 60000));
    EXPECT_EQ(seen, (QStringList{"mixing shown:1 playing:1", "mixed playing:1"}));
    ASSERT_NE(listenBack, nullptr);
    EXPECT_TRUE(listenBack->isVisible());
    EXPECT_EQ(listenBack->session().output(), output);
    EXPECT_TRUE(listenBack->session().playing());
    EXPECT_TRUE(QFile::exists(output));

    listenBack->close();
    EXPECT_FALSE(listenBack->session().playing());
    EXPECT_TRUE(QFile::exists(voice)) << "nothing recorded is lost";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(VoiceUiServer, MeasuringWithADeafMicrophoneStoresNothingAndOneThatHearsTheSpeakerStoresThePair)
{
    // A second microphone on a bus nothing reaches but silence.
    const QString silence = home_.filePath("silence.wav");
    ASSERT_TRUE(media_tools::Run(QStringLiteral(
        "pactl load-module module-null-sink sink_name=quiet >/dev/null && "
        "pactl load-module module-remap-source source_name=deafmic master=quiet.monitor >/dev/null && "
        "sox -n -r 44100 -b 16 -c 2 '%1' trim 0 40").arg(silence)));
    media_tools::Start(QStringLiteral("paplay --device=quiet '%1'").arg(silence));
    const std::string config = Config();
    QDir().mkpath(programFolder_);
    TVoiceSourcePanel panel(config);
    voice_mix::WriteVoiceChoice(config, {true, "deafmic", false});
    panel.SetVoiceChosen(true);
    QStringList measured;
    QObject::connect(&panel, &TVoiceSourcePanel::measured,
                     [&](bool stored, const QString& text) { measured << (stored ? "stored:" : "not:") + text; });

    panel.ButtonMeasureLatency->click();
    EXPECT_TRUE(panel.measuring());
    EXPECT_FALSE(panel.ButtonMeasureLatency->isEnabled());
    EXPECT_TRUE(panel.ProgressBarLatency->isVisibleTo(&panel));
    ASSERT_TRUE(SpinUntil([&] { return !measured.isEmpty(); }, 60000));
    const QString notClear = program_messages::Text(program_messages::Id::LatencyNotClear);
    EXPECT_EQ(measured, QStringList{"not:" + notClear});
    EXPECT_EQ(messages_, QStringList{notClear});
    EXPECT_TRUE(notClear.contains("hold the microphone near the speaker, or the earcup to it", Qt::CaseInsensitive));
    QFile file(QString::fromStdString(config));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("voice_latency"));
    file.close();
    EXPECT_EQ(profile::ReadString(config, voice_mix::kLatencySection, "spk|deafmic", "<none>"), "<none>");
    EXPECT_TRUE(panel.ButtonMeasureLatency->isEnabled());
    EXPECT_FALSE(panel.ProgressBarLatency->isVisibleTo(&panel));

    // The rig's microphone hears the speaker 40 ms late: the pair's residual is kept. The
    // longest the UI thread was away meanwhile is printed (a figure, not a condition).
    voice_mix::WriteVoiceChoice(config, {true, "mic", false});
    measured.clear();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    clock.start();
    beat.start(5);
    panel.ButtonMeasureLatency->click();
    ASSERT_TRUE(SpinUntil([&] { return !measured.isEmpty(); }, 60000));
    beat.stop();
    std::printf("longest UI-thread gap during the measurement: %lld ms\n", static_cast<long long>(longest));
    ASSERT_TRUE(measured[0].startsWith("stored:")) << measured[0].toStdString();
    EXPECT_TRUE(voice_mix::ReadResidualMs(config, "spk", "mic").has_value());
    EXPECT_FALSE(panel.LabelLatency->text().isEmpty());
    EXPECT_EQ(messages_.size(), 1) << "a good result is no message";

    // A take that starts ends a measurement under way, and none starts during it.
    panel.ButtonMeasureLatency->click();
    ASSERT_TRUE(panel.measuring());
    panel.SetTakeRunning(true);
    EXPECT_FALSE(panel.measuring());
    EXPECT_FALSE(panel.ButtonMeasureLatency->isEnabled());
    panel.ButtonMeasureLatencyClick();
    EXPECT_FALSE(panel.measuring());
    SpinFor(200);
    EXPECT_EQ(measured.size(), 1);
}
