#include "tools/fir/FIR.h"

#include <libalglib/fasttransforms.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace {

// |re + j·im| without overflow for large parts.
double Modulus(double re, double im)
{
    const double a = std::fabs(re);
    const double b = std::fabs(im);
    const double m = std::max(a, b);
    const double s = std::min(a, b);
    if (s == 0) return m;
    const double r = s / m;
    return m * std::sqrt(1 + r * r);
}

void Zero(alglib::real_1d_array& a, int n)
{
    a.setlength(n);
    std::fill_n(a.getcontent(), n, 0.0);
}

}  // namespace

FIR::FIR(double fs, int n, int t) : Fs(fs), N(n), T(t)
{
    if (t < 1 || n < t) throw std::invalid_argument("FIR: the number of taps must lie in 1..N");
    Zero(taps, t);
    Zero(magnitude, n);
    Zero(phase, n);
    Zero(delay, t);
}

void FIR::Design(const MathWin& window, const alglib::real_1d_array& H)
{
    if (window.N != N || window.T != T || H.length() != N)
        throw std::invalid_argument("FIR: window and ideal response must match the filter's grid");

    alglib::complex_1d_array z;
    z.setlength(N);
    for (int k = 0; k < N; ++k) z[k] = alglib::complex(H[k], 0.0);
    alglib::real_1d_array h;
    alglib::fftr1dinv(z, N, h);

    // The windowed response is centred on index 0 and wraps around; reading it backwards from
    // T/2 delays it by T/2 samples into a causal, symmetric tap sequence.
    const int half = T / 2;
    taps[0] = 0.0;
    for (int i = 1; i < T; ++i) {
        const int j = i <= half ? half - i : half - i + N;
        taps[i] = h[j] * window.values[j];
    }
    ComputeResponse();
}

void FIR::ComputeResponse()
{
    alglib::complex_1d_array x;
    x.setlength(N);
    for (int i = 0; i < N; ++i) x[i] = alglib::complex(i < T ? taps[i] : 0.0, 0.0);
    alglib::fftc1d(x, N);

    for (int k = 0; k < N; ++k) magnitude[k] = 20.0 * std::log10(Modulus(x[k].x, x[k].y));

    // One 2·pi correction per step at most: a jump larger than pi is taken as a wrap.
    double offset = 0.0;
    phase[0] = std::atan2(x[0].y, x[0].x);
    for (int k = 1; k < N; ++k) {
        phase[k] = std::atan2(x[k].y, x[k].x) + offset;
        if (phase[k - 1] - phase[k] > std::numbers::pi) {
            phase[k] += 2 * std::numbers::pi;
            offset += 2 * std::numbers::pi;
        } else if (phase[k] - phase[k - 1] > std::numbers::pi) {
            phase[k] -= 2 * std::numbers::pi;
            offset -= 2 * std::numbers::pi;
        }
    }
}

void FIR::ClearDelayLine() { std::fill_n(delay.getcontent(), T, 0.0); }

double FIR::Filter(double x)
{
    double* d = delay.getcontent();
    std::memmove(d + 1, d, static_cast<std::size_t>(T - 1) * sizeof(double));
    d[0] = x;
    return gain * alglib::vdotproduct(d, taps.getcontent(), T);
}
