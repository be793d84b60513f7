#pragma once
// What the voice-mix tests generate and measure: a click-and-noise accompaniment, the mono
// sound of a file between two times, and where the accompaniment sits in a file.

#include "correlation.h"
#include "media_tools.h"

#include <QDir>
#include <QString>

#include <vector>

namespace voice_mix_test {

// Stereo noise with a click every half second, as MP3 (lame, as a user's file would be).
inline bool MakeClickNoiseMp3(const QString& path, double seconds)
{
    const QString noise = path + QStringLiteral(".noise.wav");
    const QString clicks = path + QStringLiteral(".clicks.wav");
    const QString wav = path + QStringLiteral(".wav");
    return media_tools::Run(QStringLiteral("sox -n -r 44100 -b 16 -c 2 '%1' synth %4 whitenoise vol 0.15 && "
                                           "sox -n -r 44100 -b 16 -c 2 '%2' synth 0.002 square 1000 pad 0 0.498 repeat %5 vol 0.6 && "
                                           "sox -m '%1' '%2' '%3' trim 0 %4 && lame --quiet -b 192 '%3' '%6'")
                                .arg(noise, clicks, wav)
                                .arg(seconds)
                                .arg(int(seconds * 2))
                                .arg(path));
}

// Left plus right over [from, to) seconds.
inline std::vector<float> Mono(const media_tools::Stereo& s, double from, double to)
{
    std::vector<float> out;
    const auto a = static_cast<size_t>(from * s.rate), b = std::min(s.left.size(), static_cast<size_t>(to * s.rate));
    for (size_t i = a; i < b; ++i) out.push_back(s.left[i] + s.right[i]);
    return out;
}

// Where `accompaniment` (its [from, to) seconds) sits in `file`'s same seconds, in ms
// (within +-500 ms).
inline voice_mix::Lag LagOf(const std::vector<float>& accompaniment, const QString& file, double from = 2.0,
                            double to = 12.0)
{
    const std::vector<float> sound = Mono(media_tools::Decode(file), from, to);
    voice_mix::Lag lag = voice_mix::FindLag(accompaniment, sound, 44100 / 2, 441);
    lag.frames = lag.frames * 1000.0 / 44100;
    return lag;
}

}  // namespace voice_mix_test
