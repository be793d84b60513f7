#include "correlation.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace voice_mix {

namespace {

using Complex = std::complex<double>;

// In place, radix 2; `inverse` without the 1/n scale (only ratios are read).
void Fft(std::vector<Complex>& a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * std::numbers::pi / double(len) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

}  // namespace

Lag FindLag(const std::vector<float>& reference, const std::vector<float>& signal, int maxLag, int guard)
{
    Lag result;
    if (reference.empty() || signal.empty()) return result;
    size_t n = 1;
    while (n < reference.size() + signal.size()) n <<= 1;
    std::vector<Complex> a(n), b(n);
    std::copy(signal.begin(), signal.end(), a.begin());
    std::copy(reference.begin(), reference.end(), b.begin());
    Fft(a, false);
    Fft(b, false);
    for (size_t i = 0; i < n; ++i) a[i] *= std::conj(b[i]);
    Fft(a, true);
    // Lag k sits at index k (k >= 0) or n + k (k < 0).
    auto at = [&](long k) { return a[static_cast<size_t>(k >= 0 ? k : static_cast<long>(n) + k)].real(); };
    const long limit = std::min<long>(maxLag, static_cast<long>(n / 2) - 1);
    long best = 0;
    for (long k = -limit; k <= limit; ++k)
        if (at(k) > at(best)) best = k;
    double second = 0;
    for (long k = -limit; k <= limit; ++k)
        if (std::abs(k - best) > guard) second = std::max(second, at(k));
    result.peak = at(best);
    result.secondRatio = result.peak > 0 ? second / result.peak : 1.0;
    // The parabola through the peak and its neighbours places it between frames.
    const double l = at(best - 1), c = at(best), r = at(best + 1);
    const double denominator = l - 2 * c + r;
    result.frames = double(best) + (denominator != 0 ? 0.5 * (l - r) / denominator : 0.0);
    return result;
}

}  // namespace voice_mix
