// The grammar of lyric files as a table: file text in, entries out.

#include "UnitLyric.h"
#include "lyric_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

void PrintTo(const TLyricLine& l, std::ostream* os) { *os << "(" << l.Time << ", \"" << l.Text << "\")"; }

namespace {

struct LoadCase {
    const char* name;
    std::string file;
    std::vector<TLyricLine> lines;
};

std::ostream& operator<<(std::ostream& os, const LoadCase& c) { return os << c.name; }

class LyricGrammar : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LyricGrammar, LoadsTheseEntries)
{
    LyricFolder folder;
    TfrmLyric lyric;
    lyric.LoadLyricFile(folder.Write("song.lrc", GetParam().file));
    EXPECT_EQ(lyric.Lines, GetParam().lines);
    EXPECT_EQ(lyric.LastLineIndex(), static_cast<int32_t>(GetParam().lines.size()) - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LyricGrammar,
    ::testing::Values(
        LoadCase{"TwoTagsShareTheText", "[00:10.00][00:20.00]Chorus\n",
                 {{10000, "Chorus"}, {20000, "Chorus"}}},
        LoadCase{"TagAndTextAnywhereInLine", "Hello [00:05.00]world\n", {{5000, "world"}}},
        LoadCase{"TextStartsAfterLastBracket", "[00:05.00]Hello [x] world\n", {{5000, " world"}}},
        LoadCase{"TagOnlyGivesEmptyText", "[00:30.00]\n", {{30000, ""}}},
        LoadCase{"HeaderTagsGiveNothing",
                 "[ti:Song]\n[ar:Singer]\n[al:Album]\n[by:Me]\n[offset:500]\n[00:01.00]a\n",
                 {{1000, "a"}}},
        LoadCase{"TagWithoutFractionIsBlankEntry", "[00:10]Hello\n", {{-1, ""}}},
        LoadCase{"BlankEntriesSortFirst", "[00:02.00]b\n[00:10]x\n[00:01.00]a\n",
                 {{-1, ""}, {1000, "a"}, {2000, "b"}}},
        LoadCase{"FractionIsPartOfASecond",
                 "[01:02.5]a\n[01:02.50]b\n[01:02.500]c\n[01:02.5678]d\n[00:12.34]e\n[1:02.3]f\n"
                 "[00:00.05]g\n[00:00.005]h\n",
                 {{5, "h"}, {50, "g"}, {12340, "e"}, {62300, "f"}, {62500, "c"}, {62500, "b"},
                  {62500, "a"}, {62567, "d"}}},
        LoadCase{"SecondsAreNotLimited", "[00:75.00]late\n", {{75000, "late"}}},
        LoadCase{"EqualTimesStoredLastComeFirst", "[00:10.00]A\n[00:10.00]B\n",
                 {{10000, "B"}, {10000, "A"}}},
        LoadCase{"CountTagSpansLines", "abc[12\ndef]\n", {{-1, ""}}},
        LoadCase{"CountTagSwallowsTimeTagAcrossLines", "x[1\n[00:01.00]one\n",
                 {{1000, "one"}}},
        LoadCase{"CrLfAndLastLineWithoutEnd", "[00:01.00]one\r\n[00:02.00]two",
                 {{1000, "one"}, {2000, "two"}}},
        LoadCase{"LoneCarriageReturnStaysInText", "[00:01.00]a\rb\n", {{1000, "a\rb"}}},
        LoadCase{"SpacesStayInText", "[00:01.00]  two spaces  \n", {{1000, "  two spaces  "}}},
        LoadCase{"BracketAfterTextOnlyNoText", "[00:01.00]a]b[\n", {{1000, "b["}}},
        LoadCase{"NestedOpenBracketsStillFindTag", "[[00:03.00]x\n", {{3000, "x"}}},
        LoadCase{"TagInsideTextNotTimeTag", "[00:01.00x]y\n[1]\n", {{-1, ""}, {-1, ""}}},
        LoadCase{"NoTagsNoEntries", "just words\n[ti:x]\n", {}},
        LoadCase{"EmptyFile", "", {}},
        LoadCase{"ByteOrderMarkIsKept", "\xEF\xBB\xBF[00:01.00]\xEF\xBB\xBFhi\n",
                 {{1000, "\xEF\xBB\xBFhi"}}},
        LoadCase{"GbkBytesAsTheyAre", "[00:01.00]\xBF\xA8\xC0\xAD OK\n",
                 {{1000, "\xBF\xA8\xC0\xAD OK"}}},
        LoadCase{"LongFractionIsFine", "[00:01.99999999999999999999]x\n", {{1999, "x"}}},
        LoadCase{"TimesPastThe32BitRangeStayAtItsEnd", "[35792:00.00]far\n[00:01.00]near\n",
                 {{1000, "near"}, {2147483647, "far"}}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

struct IndexCase {
    int32_t position;
    int32_t index;
};

TEST(LyricIndex, CurrentLineIsLastAtOrBeforePosition)
{
    TfrmLyric lyric;
    lyric.LoadLyricData("[00:01.00]a\n[00:05.00]b\n[00:09.00]c\n");
    const IndexCase cases[] = {{-5, 0}, {500, 0}, {1000, 0}, {4999, 0}, {5000, 1},
                               {8999, 1}, {9000, 2}, {100000, 2}, {INT32_MAX, 2}};
    for (const IndexCase& c : cases) EXPECT_EQ(lyric.LineIndexAt(c.position), c.index) << c.position;
    EXPECT_EQ(lyric.LineTextAt(1), "b");
}

TEST(LyricIndex, EqualTimesAnswerTheOneStoredFirstAndBlanksCountAsEarliest)
{
    TfrmLyric lyric;
    lyric.LoadLyricData("[00:10.00]A\n[00:10.00]B\n[00:10]\n");
    // Sorted: blank, B, A.
    EXPECT_EQ(lyric.LineIndexAt(-2), 0);
    EXPECT_EQ(lyric.LineIndexAt(0), 0);
    EXPECT_EQ(lyric.LineIndexAt(10000), 2);
    EXPECT_EQ(lyric.LineTextAt(2), "A");
}

TEST(LyricIndex, EmptyHolderAnswersZeroAndMinusOne)
{
    TfrmLyric lyric;
    EXPECT_EQ(lyric.LineIndexAt(12345), 0);
    EXPECT_EQ(lyric.LastLineIndex(), -1);
    EXPECT_EQ(lyric.LineTextAt(0), "");
    lyric.LoadLyricData("[00:01.00]x\n");
    EXPECT_EQ(lyric.LineTextAt(-1), "");
    EXPECT_EQ(lyric.LineTextAt(1), "");
}

TEST(LyricSteps, CountAndTextFollowTheirRules)
{
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(TfrmLyric::CountTimeTags(Lines{"[00:12.34][1][00:12][12abc]"}), 4u);
    EXPECT_EQ(TfrmLyric::CountTimeTags(Lines{"[ti:Song][ar:x][offset:500][]"}), 0u);
    EXPECT_EQ(TfrmLyric::CountTimeTags(Lines{"[1[2]]"}), 1u);
    EXPECT_EQ(TfrmLyric::CountTimeTags(Lines{"[[1]", "[", "2]"}), 2u);
    EXPECT_EQ(TfrmLyric::CountTimeTags(Lines{"[12 no end"}), 0u);

    EXPECT_EQ(TfrmLyric::ParseLineText("no brackets"), "");
    EXPECT_EQ(TfrmLyric::ParseLineText("] then [ only"), "");
    EXPECT_EQ(TfrmLyric::ParseLineText("a[b]c]d"), "d");
    EXPECT_EQ(TfrmLyric::ParseTimeTags("[00:01.00][00:02.00]x[00:03.00]"),
              (std::vector<int32_t>{1000, 2000, 3000}));
    EXPECT_EQ(TfrmLyric::ParseTimeTags("[00:01.00[00:02.00]"), (std::vector<int32_t>{2000}));
}

}  // namespace

// A long file takes the sort for long lists: the same order as a comparison sort of
// (time ascending, the tag stored last first), across times that need every byte.
TEST(LyricOrder, LongFilesSortLikeShortOnes)
{
    std::string file;
    std::vector<std::pair<int32_t, int>> expected;  // (time, storing place)
    uint32_t seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Few distinct times, so that many tags share one; some far into the 32-bit range.
        const int64_t minutes = i % 7 == 0 ? 35000 + (seed >> 8) % 3 : (seed >> 16) % 400;
        const int seconds = int((seed >> 4) % 2);
        file += "[" + std::to_string(minutes) + ":0" + std::to_string(seconds) + ".00]line " + std::to_string(i) + "\n";
        expected.emplace_back(int32_t(minutes * 60000 + seconds * 1000), i);
    }
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return a.first != b.first ? a.first < b.first : a.second > b.second; });
    TfrmLyric lyric;
    lyric.LoadLyricData(file);
    ASSERT_EQ(lyric.Lines.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        ASSERT_EQ(lyric.Lines[k].Time, expected[k].first) << k;
        ASSERT_EQ(lyric.Lines[k].Text, "line " + std::to_string(expected[k].second)) << k;
    }
}
