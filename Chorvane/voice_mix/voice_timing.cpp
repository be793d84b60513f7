#include "voice_timing.h"

#include <algorithm>
#include <cmath>

namespace voice_mix {

namespace {

constexpr double kStrayFrames = kRate * 0.020;   // first pass: 20 ms from the median
constexpr double kOutlierFrames = kRate * 0.003;  // second pass: 3 ms from the line
constexpr double kMinDriftSpan = kRate * 45.0;
constexpr double kMaxDrift = 1e-3;

double Median(std::vector<double> values)
{
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    double m = values[mid];
    if (values.size() % 2 == 0) {
        const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
        m = (m + lower) / 2;
    }
    return m;
}

// Least squares of d = a + b m over the anchors kept. Over a short span the server's
// figures wander more than any clock drifts (50 ppm is 2 ms in 45 s): the median alone.
VoiceTiming Line(const std::vector<TimingAnchor>& kept)
{
    VoiceTiming t;
    t.anchorsUsed = kept.size();
    double meanM = 0, meanD = 0;
    for (const auto& a : kept) {
        meanM += double(a.musicFrame);
        meanD += double(a.voiceFrame - a.musicFrame);
    }
    meanM /= double(kept.size());
    meanD /= double(kept.size());
    double sxx = 0, sxy = 0, lo = double(kept.front().musicFrame), hi = lo;
    for (const auto& a : kept) {
        const double dm = double(a.musicFrame) - meanM;
        sxx += dm * dm;
        sxy += dm * (double(a.voiceFrame - a.musicFrame) - meanD);
        lo = std::min(lo, double(a.musicFrame));
        hi = std::max(hi, double(a.musicFrame));
    }
    if (hi - lo >= kMinDriftSpan && sxx > 0) {
        const double b = sxy / sxx;
        if (std::abs(b) <= kMaxDrift) t.drift = b;
    }
    if (t.drift != 0) {
        t.offsetFrames = meanD - t.drift * meanM;
        return t;
    }
    std::vector<double> offsets;
    for (const auto& a : kept) offsets.push_back(double(a.voiceFrame - a.musicFrame));
    t.offsetFrames = Median(std::move(offsets));
    return t;
}

}  // namespace

std::optional<VoiceTiming> FitTiming(const std::vector<TimingAnchor>& anchors)
{
    if (anchors.empty()) return std::nullopt;
    std::vector<double> offsets;
    offsets.reserve(anchors.size());
    for (const auto& a : anchors) offsets.push_back(double(a.voiceFrame - a.musicFrame));
    const double median = Median(offsets);
    std::vector<TimingAnchor> kept;
    for (const auto& a : anchors)
        if (std::abs(double(a.voiceFrame - a.musicFrame) - median) <= kStrayFrames) kept.push_back(a);
    VoiceTiming line = Line(kept);
    std::vector<TimingAnchor> close;
    for (const auto& a : kept)
        if (std::abs(double(a.voiceFrame) - line.VoiceFrameFor(double(a.musicFrame))) <= kOutlierFrames) close.push_back(a);
    if (close.size() >= 3) line = Line(close);
    return line;
}

}  // namespace voice_mix
