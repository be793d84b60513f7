#pragma once
// Test sounds for the editor: generated PCM (a ramp that names each frame, or a
// sequence of tones), written as WAV through the WAV writer and as MP3 through the MP3
// writer, and WAV files read back byte for byte.

#include "mp3_file_writer.h"
#include "wave_file_writer.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace editor_test {

// Frame i of channel c holds a value that tells i (mod 20000) and the channel apart.
inline std::vector<int16_t> Ramp(int64_t frames, int channels)
{
    std::vector<int16_t> pcm(size_t(frames) * channels);
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) pcm[size_t(i * channels + c)] = int16_t((i % 20000) - 10000 + c * 7);
    return pcm;
}

// One tone per second, the n-th at 220 * (n + 1) Hz, in every channel.
inline std::vector<int16_t> ToneSequence(int seconds, int rate, int channels)
{
    std::vector<int16_t> pcm(size_t(seconds) * rate * channels);
    for (int64_t i = 0; i < int64_t(seconds) * rate; ++i) {
        const int n = int(i / rate);
        const double v = 12000.0 * std::sin(2 * M_PI * 220.0 * (n + 1) * double(i) / rate);
        for (int c = 0; c < channels; ++c) pcm[size_t(i * channels + c)] = int16_t(v);
    }
    return pcm;
}

inline bool WriteWav(const std::string& path, const std::vector<int16_t>& pcm, int rate, int channels)
{
    nim_audio_file::CWaveFileWriter writer;
    writer.SetAudioFormat(channels, rate, 16);
    return writer.Create(path) == 0 && writer.Write(pcm.data(), pcm.size() * 2) == 0 && writer.Close() == 0;
}

inline bool WriteMp3(const std::string& path, const std::vector<int16_t>& pcm, int rate, int channels,
                     int kbps = 128)
{
    nim_audio_file::CMp3FileWriter writer;
    writer.SetAudioFormat(channels, rate, 16);
    if (writer.SetBitRate(kbps) != 0 || writer.Create(path) != 0) return false;
    const size_t block = 16384;
    for (size_t at = 0; at < pcm.size(); at += block)
        if (writer.Write(pcm.data() + at, std::min(block, pcm.size() - at) * 2) != 0) return false;
    return writer.Close() == 0;
}

inline std::vector<char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The samples of a WAV file as our WAV writer lays it out (46-byte header).
struct WavContent {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples;
};
inline WavContent ReadWav(const std::string& path)
{
    WavContent out;
    const std::vector<char> bytes = ReadBytes(path);
    if (bytes.size() < 46 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return out;
    uint16_t channels = 0;
    uint32_t rate = 0, size = 0;
    std::memcpy(&channels, bytes.data() + 22, 2);
    std::memcpy(&rate, bytes.data() + 24, 4);
    std::memcpy(&size, bytes.data() + 42, 4);
    out.channels = channels;
    out.rate = int(rate);
    out.samples.resize(std::min<size_t>(size, bytes.size() - 46) / 2);
    std::memcpy(out.samples.data(), bytes.data() + 46, out.samples.size() * 2);
    return out;
}

// Zero crossings per second of channel 0 over frames [begin, end): twice the frequency of a tone.
inline double CrossingRate(const std::vector<int16_t>& pcm, int channels, int rate, int64_t begin, int64_t end)
{
    int crossings = 0;
    for (int64_t i = begin + 1; i < end; ++i)
        if ((pcm[size_t((i - 1) * channels)] < 0) != (pcm[size_t(i * channels)] < 0)) ++crossings;
    return crossings * double(rate) / double(end - begin) / 2.0;
}

}  // namespace editor_test
