#pragma once
// The meter's analysis: a radix-2 complex transform and the two-channel spectrum of
// one block of captured 16-bit stereo sound, as whole decibel-like levels per bin.

#include <array>
#include <cstdint>
#include <span>

namespace nim_visualization {

// Bytes analysed per frame: 1024 stereo frames of two little-endian 16-bit samples.
inline constexpr size_t kSpectrumPoints = 1024;
inline constexpr size_t kAnalysedBytes = kSpectrumPoints * 4;
// Levels per channel: entries 1 to 511 hold the bins of that index, entry 0 is 0.
inline constexpr size_t kLevelCount = 512;

struct SpectrumLevels {
    std::array<int32_t, kLevelCount> left{};
    std::array<int32_t, kLevelCount> right{};
};

// Transforms n complex points (n a power of two, at least 2). imagIn may be null for
// a real input. Bit-reversed copy, then butterflies whose twiddle factors come from
// a cosine/sine recurrence per block size. The inverse divides by n. False, touching
// nothing, for a bad n or a null realIn, realOut or imagOut.
bool ComplexFft(int32_t n, bool inverse, const double* realIn, const double* imagIn, double* realOut,
                double* imagOut);

// Levels of bins 1..511 of each channel from the first kAnalysedBytes of `bytes`:
// 10 x log10(re^2 + im^2) of the single-precision-rounded bin, truncated toward zero;
// 0 where the bin is exactly zero. Fewer bytes than kAnalysedBytes read as silence.
void ComputeSpectrum(std::span<const uint8_t> bytes, SpectrumLevels& levels);

}  // namespace nim_visualization
