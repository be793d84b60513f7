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

// A take paused and continued: the music stood still while the voice went on, so from
// `musicFrame` on the voice stands `offsetFrames` after the music.
struct Resumption {
    int64_t musicFrame = 0;
    double offsetFrames = 0;
};

// voice frame = music frame + offset + drift * music frame, the offset the one of the
// stretch of music the frame belongs to.
struct VoiceTiming {
    double offsetFrames = 0;  // up to the first resumption
    double drift = 0;
    size_t anchorsUsed = 0;
    std::vector<Resumption> resumptions;  // in the order of their music frames
    [[nodiscard]] double OffsetAt(double musicFrame) const
    {
        double offset = offsetFrames;
        for (const auto& r : resumptions)
            if (musicFrame >= double(r.musicFrame)) offset = r.offsetFrames;
        return offset;
    }
    [[nodiscard]] double LastOffset() const { return resumptions.empty() ? offsetFrames : resumptions.back().offsetFrames; }
    [[nodiscard]] double VoiceFrameFor(double musicFrame) const { return musicFrame + OffsetAt(musicFrame) + drift * musicFrame; }
    [[nodiscard]] double ppm() const { return drift * 1e6; }
};

// The median offset and the drift as a least-squares line, after leaving out anchors that
// stray from it (a position that stood still while the player started, a late wake-up).
// Drift is fitted only over at least 45 s of music; a slope past 1000 ppm is no clock
// and is dropped. Where the offset steps by more than 20 ms and stays there (a pause) a
// resumption begins, with the drift of the longest stretch. Nothing without a usable anchor.
[[nodiscard]] std::optional<VoiceTiming> FitTiming(const std::vector<TimingAnchor>& anchors);

}  // namespace voice_mix
