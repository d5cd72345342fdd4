#include "tools/math/MathBuffer.h"

#include "core/data/OscData.h"
#include "core/measure/Spectrum.h"
#include "tools/fir/FIR.h"

#include <libalglib/fasttransforms.h>

#include <algorithm>
#include <cmath>

namespace {

// Samples (or min/max pairs) of `channel` the buffer really holds, at most the memory depth.
int BufferCount(const OscData& data, int channel)
{
    if (channel < 0 || channel > 1 || data.sample_buffer[channel] == nullptr)
        return 0;
    const std::uint64_t per = (data.osc_cr & OSC_CR_MIN_MAX) != 0 ? 2 : 1;
    const std::uint64_t held = data.GetSampleBufferLength() / per;
    return static_cast<int>(std::min<std::uint64_t>({data.GetMemoryDepth(), held, INT32_MAX}));
}

// Volts per unit of an unnormalised transform of `points` samples.
double AmplitudeScale(const OscData& data, int channel, int points)
{
    return data.GetVoltScale(channel) * data.GetStepMillivolts() / 1000.0 / points;
}

std::int32_t ToCode(double filtered, int zero)
{
    const double v = std::trunc(filtered + zero);
    if (std::isnan(v))
        return zero;
    return static_cast<std::int32_t>(std::clamp(v, -128.0, 127.0));
}

void FilterStream(FIR& filter, std::int32_t* values, int count, int stride, int zero)
{
    filter.ClearDelayLine();
    for (int i = 0; i < count; ++i)
    {
        std::int32_t& v = values[static_cast<std::size_t>(i) * stride];
        v = ToCode(filter.Filter(static_cast<double>(v) - zero), zero);
    }
}

}  // namespace

std::uint32_t CaptureSampleRate(const OscData& data)
{
    const std::uint64_t hz = std::uint64_t{data.GetSampleRateKHz()} * 1000 / (std::uint64_t{data.x_skip} + 1);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(hz, UINT32_MAX));
}

SpectrumSeries BufferSpectrum(const OscData& data, int channel)
{
    SpectrumSeries s;
    const int n = BufferCount(data, channel);
    if (n < 1)
        return s;
    const bool pairs = (data.osc_cr & OSC_CR_MIN_MAX) != 0;
    const int zero = data.GetCalibrationOffset(channel);
    const std::int32_t* values = data.sample_buffer[channel];
    alglib::real_1d_array x;
    x.setlength(n);
    for (int i = 0; i < n; ++i)
        x[i] = pairs ? (static_cast<double>(values[2 * i]) + values[2 * i + 1]) * 0.5 - zero
                     : static_cast<double>(values[i]) - zero;
    alglib::complex_1d_array X;
    alglib::fftr1d(x, n, X);

    const double fs = CaptureSampleRate(data);
    const double scale = AmplitudeScale(data, channel, n);
    s.points = n;
    s.f.resize(static_cast<std::size_t>(n / 2) + 1);
    s.a.resize(s.f.size());
    for (int k = 0; k <= n / 2; ++k)
    {
        s.f[k] = k * fs / n;
        s.a[k] = Magnitude(X[k].x, X[k].y) * scale;
    }
    return s;
}

SpectrumSeries ScreenSpectrum(const OscData& data)
{
    SpectrumSeries s;
    // The model keeps bins 0..M/2 of M points; a length it cannot hold is not trusted.
    const int m = data.spectrum_length;
    if (m < 1 || m / 2 + 1 > SPECTRUM_BINS)
        return s;
    const int channel = (data.mode & MODE_SPECTRUM_A) != 0 ? 0 : 1;
    const double zoom = static_cast<double>(data.x_zoom_in) /
                        (std::max(1.0, static_cast<double>(data.x_zoom_out_hw)) *
                         std::max(1.0, static_cast<double>(data.x_zoom_out_sw)));
    const double step = static_cast<double>(CaptureSampleRate(data)) / m * zoom;
    const double scale = AmplitudeScale(data, channel, m);
    s.points = m;
    s.f.resize(static_cast<std::size_t>(m / 2) + 1);
    s.a.resize(s.f.size());
    for (int k = 0; k <= m / 2; ++k)
    {
        s.f[k] = k * step;
        s.a[k] = data.spectrum[k] * scale;
    }
    return s;
}

void FilterBuffer(OscData& data, FIR& filter, FilterSelection selection)
{
    const bool pairs = (data.osc_cr & OSC_CR_MIN_MAX) != 0;
    const bool take[2] = {selection != FilterSelection::B, selection != FilterSelection::A};
    for (int c = 0; c < 2; ++c)
    {
        const int n = take[c] ? BufferCount(data, c) : 0;
        if (n < 1)
            continue;
        const int zero = data.GetCalibrationOffset(c);
        std::int32_t* values = data.sample_buffer[c];
        if (pairs)
        {
            FilterStream(filter, values, n, 2, zero);
            FilterStream(filter, values + 1, n, 2, zero);
        }
        else
        {
            FilterStream(filter, values, n, 1, zero);
        }
    }
    data.status |= STATUS_FILTERED;
}
