// The sound model: pieces over shared blocks, edits that copy no samples, and the
// peak summary against the samples themselves.
#include "sound.h"
#include "sound_files.h"

#include <gtest/gtest.h>

#include <random>

using editor_control::ChannelSummary;
using editor_control::Sound;
using editor_control::SoundBuilder;

namespace {

Sound Build(const std::vector<int16_t>& pcm, int channels, int64_t blockFrames = 1000, size_t feed = 777)
{
    SoundBuilder builder(44100, channels, blockFrames);
    for (size_t at = 0; at < pcm.size(); at += feed) builder.Append(pcm.data() + at, std::min(feed, pcm.size() - at));
    return builder.Finish();
}

std::vector<int16_t> Without(const std::vector<int16_t>& pcm, int channels, int64_t b, int64_t e)
{
    std::vector<int16_t> out(pcm.begin(), pcm.begin() + b * channels);
    out.insert(out.end(), pcm.begin() + e * channels, pcm.end());
    return out;
}

}  // namespace

TEST(Sound, TheBuilderKeepsEverySampleInBlocksOfTheGivenSize)
{
    const auto pcm = editor_test::Ramp(10500, 2);
    const Sound sound = Build(pcm, 2);
    EXPECT_EQ(sound.Frames(), 10500);
    EXPECT_EQ(sound.PieceCount(), 11u);
    EXPECT_EQ(sound.PieceAt(0).block->Frames(), 1000);
    EXPECT_EQ(sound.PieceAt(10).block->Frames(), 500);
    EXPECT_EQ(sound.Samples(0, sound.Frames()), pcm);
}

TEST(Sound, RemoveInsertAndReplaceGiveTheSamplesOfTheEdit)
{
    const auto pcm = editor_test::Ramp(9000, 2);
    const Sound sound = Build(pcm, 2);
    const Sound cut = sound.Remove(1234, 5678);
    EXPECT_EQ(cut.Samples(0, cut.Frames()), Without(pcm, 2, 1234, 5678));

    const Sound clip = sound.Slice(1234, 5678);
    EXPECT_EQ(clip.Samples(0, clip.Frames()), std::vector<int16_t>(pcm.begin() + 1234 * 2, pcm.begin() + 5678 * 2));
    const Sound back = cut.Insert(1234, clip);
    EXPECT_EQ(back.Samples(0, back.Frames()), pcm);

    const Sound start = cut.Insert(0, clip);
    std::vector<int16_t> expected(pcm.begin() + 1234 * 2, pcm.begin() + 5678 * 2);
    const auto rest = Without(pcm, 2, 1234, 5678);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(start.Samples(0, start.Frames()), expected);

    const Sound replaced = sound.Replace(10, 20, sound.Slice(0, 5));
    EXPECT_EQ(replaced.Frames(), 9000 - 10 + 5);
    EXPECT_EQ(replaced.Samples(10, 15), std::vector<int16_t>(pcm.begin(), pcm.begin() + 10));
}

TEST(Sound, EditsShareTheBlocksAndCopyNoSamples)
{
    const auto pcm = editor_test::Ramp(9000, 2);
    const Sound sound = Build(pcm, 2);
    const size_t bytes = sound.BlockBytes();
    const Sound edited = sound.Remove(100, 8000).Insert(50, sound.Slice(2000, 7000));
    // Every block of the edit is one of the original's.
    for (size_t i = 0; i < edited.PieceCount(); ++i) {
        bool found = false;
        for (size_t j = 0; j < sound.PieceCount(); ++j) found |= edited.PieceAt(i).block == sound.PieceAt(j).block;
        EXPECT_TRUE(found) << "piece " << i;
    }
    EXPECT_LE(edited.BlockBytes(), bytes);
    // The original is unchanged.
    EXPECT_EQ(sound.Samples(0, sound.Frames()), pcm);
}

TEST(Sound, TheSummaryOfAnyStretchEqualsTheSamples)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> value(-32768, 32767);
    const int channels = 2;
    std::vector<int16_t> pcm(size_t(300000) * channels);
    for (auto& v : pcm) v = int16_t(value(random));
    const Sound sound = Build(pcm, channels, 70000, 4096).Remove(12345, 23456);
    const auto flat = sound.Samples(0, sound.Frames());
    std::uniform_int_distribution<int64_t> frame(0, sound.Frames());
    for (int trial = 0; trial < 200; ++trial) {
        int64_t b = frame(random), e = frame(random);
        if (b > e) std::swap(b, e);
        if (b == e) continue;
        ChannelSummary got[2];
        sound.Summarize(b, e, got);
        for (int c = 0; c < channels; ++c) {
            int16_t lo = 32767, hi = -32768;
            double sum = 0;
            for (int64_t i = b; i < e; ++i) {
                const int16_t v = flat[size_t(i * channels + c)];
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                sum += double(v) * v;
            }
            ASSERT_EQ(got[c].min, lo) << b << ".." << e;
            ASSERT_EQ(got[c].max, hi) << b << ".." << e;
            ASSERT_EQ(got[c].count, e - b);
            ASSERT_NEAR(got[c].sumSquares, sum, sum * 1e-5 + 1);
        }
    }
}

TEST(Sound, AClipOfAnotherFormatIsRefused)
{
    const Sound stereo = Build(editor_test::Ramp(100, 2), 2);
    const Sound mono = Build(editor_test::Ramp(100, 1), 1);
    EXPECT_THROW((void)stereo.Insert(10, mono), std::invalid_argument);
}
