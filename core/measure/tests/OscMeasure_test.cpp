#include "core/measure/OscMeasure.h"

#include "core/config/ConfigSections.h"
#include "core/data/DataV2.h"
#include "core/data/DataV5.h"
#include "core/measure/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

class OscMeasure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigSections.clear();
        ProcessMeasureState() = MeasureState();
    }
    void TearDown() override { ConfigSections.clear(); }
};

void FillCosine(OscData& data, int channel, int bin, double amplitude)
{
    for (int i = 0; i < SCREEN_POINTS; ++i)
        data.screen_points[channel][i] =
            static_cast<std::int32_t>(std::lround(amplitude * std::cos(2 * std::numbers::pi * bin * i / SCREEN_POINTS)));
}

int PeakBin(const OscData& data)
{
    int best = 1;
    for (int k = 1; k < SPECTRUM_BINS; ++k)
        if (data.spectrum[k] > data.spectrum[best])
            best = k;
    return best;
}

TEST_F(OscMeasure, SpectrumOfTheChosenChannelOnlyWhenAsked)
{
    DataV2 data;
    FillCosine(data, 0, 12, 60);
    FillCosine(data, 1, 40, 60);
    data.spectrum_length = 0;

    data.mode &= ~MODE_SPECTRUM;
    data.ProcessFrame();
    EXPECT_EQ(data.spectrum_length, 0);

    data.mode |= MODE_SPECTRUM | MODE_SPECTRUM_A;
    data.ProcessFrame();
    EXPECT_EQ(data.spectrum_length, 300);
    EXPECT_EQ(PeakBin(data), 12);

    data.mode &= ~MODE_SPECTRUM_A;
    data.ProcessFrame();
    EXPECT_EQ(PeakBin(data), 40);
}

TEST_F(OscMeasure, MinMaxSpectrumUsesPairMidpointsMinusTheCalibrationOffset)
{
    DataV5 data;
    const signed char offsets[2] = {5, -3};
    data.SetCalibrationOffsets(2, offsets, sizeof offsets);
    data.osc_cr |= OSC_CR_MIN_MAX;
    for (int i = 0; i < SCREEN_POINTS; ++i) {
        data.screen_points[0][2 * i] = 4;
        data.screen_points[0][2 * i + 1] = 7;  // midpoint 5.5
    }
    data.mode |= MODE_SPECTRUM | MODE_SPECTRUM_A;
    data.ProcessFrame();
    EXPECT_NEAR(data.spectrum[0], (5.5 - 5) * SCREEN_POINTS, 1e-9);
    EXPECT_NEAR(data.spectrum[1], 0, 1e-9);
}

TEST_F(OscMeasure, RecorderFrameIsMeasuredIntoTheModel)
{
    DataV5 data;
    const signed char offsets[2] = {2, 0};
    data.SetCalibrationOffsets(2, offsets, sizeof offsets);
    data.mode |= MODE_RECORDER;
    data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_MIN_MAX);
    // Channel A: a square wave between 0 and 40 rising at 20, 120, 220; B flat.
    for (int i = 0; i < SCREEN_POINTS; ++i) {
        data.screen_points[0][i] = (i >= 20 && i % 100 >= 20 && i % 100 < 70) ? 42 : 2;
        data.screen_points[1][i] = -9;
    }
    data.valid_points = 300;
    data.status = 0;
    data.ProcessFrame();

    EXPECT_NE(data.status & STATUS_MEASURED, 0u);
    EXPECT_EQ(data.measure_max[0], 40);
    EXPECT_EQ(data.measure_min[0], 0);
    EXPECT_EQ(data.measure_top[0], 40);
    EXPECT_EQ(data.measure_base[0], 0);
    EXPECT_DOUBLE_EQ(data.measure_period[0], 100.0);
    EXPECT_EQ(data.measure_mean[1], -9);
    EXPECT_EQ(data.measure_top[1], -9);
    EXPECT_EQ(data.measure_base[1], -9);
    EXPECT_EQ(data.measure_period[1], 0.0);

    // An empty frame is not measured and raises nothing.
    data.status = 0;
    data.valid_points = 0;
    data.ProcessFrame();
    EXPECT_EQ(data.status & STATUS_MEASURED, 0u);
}

}  // namespace
