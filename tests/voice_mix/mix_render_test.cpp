// The mix after the take, from a voice track and the accompaniment file: the voice placed
// by the timing (drift included), the nudge, the channel choice, a missing accompaniment;
// the stream a listener reads while the render goes on.

#include "accompaniment_decoder.h"
#include "mix_render.h"
#include "voice_mix_media.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

using voice_mix::MixSettings;
using voice_mix::VoiceTrack;

class MixRender : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    // The accompaniment as the mix decodes it, as a voice track recorded by a microphone
    // whose clock runs `ratio` fast and which starts `lead` frames before the music.
    VoiceTrack VoiceOf(const QString& accompaniment, double ratio, int lead)
    {
        std::vector<float> music;
        EXPECT_TRUE(voice_mix::DecodeAccompaniment(accompaniment, 0, [&](const float* f, size_t n) {
            music.insert(music.end(), f, f + 2 * n);
            return true;
        }).isEmpty());
        VoiceTrack track;
        const size_t frames = music.size() / 2;
        for (size_t v = 0; v < size_t(double(frames) * ratio) + size_t(lead); ++v) {
            const double m = (double(v) - lead) / ratio;
            const auto i = static_cast<size_t>(std::max(0.0, m));
            const float f = m < 0 ? 0.0f : float(m - double(i));
            for (int c = 0; c < 2; ++c) {
                const float a = i < frames ? music[2 * i + c] : 0.0f, b = i + 1 < frames ? music[2 * i + 2 + c] : 0.0f;
                track.samples.push_back(m < 0 ? 0 : int16_t(std::lround(((1 - f) * a + f * b) * 32767)));
            }
        }
        return track;
    }

    QString Render(const VoiceTrack& track, MixSettings settings, float music, float voice, const char* name)
    {
        settings.musicGain = music;
        settings.voiceGain = voice;
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(voice_mix::RenderMix(track, settings, path).isEmpty());
        return path;
    }

    QTemporaryDir folder_;
};

TEST_F(MixRender, AVoiceTrackResampledBy1_0001IsReportedAsAbout100ppmAndLinesUpToTheEnd)
{
    const QString song = folder_.filePath("song.mp3");
    ASSERT_TRUE(voice_mix_test::MakeClickNoiseMp3(song, 60));
    const VoiceTrack track = VoiceOf(song, 1.0001, 2000);
    // Anchors as the capture takes them from both clocks.
    std::vector<voice_mix::TimingAnchor> anchors;
    for (int64_t m = 0; m < 60 * 44100; m += 4410) anchors.push_back({m, int64_t(std::llround(double(m) * 1.0001)) + 2000});
    const auto timing = voice_mix::FitTiming(anchors);
    ASSERT_TRUE(timing);
    EXPECT_NEAR(timing->ppm(), 100, 1);

    MixSettings settings;
    settings.accompaniment = song;
    settings.timing = *timing;
    const QString voice = Render(track, settings, 0, 1, "voice.mp3");
    const QString music = Render(track, settings, 1, 0, "music.mp3");
    const std::vector<float> early = voice_mix_test::Mono(media_tools::Decode(song), 2, 12);
    const std::vector<float> late = voice_mix_test::Mono(media_tools::Decode(song), 48, 58);
    EXPECT_NEAR(voice_mix_test::LagOf(early, voice, 2, 12).frames - voice_mix_test::LagOf(early, music, 2, 12).frames, 0, 0.5);
    EXPECT_NEAR(voice_mix_test::LagOf(late, voice, 48, 58).frames - voice_mix_test::LagOf(late, music, 48, 58).frames, 0, 0.5);
    // Left uncorrected, the voice falls 5 ms behind by the end.
    settings.timing.drift = 0;
    const QString drifting = Render(track, settings, 0, 1, "drifting.mp3");
    EXPECT_NEAR(voice_mix_test::LagOf(late, drifting, 48, 58).frames - voice_mix_test::LagOf(late, music, 48, 58).frames, 5.3, 1.0);
}

