// The loader against a literal reading of the grammar: the three regular expressions
// run by std::regex, storing into the first blank entry, and the exchange sort. On
// small random files the two must give the same table, ties included.

#include "UnitLyric.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace {

std::vector<TLyricLine> ReferenceLoad(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string joined;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        std::string line = bytes.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        joined += line;
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    // "." of std::regex stops at CR; the generated files hold no lone CR.
    const std::regex countTag(R"((\[\d+.*?\]))");
    const std::regex timeTag(R"((\[(\d+):(\d+)\.(\d+)\]))");
    const std::regex lineText(R"(\[.*\](.*))");

    auto n = std::distance(std::sregex_iterator(joined.begin(), joined.end(), countTag), {});
    std::vector<TLyricLine> table(static_cast<size_t>(n));
    for (const std::string& line : lines) {
        std::vector<int32_t> times;
        for (auto it = std::sregex_iterator(line.begin(), line.end(), timeTag); it != std::sregex_iterator(); ++it) {
            std::string f = (*it)[4].str() + "00";
            times.push_back(std::stoi((*it)[2].str()) * 60000 + std::stoi((*it)[3].str()) * 1000 +
                            std::stoi(f.substr(0, 3)));
        }
        std::smatch m;
        std::string text = std::regex_search(line, m, lineText) ? m[1].str() : "";
        for (int32_t t : times) {
            for (TLyricLine& entry : table) {
                if (entry.Time == -1 && entry.Text.empty()) {
                    entry = {t, text};
                    break;
                }
            }
        }
    }
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t j = i + 1; j < table.size(); ++j)
            if (table[j].Time <= table[i].Time) std::swap(table[i], table[j]);
    return table;
}

std::string RandomLyricFile(std::mt19937& rng)
{
    static const char* pieces[] = {"[00:01.00]", "[00:01.5]", "[0:2.25]", "[00:01.000]", "[1:00.1]",
                                   "[00:03]", "[ti:x]", "[7]", "[", "]", "[1", "2]", "word", " ",
                                   ":", ".", "5", "\r\n", "\n", "\n", "[00:02.00]", "[00:01.00]"};
    std::string file;
    int count = static_cast<int>(rng() % 60);
    for (int i = 0; i < count; ++i) file += pieces[rng() % std::size(pieces)];
    return file;
}

TEST(LyricReference, SameTableAsTheLiteralAlgorithm)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 3000; ++round) {
        const std::string file = RandomLyricFile(rng);
        TfrmLyric lyric;
        lyric.LoadLyricData(file);
        const std::vector<TLyricLine> expected = ReferenceLoad(file);
        ASSERT_EQ(lyric.Lines.size(), expected.size()) << file;
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(lyric.Lines[i].Time, expected[i].Time) << "entry " << i << " of\n" << file;
            ASSERT_EQ(lyric.Lines[i].Text, expected[i].Text) << "entry " << i << " of\n" << file;
        }
        for (int32_t pos : {-1, 0, 999, 1000, 1500, 2000, 2250, 60100, 1000000}) {
            // The linear search of the lyric display, on the reference table.
            int32_t want = 0;
            if (!expected.empty() && pos >= expected[0].Time) {
                for (size_t i = 0; i < expected.size(); ++i) {
                    if (i + 1 == expected.size() || (expected[i].Time <= pos && pos < expected[i + 1].Time)) {
                        want = static_cast<int32_t>(i);
                        break;
                    }
                }
            }
            ASSERT_EQ(lyric.LineIndexAt(pos), want) << pos << " in\n" << file;
        }
    }
}

}  // namespace
