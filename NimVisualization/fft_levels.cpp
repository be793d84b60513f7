#include "fft_levels.h"

#include <algorithm>
#include <cmath>

namespace nim_visualization {

namespace {

bool IsPowerOfTwo(int32_t n)
{
    return n >= 2 && (n & (n - 1)) == 0;
}

uint32_t ReverseBits(uint32_t value, int bits)
{
    uint32_t reversed = 0;
    for (int b = 0; b < bits; ++b) {
        reversed = (reversed << 1) | (value & 1u);
        value >>= 1;
    }
    return reversed;
}

int32_t LevelOf(double re, double im)
{
    const float r = float(re);
    const float i = float(im);
    if (r == 0.0f && i == 0.0f) return 0;
    const double power = double(r) * double(r) + double(i) * double(i);
    return int32_t(10.0 * std::log10(power));  // conversion truncates toward zero
}

}  // namespace

bool ComplexFft(int32_t n, bool inverse, const double* realIn, const double* imagIn, double* realOut,
                double* imagOut)
{
    if (!realIn || !realOut || !imagOut || !IsPowerOfTwo(n)) return false;

    int bits = 0;
    while ((1 << bits) < n) ++bits;
    // The meter's size has its reversed indices worked out once.
    static const std::array<uint16_t, kSpectrumPoints> kMeterOrder = [] {
        std::array<uint16_t, kSpectrumPoints> order{};
        int meterBits = 0;
        while ((size_t(1) << meterBits) < kSpectrumPoints) ++meterBits;
        for (uint32_t i = 0; i < kSpectrumPoints; ++i) order[i] = uint16_t(ReverseBits(i, meterBits));
        return order;
    }();
    const bool meterSize = size_t(n) == kSpectrumPoints;
    for (uint32_t i = 0; i < uint32_t(n); ++i) {
        const uint32_t j = meterSize ? kMeterOrder[i] : ReverseBits(i, bits);
        realOut[j] = realIn[i];
        imagOut[j] = imagIn ? imagIn[i] : 0.0;
    }

    const double angle = inverse ? -6.283185307179586 : 6.283185307179586;
    int32_t blockEnd = 1;
    for (int32_t blockSize = 2; blockSize <= n; blockSize <<= 1) {
        const double delta = angle / blockSize;
        const double sm2 = std::sin(-2 * delta);
        const double sm1 = std::sin(-delta);
        const double cm2 = std::cos(-2 * delta);
        const double cm1 = std::cos(-delta);
        const double w = 2 * cm1;
        for (int32_t i = 0; i < n; i += blockSize) {
            double ar2 = cm2, ar1 = cm1, ai2 = sm2, ai1 = sm1;
            for (int32_t j = i; j < i + blockEnd; ++j) {
                const double ar0 = w * ar1 - ar2;
                ar2 = ar1;
                ar1 = ar0;
                const double ai0 = w * ai1 - ai2;
                ai2 = ai1;
                ai1 = ai0;
                const int32_t k = j + blockEnd;
                const double tr = ar0 * realOut[k] - ai0 * imagOut[k];
                const double ti = ar0 * imagOut[k] + ai0 * realOut[k];
                realOut[k] = realOut[j] - tr;
                imagOut[k] = imagOut[j] - ti;
                realOut[j] += tr;
                imagOut[j] += ti;
            }
        }
        blockEnd = blockSize;
    }

    if (inverse) {
        for (int32_t i = 0; i < n; ++i) {
            realOut[i] /= n;
            imagOut[i] /= n;
        }
    }
    return true;
}

void ComputeSpectrum(std::span<const uint8_t> bytes, SpectrumLevels& levels)
{
    std::array<double, kSpectrumPoints> left{}, right{};
    const size_t frames = std::min(bytes.size() / 4, kSpectrumPoints);
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* p = bytes.data() + f * 4;
        left[f] = int16_t(uint16_t(p[0] | (p[1] << 8)));
        right[f] = int16_t(uint16_t(p[2] | (p[3] << 8)));
    }

    std::array<double, kSpectrumPoints> re{}, im{};
    const auto analyse = [&](const std::array<double, kSpectrumPoints>& samples, std::array<int32_t, kLevelCount>& out) {
        ComplexFft(int32_t(kSpectrumPoints), false, samples.data(), nullptr, re.data(), im.data());
        out[0] = 0;
        for (size_t b = 1; b < kLevelCount; ++b) out[b] = LevelOf(re[b], im[b]);
    };
    analyse(left, levels.left);
    analyse(right, levels.right);
}

}  // namespace nim_visualization
