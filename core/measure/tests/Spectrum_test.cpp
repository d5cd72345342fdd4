#include "core/measure/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// A plain O(n^2) DFT, written from the definition, to hold the FFT against.
std::vector<double> NaiveMagnitudes(const std::vector<double>& x)
{
    const std::size_t n = x.size();
    std::vector<double> m(n / 2 + 1);
    for (std::size_t k = 0; k < m.size(); ++k) {
        std::complex<double> sum = 0;
        for (std::size_t t = 0; t < n; ++t)
            sum += x[t] * std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k * t) / static_cast<double>(n));
        m[k] = std::abs(sum);
    }
    return m;
}

TEST(Spectrum, CosineAtABinMatchesAnIndependentDft)
{
    for (int bin : {1, 7, 50, 150}) {
        std::vector<double> x(kSpectrumPoints);
        for (int i = 0; i < kSpectrumPoints; ++i)
            x[static_cast<std::size_t>(i)] = 3 + 40 * std::cos(2 * std::numbers::pi * bin * i / kSpectrumPoints + 0.3);
        double mags[kSpectrumBins];
        ASSERT_EQ(ComputeSpectrum(x.data(), kSpectrumPoints, mags), kSpectrumBins);
        const auto expected = NaiveMagnitudes(x);
        for (int k = 0; k < kSpectrumBins; ++k)
            EXPECT_NEAR(mags[k], expected[static_cast<std::size_t>(k)], 1e-6) << "bin " << bin << " k " << k;
        // Unnormalised: the DC bin is the sum, the tone's bin holds N/2 × amplitude (N × at Nyquist).
        EXPECT_NEAR(mags[0], 3.0 * kSpectrumPoints, 1e-6);
        const double tone = bin == kSpectrumPoints / 2 ? 40 * kSpectrumPoints * std::cos(0.3) : 40.0 * kSpectrumPoints / 2;
        EXPECT_NEAR(mags[bin], tone, 1e-6);
    }
}

TEST(Spectrum, MagnitudeAvoidsOverflowAndHandlesZero)
{
    EXPECT_EQ(Magnitude(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(Magnitude(-3, 4), 5.0);
    const double big = std::numeric_limits<double>::max() / 2;
    EXPECT_TRUE(std::isfinite(Magnitude(big, big)));
    EXPECT_EQ(ComputeSpectrum(nullptr, 300, nullptr), 0);
}

TEST(Spectrum, InputTakesMidpointsMinusOffsetAndStaysInsideTheArray)
{
    const std::vector<std::int32_t> pairs = {-10, 31, 4, 6};
    double x[3];
    SpectrumInput(pairs.data(), 4, true, 2, x, 3);
    EXPECT_DOUBLE_EQ(x[0], 10.5 - 2);  // the midpoint is not truncated here
    EXPECT_DOUBLE_EQ(x[1], 5 - 2);
    EXPECT_DOUBLE_EQ(x[2], -2);        // beyond the array
    SpectrumInput(pairs.data(), 4, false, -1, x, 3);
    EXPECT_DOUBLE_EQ(x[0], -9);
    EXPECT_DOUBLE_EQ(x[2], 5);
}

}  // namespace
