// Loading real files: read errors, numbers too large, huge and hostile input.

#include "UnitLyric.h"
#include "lyric_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

void ExpectInvariants(const TfrmLyric& lyric)
{
    bool seenTimed = false;
    for (size_t i = 0; i < lyric.Lines.size(); ++i) {
        const TLyricLine& l = lyric.Lines[i];
        if (l.Time == -1) {
            EXPECT_FALSE(seenTimed) << "blank entry after a timed one at " << i;
            EXPECT_TRUE(l.Text.empty());
        } else {
            seenTimed = true;
            EXPECT_GE(l.Time, 0);
        }
        if (i > 0) {
            EXPECT_LE(lyric.Lines[i - 1].Time, l.Time) << "out of order at " << i;
        }
    }
}

TEST(LyricFileErrors, UnreadableFilesRaiseTheRuntimeMessage)
{
    LyricFolder folder;
    TfrmLyric lyric;
    try {
        lyric.LoadLyricFile(folder.Path("missing.lrc"));
        FAIL() << "a missing file loaded";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
        EXPECT_EQ(e.ErrorCode, ENOENT);
    }
    folder.Write("a.lrc", "");
    try {
        lyric.LoadLyricFile(folder.Path(""));  // the folder itself
        FAIL() << "a folder loaded";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
    try {
        lyric.LoadLyricFile(folder.Path("a.lrc/below.lrc"));
        FAIL() << "a path through a file loaded";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
}

TEST(LyricFileErrors, NumbersBeyond32BitsRaiseTheConversionMessage)
{
    LyricFolder folder;
    TfrmLyric lyric;
    lyric.LoadLyricData("[00:01.00]old\n");
    const struct {
        std::string file;
        std::string message;
    } cases[] = {
        {"[2147483648:00.00]x\n", "'2147483648' is not a valid integer value"},
        {"[00:99999999999.00]x\n", "'99999999999' is not a valid integer value"},
        {"[00:01.00]ok\n[0:1.0][" + std::string(60, '9') + ":00.00]x\n",
         "'" + std::string(40, '9') + "...' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        try {
            lyric.LoadLyricFile(folder.Write("big.lrc", c.file));
            ADD_FAILURE() << "loaded " << c.file;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    // Leading zeros are no reason to fail, and the largest value still fits.
    lyric.LoadLyricFile(folder.Write("ok.lrc", "[0000000000000000000001:2147483647.0]x\n"));
    ASSERT_EQ(lyric.Lines.size(), 1u);
    EXPECT_EQ(lyric.Lines[0].Time, INT32_MAX);
}

TEST(LyricFileErrors, ReloadReplacesEverything)
{
    TfrmLyric lyric;
    lyric.LoadLyricData("[00:01.00]a\n[00:02.00]b\n[00:03.00]c\n");
    lyric.LoadLyricData("[00:05.00]only\n");
    ASSERT_EQ(lyric.Lines.size(), 1u);
    EXPECT_EQ(lyric.Lines[0], (TLyricLine{5000, "only"}));
    lyric.LoadLyricData("no tags at all");
    EXPECT_TRUE(lyric.Lines.empty());
    EXPECT_EQ(lyric.LastLineIndex(), -1);
}

TEST(LyricHostileInput, MillionLinesLoadInOrder)
{
    LyricFolder folder;
    std::string text;
    text.reserve(30'000'000);
    std::mt19937 rng(7);
    for (int i = 0; i < 1'000'000; ++i) {
        int ms = static_cast<int>(rng() % 36'000'000);
        char tag[48];
        std::snprintf(tag, sizeof tag, "[%d:%02d.%02d]line %d\n", ms / 60000, ms / 1000 % 60,
                      ms / 10 % 100, i);
        text += tag;
    }
    TfrmLyric lyric;
    lyric.LoadLyricFile(folder.Write("huge.lrc", text));
    ASSERT_EQ(lyric.Lines.size(), 1'000'000u);
    ExpectInvariants(lyric);
    int32_t mid = lyric.Lines[500'000].Time;
    int32_t idx = lyric.LineIndexAt(mid);
    EXPECT_EQ(lyric.Lines[static_cast<size_t>(idx)].Time, mid);
    EXPECT_TRUE(idx == lyric.LastLineIndex() || lyric.Lines[static_cast<size_t>(idx) + 1].Time > mid);
}

TEST(LyricHostileInput, LongLinesAndUnclosedBracketsDoNotHang)
{
    TfrmLyric lyric;
    // Ten million characters on one line: open brackets and digits without an end,
    // a tag at the very end, and a line of nothing but almost-tags.
    std::string open(10'000'000, '[');
    for (size_t i = 1; i < open.size(); i += 2) open[i] = '1';
    lyric.LoadLyricData(open + "[00:01.00]end");
    ASSERT_EQ(lyric.Lines.size(), 1u);
    EXPECT_EQ(lyric.Lines[0], (TLyricLine{1000, "end"}));

    std::string almost;
    for (int i = 0; i < 1'000'000; ++i) almost += "[1:2.";
    lyric.LoadLyricData(almost + "3]x");
    ASSERT_EQ(lyric.Lines.size(), 1u);
    EXPECT_EQ(lyric.Lines[0].Time, 62300);
    EXPECT_EQ(lyric.Lines[0].Text, "x");

    std::string zeros = "[" + std::string(5'000'000, '0') + "1:00.5]z";
    lyric.LoadLyricData(zeros);
    ASSERT_EQ(lyric.Lines.size(), 1u);
    EXPECT_EQ(lyric.Lines[0].Time, 60500);
}

TEST(LyricHostileInput, BinaryGarbageLoadsCleanly)
{
    std::mt19937 rng(11);
    const char alphabet[] = "[]:.0123456789\n\r\x00\xff abc";
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<size_t>(rng() % 4000), '\0');
        for (char& c : bytes)
            c = round % 2 ? static_cast<char>(rng()) : alphabet[rng() % (sizeof alphabet - 1)];
        TfrmLyric lyric;
        try {
            lyric.LoadLyricData(bytes);
        } catch (const EConvertError&) {
            continue;  // a long run of digits in a tag is reported, never a crash
        }
        ExpectInvariants(lyric);
        std::vector<std::string_view> lines = TfrmLyric::SplitLines(bytes);
        EXPECT_EQ(lyric.Lines.size(), TfrmLyric::CountTimeTags(lines));
    }
}

}  // namespace
