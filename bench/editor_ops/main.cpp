// The waveform editor control on a long recording: open an MP3 (against decoding it with
// gst-launch), cut ten minutes from the middle and paste them at the start, draw one
// full-width frame at the fit-all zoom, save as MP3 (against lame on the same PCM), and
// the peak memory against the raw PCM.
//   editor_ops_bench [minutes=10]      (60 for the full hour; about 8 minutes of work)

#include "audio_editor_control.h"
#include "mp3_file_writer.h"
#include "thread_cpu.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
const char* const kLameArgs[] = {"lame", "-b", "128", "--cbr", "-m", "j", "-q", "2",
                                 "--nores", "-t", "--noreplaygain", "--quiet"};

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ProcessCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double CurrentRssMb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Something like music, made a block at a time so that the whole never sits in memory.
void Generate(int64_t firstFrame, std::vector<int16_t>* block)
{
    const size_t frames = block->size() / 2;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(firstFrame + int64_t(i)) / kRate;
        const double note = 220.0 * std::pow(2.0, std::floor(std::fmod(t * 2, 12)) / 12.0);
        const double swell = 0.5 + 0.4 * std::sin(t * 0.7);
        for (int c = 0; c < 2; ++c) {
            const double v = swell * (0.5 * std::sin(2 * M_PI * note * (c ? 1.5 : 1.0) * t) +
                                      0.2 * std::sin(2 * M_PI * 110.0 * t + c));
            (*block)[i * 2 + c] = int16_t(v * 26000);
        }
    }
}

struct Child {
    double wall = 0;
    double cpu = 0;
    bool ok = false;
};

