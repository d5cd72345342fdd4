#include "core/measure/Spectrum.h"

#include <libalglib/fasttransforms.h>

#include <algorithm>
#include <cmath>

double Magnitude(double re, double im)
{
    const double a = std::fabs(re);
    const double b = std::fabs(im);
    const double m = std::max(a, b);
    const double s = std::min(a, b);
    if (m == 0)
        return 0;
    const double r = s / m;
    return m * std::sqrt(1 + r * r);
}

int ComputeSpectrum(const double* samples, int count, double* magnitudes)
{
    if (count < 1 || samples == nullptr || magnitudes == nullptr)
        return 0;
    alglib::real_1d_array in;
    in.setcontent(count, samples);
    alglib::complex_1d_array out;
    alglib::fftr1d(in, count, out);
    const int bins = count / 2 + 1;
    for (int i = 0; i < bins; ++i)
        magnitudes[i] = Magnitude(out[i].x, out[i].y);
    return bins;
}

int SpectrumInput(const std::int32_t* screen, int available, bool minMax, int calibrationOffset, double* samples,
                  int count)
{
    const int perPoint = minMax ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        const bool present = screen != nullptr && (i + 1) * perPoint <= available;
        if (!present)
            samples[i] = -static_cast<double>(calibrationOffset);
        else if (minMax)
            samples[i] = (static_cast<double>(screen[2 * i]) + screen[2 * i + 1]) * 0.5 - calibrationOffset;
        else
            samples[i] = static_cast<double>(screen[i]) - calibrationOffset;
    }
    return count;
}
