// The line through the timing anchors: offset and drift, strays left out.

#include "capture_clock.h"
#include "voice_timing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using voice_mix::TimingAnchor;

// Anchors every 100 ms over `seconds`, the voice clock running `ppm` fast, with a few
// frames of jitter and, first, a second in which the music position stood still.
std::vector<TimingAnchor> Anchors(double seconds, double ppm, double offset)
{
    std::vector<TimingAnchor> anchors;
    for (int i = 0; i < 10; ++i) anchors.push_back({0, int64_t(i) * 4410});
    for (int i = 0; i * 0.1 < seconds; ++i) {
        const int64_t music = int64_t(i) * 4410 + 17;
        const int jitter = ((i * 7919) % 41) - 20;
        anchors.push_back({music, int64_t(double(music) * (1 + ppm * 1e-6) + offset) + jitter});
    }
    return anchors;
}

TEST(VoiceTiming, AVoiceClock100ppmFastOverFourMinutesIsFoundWithItsOffset)
{
    const auto timing = voice_mix::FitTiming(Anchors(240, 100, 5000));
    ASSERT_TRUE(timing);
    EXPECT_NEAR(timing->ppm(), 100, 2);
    EXPECT_NEAR(timing->offsetFrames, 5000, 5);
    // At the end of the song the line is within a tenth of a millisecond of the clock.
    const double end = 240.0 * 44100;
    EXPECT_NEAR(timing->VoiceFrameFor(end), end * 1.0001 + 5000, 5);
    EXPECT_LT(timing->anchorsUsed, Anchors(240, 100, 5000).size());  // the still second is out
}

TEST(VoiceTiming, ShortTakesKeepOnlyTheOffsetAndNoAnchorsGiveNothing)
{
    const auto timing = voice_mix::FitTiming(Anchors(5, 100, -3000));
    ASSERT_TRUE(timing);
    EXPECT_EQ(timing->drift, 0.0);
    EXPECT_NEAR(timing->offsetFrames, -3000 + 2.5 * 44100 * 1e-4, 25);
    EXPECT_EQ(voice_mix::FitTiming(Anchors(40, 100, 0))->drift, 0.0);
    EXPECT_FALSE(voice_mix::FitTiming({}));
    // A slope no clock has is not taken for drift.
    EXPECT_EQ(voice_mix::FitTiming(Anchors(60, 5000, 0))->drift, 0.0);
}

// A pause of 1.5 s at 10 s of music: no anchors while the position stood still, then the
// voice is 1.5 s further behind; a position hiccup on continuing is a stray.
TEST(VoiceTiming, APauseStartsAResumptionWithTheOffsetAfterIt)
{
    std::vector<TimingAnchor> anchors = Anchors(10, 0, 5000);
    const int64_t pause = 66150;
    anchors.push_back({10 * 44100 + 4410, 10 * 44100 + 5000 + pause + 30000});
    for (int i = 1; i * 0.1 < 20; ++i) {
        const int64_t music = 10 * 44100 + int64_t(i) * 4410 + 17;
        anchors.push_back({music, music + 5000 + pause + ((i * 7919) % 41) - 20});
    }
    const auto timing = voice_mix::FitTiming(anchors);
    ASSERT_TRUE(timing);
    EXPECT_NEAR(timing->offsetFrames, 5000, 25);
    ASSERT_EQ(timing->resumptions.size(), 1u);
    EXPECT_NEAR(double(timing->resumptions[0].musicFrame), 10 * 44100, 4410);
    EXPECT_NEAR(timing->resumptions[0].offsetFrames, 5000 + pause, 25);
    EXPECT_NEAR(timing->VoiceFrameFor(25 * 44100), 25 * 44100 + 5000 + pause, 25);
    EXPECT_TRUE(voice_mix::FitTiming(Anchors(30, 0, 5000))->resumptions.empty());
}

}  // namespace

namespace {

// Reads every 20 ms of a clock 50 ppm slow, each begun late by up to 12 ms in a pattern
// of wake-ups (never early): the line follows the timely reads, not the average.
TEST(CaptureClock, LateWakeUpsDoNotMoveTheLineAndAStreamThatEndedCoversNoLaterInstant)
{
    std::vector<voice_mix::ReadMark> marks;
    const double framesPerNs = 44100e-9 * (1 - 50e-6);
    for (int i = 0; i < 1000; ++i) {
        const int64_t due = 5'000'000'000 + int64_t(i) * 20'000'000;
        const int64_t late = (i % 3 == 0) ? 0 : int64_t((i * 7919) % 12) * 1'000'000;
        marks.push_back({due + late, int64_t(std::llround(double(due - 5'000'000'000) * framesPerNs)) + 882});
    }
    const auto clock = voice_mix::FitCaptureClock(marks);
    ASSERT_TRUE(clock);
    for (const int64_t at : {int64_t(5'000'000'000), int64_t(15'000'000'000), int64_t(24'980'000'000)})
        EXPECT_NEAR(clock->FrameAt(at), double(at - 5'000'000'000) * framesPerNs + 882, 0.5 * 44.1);
    EXPECT_TRUE(clock->Covers(24'980'000'000));
    EXPECT_FALSE(clock->Covers(30'000'000'000));
    marks.resize(5);
    EXPECT_FALSE(voice_mix::FitCaptureClock(marks));
}

}  // namespace
