// Encodes generated stereo 44100 Hz sound to MP3 at 128 kbit/s twice: through the file
// control (libNimAudioFile.so, Write with 16384-byte sample arrays) and with the lame
// command-line encoder at the same settings, and compares the CPU time each needs.
//   mp3_write_bench [minutes=10] [rounds=2]

#include "INimAudioFile.h"
#include "control_loader.h"
#include "wave_file_writer.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr size_t kBlockBytes = 16384;
const char* const kLameArgs[] = {"lame", "-b", "128", "--cbr", "-m", "j", "-q", "2",
                                 "--nores", "-t", "--noreplaygain", "--quiet"};

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Something like music: a few partials whose loudness drifts, a moving melody line and
// a little noise, different in each channel.
std::vector<int16_t> GenerateSound(size_t frames)
{
    std::vector<int16_t> pcm(frames * 2);
    uint32_t noise = 12345;
    const double base[2][4] = {{110.0, 220.5, 331.0, 659.3}, {146.8, 293.7, 440.0, 987.8}};
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double melody = 523.25 * std::pow(2.0, std::floor(std::fmod(t * 2.0, 12.0)) / 12.0);
        for (int c = 0; c < 2; ++c) {
            double v = 0.25 * std::sin(2 * M_PI * melody * (c ? 1.5 : 1.0) * t);
            for (int k = 0; k < 4; ++k)
                v += 0.12 * (0.6 + 0.4 * std::sin(0.3 * t * (k + 1) + c)) * std::sin(2 * M_PI * base[c][k] * t);
            noise = noise * 1664525u + 1013904223u;
            v += 0.02 * (double(noise >> 8) / double(1u << 24) - 0.5);
            pcm[i * 2 + c] = static_cast<int16_t>(std::clamp(v, -1.0, 1.0) * 30000.0);
        }
    }
    return pcm;
}

struct Run {
    double cpu = 0;
    double wall = 0;
    uintmax_t bytes = 0;
};

bool EncodeWithControl(INimAudioFile* control, const std::vector<int16_t>& pcm, const std::string& out, Run* run)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I1, 0, kBlockBytes);
    if (!array) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
    const size_t total = pcm.size() * 2;
    const double cpu0 = ProcessCpuSeconds(), wall0 = WallSeconds();
    bool ok = control->SetFormat(1) == S_OK && control->SetAudioFormat(2, kRate, 16) == S_OK &&
              control->SetMP3BitRate(128) == S_OK && control->CreateAudioFile(out) == S_OK;
    for (size_t at = 0; ok && at < total; at += kBlockBytes) {
        const size_t n = std::min(kBlockBytes, total - at);
        // The host hands over each capture buffer in a fresh array: copy it in as it would.
        void* data = nullptr;
        ok = SUCCEEDED(SafeArrayAccessData(array, &data));
        if (!ok) break;
        std::memcpy(data, bytes + at, n);
        SafeArrayUnaccessData(array);
        ok = control->Write(&array, static_cast<LONG>(n)) == S_OK;
    }
    ok = control->CloseAudioFile() == S_OK && ok;
    run->cpu = ProcessCpuSeconds() - cpu0;
    run->wall = WallSeconds() - wall0;
    SafeArrayDestroy(array);
    std::error_code ec;
    run->bytes = std::filesystem::file_size(out, ec);
    return ok;
}

bool EncodeWithLame(const std::string& wav, const std::string& out, Run* run)
{
    const double wall0 = WallSeconds();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        std::vector<char*> argv;
        for (const char* a : kLameArgs) argv.push_back(const_cast<char*>(a));
        argv.push_back(const_cast<char*>(wav.c_str()));
        argv.push_back(const_cast<char*>(out.c_str()));
        argv.push_back(nullptr);
        execvp("lame", argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    run->wall = WallSeconds() - wall0;
    run->cpu = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 +
               double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    std::error_code ec;
    run->bytes = std::filesystem::file_size(out, ec);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<char> ReadAll(const std::string& path)
{
    std::vector<char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    const size_t frames = static_cast<size_t>(minutes * 60 * kRate);
    const double seconds = double(frames) / kRate;

    char folderTemplate[] = "/tmp/chorvane-mp3-bench-XXXXXX";
    if (!mkdtemp(folderTemplate)) {
        std::fprintf(stderr, "mp3_write: cannot create a scratch folder\n");
        return 1;
    }
    const std::string folder = folderTemplate;
    const std::vector<int16_t> pcm = GenerateSound(frames);

    // The same sound as a WAV file for lame.
    const std::string wav = folder + "/input.wav";
    {
        nim_audio_file::CWaveFileWriter writer;
        if (writer.Create(wav) != 0 || writer.Write(pcm.data(), pcm.size() * 2) != 0 || writer.Close() != 0) {
            std::fprintf(stderr, "mp3_write: cannot write %s\n", wav.c_str());
            return 1;
        }
    }

    ComPtr<INimAudioFile> control;
    std::string error;
    if (component_shell::CreateControl(identity::CLSID_NimAudioFile, identity::IID_INimAudioFile,
                                       control.putVoid(), &error) != S_OK) {
        std::fprintf(stderr, "mp3_write: the file control could not be created: %s\n", error.c_str());
        return 1;
    }

    Run bestOurs{1e9, 1e9, 0}, bestLame{1e9, 1e9, 0};
    for (int round = 0; round < rounds; ++round) {
        Run ours, lame;
        if (!EncodeWithControl(control.get(), pcm, folder + "/ours.mp3", &ours)) {
            std::fprintf(stderr, "mp3_write: encoding through the control failed\n");
            return 1;
        }
        if (!EncodeWithLame(wav, folder + "/lame.mp3", &lame)) {
            std::fprintf(stderr, "mp3_write: the lame command failed (is it installed?)\n");
            return 1;
        }
        std::printf("mp3_write: round %d: control %.2f s cpu, lame %.2f s cpu\n", round + 1, ours.cpu, lame.cpu);
        if (ours.cpu < bestOurs.cpu) bestOurs = ours;
        if (lame.cpu < bestLame.cpu) bestLame = lame;
    }
    // With the same settings both encoders must give the same stream.
    const bool same = ReadAll(folder + "/ours.mp3") == ReadAll(folder + "/lame.mp3");
    std::filesystem::remove_all(folder);

    std::string command;
    for (const char* a : kLameArgs) command += std::string(a) + " ";
    std::printf("mp3_write: %.0f s of stereo 44100 Hz sound, 128 kbit/s, best of %d rounds\n", seconds, rounds);
    // Speed as multiples of real time, by CPU time (steady) and by wall time (depends on load).
    std::printf("mp3_write: control: %.2f s cpu = %.1f x real time, %.2f s wall = %.1f x real time, %ju bytes\n",
                bestOurs.cpu, seconds / bestOurs.cpu, bestOurs.wall, seconds / bestOurs.wall, bestOurs.bytes);
    std::printf("mp3_write: lame:    %.2f s cpu = %.1f x real time, %.2f s wall = %.1f x real time, %ju bytes"
                " (%sinput.wav out.mp3)\n",
                bestLame.cpu, seconds / bestLame.cpu, bestLame.wall, seconds / bestLame.wall, bestLame.bytes,
                command.c_str());
    std::printf("mp3_write: the two files are %s\n", same ? "byte for byte the same" : "DIFFERENT");
    std::printf("mp3_write: cpu ratio %.2f vs lame (goal <= 1.10)\n", bestOurs.cpu / bestLame.cpu);
    return 0;
}
