// The mix after a voice take against its reference: the accompaniment decoded with the
// same decoder into a WAV file and that file encoded by lame at the MP3 writer's settings. Also
// how long after the end of the take the first mixed sound is ready.
//   voice_mix_bench [minutes=4]

#include "accompaniment_decoder.h"
#include "mix_render.h"
#include "voice_take.h"
#include "wave_file_writer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

bool Run(const QString& command) { return std::system(command.toLocal8Bit().constData()) == 0; }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 4.0;
    QTemporaryDir folder;
    const QString song = folder.filePath("song.mp3"), voicePath = folder.filePath("voice.wav");
    std::printf("generating %.1f minutes of accompaniment and voice...\n", minutes);
    if (!Run(QStringLiteral("sox -n -r 44100 -b 16 -c 2 '%1.wav' synth %2 pinknoise vol 0.2 && lame --quiet -b 192 '%1.wav' '%1'")
                 .arg(song)
                 .arg(minutes * 60)))
        return 1;
    voice_mix::VoiceTrack voice;
    const auto frames = static_cast<size_t>(minutes * 60 * 44100);
    voice.samples.resize(frames * 2);
    uint32_t seed = 1;
    for (auto& s : voice.samples) s = static_cast<int16_t>(((seed = seed * 1664525u + 1013904223u) >> 20) - 2048);
    voice_mix::MixSettings settings;
    settings.accompaniment = song;
    settings.bitRate = 128;
    settings.timing.offsetFrames = 3000;

    // Ours: decode, mix, encode in one pass.
    const double ourCpu0 = CpuSeconds(RUSAGE_SELF), ourWall0 = Now();
    double firstBlock = -1;
    const QString problem = voice_mix::RenderMix(voice, settings, folder.filePath("take.mp3"), [&](double) {
        if (firstBlock < 0) firstBlock = Now() - ourWall0;
    });
    const double ourCpu = CpuSeconds(RUSAGE_SELF) - ourCpu0, ourWall = Now() - ourWall0;
    if (!problem.isEmpty()) {
        std::printf("mix failed: %s\n", qPrintable(problem));
        return 1;
    }

    // Reference: the same decoder into a WAV file, then lame on it.
    const double refCpu0 = CpuSeconds(RUSAGE_SELF), lameCpu0 = CpuSeconds(RUSAGE_CHILDREN), refWall0 = Now();
    nim_audio_file::CWaveFileWriter wav;
    wav.SetAudioFormat(2, 44100, 16);
    const QString pcm = folder.filePath("pcm.wav");
    if (wav.Create(QFile::encodeName(pcm).toStdString()) != 0) return 1;
    // The same PCM as the take's: the voice summed in at its offset, so lame encodes what ours does.
    std::vector<int16_t> block;
    size_t at = 0;
    const auto offset = static_cast<size_t>(settings.timing.offsetFrames) * 2;
    (void)voice_mix::DecodeAccompaniment(song, 0, [&](const float* f, size_t n) {
        block.resize(2 * n);
        for (size_t i = 0; i < 2 * n; ++i, ++at) {
            const float v = at + offset < voice.samples.size() ? voice.samples[at + offset] / 32768.0f : 0.0f;
            block[i] = static_cast<int16_t>(std::lround(std::clamp(f[i] + v, -1.0f, 1.0f) * 32767));
        }
        return wav.Write(block.data(), block.size() * 2) == 0;
    });
    (void)wav.Close();
    if (!Run(QStringLiteral("lame --quiet -b 128 --cbr -m j -q 2 --nores -t --noreplaygain '%1' '%2'").arg(pcm, folder.filePath("ref.mp3")))) return 1;
    const double refCpu = (CpuSeconds(RUSAGE_SELF) - refCpu0) + (CpuSeconds(RUSAGE_CHILDREN) - lameCpu0);
    const double refWall = Now() - refWall0;

    std::printf("mix of %.1f min: %.2f s CPU, %.2f s wall\n", minutes, ourCpu, ourWall);
    std::printf("decode + lame:  %.2f s CPU, %.2f s wall\n", refCpu, refWall);
    std::printf("end of take to first mixed block: %.0f ms (goal for the first listen-back sound: under 300 ms)\n", firstBlock * 1000);
    std::printf("voice_mix: cpu ratio %.2f vs decode+lame (goal <= 1.20)\n", ourCpu / refCpu);
    return 0;
}
