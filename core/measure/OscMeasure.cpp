#include "core/measure/OscMeasure.h"

#include "core/data/OscData.h"
#include "core/measure/Spectrum.h"

static_assert(SPECTRUM_BINS == kSpectrumBins, "the model's spectrum holds one screen's bins");
static_assert(SCREEN_POINTS == kSpectrumPoints, "the spectrum covers one screen");

MeasureState& ProcessMeasureState()
{
    static MeasureState state;
    return state;
}

void OscData::ProcessFrame()
{
    if ((mode & MODE_SPECTRUM) != 0) {
        const int channel = (mode & MODE_SPECTRUM_A) != 0 ? 0 : 1;
        double samples[kSpectrumPoints];
        SpectrumInput(screen_points[channel], SCREEN_VALUES, (osc_cr & OSC_CR_MIN_MAX) != 0,
                      GetCalibrationOffset(channel), samples, kSpectrumPoints);
        ComputeSpectrum(samples, kSpectrumPoints, spectrum);
        spectrum_length = kSpectrumPoints;
    }
    ComputeMeasurements();
}

void OscData::ComputeMeasurements()
{
    MeasureTickInput in;
    for (int c = 0; c < 2; ++c)
        in.channel[c] = MeasureChannelInput{screen_points[c], SCREEN_VALUES, GetCalibrationOffset(c)};
    in.validPoints = valid_points;
    in.minMax = (osc_cr & OSC_CR_MIN_MAX) != 0;
    in.recorder = (mode & MODE_RECORDER) != 0;
    in.tDivUnits = GetTDivUnits();
    in.xOffset = x_offset;

    ChannelMeasurement results[2];
    if (!MeasureTick(ProcessMeasureState(), in, measure_frames, results))
        return;
    for (int c = 0; c < 2; ++c) {
        measure_mean[c] = results[c].mean;
        measure_peak[c] = results[c].peak;
        measure_max[c] = results[c].maximum;
        measure_min[c] = results[c].minimum;
        measure_top[c] = results[c].top;
        measure_base[c] = results[c].base;
        measure_period[c] = results[c].period;
    }
    status |= STATUS_MEASURED;
}
