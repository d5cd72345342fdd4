// FIR design, response and filtering against references computed here from their definitions:
// a direct inverse DFT for the taps, a direct DFT for the response, a direct convolution for
// the filter.

#include "tools/fir/BPF.h"
#include "tools/fir/BrickWall.h"
#include "tools/fir/HPF.h"
#include "tools/fir/HannWindow.h"
#include "tools/fir/LPF.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

enum class Kind { Low, High, Band };

struct Design {
    Kind kind;
    int taps;
    std::int64_t fs;
    std::int64_t f1;
    std::int64_t f2;
};

HannWindow FilledWindow(int n, int t)
{
    HannWindow w(n, t);
    w.FillGrid();
    w.Fill();
    return w;
}

std::unique_ptr<FIR> Build(const Design& d)
{
    const HannWindow w = FilledWindow(4 * d.taps, d.taps);
    const double fs = static_cast<double>(d.fs);
    switch (d.kind) {
    case Kind::Low: return std::make_unique<LPF>(w, fs, static_cast<double>(d.f1));
    case Kind::High: return std::make_unique<HPF>(w, fs, static_cast<double>(d.f1));
    case Kind::Band: return std::make_unique<BPF>(w, fs, static_cast<double>(d.f1), static_cast<double>(d.f2));
    }
    return nullptr;
}

// Band membership in integers: bin k lies at |k'|·fs/N Hz.
std::vector<double> ReferenceIdeal(const Design& d, int n)
{
    std::vector<double> h(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const std::int64_t f = static_cast<std::int64_t>(k < n / 2 ? k : n - k) * d.fs;
        const std::int64_t lo = d.f1 * n;
        const std::int64_t hi = d.f2 * n;
        const bool in = d.kind == Kind::Low ? f <= lo : d.kind == Kind::High ? f >= lo : (lo <= f && f <= hi);
        h[static_cast<std::size_t>(k)] = in ? 1.0 : 0.0;
    }
    return h;
}

double ReferenceHann(int i, int n, int t)
{
    const int half = t / 2;
    if (i <= half) return 0.5 + 0.5 * std::cos(2 * kPi * i / t);
    if (i >= n - half) return 0.5 + 0.5 * std::cos(2 * kPi * (n - i) / t);
    return 0.0;
}

// Inverse DFT of H, windowed, read backwards from T/2 so the response is delayed by T/2.
std::vector<double> ReferenceTaps(const Design& d)
{
    const int t = d.taps;
    const int n = 4 * t;
    const std::vector<double> H = ReferenceIdeal(d, n);
    std::vector<double> hw(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        std::complex<double> sum = 0;
        for (int k = 0; k < n; ++k) sum += H[static_cast<std::size_t>(k)] * std::polar(1.0, 2 * kPi * ((j * k) % n) / n);
        hw[static_cast<std::size_t>(j)] = sum.real() / n * ReferenceHann(j, n, t);
    }
    std::vector<double> taps(static_cast<std::size_t>(t), 0.0);
    for (int i = 1; i < t; ++i) taps[static_cast<std::size_t>(i)] = hw[static_cast<std::size_t>(i <= t / 2 ? t / 2 - i : t / 2 - i + n)];
    return taps;
}

std::vector<std::complex<double>> DirectDft(const FIR& f)
{
    std::vector<std::complex<double>> x(static_cast<std::size_t>(f.N));
    for (int k = 0; k < f.N; ++k)
        for (int i = 0; i < f.T; ++i) x[static_cast<std::size_t>(k)] += f.taps[i] * std::polar(1.0, -2 * kPi * ((i * k) % f.N) / f.N);
    return x;
}

// Cut-offs chosen to lie exactly on a bin (fc·N/Fs an integer) where 2·pi·k/N and 2·pi·fc/Fs
// round apart in floating point, so the band edge is where a careless comparison differs.
const Design kDesigns[] = {
    {Kind::Low, 16, 1000000, 265625, 0},      // bin 17 of 64
    {Kind::Low, 16, 1000000, 390625, 0},      // bin 25
    {Kind::High, 16, 1000000, 78125, 0},      // bin 5
    {Kind::High, 16, 1000000, 156250, 0},     // bin 10
    {Kind::Band, 16, 1000000, 78125, 265625},
    {Kind::Low, 64, 40000000, 5000000, 0},
    {Kind::High, 128, 3000000, 421875, 0},
    {Kind::Band, 256, 100000000, 1000000, 20000000},
    {Kind::Low, 15, 48000, 4000, 0},          // odd length: the reordering's other half
    {Kind::Band, 32, 1000000, 300000, 100000},  // reversed band: empty
};

}  // namespace

