// The ALSA mixer libraries: against the system's sound cards where there are any,
// and their line logic against a real ALSA mixer without hardware: the "pulse"
// control device, whose "Capture" and "Master" elements drive the private sound
// server's default source and sink.

#include "alsa_mixer.h"
#include "mixer_exports.h"
#include "name_buffer.h"
#include "pulse_fixture.h"

#include <gtest/gtest.h>

namespace {

std::string DriverName(int32_t index)
{
    char16_t buffer[mixer::kDriverNameBytes / 2];
    GetDriverName(index, buffer);
    return mixer::NameFromBuffer(buffer, sizeof buffer);
}

std::string LineName(int32_t mixer, int32_t line)
{
    char16_t buffer[mixer::kLineNameBytes / 2];
    GetLineName(mixer, line, buffer);
    return mixer::NameFromBuffer(buffer, sizeof buffer);
}

}  // namespace

TEST(AlsaMixerLibraries, AMixerIndexWithoutACardReadsAsNothing)
{
    const int32_t missing = GetDriverCount();  // one past the last card
    EXPECT_EQ(DriverName(missing), "");
    EXPECT_EQ(DriverName(-1), "");
    EXPECT_EQ(GetLineCount(missing), 0);
    EXPECT_EQ(LineName(missing, 0), "");
    EXPECT_EQ(IsLineEnable(missing, 0), 0);
    EXPECT_EQ(GetLineSelected(missing, 0), 0);
    EXPECT_EQ(GetLineVolume(missing, 0), 0);
    EXPECT_EQ(GetStereoLineNumber(missing), -1);
    EXPECT_EQ(GetWaveOutMicLineNumber(missing), -1);
    EXPECT_EQ(GetWaveOutLineVolume(missing, 0), 0);
    EXPECT_EQ(GetMicrophoneMute(missing), 0);
    SetLineSelected(missing, 0);
    SetLineVolume(missing, 0, 30000);
    SetWaveOutLineVolume(missing, 0, 30000);
    SetMicrophoneMute(missing, 1);
}

TEST(AlsaMixerLibraries, SoundCardsListTheirNamesAndLines)
{
    const int32_t cards = GetDriverCount();
    if (cards == 0) GTEST_SKIP() << "this machine has no ALSA sound card; the card tests did not run";
    for (int32_t card = 0; card < cards; ++card) {
        EXPECT_FALSE(DriverName(card).empty()) << card;
        const int32_t lines = GetLineCount(card);
        for (int32_t line = 0; line < lines; ++line) {
            EXPECT_FALSE(LineName(card, line).empty());
            const int32_t volume = GetLineVolume(card, line);
            EXPECT_GE(volume, 0);
            EXPECT_LE(volume, 65535);
        }
        const int32_t stereo = GetStereoLineNumber(card);
        EXPECT_GE(stereo, -1);
        EXPECT_LT(stereo, lines);
        EXPECT_GE(GetWaveOutMicLineNumber(card), -1);
    }
}

namespace {

using AlsaOverSoundServer = mixer_test::TwoNullSinks;

int32_t CaptureLine(const mixer::AlsaMixer& m, const std::string& name)
{
    for (int32_t i = 0; i < m.LineCount(); ++i)
        if (m.LineName(i) == name) return i;
    return -1;
}

}  // namespace

TEST_F(AlsaOverSoundServer, CaptureLineVolumeAndSelectionReachTheDefaultSource)
{
    ASSERT_EQ(mixer_test::RunCommand("pactl set-default-source h6_left.monitor").status, 0);
    auto m = mixer::AlsaMixer::Open("pulse");
    ASSERT_NE(m, nullptr) << "the ALSA pulse control device did not open";
    const int32_t capture = CaptureLine(*m, "Capture");
    ASSERT_GE(capture, 0);
    EXPECT_TRUE(m->LineEnabled(capture));
    EXPECT_EQ(m->StereoLine(), -1) << "no line of this mixer records what it plays";

    m->SetLineVolume(capture, 16384);
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{25, 25}));
    EXPECT_EQ(mixer::AlsaMixer::Open("pulse")->LineVolume(capture), 16384);
    m->SetLineVolume(capture, 65635);  // the dialog's slider end
    EXPECT_EQ(SourcePercents("h6_left.monitor"), (std::vector<int>{100, 100}));

    // Selected = capturing: the source's mute is the line's capture switch.
    ASSERT_EQ(mixer_test::RunCommand("pactl set-source-mute h6_left.monitor 1").status, 0);
    EXPECT_FALSE(mixer::AlsaMixer::Open("pulse")->LineSelected(capture));
    mixer::AlsaMixer::Open("pulse")->SelectLine(capture);
    EXPECT_EQ(Trim(mixer_test::RunCommand("pactl get-source-mute h6_left.monitor").output), "Mute: no");
    EXPECT_TRUE(mixer::AlsaMixer::Open("pulse")->LineSelected(capture));
}

TEST_F(AlsaOverSoundServer, PlaybackLineVolumeAndMuteReachTheDefaultSink)
{
    ASSERT_EQ(mixer_test::RunCommand("pactl set-default-sink h6_right").status, 0);
    auto m = mixer::AlsaMixer::Open("pulse");
    ASSERT_NE(m, nullptr);
    int32_t master = -1;
    for (int32_t i = 0; i < m->PlaybackLineCount(); ++i)
        if (m->PlaybackLineName(i) == "Master") master = i;
    ASSERT_GE(master, 0);
    EXPECT_EQ(m->MicrophonePlaybackLine(), -1);

    m->SetPlaybackVolume(master, 32768);
    EXPECT_NE(mixer_test::RunCommand("pactl get-sink-volume h6_right").output.find("50%"), std::string::npos);
    EXPECT_EQ(mixer::AlsaMixer::Open("pulse")->PlaybackVolume(master), 32768);
    m->SetPlaybackMuted(master, true);
    EXPECT_EQ(Trim(mixer_test::RunCommand("pactl get-sink-mute h6_right").output), "Mute: yes");
    EXPECT_EQ(mixer::AlsaMixer::Open("pulse")->PlaybackMuted(master), 1);
    m->SetPlaybackMuted(master, false);
    EXPECT_EQ(mixer::AlsaMixer::Open("pulse")->PlaybackMuted(master), 0);
    ASSERT_EQ(mixer_test::RunCommand("pactl set-default-sink chorvane_test").status, 0);
}
