#pragma once
// Where one sound appears in another: the cross-correlation of two mono signals (through
// an FFT), its highest peak within a lag range, and how tall the next peak outside a
// guard band stands against it.

#include <cstddef>
#include <vector>

namespace voice_mix {

struct Lag {
    double frames = 0;      // signal[n] is most like reference[n - frames]; fractional
    double peak = 0;        // the correlation at the peak
    double secondRatio = 0; // the tallest value farther than the guard from the peak, over the peak
};

// Searched over -maxLag .. maxLag frames; `guard` frames either side of the peak belong to it.
[[nodiscard]] Lag FindLag(const std::vector<float>& reference, const std::vector<float>& signal, int maxLag, int guard);

}  // namespace voice_mix