TEST(FirDesign, TapsAreTheWindowedInverseDftOfTheIdealResponseDelayedByHalfTheLength)
{
    for (const Design& d : kDesigns) {
        SCOPED_TRACE(testing::Message() << "T=" << d.taps << " fs=" << d.fs << " f1=" << d.f1 << " f2=" << d.f2);
        const auto f = Build(d);
        ASSERT_EQ(f->T, d.taps);
        ASSERT_EQ(f->N, 4 * d.taps);
        EXPECT_EQ(f->taps[0], 0.0);
        const std::vector<double> ref = ReferenceTaps(d);
        for (int i = 0; i < d.taps; ++i) EXPECT_NEAR(f->taps[i], ref[static_cast<std::size_t>(i)], 1e-12) << "tap " << i;
    }
}

TEST(FirDesign, SixteenTapsOnSixtyFourBinsAreSymmetricAboutTapEight)
{
    for (const Design& d : {Design{Kind::Low, 16, 1000000, 100000, 0}, Design{Kind::High, 16, 1000000, 200000, 0},
                            Design{Kind::Band, 16, 1000000, 100000, 300000}}) {
        const auto f = Build(d);
        EXPECT_EQ(f->taps[0], 0.0);
        double energy = 0;
        for (int j = 1; j <= 7; ++j) {
            EXPECT_NEAR(f->taps[8 - j], f->taps[8 + j], 1e-12) << "pair " << j;
            energy += std::fabs(f->taps[8 - j]);
        }
        EXPECT_GT(energy + std::fabs(f->taps[8]), 0.01) << "a design with something in its band";
    }
}

TEST(FirDesign, ACutoffOnABinIsInTheBandOfEveryType)
{
    // Every (Fs, fc) of the sheet's lengths at common rates with fc·N/Fs an integer.
    for (const int t : {16, 32, 64, 128, 256}) {
        const int n = 4 * t;
        for (const std::int64_t fs : {1000000LL, 3000000LL, 40000000LL, 100000000LL, 48000LL, 44100LL}) {
            for (int k = 1; k <= n / 2; ++k) {
                if (k * fs % n != 0) continue;
                const double fc = static_cast<double>(k * fs / n);
                const auto low = IdealResponse(BrickWallBand::LowPass, n, static_cast<double>(fs), fc);
                const auto high = IdealResponse(BrickWallBand::HighPass, n, static_cast<double>(fs), fc);
                const auto upper = IdealResponse(BrickWallBand::BandPass, n, static_cast<double>(fs), 1.0, fc);
                const auto lower = IdealResponse(BrickWallBand::BandPass, n, static_cast<double>(fs), fc, static_cast<double>(fs));
                for (const int bin : {k, n - k}) {
                    if (bin >= n) continue;
                    ASSERT_EQ(low[bin], 1.0) << "LPF N=" << n << " fs=" << fs << " bin " << bin;
                    ASSERT_EQ(high[bin], 1.0) << "HPF N=" << n << " fs=" << fs << " bin " << bin;
                    ASSERT_EQ(upper[bin], 1.0) << "BPF upper edge N=" << n << " fs=" << fs << " bin " << bin;
                    ASSERT_EQ(lower[bin], 1.0) << "BPF lower edge N=" << n << " fs=" << fs << " bin " << bin;
                }
                if (k + 1 < n / 2) {
                    EXPECT_EQ(low[k + 1], 0.0);
                }
                if (k > 1) {
                    EXPECT_EQ(high[k - 1], 0.0);
                }
            }
        }
    }
}

