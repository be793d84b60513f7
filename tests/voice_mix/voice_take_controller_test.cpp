// The take controller with the recording source "Voice and accompaniment": the file
// control writes nothing, the voice goes to its own track, and the history row comes when
// the mix is in the take's file. A microphone that is not there rolls the start back.

#include "NimAudioRecorderObject.h"
#include "UnitLyric.h"
#include "com_object.h"
#include "event_loop.h"
#include "loopback_rig.h"
#include "nim_audio_file_object.h"
#include "take_controller.h"
#include "take_fakes.h"
#include "voice_take.h"
#include "wavein_memory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

template <class T>
component_shell::ComObject<T>* Make()
{
    auto* object = new component_shell::ComObject<T>();
    object->AddRef();
    return object;
}

class VoiceTakeController : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(rig_.ready());
        recorder_ = Make<CNimAudioRecorderObject>();
        recorder_->engine().SetDeviceFactory(source_.factory());
        file_ = Make<CNimAudioFileObject>();
        player_ = Make<RecordingPlayer>();
        meter_ = Make<RecordingMeter>();
        take_ = std::make_unique<TakeController>(TakeComponents{player_, recorder_, file_, meter_, {}}, &lyrics_,
                                                 std::make_unique<ManualTimer>(), std::make_unique<ManualTimer>());
        QObject::connect(take_.get(), &TakeController::message, [this](const QString& m) { messages_ << m; });
        QObject::connect(take_.get(), &TakeController::recordingFinished, [this](const QString& p) { rows_ << p; });
        song_ = QDir(home_.path()).filePath("Song.mp3");
        ASSERT_TRUE(media_tools::MakeToneMp3(song_, 3, 440, 440));
    }
    void TearDown() override
    {
        take_.reset();
        recorder_->Release();
        file_->Release();
        player_->Release();
        meter_->Release();
    }
    TakeRequest Request(const std::string& mic = {}) const
    {
        TakeRequest r;
        r.accompaniment = song_;
        r.outputFolder = QDir(home_.path()).filePath("takes");
        r.start = QDateTime(QDate(2026, 3, 7), QTime(21, 5, 9));
        r.voiceMix = true;
        r.voiceSource = mic;
        return r;
    }

    voice_mix_test::LoopbackRig rig_{40};
    QTemporaryDir home_;
    MemoryWaveInSource source_;
    component_shell::ComObject<CNimAudioRecorderObject>* recorder_ = nullptr;
    component_shell::ComObject<CNimAudioFileObject>* file_ = nullptr;
    component_shell::ComObject<RecordingPlayer>* player_ = nullptr;
    component_shell::ComObject<RecordingMeter>* meter_ = nullptr;
    TfrmLyric lyrics_;
    std::unique_ptr<TakeController> take_;
    QString song_;
    QStringList messages_, rows_;
};

TEST_F(VoiceTakeController, TheVoiceHasItsOwnTrackAndTheMixIsListedOnceItIsInTheTakesFile)
{
    // What the speaker plays reaches the microphone through the rig.
    const QString heard = QDir(home_.path()).filePath("heard.wav");
    ASSERT_TRUE(media_tools::Run(QStringLiteral("sox -n -r 44100 -c 2 '%1' synth 3 sine 660 vol 0.5").arg(heard)));
    media_tools::Start(QStringLiteral("paplay --device=spk '%1'").arg(heard));

    take_->StartTake(Request());
    ASSERT_TRUE(take_->running()) << messages_.join("\n").toStdString();
    const QString output = take_->output();
    const QString voice = voice_mix::VoiceTake::VoicePath(output);
    EXPECT_FALSE(QFile::exists(output));  // the file control made no file of its own
    EXPECT_TRUE(QFile::exists(voice));
    for (int ms = 0; ms <= 2000; ms += 100) {
        player_->positionMs = ms;
        test_support::SpinFor(100);
    }
    take_->StopTake();
    EXPECT_FALSE(take_->running());
    ASSERT_TRUE(test_support::SpinUntil([&] { return !rows_.isEmpty(); }, 60000));
    EXPECT_EQ(rows_, QStringList{output});
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    const media_tools::Stereo mixed = media_tools::Decode(output);
    // As long as the voice from the music's first sample on (the stand-in player's clock
    // is the test's, so how much of the capture came before it varies).
    ASSERT_GT(mixed.seconds(), 0.5);
    const double end = mixed.seconds() - 0.1;
    EXPECT_GT(media_tools::ToneLevel(mixed.left, mixed.rate, 440, 0.1, end), 0.1);   // the music
    EXPECT_GT(media_tools::ToneLevel(mixed.left, mixed.rate, 660, 0.1, end), 0.02);  // the voice
    EXPECT_TRUE(QFile::exists(voice));  // kept beside the take
}

TEST_F(VoiceTakeController, AMicrophoneThatIsGoneRollsTheStartBackWithItsName)
{
    take_->StartTake(Request("usb-mic-unplugged"));
    EXPECT_FALSE(take_->running());
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains("usb-mic-unplugged")) << messages_[0].toStdString();
    EXPECT_FALSE(meter_->running);
    EXPECT_FALSE(source_.deviceOpen());
    EXPECT_TRUE(QDir(QDir(home_.path()).filePath("takes")).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(rows_.isEmpty());
}

}  // namespace
