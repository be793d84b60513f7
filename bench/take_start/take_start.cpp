// Time from the sing button to the first sample of the accompaniment on the sound
// server's monitor, against gst-launch-1.0 playbin from its start to its first sample,
// both measured in the same run, in turn. Prints the medians and their ratio last.
// Needs a sound server; for a private one:
//     eval "$(scripts/pulse-private start)"; build/bin/take_start [rounds, 5]
#include "first_sound.h"
#include "runs.h"
#include "take_harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

using take_start::MonotonicNs;

int TakeMode(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    return bench_support::RunTake(folder, [&] {
        // The moment of the press, for the parent to compare with the first sound.
        if (FILE* f = std::fopen(QDir(folder).filePath("pressed").toLocal8Bit().constData(), "w")) {
            std::fprintf(f, "%lld\n", static_cast<long long>(MonotonicNs()));
            std::fclose(f);
        }
    });
}

// Runs a command line through /bin/sh and waits for it.
int Run(const std::string& command)
{
    pid_t pid = 0;
    const char* args[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(args), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--take") return TakeMode(argc, argv);
    if (!std::getenv("PULSE_SERVER")) {
        std::fprintf(stderr, "take_start: start a sound server first: eval \"$(scripts/pulse-private start)\"\n");
        return 2;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    QDir().mkpath(QString::fromStdString(d + "/program/language"));
    QFile lrc(QString::fromStdString(d + "/song.lrc"));
    lrc.open(QIODevice::WriteOnly);
    lrc.write("[00:00.00]The first line\n[00:01.00]The second line\n");
    lrc.close();
    // Two seconds that sound from their first sample.
    const std::string make = "sox -n -r 44100 -b 16 " + d + "/song.wav synth 2 sine 440 sine 660 remix 1 2 vol 0.5 && "
                             "lame --quiet -b 192 " + d + "/song.wav " + d + "/song.mp3";
    if (std::system((make + " 2>/dev/null").c_str()) != 0) return 1;

    take_start::FirstSound sound;
    std::string error;
    if (!sound.Start(&error)) {
        std::fprintf(stderr, "take_start: the monitor cannot be read: %s\n", error.c_str());
        return 1;
    }
    const std::string self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    const std::string ours = "QT_QPA_PLATFORM=offscreen '" + self + "' --take " + d + " 2>/dev/null";
    const std::string reference = "gst-launch-1.0 -q playbin uri=file://" + d + "/song.mp3";

    const auto measureOurs = [&]() -> double {
        QDir(QString::fromStdString(d + "/Music")).removeRecursively();
        QFile::remove(QString::fromStdString(d + "/pressed"));
        sound.Arm();
        if (Run(ours) != 0) return -1;
        QFile pressed(QString::fromStdString(d + "/pressed"));
        if (!pressed.open(QIODevice::ReadOnly)) return -1;
        const long long at = pressed.readAll().trimmed().toLongLong();
        return sound.HeardNs() > at ? (sound.HeardNs() - at) / 1e6 : -1;
    };
    const auto measureReference = [&]() -> double {
        sound.Arm();
        const int64_t start = MonotonicNs();
        if (Run(reference) != 0) return -1;
        return sound.HeardNs() > start ? (sound.HeardNs() - start) / 1e6 : -1;
    };

    // One start of each, not counted, wakes the server's sink and fills the disk cache.
    (void)measureReference();

    std::vector<double> program, stock, ratios;
    for (int round = 0; round < rounds; ++round) {
        double a = 0, b = 0;
        (void)sound.WaitForSilence(300, 3000);
        if (round % 2 == 0) {
            a = measureOurs();
            (void)sound.WaitForSilence(300, 3000);
            b = measureReference();
        } else {
            b = measureReference();
            (void)sound.WaitForSilence(300, 3000);
            a = measureOurs();
        }
        std::printf("round %d: sing button to first sample %.0f ms; gst-launch-1.0 playbin %.0f ms\n", round + 1, a, b);
        std::fflush(stdout);
        if (a <= 0 || b <= 0) continue;
        program.push_back(a);
        stock.push_back(b);
        ratios.push_back(a / b);
    }
    if (ratios.empty()) {
        std::printf("take_start: no round heard both starts\n");
        return 1;
    }
    const bench_support::RunSummary p = bench_support::Summarize(program), s = bench_support::Summarize(stock);
    const bench_support::RunSummary r = bench_support::Summarize(ratios);
    std::printf("sing button to first sample %.0f ms (%s), gst-launch-1.0 playbin %.0f ms (%s)\n", p.median,
                bench_support::Describe(p, program.size(), "%.0f").c_str(), s.median,
                bench_support::Describe(s, stock.size(), "%.0f").c_str());
    std::printf("take_start: %.0f ms, %.2fx gst-launch-1.0 playbin (ratio %s; goal <= 1.2x and under 300 ms)\n", p.median,
                r.median, bench_support::Describe(r, ratios.size()).c_str());
    return 0;
}
