#include "voice_timing.h"

#include <algorithm>
#include <cmath>

namespace voice_mix {

namespace {

constexpr double kStrayFrames = kRate * 0.020;   // first pass: 20 ms from the median
constexpr double kOutlierFrames = kRate * 0.003;  // second pass: 3 ms from the line
constexpr double kMinDriftSpan = kRate * 45.0;
constexpr double kMaxDrift = 1e-3;
constexpr size_t kMinStretch = 5;  // half a second of anchors: fewer are strays

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

namespace {

double Offset(const TimingAnchor& a) { return double(a.voiceFrame - a.musicFrame); }

// One stretch of music heard without a stop.
VoiceTiming FitStretch(const std::vector<TimingAnchor>& anchors)
{
    std::vector<double> offsets;
    offsets.reserve(anchors.size());
    for (const auto& a : anchors) offsets.push_back(Offset(a));
    const double median = Median(offsets);
    std::vector<TimingAnchor> kept;
    for (const auto& a : anchors)
        if (std::abs(Offset(a) - median) <= kStrayFrames) kept.push_back(a);
    VoiceTiming line = Line(kept);
    std::vector<TimingAnchor> close;
    for (const auto& a : kept)
        if (std::abs(double(a.voiceFrame) - line.VoiceFrameFor(double(a.musicFrame))) <= kOutlierFrames) close.push_back(a);
    if (close.size() >= 3) line = Line(close);
    return line;
}

// How many of the anchors the stretch's line passes within 3 ms of.
size_t Close(const std::vector<TimingAnchor>& anchors, const VoiceTiming& line)
{
    size_t n = 0;
    for (const auto& a : anchors)
        if (std::abs(double(a.voiceFrame) - line.VoiceFrameFor(double(a.musicFrame))) <= kOutlierFrames) ++n;
    return n;
}

// The anchors in runs at one level, those that wander (a player starting) or are too few
// left out; runs on either side of a stray at one level are one. Only a pause puts the
// voice further behind the music: a run below the one before is the odd one out, and
// the shorter of the two goes.
std::vector<std::vector<TimingAnchor>> Stretches(const std::vector<TimingAnchor>& anchors)
{
    std::vector<std::vector<TimingAnchor>> runs(1);
    for (const auto& a : anchors) {
        if (!runs.back().empty() && std::abs(Offset(a) - Offset(runs.back().back())) > kStrayFrames) runs.emplace_back();
        runs.back().push_back(a);
    }
    std::vector<std::vector<TimingAnchor>> stretches;
    for (auto& run : runs) {
        const VoiceTiming fit = FitStretch(run);
        if (Close(run, fit) < kMinStretch) continue;
        if (stretches.empty()) {
            stretches.push_back(std::move(run));
            continue;
        }
        const double step = fit.offsetFrames - FitStretch(stretches.back()).offsetFrames;
        if (std::abs(step) <= kStrayFrames)
            stretches.back().insert(stretches.back().end(), run.begin(), run.end());
        else if (step > 0)
            stretches.push_back(std::move(run));
        else if (run.size() > stretches.back().size())
            stretches.back() = std::move(run);
    }
    return stretches;
}

}  // namespace

std::optional<VoiceTiming> FitTiming(const std::vector<TimingAnchor>& anchors)
{
    if (anchors.empty()) return std::nullopt;
    const auto stretches = Stretches(anchors);
    if (stretches.size() < 2) return FitStretch(anchors);
    std::vector<VoiceTiming> fits;
    size_t longest = 0;
    for (const auto& stretch : stretches) {
        fits.push_back(FitStretch(stretch));
        const auto span = [](const std::vector<TimingAnchor>& s) { return s.back().musicFrame - s.front().musicFrame; };
        if (span(stretch) > span(stretches[longest])) longest = fits.size() - 1;
    }
    VoiceTiming timing;
    timing.drift = fits[longest].drift;
    for (size_t k = 0; k < stretches.size(); ++k) {
        std::vector<double> offsets;
        for (const auto& a : stretches[k]) {
            const double offset = Offset(a) - timing.drift * double(a.musicFrame);
            if (std::abs(offset - (fits[k].offsetFrames + (fits[k].drift - timing.drift) * double(a.musicFrame))) <= kStrayFrames)
                offsets.push_back(offset);
        }
        const double offset = offsets.empty() ? fits[k].offsetFrames : Median(std::move(offsets));
        timing.anchorsUsed += fits[k].anchorsUsed;
        if (k == 0) {
            timing.offsetFrames = offset;
            continue;
        }
        // The pause fell between the last position heard before it and the first after it.
        const int64_t before = stretches[k - 1].back().musicFrame, after = stretches[k].front().musicFrame;
        timing.resumptions.push_back({before + (after - before) / 2, offset});
    }
    return timing;
}

}  // namespace voice_mix