Child RunChild(std::vector<std::string> args)
{
    Child result;
    const double start = Now();
    const pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return result;
    result.wall = Now() - start;
    result.cpu = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 +
                 double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

void WaitFor(editor_control::AudioEditorControl& control)
{
    while (control.IsBusy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int64_t frames = int64_t(minutes * 60 * kRate);
    const double rawMb = double(frames) * 4 / (1024.0 * 1024.0);
    char folderTemplate[] = "/tmp/chorvane-editor-bench-XXXXXX";
    if (!mkdtemp(folderTemplate)) return 1;
    const std::string folder = folderTemplate;
    const std::string input = folder + "/input.mp3";

    // The recording, written as a take writes it.
    {
        nim_audio_file::CMp3FileWriter writer;
        writer.SetAudioFormat(2, kRate, 16);
        if (!writer.HasEncoder() || writer.Create(input) != 0) {
            std::fprintf(stderr, "editor_ops: cannot write the MP3 (is libmp3lame0 installed?)\n");
            return 1;
        }
        std::vector<int16_t> block(4096 * 2);
        for (int64_t at = 0; at < frames; at += 4096) {
            block.resize(size_t(std::min<int64_t>(4096, frames - at)) * 2);
            Generate(at, &block);
            if (writer.Write(block.data(), block.size() * 2) != 0) return 1;
        }
        if (writer.Close() != 0) return 1;
    }
    std::printf("editor_ops: %.1f minutes of stereo 44100 Hz sound, %.0f MB of PCM\n", minutes, rawMb);

    // Decoding the same file with gst-launch.
    const Child reference = RunChild({"gst-launch-1.0", "-q", "filesrc", "location=" + input, "!", "decodebin", "!",
                                      "fakesink", "sync=false"});
    if (!reference.ok) {
        std::fprintf(stderr, "editor_ops: gst-launch-1.0 failed\n");
        return 1;
    }

    editor_control::AudioEditorControl control;
    control.resize(636, 323);
    // A first, short file loads GStreamer's plugins, so that what follows counts only the sound.
    {
        const std::string warmUp = folder + "/warm-up.mp3";
        nim_audio_file::CMp3FileWriter writer;
        writer.SetAudioFormat(2, kRate, 16);
        std::vector<int16_t> second(size_t(kRate) * 2);
        Generate(0, &second);
        if (writer.Create(warmUp) != 0 || writer.Write(second.data(), second.size() * 2) != 0 || writer.Close() != 0)
            return 1;
        if (!control.OpenFile(QString::fromStdString(warmUp))) return 1;
        WaitFor(control);
        // And the fonts and the encoder, so that the memory figure counts only the sound.
        QImage image(636, 323, QImage::Format_RGB32);
        QPainter painter(&image);
        control.PaintFrame(painter, image.size());
        if (!control.SaveFile(QString::fromStdString(folder + "/warm-up-saved.mp3"), 0)) return 1;
        WaitFor(control);
        control.ReleaseFile();
        control.DropReleasedSound();
    }
    const double baseMb = CurrentRssMb();
    double wall = Now(), cpu = ProcessCpu();
    if (!control.OpenFile(QString::fromStdString(input))) return 1;
    WaitFor(control);
    const double openWall = Now() - wall, openCpu = ProcessCpu() - cpu;
    if (!control.HasSound()) {
        std::fprintf(stderr, "editor_ops: the file did not open: %s\n", qPrintable(control.LastError()));
        return 1;
    }
    const int64_t length = control.CurrentSound().Frames();
    const double openedMb = CurrentRssMb();
    std::printf("editor_ops: open: %.2f s wall, %.2f s cpu; gst-launch decodebin ! fakesink: %.2f s wall, %.2f s cpu\n",
                openWall, openCpu, reference.wall, reference.cpu);

    // Ten minutes (or a sixth of a shorter sound) from the middle to the start.
    const int64_t cutFrames = std::min<int64_t>(10 * 60 * kRate, length / 6);
    control.SetSelection(length / 2 - cutFrames / 2, length / 2 - cutFrames / 2 + cutFrames);
    double t = Now();
    if (!control.CutSelection()) return 1;
    const double cutMs = (Now() - t) * 1e3;
    control.SetCursor(0);
    t = Now();
    if (!control.PasteClip()) return 1;
    const double pasteMs = (Now() - t) * 1e3;
    std::printf("editor_ops: cut %.1f min: %.3f ms; paste at the start: %.3f ms (%zu pieces)\n",
                double(cutFrames) / kRate / 60, cutMs, pasteMs, control.CurrentSound().PieceCount());

    // One full-width frame at the fit-all zoom.
    control.ScaleX()->SetSetting(2);
    control.SetSelection(length / 4, length / 3);
    QImage image(636, 323, QImage::Format_RGB32);
    std::vector<double> draws;
    for (int i = 0; i < 15; ++i) {
        QPainter painter(&image);
        t = Now();
        control.PaintFrame(painter, image.size());
        draws.push_back((Now() - t) * 1e3);
    }
    const double drawMs = bench_support::Median(draws);
    std::printf("editor_ops: draw one 636 x 323 frame at fit-all: %.2f ms (median of %zu)\n", drawMs, draws.size());

    // Save as MP3, against lame on the same (edited) PCM.
    const std::string saved = folder + "/saved.mp3";
    wall = Now();
    cpu = ProcessCpu();
    if (!control.SaveFile(QString::fromStdString(saved), 0)) return 1;
    WaitFor(control);
    const double saveWall = Now() - wall, saveCpu = ProcessCpu() - cpu;
    if (!std::filesystem::exists(saved)) {
        std::fprintf(stderr, "editor_ops: the save failed: %s\n", qPrintable(control.LastError()));
        return 1;
    }
    const double peakMb = PeakRssMb();
    const std::string wav = folder + "/edited.wav";
    if (!control.SaveFile(QString::fromStdString(wav), 0)) return 1;
    WaitFor(control);
    std::vector<std::string> lame(std::begin(kLameArgs), std::end(kLameArgs));
    lame.push_back(wav);
    lame.push_back(folder + "/lame.mp3");
    const Child encoder = RunChild(lame);
    if (!encoder.ok) {
        std::fprintf(stderr, "editor_ops: lame failed (is it installed?)\n");
        return 1;
    }
    std::printf("editor_ops: save as MP3: %.2f s wall, %.2f s cpu; lame: %.2f s wall, %.2f s cpu\n", saveWall,
                saveCpu, encoder.wall, encoder.cpu);
    std::filesystem::remove_all(folder);

    std::printf("editor_ops: memory: %.0f MB before opening, %.0f MB when open, %.0f MB at the peak, for %.0f MB of PCM\n",
                baseMb, openedMb, peakMb, rawMb);
    std::printf("editor_ops: peak memory %.2fx the PCM above the start (%.2fx counting the program itself)\n",
                (peakMb - baseMb) / rawMb, peakMb / rawMb);
    std::printf("editor_ops: save %.2fx lame (wall), %.2fx (cpu); cut %.3f ms, paste %.3f ms, draw %.2f ms\n",
                saveWall / encoder.wall, saveCpu / encoder.cpu, cutMs, pasteMs, drawMs);
    std::printf("editor_ops: open %.2fx gst-launch decodebin (wall), %.2fx (cpu)\n", openWall / reference.wall,
                openCpu / reference.cpu);
    return 0;
}