TEST(FirResponse, MagnitudeAndUnwrappedPhaseMatchADirectDftOfTheTaps)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coefficient(-1.0, 1.0);
    auto manual = std::make_unique<FIR>(1000000.0, 128, 32);
    for (int i = 0; i < 32; ++i) manual->taps[i] = coefficient(rng);
    manual->ComputeResponse();

    std::vector<std::unique_ptr<FIR>> filters;
    filters.push_back(std::move(manual));
    filters.push_back(Build({Kind::Low, 64, 1000000, 100000, 0}));
    filters.push_back(Build({Kind::Band, 128, 40000000, 2000000, 9000000}));
    for (const auto& f : filters) {
        SCOPED_TRACE(testing::Message() << "T=" << f->T);
        const auto x = DirectDft(*f);
        EXPECT_DOUBLE_EQ(f->phase[0], std::arg(x[0]));
        for (int k = 0; k < f->N; ++k) {
            const double m = std::abs(x[static_cast<std::size_t>(k)]);
            if (k > 0) {
                EXPECT_LE(std::fabs(f->phase[k] - f->phase[k - 1]), kPi + 1e-9) << "unwrapped at " << k;
            }
            // Bins down in the rounding noise carry no meaningful dB or phase.
            if (m < 1e-4) continue;
            EXPECT_NEAR(f->magnitude[k], 20 * std::log10(m), 1e-9) << "bin " << k;
            const double turns = (f->phase[k] - std::arg(x[static_cast<std::size_t>(k)])) / (2 * kPi);
            EXPECT_NEAR(turns, std::round(turns), 1e-9 / (2 * kPi)) << "bin " << k;
        }
    }
}

TEST(FirResponse, AllZeroTapsAreMinusInfinityDecibelsEverywhere)
{
    FIR manual(1000000.0, 64, 16);
    manual.ComputeResponse();
    const auto reversedBand = Build({Kind::Band, 16, 1000000, 300000, 100000});
    for (const FIR* f : {&manual, reversedBand.get()}) {
        for (int i = 0; i < f->T; ++i) ASSERT_EQ(f->taps[i], 0.0);
        for (int k = 0; k < f->N; ++k) {
            EXPECT_TRUE(std::isinf(f->magnitude[k]) && f->magnitude[k] < 0) << "bin " << k << ": " << f->magnitude[k];
            EXPECT_FALSE(std::isnan(f->phase[k]));
        }
    }
}

TEST(FirFilter, AUnitImpulseReturnsTheTapsTimesTheGain)
{
    auto f = Build({Kind::Low, 32, 1000000, 125000, 0});
    f->gain = 2.5;
    for (int i = 0; i < 5; ++i) f->Filter(100.0 + i);  // leave history behind
    f->ClearDelayLine();
    for (int i = 0; i < f->T; ++i) EXPECT_DOUBLE_EQ(f->Filter(i == 0 ? 1.0 : 0.0), 2.5 * f->taps[i]) << "output " << i;
    EXPECT_EQ(f->Filter(0.0), 0.0) << "the impulse has left the delay line";
}

TEST(FirFilter, RandomStreamsEqualADirectConvolutionEachFromAClearedLine)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> sample(-128.0, 127.0);
    auto f = Build({Kind::Band, 64, 3000000, 100000, 600000});
    for (int stream = 0; stream < 2; ++stream) {
        std::vector<double> x(1000);
        for (double& v : x) v = sample(rng);
        f->ClearDelayLine();
        for (std::size_t n = 0; n < x.size(); ++n) {
            double expected = 0;
            for (int i = 0; i < f->T && i <= static_cast<int>(n); ++i) expected += f->taps[i] * x[n - static_cast<std::size_t>(i)];
            ASSERT_NEAR(f->Filter(x[n]), expected, 1e-9) << "stream " << stream << " sample " << n;
        }
    }
}

TEST(FirDesign, SizesThatCannotHoldTheWindowAreRefused)
{
    EXPECT_THROW(MathWin(8, 16), std::invalid_argument);
    EXPECT_THROW(MathWin(8, 0), std::invalid_argument);
    EXPECT_THROW(FIR(1000.0, 8, 9), std::invalid_argument);
    FIR f(1000.0, 64, 16);
    const HannWindow other = FilledWindow(128, 32);
    EXPECT_THROW(f.Design(other, IdealResponse(BrickWallBand::LowPass, 128, 1000.0, 100.0)), std::invalid_argument);
}
