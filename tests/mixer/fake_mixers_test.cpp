#include "fake_mixers.h"
#include "name_buffer.h"

#include <gtest/gtest.h>

using namespace mixer;

namespace {

FakeMixerLibraries OneCard()
{
    FakeMixerLibraries fake;
    FakeCard card;
    card.name = "Fake Card";
    card.lines = {{"Mic", true, true, 100}, {"Line", false, false, 200}, {"Stereo Mix", true, false, 300}};
    card.stereoLine = 2;
    card.playbackVolumes = {1000, 9999};
    card.micPlaybackLine = 1;
    card.micMuted = true;
    fake.state.cards.push_back(card);
    fake.state.endpoints = {{"Monitor of Speakers", false, 50}, {"Microphone", true, 80}};
    return fake;
}

}  // namespace

TEST(FakeMixers, KeepOneSelectedLineAndTheScales)
{
    FakeMixerLibraries fake = OneCard();
    IMixerLibraries& mixers = fake;
    INimAudioMixerXP& xp = mixers.XP();
    xp.SetLineSelected(0, 2);
    EXPECT_EQ(xp.GetLineSelected(0, 0), 0);
    EXPECT_EQ(xp.GetLineSelected(0, 2), 1);
    xp.SetLineVolume(0, 2, 65635);
    EXPECT_EQ(xp.GetLineVolume(0, 2), 65535);
    mixers.Vista().SetEndPointVolume(0, 101);
    EXPECT_EQ(mixers.Vista().GetEndPointVolume(0), 100);
    mixers.XPPlay().SetMicrophoneMute(0, 0x100);  // only the low byte counts
    EXPECT_EQ(mixers.XPPlay().GetMicrophoneMute(0), 0);
    EXPECT_EQ(fake.state.calls,
              (std::vector<std::string>{"SetLineSelected(0,2)", "SetLineVolume(0,2,65635)",
                                        "SetEndPointVolume(0,101)", "SetMicrophoneMute(0,256)"}));
}

TEST(FakeMixers, OutOfRangeReadsLikeTheRealLibraries)
{
    FakeMixerLibraries fake = OneCard();
    char16_t name[64] = {u'#'};
    fake.xp.GetDriverName(1, name);
    EXPECT_EQ(NameFromBuffer(name, sizeof name), "");
    fake.xp.GetLineName(0, 1, name);
    EXPECT_EQ(NameFromBuffer(name, sizeof name), "Line");
    EXPECT_EQ(fake.xp.IsLineEnable(0, 1), 0);
    EXPECT_EQ(fake.xp.GetLineCount(3), 0);
    EXPECT_EQ(fake.xp.GetStereoLineNumber(-1), -1);
    EXPECT_EQ(fake.xpPlay.GetWaveOutMicLineNumber(5), -1);
    EXPECT_EQ(fake.xpPlay.GetWaveOutLineVolume(0, 7), 0);
    fake.xp.SetLineSelected(0, 9);  // ignored: the selection stays where it was
    EXPECT_EQ(fake.xp.GetLineSelected(0, 0), 1);
    EXPECT_EQ(fake.vista.GetEndPointSelected(2), 0);
    EXPECT_FALSE(fake.IsVistaOrLater());
}
