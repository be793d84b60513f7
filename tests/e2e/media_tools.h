#pragma once
// Generated test media and measurements on decoded sound, for the end-to-end tests.

#include <QString>

#include <cstdint>
#include <vector>

namespace media_tools {

// Runs a command line through /bin/sh; true when it exits 0.
bool Run(const QString& command);
// Starts a command line in the background.
void Start(const QString& command);

// A stereo accompaniment: `leftHz` on the left, `rightHz` on the right, as MP3.
bool MakeToneMp3(const QString& path, double seconds, int leftHz, int rightHz);
// The same with a marker: `markerHz` replaces the left tone over [from, to) seconds.
bool MakeMarkedToneMp3(const QString& path, double seconds, int leftHz, int rightHz, int markerHz, double from,
                       double to);
// Spoken words as a WAV file (espeak-ng).
bool MakeSpeech(const QString& path, const QString& words);
// A test-pattern video with a tone, in the container the extension names (.avi, .mpg).
bool MakeVideo(const QString& path, double seconds);

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
    int rate = 44100;
    [[nodiscard]] double seconds() const { return left.empty() ? 0.0 : double(left.size()) / rate; }
};
// Decodes any file sox reads (MP3 included) to 44100 Hz stereo floats.
Stereo Decode(const QString& path);
// Level of one frequency (Goertzel), as an amplitude in 0 .. 1, over [from, to) seconds.
double ToneLevel(const std::vector<float>& samples, int rate, double hz, double from, double to);
// RMS of [from, to) seconds.
double Rms(const std::vector<float>& samples, int rate, double from, double to);

}  // namespace media_tools
