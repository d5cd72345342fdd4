#include "core/measure/OscFormat.h"

#include "core/config/ConfigSections.h"
#include "core/data/DataV2.h"
#include "core/data/DataV4.h"
#include "platform/testing/CommaLocale.h"

#include <gtest/gtest.h>

namespace {

// The model texts, checked under a locale whose decimal point is ','.
class OscFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigSections.clear();
        if (EnterCommaLocale().empty())
            GTEST_SKIP() << "no locale with a decimal comma is installed or can be generated";
    }
    void TearDown() override
    {
        LeaveCommaLocale();
        ConfigSections.clear();
    }
};

TEST_F(OscFormat, TimeBaseTexts)
{
    DataV2 data;
    data.t_div = 18;
    EXPECT_EQ(FormatTDiv(data), "1 мс/дел");
    data.t_div = 21;
    EXPECT_EQ(FormatTDiv(data), "10 мс/дел");
    data.t_div = 5;
    EXPECT_EQ(FormatTDiv(data), "50 нс/дел");

    data.t_div = 18;
    EXPECT_EQ(FormatSampleTime(data, 25), "2.500 мс");
    EXPECT_EQ(FormatSamplesAsTime(data, 3), "300.000 мкс");
    EXPECT_EQ(FormatPeriodFrequency(data, 0), "inf");
    EXPECT_EQ(FormatPeriodFrequency(data, 100), "100.000 Hz");

    // 3000 samples at 80 MHz, every second one kept: 75 µs of memory.
    data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_MIN_MAX);
    EXPECT_EQ(FormatMemoryDuration(data, 1), "75 мкс");
    data.x_skip = 0;
    EXPECT_EQ(FormatCaptureTime(data), "37.500 мкс");
}

TEST_F(OscFormat, VerticalScaleFollowsGainRatioAndProbe)
{
    DataV2 data;
    data.u_div[0] = 5;  // 200 mV/div, made in software from the 500 mV gain step
    data.u_div[1] = 5;
    data.ApplyVDiv();
    ASSERT_EQ(data.gain_sel[0] * 5, data.gain_ref[0] * 2);
    EXPECT_EQ(FormatVDiv(data, 0), "200 мВ/дел");
    data.mode |= MODE_PROBE_X10_A;
    EXPECT_EQ(FormatVDiv(data, 0), "2 В/дел");
    EXPECT_EQ(FormatVDiv(data, 1), "200 мВ/дел");
    EXPECT_EQ(FormatStepVolts(data, 0), "500 мВ");
    EXPECT_EQ(FormatStepVolts(data, 1), "50 мВ");

    data.y_offset[1] = -10;
    EXPECT_EQ(FormatOffsetVolts(data, 1), "-0.2 В");

    EXPECT_EQ(FormatVDiv(data, 3), "");
    EXPECT_EQ(FormatVDiv(data, -1), "");
    EXPECT_EQ(FormatStepVolts(data, 2), "");
}

TEST_F(OscFormat, VersionFourHasNoVoltStep)
{
    DataV4 data;
    for (int trace = 0; trace < 3; ++trace)
        EXPECT_EQ(FormatVDiv(data, trace), "0 мВ/дел") << trace;
    // Negative values times the zero step are plain zero.
    data.measure_min[0] = -40;
    data.trigger_level[0] = -3;
    data.y_offset[0] = -10;
    EXPECT_EQ(FormatMeasuredMin(data, 0), "0 мВ");
    EXPECT_EQ(FormatTriggerLevel(data), "0 мВ");
    EXPECT_EQ(FormatVolts(data, 0, -7), "0 мВ");
    EXPECT_EQ(FormatOffsetVolts(data, 0), "0 В");
}

TEST_F(OscFormat, TriggerLevel)
{
    DataV2 data;
    data.u_div[0] = data.u_div[1] = 5;
    data.ApplyVDiv();
    data.trigger_level[0] = 10;
    data.trigger_level[1] = -3;
    EXPECT_EQ(FormatTriggerLevel(data), "500 мВ");
    data.osc_cr |= OSC_CR_TRIGGER_B;
    EXPECT_EQ(FormatTriggerLevel(data), "-150 мВ");
    // The external input has one fixed level, whatever else is set.
    data.osc_cr |= OSC_CR_TRIGGER_EXT;
    EXPECT_EQ(FormatTriggerLevel(data), "0.6 В");
    data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_B);
    EXPECT_EQ(FormatTriggerLevel(data), "0.6 В");
}

TEST_F(OscFormat, MeasuredValuesAreRawTimesStepAndScale)
{
    DataV2 data;
    data.u_div[0] = data.u_div[1] = 5;  // gain ratio 2/5: must not disturb the measured volts
    data.ApplyVDiv();
    data.measure_mean[0] = 7;
    data.measure_peak[0] = 21;
    data.measure_top[0] = 30;
    data.measure_base[0] = -5;
    data.measure_min[0] = -8;
    data.measure_max[0] = 40;
    data.measure_period[0] = 100;
    data.t_div = 18;
    EXPECT_EQ(FormatMeasuredMean(data, 0), "350 мВ");
    EXPECT_EQ(FormatMeasuredAmplitude(data, 0), "1.05 В");
    EXPECT_EQ(FormatMeasuredMidLevel(data, 0), "625 мВ");  // (30 + -5) / 2 = 12.5 steps
    EXPECT_EQ(FormatMeasuredMin(data, 0), "-400 мВ");
    EXPECT_EQ(FormatMeasuredMax(data, 0), "2 В");
    EXPECT_EQ(FormatMeasuredTop(data, 0), "1.5 В");
    EXPECT_EQ(FormatMeasuredBase(data, 0), "-250 мВ");
    EXPECT_EQ(FormatMeasuredPeriod(data, 0), "10.000 мс");
    EXPECT_EQ(FormatMeasuredFrequency(data, 0), "100.000 Hz");

    data.mode |= MODE_PROBE_X10_A;
    EXPECT_EQ(FormatMeasuredMean(data, 0), "3.5 В");

    data.measure_period[1] = 0;
    EXPECT_EQ(FormatMeasuredFrequency(data, 1), "inf");
    EXPECT_EQ(FormatMeasuredMean(data, 2), "");
    EXPECT_EQ(FormatVolts(data, 5, 1), "");
    // A raw value through the volts form multiplies the gain ratio in.
    EXPECT_EQ(FormatVolts(data, 1, 10), "200 мВ");
}

}  // namespace
