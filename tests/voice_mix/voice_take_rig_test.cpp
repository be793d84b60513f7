// Whole voice takes against a server whose "microphone" hears the speaker through a
// loopback of known latency: after the calibration the voice in the take's file lines up
// with the accompaniment, also when the capture's latency differs from the calibration's.

#include "latency_calibration.h"
#include "loopback_rig.h"
#include "player_fixture.h"
#include "voice_mix_media.h"
#include "voice_take.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

using voice_mix::LatencyCalibration;
using voice_mix::VoiceTake;
using voice_mix_test::LoopbackRig;

struct Finished {
    bool done = false;
    QString output, voice, error;
};

class VoiceTakeRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        accompaniment_ = folder_.filePath("Click noise.mp3");
        ASSERT_TRUE(voice_mix_test::MakeClickNoiseMp3(accompaniment_, 20));
        config_ = folder_.filePath("config.ini").toStdString();
    }

    // Measures the pair and keeps the residual in config.ini.
    voice_mix::CalibrationResult Calibrate(int fragmentMs)
    {
        LatencyCalibration calibration;
        voice_mix::CalibrationResult result;
        bool done = false;
        QObject::connect(&calibration, &LatencyCalibration::finished, [&](const voice_mix::CalibrationResult& r) {
            result = r;
            done = true;
        });
        const QString problem = calibration.Start({}, fragmentMs);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        if (!problem.isEmpty()) return result;
        EXPECT_TRUE(test_support::SpinUntil([&] { return done; }, 60000));
        LatencyCalibration::Store(config_, result);
        return result;
    }

    // Plays the accompaniment while the voice take records, as the take controller does;
    // `during` runs once the music has been heard for a while, and the take ends a second
    // later unless it goes on `toTheEnd`.
    Finished Sing(VoiceTake& take, int fragmentMs, const std::function<void(INimDXVideoPlayerObject*)>& during = {},
                  bool toTheEnd = false)
    {
        Finished finished;
        QObject::connect(&take, &VoiceTake::mixFinished, [&](const QString& o, const QString& v, const QString& e) {
            finished = {true, o, v, e};
        });
        auto player = player_test::NewPlayer();
        voice_mix::VoiceTakeRequest request;
        request.output = folder_.filePath("[take]Click noise.mp3");
        request.accompaniment = accompaniment_;
        request.configPath = config_;
        request.fragmentMs = fragmentMs;
        request.musicNs = [p = player.get()]() -> int64_t {
            LONG ms = 0;
            return p->GetCurrentPositionMs(&ms) == S_OK ? int64_t(ms) * 1000000 + 500000 : -1;
        };
        const QString problem = take.Begin(request);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        EXPECT_EQ(player->SetFileName(accompaniment_.toStdString()), S_OK);
        EXPECT_EQ(player->Play(), S_OK);
        auto heard = [&](int seconds) {
            return [&, seconds] { return player_test::Position(player.get()) >= seconds; };
        };
        if (during) {
            EXPECT_TRUE(test_support::SpinUntil(heard(3), 30000));
            during(player.get());
        }
        if (during && !toTheEnd)
            test_support::SpinFor(1000);
        else
            test_support::SpinUntil([&] {
                const LONG duration = player_test::Duration(player.get());
                return duration > 0 && player_test::Position(player.get()) >= duration;
            }, 60000);
        player->Stop();
        take.End();
        EXPECT_TRUE(test_support::SpinUntil([&] { return finished.done; }, 120000));
        return finished;
    }

    // The voice's place against the music's in the take: each rendered alone from the kept
    // voice track with the take's timing, both measured against the accompaniment.
    double AlignmentMs(const VoiceTake& take, const QString& voicePath, double from = 2.0, double to = 12.0)
    {
        voice_mix::VoiceTrack track;
        EXPECT_TRUE(voice_mix::ReadVoiceTrack(voicePath, &track).isEmpty());
        const std::vector<float> reference = voice_mix_test::Mono(media_tools::Decode(accompaniment_), from, to);
        voice_mix::MixSettings voiceOnly = take.settings(), musicOnly = take.settings();
        voiceOnly.musicGain = 0;
        musicOnly.voiceGain = 0;
        const QString v = folder_.filePath("voice-only.mp3"), m = folder_.filePath("music-only.mp3");
        EXPECT_TRUE(voice_mix::RenderMix(track, voiceOnly, v).isEmpty());
        EXPECT_TRUE(voice_mix::RenderMix(track, musicOnly, m).isEmpty());
        return voice_mix_test::LagOf(reference, v, from, to).frames - voice_mix_test::LagOf(reference, m, from, to).frames;
    }

    void ExpectAligned(int loopbackMs, int calibrationFragmentMs, int takeFragmentMs)
    {
        LoopbackRig rig(loopbackMs);
        ASSERT_TRUE(rig.ready());
        const auto calibration = Calibrate(calibrationFragmentMs);
        ASSERT_TRUE(calibration.ok) << calibration.message.toStdString();
        EXPECT_LE(calibration.spreadMs, LatencyCalibration::kMaxSpreadMs);

        VoiceTake take;
        const Finished finished = Sing(take, takeFragmentMs);
        ASSERT_TRUE(finished.error.isEmpty()) << finished.error.toStdString();
        ASSERT_TRUE(QFile::exists(finished.output));
        EXPECT_TRUE(QFile::exists(VoiceTake::VoicePath(finished.output)));
        EXPECT_NEAR(take.settings().residualMs, calibration.residualMs, 0.001);

        const double alignment = AlignmentMs(take, finished.voice);
        std::printf("loopback %d ms: residual %.2f ms (spread %.2f), drift %.1f ppm, alignment %.2f ms\n", loopbackMs,
                    calibration.residualMs, calibration.spreadMs, take.timing().ppm(), alignment);
        EXPECT_NEAR(alignment, 0.0, 10.0);

        // In the take's own file the voice and the music make one peak: no echo stands apart.
        const std::vector<float> reference = voice_mix_test::Mono(media_tools::Decode(accompaniment_), 2.0, 12.0);
        const voice_mix::Lag mixed = voice_mix_test::LagOf(reference, finished.output);
        EXPECT_LT(mixed.secondRatio, 0.5);
    }

    QTemporaryDir folder_;
    QString accompaniment_;
    std::string config_;
};

