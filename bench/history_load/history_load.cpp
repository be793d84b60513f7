// Loads and saves a history of 10,000 takes through the history list, and compares the
// load with merely reading the file's bytes with std::ifstream, both measured here in
// the same run. Prints the ratio last.

#include "thread_cpu.h"
#include "ListViewHistory.h"
#include "UnitHistory.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kRounds = 31;

using bench_support::Median;
using bench_support::TimeMs;

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath("history.dat");

    QWidget page;
    THistory history(&page);
    history.ListViewHistory->resize(175, 314);
    for (int i = 0; i < kRows; ++i)
        history.AddHistoryEntry(QStringLiteral("/home/singer/Music/Chorvane/[2024-05-%1][20-15-07]Song number %2.mp3")
                                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(i));

    size_t sink = 0;
    std::vector<double> saveTimes, readTimes, loadTimes;
    int loadedRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        // The first show loads into an empty list; making and dropping it is not timed.
        auto loaded = std::make_unique<THistory>(&page);
        saveTimes.push_back(TimeMs([&] { history.SaveHistory(file); }));
        readTimes.push_back(TimeMs([&] {
            // The quickest way std::ifstream has: one read of the whole size.
            std::ifstream in(file.toStdString(), std::ios::binary | std::ios::ate);
            std::string bytes(static_cast<size_t>(in.tellg()), '\0');
            in.seekg(0);
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            sink += static_cast<size_t>(in.gcount());
        }));
        loadTimes.push_back(TimeMs([&] {
            loaded->LoadHistory(file);
        }));
        loadedRows = loaded->RowCount();
        sink += static_cast<size_t>(loadedRows);
    }
    if (loadedRows != kRows) {
        std::fprintf(stderr, "history_load: loaded %d rows of %d\n", loadedRows, kRows);
        return 1;
    }

    const double save = Median(saveTimes);
    const double read = Median(readTimes);
    const double load = Median(loadTimes);
    std::printf("%d rows, %lld bytes: save %.3f ms, std::ifstream %.3f ms, load %.3f ms (thread CPU time, median of %d, %zu)\n",
                kRows, static_cast<long long>(QFileInfo(file).size()), save, read, load, kRounds, sink);
    std::printf("history_load: load %.2f ms (goal < 50 ms)\n", load);
    std::printf("history_load: time ratio %.2f vs std::ifstream (goal <= 5)\n", load / read);
    return 0;
}
