#pragma once
// When the voice track's frames were captured, from the record stream's own deliveries:
// the frames read so far against the monotonic instant each read began, as a straight
// line. A late wake-up only ever makes a delivery look older, so the line is laid along
// the timely ones. The server's latency readings are no better: on a threaded main loop
// they come from its interpolating smoother, which wanders by 5 to 12 ms over a take.

#include <cstdint>
#include <optional>
#include <vector>

namespace voice_mix {

// After a read: all frames read so far, and the monotonic instant (ns) the read began.
struct ReadMark {
    int64_t monoNs = 0;
    int64_t frames = 0;
};

struct CaptureClock {
    int64_t originNs = 0;
    double frameAtOrigin = 0;
    double framesPerNs = 0;
    int64_t lastNs = 0;
    // The voice frame being captured at `monoNs`.
    [[nodiscard]] double FrameAt(int64_t monoNs) const { return frameAtOrigin + framesPerNs * double(monoNs - originNs); }
    // Whether the stream still ran at `monoNs`; an instant before the first read is one
    // whose sound came before the voice track began.
    [[nodiscard]] bool Covers(int64_t monoNs) const;
};

// The slope is the nominal rate over less than 10 s of deliveries. Nothing from fewer
// than ten.
[[nodiscard]] std::optional<CaptureClock> FitCaptureClock(const std::vector<ReadMark>& marks);

}  // namespace voice_mix