TEST_F(VoiceTakeRig, VoiceLinesUpWithTheMusicAtA40msLoopbackWithAnotherCaptureLatencyThanTheCalibrations)
{
    ExpectAligned(40, 20, 100);
}

TEST_F(VoiceTakeRig, VoiceLinesUpWithTheMusicAtA150msLoopback) { ExpectAligned(150, 20, 20); }

TEST_F(VoiceTakeRig, AfterAPauseTheVoiceStaysOnTheMusicAndWhatWasSungDuringItIsKept)
{
    LoopbackRig rig(40);
    ASSERT_TRUE(rig.ready());
    ASSERT_TRUE(Calibrate(20).ok);
    VoiceTake take;
    const Finished finished = Sing(take, 20, [](INimDXVideoPlayerObject* player) {
        EXPECT_EQ(player->Pause(), S_OK);
        test_support::SpinFor(250);
        EXPECT_EQ(player->Continue(), S_OK);
    }, true);
    ASSERT_TRUE(finished.error.isEmpty()) << finished.error.toStdString();
    ASSERT_EQ(take.timing().resumptions.size(), 1u);
    // Seconds 6 to 16 of the take hold the music after the pause, later by the pause.
    const double alignment = AlignmentMs(take, finished.voice, 6.0, 16.0);
    const double pause = (take.timing().resumptions[0].offsetFrames - take.timing().offsetFrames) / 44100;
    std::printf("after a pause of %.0f ms: alignment %.2f ms\n", pause * 1000, alignment);
    EXPECT_GT(pause, 0.2);
    EXPECT_NEAR(alignment, 0.0, 10.0);
    // The take ends with the voice, the pause in it: longer than the song by most of the pause.
    EXPECT_GT(media_tools::Decode(finished.output).seconds(), media_tools::Decode(accompaniment_).seconds() + pause / 2);
}

TEST_F(VoiceTakeRig, AServerKilledMidTakeKeepsTheVoiceTrackAndTheMixMadeOfIt)
{
    LoopbackRig rig(40);
    ASSERT_TRUE(rig.ready());
    VoiceTake take;
    const Finished finished = Sing(take, 20, [&](INimDXVideoPlayerObject*) { kill(rig.server().pid(), SIGKILL); });
    ASSERT_TRUE(finished.done);
    voice_mix::VoiceTrack track;
    ASSERT_TRUE(voice_mix::ReadVoiceTrack(finished.voice, &track).isEmpty());
    EXPECT_GT(track.frames(), size_t(44100 * 2));  // the seconds before the kill
    ASSERT_TRUE(QFile::exists(finished.output));
    EXPECT_GT(media_tools::Decode(finished.output).seconds(), 2.0);
}

TEST_F(VoiceTakeRig, HearingTheVoiceLoadsOneLoopbackForTheTakeAndALeftoverGoesAtTheNextStart)
{
    LoopbackRig rig(40);
    ASSERT_TRUE(rig.ready());
    auto loaded = [](const char* what, int count) {
        return media_tools::Run(QStringLiteral("test \"$(pactl list modules short | grep -c '%1')\" = %2").arg(what).arg(count));
    };
    {
        voice_mix::MonitorLoopback loopback;
        ASSERT_TRUE(loopback.Load("mic", "spk").isEmpty());
        EXPECT_TRUE(loaded("chorvane.voice_monitor", 1));
        loopback.Unload();
        EXPECT_TRUE(loaded("chorvane.voice_monitor", 0));
    }
    // As after a crash: loaded by a program that is gone (no process has this number).
    ASSERT_TRUE(media_tools::Run("pactl load-module module-loopback source=mic sink=spk latency_msec=20 "
                                 "sink_input_properties=chorvane.voice_monitor=4194305 >/dev/null"));
    voice_mix::MonitorLoopback running;  // a program that runs a take while another starts
    ASSERT_TRUE(running.Load("mic", "spk").isEmpty());
    EXPECT_TRUE(loaded("chorvane.voice_monitor", 2));
    EXPECT_EQ(voice_mix::MonitorLoopback::UnloadLeftovers(), 1);
    EXPECT_TRUE(loaded("chorvane.voice_monitor", 1));
    EXPECT_TRUE(loaded("module-loopback", 2));  // the running one and the rig's own, not ours
}

}  // namespace
