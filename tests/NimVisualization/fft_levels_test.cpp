// The meter's analysis: the complex transform against a direct DFT, and the levels of
// silence and of a full-scale sine.
#include "meter_test_support.h"
#include "fft_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <random>

using namespace nim_visualization;

namespace {

// The direct transform with the kernel e^(sign * 2 pi i k n / N), unnormalised.
std::vector<std::complex<double>> DirectDft(const std::vector<std::complex<double>>& x, double sign)
{
    const size_t n = x.size();
    std::vector<std::complex<double>> out(n);
    for (size_t k = 0; k < n; ++k) {
        std::complex<double> sum = 0;
        for (size_t t = 0; t < n; ++t) {
            const double angle = sign * 2.0 * M_PI * double((k * t) % n) / double(n);
            sum += x[t] * std::complex<double>(std::cos(angle), std::sin(angle));
        }
        out[k] = sum;
    }
    return out;
}

}  // namespace

TEST(ComplexFft, MatchesTheDirectTransformForwardAndBack)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    for (int n : {2, 8, 64, 1024}) {
        const size_t count = size_t(n);
        std::vector<double> re(count), im(count);
        std::vector<std::complex<double>> x(count);
        for (int i = 0; i < n; ++i) {
            re[size_t(i)] = value(random);
            im[size_t(i)] = value(random);
            x[size_t(i)] = {re[size_t(i)], im[size_t(i)]};
        }
        // The butterflies' twiddle recurrence turns by +2 pi / block size per step, so
        // the forward kernel is e^(+2 pi i k n / N); for real input (all the meter ever
        // feeds it) the magnitudes are those of the usual e^(-...) transform.
        const auto expected = DirectDft(x, +1.0);
        std::vector<double> fr(count), fi(count);
        ASSERT_TRUE(ComplexFft(n, false, re.data(), im.data(), fr.data(), fi.data()));
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(fr[size_t(k)], expected[size_t(k)].real(), 1e-6 * n * 1000) << "n=" << n << " k=" << k;
            EXPECT_NEAR(fi[size_t(k)], expected[size_t(k)].imag(), 1e-6 * n * 1000) << "n=" << n << " k=" << k;
        }
        // The inverse undoes the forward transform, including the division by N.
        std::vector<double> br(count), bi(count);
        ASSERT_TRUE(ComplexFft(n, true, fr.data(), fi.data(), br.data(), bi.data()));
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(br[size_t(i)], re[size_t(i)], 1e-7) << "n=" << n << " i=" << i;
            EXPECT_NEAR(bi[size_t(i)], im[size_t(i)], 1e-7) << "n=" << n << " i=" << i;
        }
    }
}

TEST(ComplexFft, RealInputNeedsNoImaginaryArrayAndGivesConjugateSymmetry)
{
    std::vector<double> re(16), outR(16, 99), outI(16, 99);
    for (size_t i = 0; i < re.size(); ++i) re[i] = double(i * i % 7) - 3.0;
    ASSERT_TRUE(ComplexFft(16, false, re.data(), nullptr, outR.data(), outI.data()));
    double sum = 0;
    for (double v : re) sum += v;
    EXPECT_NEAR(outR[0], sum, 1e-9);
    EXPECT_NEAR(outI[0], 0.0, 1e-9);
    for (size_t k = 1; k < 16; ++k) {
        EXPECT_NEAR(outR[k], outR[16 - k], 1e-9);
        EXPECT_NEAR(outI[k], -outI[16 - k], 1e-9);
    }
}

TEST(ComplexFft, RefusesBadSizesAndMissingArraysWithoutTouchingTheOutput)
{
    std::vector<double> in(1024, 1.0), outR(1024, 7.0), outI(1024, 7.0);
    for (int n : {0, 1, 3, 6, 1000, -8}) {
        EXPECT_FALSE(ComplexFft(n, false, in.data(), nullptr, outR.data(), outI.data())) << n;
    }
    EXPECT_FALSE(ComplexFft(8, false, nullptr, nullptr, outR.data(), outI.data()));
    EXPECT_FALSE(ComplexFft(8, false, in.data(), nullptr, nullptr, outI.data()));
    EXPECT_FALSE(ComplexFft(8, false, in.data(), nullptr, outR.data(), nullptr));
    EXPECT_TRUE(std::all_of(outR.begin(), outR.end(), [](double v) { return v == 7.0; }));
    EXPECT_TRUE(std::all_of(outI.begin(), outI.end(), [](double v) { return v == 7.0; }));
}

TEST(ComputeSpectrum, DigitalSilenceIsZeroInEveryBin)
{
    std::vector<uint8_t> silence(16384, 0);
    SpectrumLevels levels;
    levels.left.fill(55);
    levels.right.fill(55);
    ComputeSpectrum(silence, levels);
    EXPECT_TRUE(std::all_of(levels.left.begin(), levels.left.end(), [](int32_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(levels.right.begin(), levels.right.end(), [](int32_t v) { return v == 0; }));
}

TEST(ComputeSpectrum, FullScaleSineOnBin68OfTheLeftChannel)
{
    auto bytes = meter_test::SineOnLeft(68);
    // Only the first 4096 bytes are analysed: noise after them changes nothing.
    std::mt19937 random(5);
    for (size_t i = 4096; i < bytes.size(); ++i) bytes[i] = uint8_t(random());

    SpectrumLevels levels;
    ComputeSpectrum(bytes, levels);
    EXPECT_EQ(levels.left[68], 144);
    EXPECT_EQ(levels.left[0], 0);
    for (size_t b = 1; b < kLevelCount; ++b) {
        if (b != 68) {
            EXPECT_LT(levels.left[b], 60) << "left bin " << b;
        }
        EXPECT_EQ(levels.right[b], 0) << "right bin " << b;
    }
}

TEST(ComputeSpectrum, ReadsLittleEndianFramesLeftThenRight)
{
    // The same sine on the right channel only, with its bytes swapped into place.
    auto left = meter_test::SineOnLeft(100);
    std::vector<uint8_t> right(left.size(), 0);
    for (size_t f = 0; f < left.size() / 4; ++f) {
        right[f * 4 + 2] = left[f * 4];
        right[f * 4 + 3] = left[f * 4 + 1];
    }
    SpectrumLevels levels;
    ComputeSpectrum(right, levels);
    EXPECT_EQ(levels.right[100], 144);
    EXPECT_EQ(levels.left[100], 0);

    // A short block reads the missing frames as silence instead of reading past it.
    ComputeSpectrum(std::span<const uint8_t>(right.data(), 6), levels);
    EXPECT_EQ(levels.right[100], 0);
}
