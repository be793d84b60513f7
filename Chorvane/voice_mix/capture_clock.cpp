#include "capture_clock.h"

#include "voice_timing.h"

#include <algorithm>

namespace voice_mix {

namespace {

// Over a shorter span a slope says more about the reads' jitter than about the clock.
constexpr int64_t kSlopeSpanNs = 10'000'000'000;
constexpr double kNominalFramesPerNs = kRate * 1e-9;
constexpr size_t kMinMarks = 10;
constexpr int64_t kCoverSlackNs = 250'000'000;  // a read or two past the last one
constexpr double kTimelyFrames = kRate * 0.002;  // within 2 ms of the freshest deliveries
constexpr double kEnvelope = 0.9;                // the freshest tenth may be odd ones out

struct Line {
    double a = 0, b = 0;  // frames = a + b * (ns from the origin)
};

Line LeastSquares(const std::vector<ReadMark>& marks, int64_t origin, bool slope)
{
    double mx = 0, my = 0;
    for (const auto& m : marks) {
        mx += double(m.monoNs - origin);
        my += double(m.frames);
    }
    mx /= double(marks.size());
    my /= double(marks.size());
    double sxx = 0, sxy = 0;
    for (const auto& m : marks) {
        const double dx = double(m.monoNs - origin) - mx;
        sxx += dx * dx;
        sxy += dx * (double(m.frames) - my);
    }
    Line line;
    line.b = slope && sxx > 0 ? sxy / sxx : kNominalFramesPerNs;
    line.a = my - line.b * mx;
    return line;
}

std::vector<double> Residuals(const std::vector<ReadMark>& marks, int64_t origin, const Line& line)
{
    std::vector<double> r;
    r.reserve(marks.size());
    for (const auto& m : marks) r.push_back(double(m.frames) - line.a - line.b * double(m.monoNs - origin));
    return r;
}

double Quantile(std::vector<double> values, double q)
{
    const auto at = static_cast<std::ptrdiff_t>(q * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[static_cast<size_t>(at)];
}

}  // namespace

bool CaptureClock::Covers(int64_t monoNs) const { return monoNs <= lastNs + kCoverSlackNs; }

std::optional<CaptureClock> FitCaptureClock(const std::vector<ReadMark>& marks)
{
    if (marks.size() < kMinMarks) return std::nullopt;
    const int64_t origin = marks.front().monoNs;
    const bool slope = marks.back().monoNs - origin >= kSlopeSpanNs;
    const Line all = LeastSquares(marks, origin, slope);
    const std::vector<double> residuals = Residuals(marks, origin, all);
    const double envelope = Quantile(residuals, kEnvelope);
    std::vector<ReadMark> timely;
    for (size_t i = 0; i < marks.size(); ++i)
        if (residuals[i] >= envelope - kTimelyFrames) timely.push_back(marks[i]);
    const Line line = timely.size() >= kMinMarks ? LeastSquares(timely, origin, slope) : all;
    CaptureClock clock;
    clock.originNs = origin;
    clock.frameAtOrigin = line.a;
    clock.framesPerNs = line.b;
    clock.lastNs = marks.back().monoNs;
    return clock;
}

}  // namespace voice_mix
