// CPU time and peak memory of a whole take: the program playing a 60-second audio
// accompaniment with lyrics while recording the sound server's monitor to MP3,
// against stock tools doing the same work in the same run (gst-launch-1.0 playing
// the file, parec | lame recording the monitor at the same settings). Each round runs
// both, in turn; the figure is the median of the rounds' ratios, with their spread.
// Needs a sound server; for a private one:
//     eval "$(scripts/pulse-private start)"; build/bin/take_cpu [seconds, 30] [rounds, 3]
#include "runs.h"
#include "take_harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Usage {
    double cpuSeconds = 0;
    long peakKiB = 0;
};

double Seconds(const timeval& t)
{
    return t.tv_sec + t.tv_usec / 1e6;
}

// Runs a command line (through /bin/sh) and returns its and its children's usage.
Usage RunMeasured(const std::string& command)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss};
}

int TakeMode(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int result = bench_support::RunTake(folder);
    // The take's own peak: a count taken by the parent would include the pages of the
    // forked parent itself.
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    if (FILE* peak = std::fopen(QDir(folder).filePath("peak").toLocal8Bit().constData(), "w")) {
        std::fprintf(peak, "%ld\n", self.ru_maxrss);
        std::fclose(peak);
    }
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--take") return TakeMode(argc, argv);
    if (!std::getenv("PULSE_SERVER")) {
        std::fprintf(stderr, "take_cpu: start a sound server first: eval \"$(scripts/pulse-private start)\"\n");
        return 2;
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    std::string lrc;
    for (int i = 0; i < seconds; i += 2) {
        char line[64];
        std::snprintf(line, sizeof line, "[%02d:%02d.00]Line at %d seconds\n", i / 60, i % 60, i);
        lrc += line;
    }
    QDir().mkpath(QString::fromStdString(d + "/program/language"));
    QFile f(QString::fromStdString(d + "/song.lrc"));
    f.open(QIODevice::WriteOnly);
    f.write(lrc.c_str());
    f.close();
    const std::string make = "sox -n -r 44100 -b 16 " + d + "/song.wav synth " + std::to_string(seconds) +
                             " sine 440 sine 660 remix 1 2 vol 0.5 && lame --quiet -b 192 " + d + "/song.wav " + d + "/song.mp3";
    if (std::system(make.c_str()) != 0) return 1;

    const std::string self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    const std::string ours = "QT_QPA_PLATFORM=offscreen '" + self + "' --take " + d;
    const std::string reference =
        "timeout -s INT " + std::to_string(seconds + 1) + " parec --format=s16le --rate=44100 --channels=2 --latency-msec=93 | "
        "lame --quiet -r -s 44.1 --bitwidth 16 -b 128 --cbr -m j -q 2 - " + d + "/reference.mp3 & "
        "gst-launch-1.0 -q playbin uri=file://" + d + "/song.mp3; wait";
    std::vector<double> ratios, peaks;
    for (int round = 0; round < rounds; ++round) {
        QDir(QString::fromStdString(d + "/Music/Chorvane")).removeRecursively();
        // The order alternates, so that a machine getting busier favours neither side.
        Usage program, stock;
        if (round % 2 == 0) {
            program = RunMeasured(ours);
            stock = RunMeasured(reference);
        } else {
            stock = RunMeasured(reference);
            program = RunMeasured(ours);
        }
        QFile peakFile(QString::fromStdString(d + "/peak"));
        const double peakMb = peakFile.open(QIODevice::ReadOnly) ? peakFile.readAll().trimmed().toDouble() / 1024.0 : 0.0;
        peakFile.remove();
        const double ratio = stock.cpuSeconds > 0 ? program.cpuSeconds / stock.cpuSeconds : 0.0;
        std::printf("round %d: program %.2f s CPU, peak %.1f MB; stock tools %.2f s CPU; ratio %.2f\n", round + 1,
                    program.cpuSeconds, peakMb, stock.cpuSeconds, ratio);
        std::fflush(stdout);
        ratios.push_back(ratio);
        peaks.push_back(peakMb);
    }
    const bench_support::RunSummary ratio = bench_support::Summarize(ratios);
    const bench_support::RunSummary peak = bench_support::Summarize(peaks);
    std::printf("take_cpu: peak memory %.1f MB (%s; goal < 80)\n", peak.median,
                bench_support::Describe(peak, peaks.size(), "%.1f").c_str());
    std::printf("take_cpu: cpu ratio %.2f vs playbin+parec|lame (%s; goal <= 1.10)\n", ratio.median,
                bench_support::Describe(ratio, ratios.size()).c_str());
    return 0;
}
