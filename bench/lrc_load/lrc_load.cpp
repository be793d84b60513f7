// Loads a generated 20,000-line lyric file and compares the time with merely reading
// the file's lines, both measured here in the same run. Prints the ratio last.

#include "runs.h"
#include "thread_cpu.h"
#include "UnitLyric.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kLines = 20000;
constexpr int kRounds = 10;

std::string GenerateLyricFile()
{
    // A song's worth of lines repeated: header tags, one to three time tags per line,
    // Chinese (GBK) and English words, unsorted times so the sort has work to do.
    std::mt19937 rng(42);
    std::string text = "[ti:Generated]\r\n[ar:Bench]\r\n[offset:0]\r\n";
    for (int i = 0; i < kLines; ++i) {
        int tags = 1 + static_cast<int>(rng() % 3);
        for (int t = 0; t < tags; ++t) {
            int ms = static_cast<int>(rng() % 3'600'000);
            char tag[32];
            std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
            text += tag;
        }
        text += i % 2 ? "\xBF\xA8\xC0\xAD OK \xB8\xE8\xB4\xCA line " : "the words of the song, line ";
        text += std::to_string(i);
        text += "\r\n";
    }
    return text;
}

using bench_support::Median;
using bench_support::TimeMs;

}  // namespace

int main()
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("chorvane-lrc-bench-" + std::to_string(::getpid()) + ".lrc");
    std::ofstream(path, std::ios::binary) << GenerateLyricFile();

    size_t sink = 0;
    std::vector<double> readTimes, loadTimes;
    // Round 0 warms the caches and the allocator and is not counted.
    for (int round = 0; round <= kRounds; ++round) {
        readTimes.push_back(TimeMs([&] {
            std::ifstream in(path, std::ios::binary);
            std::vector<std::string> lines;
            std::string line;
            while (std::getline(in, line)) lines.push_back(line);
            sink += lines.size();
        }));
        loadTimes.push_back(TimeMs([&] {
            TfrmLyric lyric;
            lyric.LoadLyricFile(path.string());
            sink += lyric.Lines.size();
        }));
    }
    std::filesystem::remove(path);
    readTimes.erase(readTimes.begin());
    loadTimes.erase(loadTimes.begin());

    const double read = Median(readTimes);
    const double load = Median(loadTimes);
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) ratios.push_back(loadTimes[round] / readTimes[round]);
    const bench_support::RunSummary ratio = bench_support::Summarize(ratios);
    std::printf("read lines: %.3f ms, load lyrics: %.3f ms (thread CPU time, median of %d, %zu items)\n", read, load, kRounds, sink);
    std::printf("lrc_load: time ratio %.2f vs reading the lines (%s; goal <= 3)\n", ratio.median,
                bench_support::Describe(ratio, kRounds).c_str());
    return 0;
}
