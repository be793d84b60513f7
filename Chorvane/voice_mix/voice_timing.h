#pragma once
// Where the voice track stands against the accompaniment: pairs of frame indexes taken at
// one instant (the accompaniment frame being heard, the voice frame being captured), and
// the straight line through them. Frames are 44100 Hz.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace voice_mix {

inline constexpr int kRate = 44100;

struct TimingAnchor {
    int64_t musicFrame = 0;
    int64_t voiceFrame = 0;
};

// voice frame = music frame + offset + drift * music frame.
struct VoiceTiming {
    double offsetFrames = 0;
    double drift = 0;
    size_t anchorsUsed = 0;
    [[nodiscard]] double VoiceFrameFor(double musicFrame) const { return musicFrame + offsetFrames + drift * musicFrame; }
    [[nodiscard]] double ppm() const { return drift * 1e6; }
};

// The median offset and the drift as a least-squares line, after leaving out anchors that
// stray from it (a position that stood still while the player started, a late wake-up).
// Drift is fitted only over at least 45 s of music; a slope past 1000 ppm is no clock
// and is dropped. Nothing without a usable anchor.
[[nodiscard]] std::optional<VoiceTiming> FitTiming(const std::vector<TimingAnchor>& anchors);

}  // namespace voice_mix
