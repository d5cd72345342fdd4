// Cost of the data model's per-tick update: spectrum and automatic measurements.

#include "core/config/ConfigSections.h"
#include "core/data/DataV2.h"
#include "core/measure/OscMeasure.h"
#include "core/measure/Spectrum.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

void FillSignals(OscData& data)
{
    for (int i = 0; i < SCREEN_POINTS; ++i) {
        data.screen_points[0][i] = static_cast<std::int32_t>(std::lround(90 * std::sin(2 * std::numbers::pi * 7 * i / 300.0)));
        data.screen_points[1][i] = (i / 25) % 2 != 0 ? 60 : -60;
    }
    data.valid_points = SCREEN_POINTS;
}

// One tick as the main window runs it: the spectrum of one channel and the measurements of
// both, measured on every call (recorder mode forces the measurement).
void BM_ModelTick(benchmark::State& state)
{
    DataV2 data;
    FillSignals(data);
    data.mode |= MODE_RECORDER | MODE_SPECTRUM | MODE_SPECTRUM_A;
    for (auto _ : state) {
        data.ProcessFrame();
        benchmark::DoNotOptimize(data.spectrum[7]);
        benchmark::DoNotOptimize(data.measure_period[1]);
    }
}
BENCHMARK(BM_ModelTick);

// The same tick with the spectrum of channel B computed as well.
void BM_ModelTickBothSpectra(benchmark::State& state)
{
    DataV2 data;
    FillSignals(data);
    data.mode |= MODE_RECORDER | MODE_SPECTRUM | MODE_SPECTRUM_A;
    double samples[kSpectrumPoints];
    double magnitudes[kSpectrumBins];
    for (auto _ : state) {
        data.ProcessFrame();
        SpectrumInput(data.screen_points[1], SCREEN_VALUES, false, data.GetCalibrationOffset(1), samples, kSpectrumPoints);
        ComputeSpectrum(samples, kSpectrumPoints, magnitudes);
        benchmark::DoNotOptimize(magnitudes[12]);
        benchmark::DoNotOptimize(data.measure_period[1]);
    }
}
BENCHMARK(BM_ModelTickBothSpectra);

// Measurements alone for both channels.
void BM_Measurements(benchmark::State& state)
{
    DataV2 data;
    FillSignals(data);
    data.mode |= MODE_RECORDER;
    data.mode &= ~MODE_SPECTRUM;
    for (auto _ : state) {
        data.ComputeMeasurements();
        benchmark::DoNotOptimize(data.measure_mean[0]);
    }
}
BENCHMARK(BM_Measurements);

}  // namespace