TEST_F(MixRender, ANudgeOf20msMovesTheVoice20msLaterAndLeavesTheMusic)
{
    const QString song = folder_.filePath("song.mp3");
    ASSERT_TRUE(voice_mix_test::MakeClickNoiseMp3(song, 14));
    const VoiceTrack track = VoiceOf(song, 1.0, 0);
    MixSettings settings;
    settings.accompaniment = song;
    const std::vector<float> reference = voice_mix_test::Mono(media_tools::Decode(song), 2, 12);
    const double before = voice_mix_test::LagOf(reference, Render(track, settings, 0, 1, "v0.mp3")).frames;
    settings.nudgeMs = 20;
    const double after = voice_mix_test::LagOf(reference, Render(track, settings, 0, 1, "v20.mp3")).frames;
    EXPECT_NEAR(after - before, 20.0, 0.5);
    const double musicBefore = voice_mix_test::LagOf(reference, Render(track, settings, 1, 0, "m20.mp3")).frames;
    settings.nudgeMs = 0;
    EXPECT_NEAR(voice_mix_test::LagOf(reference, Render(track, settings, 1, 0, "m0.mp3")).frames, musicBefore, 0.1);
}

TEST_F(MixRender, TheChannelChoiceIsHeardInTheMixAndAMissingAccompanimentLeavesTheVoiceAlone)
{
    const QString song = folder_.filePath("tones.mp3");
    ASSERT_TRUE(media_tools::MakeToneMp3(song, 4, 440, 1000));
    VoiceTrack silence;
    silence.samples.assign(size_t(44100 * 4) * 2, 0);
    MixSettings settings;
    settings.accompaniment = song;
    settings.balance = -10000;  // the accompaniment only: its left channel on both sides
    const media_tools::Stereo left = media_tools::Decode(Render(silence, settings, 1, 1, "left.mp3"));
    EXPECT_GT(media_tools::ToneLevel(left.right, left.rate, 440, 1, 3), 0.2);
    EXPECT_LT(media_tools::ToneLevel(left.right, left.rate, 1000, 1, 3), 0.01);

    VoiceTrack voice;
    for (int i = 0; i < 44100 * 3; ++i)
        for (int c = 0; c < 2; ++c) voice.samples.push_back(int16_t(10000 * std::sin(2 * M_PI * 660 * i / 44100.0)));
    settings.accompaniment = folder_.filePath("gone.mp3");
    const QString output = folder_.filePath("take.mp3");
    const QString problem = voice_mix::RenderMix(voice, settings, output);
    EXPECT_TRUE(problem.contains("gone.mp3")) << problem.toStdString();
    const media_tools::Stereo alone = media_tools::Decode(output);
    EXPECT_NEAR(alone.seconds(), 3.0, 0.1);
    EXPECT_GT(media_tools::ToneLevel(alone.left, alone.rate, 660, 0.5, 2.5), 0.2);
}

TEST_F(MixRender, AListenerReadingDuringTheRenderGetsEveryFrameInOrderAndTheEndOnlyOnceItIsFinished)
{
    VoiceTrack voice;  // over three chunks of the stream, each frame its own value
    for (int i = 0; i < 44100 * 4; ++i)
        for (int c = 0; c < 2; ++c) voice.samples.push_back(int16_t((i * 7 + c * 3000) % 20000 - 10000));
    MixSettings settings;
    settings.accompaniment = folder_.filePath("gone.mp3");  // the voice alone, as recorded
    voice_mix::MixStream stream;
    std::vector<int16_t> heard;
    std::atomic<bool> stop{false};
    std::thread listener([&] {
        int16_t block[2 * 1000];
        while (const size_t n = stream.Read(heard.size() / 2, block, 1000, stop)) heard.insert(heard.end(), block, block + 2 * n);
    });
    (void)voice_mix::RenderMix(voice, settings, folder_.filePath("take.mp3"), {}, nullptr, &stream);
    listener.join();
    EXPECT_TRUE(stream.finished());
    ASSERT_EQ(heard.size(), voice.samples.size());
    size_t off = 0;
    // The last frame has no neighbour to be placed between: it is left silent.
    for (size_t i = 0; i + 2 < heard.size(); ++i) off += std::abs(heard[i] - voice.samples[i]) > 1;
    EXPECT_EQ(off, 0u);
}

}  // namespace
