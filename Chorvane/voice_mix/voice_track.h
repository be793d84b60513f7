#pragma once
// A voice track read back: the 16-bit stereo frames of a WAV file at 44100 Hz. A file
// whose sizes were never written (the program stopped mid-take) is read to its end.

#include <QString>

#include <cstdint>
#include <vector>

namespace voice_mix {

struct VoiceTrack {
    std::vector<int16_t> samples;  // interleaved left, right
    [[nodiscard]] size_t frames() const { return samples.size() / 2; }
};

// Empty text, or the user's text of why the file cannot be read.
[[nodiscard]] QString ReadVoiceTrack(const QString& path, VoiceTrack* track);

}  // namespace voice_mix
