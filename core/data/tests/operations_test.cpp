// Model operations: reset, limits, run/stop, positions, channels, conversions and the two
// small renderers.

#include "core/data/DataV1.h"
#include "core/data/RecorderHeader.h"
#include "platform/testing/CommaLocale.h"
#include "core/data/ValueFormat.h"
#include "support/DataTestSupport.h"

#include <boost/date_time/posix_time/posix_time.hpp>

#include <cstdio>
#include <cstring>

namespace {

TEST_F(DataModelTest, ResetDefaultsMarksEveryRegisterForWriting)
{
    for (int version = 1; version <= 5; ++version) {
        auto data = MakeVariant(version);
        data->mode = MODE_STOPPED | MODE_LINEAR | MODE_RECORDER;
        data->x_offset = 77;
        data->screen_points[0][5] = 9;
        data->logic_points[1][3][2] = 2;
        data->measure_mean[1] = 4;
        data->measure_period[0] = 3.5;
        data->trigger_dir[2] = 2;
        data->freq_response.count = 4;
        data->ResetDefaults();
        EXPECT_EQ(data->changes, CHANGE_ALL_REGISTERS) << version;
        EXPECT_EQ(data->changes, 0x68Fu);
        EXPECT_EQ(data->mode, 0u);
        EXPECT_EQ(data->status, STATUS_LIMITS_APPLIED);
        EXPECT_EQ(data->osc_cr, version == 4 ? 0x1601 : 0x1001) << "the logic-only instrument keeps its logic lines";
        EXPECT_EQ(data->x_offset, 0);
        EXPECT_EQ(data->screen_points[0][5], 0);
        EXPECT_EQ(data->logic_points[1][3][2], 0);
        EXPECT_EQ(data->measure_mean[1], 0);
        EXPECT_EQ(data->measure_period[0], 0.0);
        EXPECT_EQ(data->trigger_dir[2], 0);
        EXPECT_EQ(data->freq_response.count, 0);
        EXPECT_EQ(data->offset_dac[0], 128);
        EXPECT_EQ(data->offset_dac[1], 128);
        // The time base lands on a reachable index of the variant.
        EXPECT_GE(data->t_div, data->GetTDivMin());
        EXPECT_EQ(data->SolveTimebase(), 0);
    }
}

TEST_F(DataModelTest, ApplyLimitsClearsSessionModesAndClampsVoltsPerDiv)
{
    auto data = MakeVariant(2);
    data->mode = MODE_STOPPED | MODE_FREQ_RESPONSE | MODE_CALIBRATION | MODE_FR_POINT |
                 MODE_LINKED | MODE_READING | MODE_RECORDER | MODE_LINEAR | MODE_SPECTRUM |
                 MODE_PROBE_X10_B;
    data->status = 0;
    data->read_state = 3;
    data->u_div[0] = 0;     // below the minimum 5
    data->u_div[1] = 1000;  // above the maximum 7
    data->u_div[2] = 6;
    data->ApplyLimits();
    EXPECT_EQ(data->mode, MODE_LINEAR | MODE_SPECTRUM | MODE_PROBE_X10_B);
    EXPECT_EQ(data->status, STATUS_LIMITS_APPLIED);
    EXPECT_EQ(data->read_state, 0u);
    EXPECT_EQ(data->u_div[0], 5u);
    EXPECT_EQ(data->u_div[1], 7u);
    EXPECT_EQ(data->u_div[2], 6u);
    // Ratios: index 5 against its reference 6 is 200/500 = 2/5; index 7 is 1000/500 = 2/1.
    EXPECT_EQ(data->gain_sel[0], 2u);
    EXPECT_EQ(data->gain_ref[0], 5u);
    EXPECT_EQ(data->gain_sel[1], 2u);
    EXPECT_EQ(data->gain_ref[1], 1u);
    EXPECT_EQ(data->gain_sel[2], 1u);
    EXPECT_EQ(data->gain_ref[2], 1u);

    // Version 4 has no volts/div index at all: the entries stay inside the table.
    auto v4 = MakeVariant(4);
    for (std::uint32_t u : {0u, 1u, 5000u}) {
        v4->u_div[0] = u;
        v4->ApplyVDiv();
        EXPECT_LT(v4->u_div[0], VDIV_TABLE_SIZE);
        EXPECT_EQ(v4->ToMillivolts(100, 0), 0.0);
    }
}

TEST_F(DataModelTest, RunStopAndRecorderRequests)
{
    auto data = MakeVariant(1);
    data->status = 0;
    data->ToggleStop();
    EXPECT_NE(data->mode & MODE_STOPPED, 0u);
    EXPECT_EQ(data->status, STATUS_STOPPED);
    data->ToggleStop();
    EXPECT_EQ(data->mode & MODE_STOPPED, 0u);

    data->mode |= MODE_RECORDER;
    data->status = 0;
    data->ToggleStop();
    EXPECT_EQ(data->status, STATUS_STOPPED | STATUS_RECORDER_STOP);
    data->ToggleStop();
    EXPECT_NE(data->status & STATUS_RECORDER_START, 0u);

    data->Stop();
    EXPECT_NE(data->mode & MODE_STOPPED, 0u);
    EXPECT_EQ(data->status & STATUS_RECORDER_START, 0u);
    EXPECT_NE(data->status & (STATUS_STOPPED | STATUS_RECORDER_STOP), 0u);
    // Stopping again does not restart.
    data->Stop();
    EXPECT_NE(data->mode & MODE_STOPPED, 0u);
}

TEST_F(DataModelTest, HorizontalPositionInItsThreeForms)
{
    auto data = MakeVariant(1);  // t_div 4: 100 ns/div... zoom-in mapping
    data->t_div = 18;            // 1 ms/div: 4000 samples per point, hw 1 after the solver
    ASSERT_EQ(data->SolveTimebase(), 0);

    // Trigger off and running: the position is not settable.
    data->changes = 0;
    EXPECT_FALSE(data->SetHorizontalPosition(10));
    EXPECT_EQ(data->changes, 0u);

    // Trigger off and stopped: x_offset, kept inside the captured points.
    data->mode |= MODE_STOPPED;
    data->last_num_catched_samples = 1000 + 300;
    data->x_zoom_out_hw = 1;
    EXPECT_TRUE(data->SetHorizontalPosition(10));
    EXPECT_EQ(data->x_offset, 10);
    EXPECT_EQ(data->changes, CHANGE_POSITION);
    EXPECT_FALSE(data->SetHorizontalPosition(10));
    EXPECT_TRUE(data->SetHorizontalPosition(5000));
    EXPECT_EQ(data->x_offset, 1000);
    data->MoveHorizontal(-2000);
    EXPECT_EQ(data->x_offset, 0);

    // Trigger on and stopped: the extra offset, opposite in sign, within half the memory.
    data->osc_cr |= OSC_CR_TRIGGER_ON;
    EXPECT_TRUE(data->SetHorizontalPosition(20));
    EXPECT_EQ(data->trigger_offset_extra, -20);
    data->MoveHorizontal(5);
    EXPECT_EQ(data->trigger_offset_extra, -25);
    EXPECT_EQ(data->stopped_view_shift, -5);
    const int half = (data->SamplesToPoints(data->GetMemoryDepth()) - 300) / 2;
    data->MoveHorizontal(1000000);
    EXPECT_EQ(data->trigger_offset_extra, -half);
    data->MoveHorizontal(-2000000);
    EXPECT_EQ(data->trigger_offset_extra, half);
    // Extreme deltas saturate instead of wrapping.
    data->MoveHorizontal(INT32_MIN);
    EXPECT_EQ(data->trigger_offset_extra, half);

    // Trigger on and running: samples.
    data->mode &= ~MODE_STOPPED;
    EXPECT_TRUE(data->SetHorizontalPosition(7));
    EXPECT_EQ(data->trigger_offset_samples, data->PointsToSamples(7));
    data->MoveHorizontal(INT32_MAX);
    const int W = 300;
    EXPECT_EQ(data->trigger_offset_samples,
              (static_cast<int>(data->GetMemoryDepth()) - data->x_zoom_out_hw * W) / 2);
}

TEST_F(DataModelTest, ClampViewOffsetWithMemoryNoLargerThanTheScreen)
{
    auto data = MakeVariant(2);
    data->osc_cr |= OSC_CR_TRIGGER_ON;
    data->x_zoom_out_hw = 10;  // 3000 samples make exactly 300 points
    data->x_zoom_out_sw = 1;
    data->x_zoom_in = 1;
    data->trigger_offset_extra = 40;
    data->trigger_offset_samples = -40;
    data->ClampViewOffset();
    EXPECT_EQ(data->trigger_offset_extra, 0);
    EXPECT_EQ(data->trigger_offset_samples, 0);
    data->x_zoom_out_hw = 20;  // the memory holds only half a screen
    data->trigger_offset_extra = -3;
    data->trigger_offset_samples = 3;
    data->ClampViewOffset();
    EXPECT_EQ(data->trigger_offset_extra, 0);
    EXPECT_EQ(data->trigger_offset_samples, 0);
}

TEST_F(DataModelTest, ChannelEnablingKeepsOneChannelOn)
{
    for (int version : {1, 2, 4, 5}) {
        auto data = MakeVariant(version);
        data->osc_cr = OSC_CR_CH_A_ON;
        EXPECT_FALSE(data->EnableChannelA(false));
        EXPECT_EQ(data->osc_cr, OSC_CR_CH_A_ON);
        EXPECT_TRUE(data->EnableChannelB(true));
        EXPECT_TRUE(data->EnableChannelA(false));
        EXPECT_EQ(data->osc_cr, OSC_CR_CH_B_ON);
        EXPECT_FALSE(data->EnableChannelB(false));
        EXPECT_TRUE(data->EnableChannelA(true));
    }
}

struct ConversionCase {
    int hw, sw, in;
    int points;
    int samples;          // PointsToSamples
    int margin;           // PointsToSamplesWithMargin
};

TEST_F(DataModelTest, SampleAndPointConversions)
{
    auto data = MakeVariant(1);
    const ConversionCase cases[] = {
        {1, 1, 1, 0, 0, 0},        {3, 1, 1, 10, 30, 10},     {3, 1, 1, -10, -30, -10},
        {1, 1, 5, 0, 0, 0},        {1, 1, 5, 300, 60, 62},    {1, 1, 5, 1, 1, 2},
        {1, 2, 5, 300, 120, 123},  {2, 2, 5, 11, 10, 7},      {1, 1, 5, -1, -1, -2},
        {1, 2, 5, -6, -3, -5},
    };
    for (const ConversionCase& c : cases) {
        data->x_zoom_out_hw = c.hw;
        data->x_zoom_out_sw = c.sw;
        data->x_zoom_in = c.in;
        EXPECT_EQ(data->PointsToSamples(c.points), c.samples) << c.hw << c.sw << c.in << " " << c.points;
        EXPECT_EQ(data->PointsToSamplesWithMargin(c.points), c.margin) << c.hw << c.sw << c.in << " " << c.points;
    }

    int rest = -1;
    data->x_zoom_out_hw = 4;
    data->x_zoom_out_sw = 1;
    data->x_zoom_in = 1;
    EXPECT_EQ(data->SamplesToPoints(10, &rest), 2);
    EXPECT_EQ(rest, 2);
    data->x_zoom_out_hw = 1;
    data->x_zoom_out_sw = 2;
    data->x_zoom_in = 5;
    EXPECT_EQ(data->SamplesToPoints(0, &rest), 0);
    EXPECT_EQ(rest, 0);
    EXPECT_EQ(data->SamplesToPoints(10, &rest), 9 * 5 / 2 + 1);
    EXPECT_EQ(rest, 45 % 2);
    EXPECT_EQ(data->SamplesToPoints(-4, &rest), ~(3 * 5 / 2));
    EXPECT_EQ(rest, ~(3 * 5 / 2));
    // Huge values saturate rather than overflow.
    data->x_zoom_out_hw = 1000;
    EXPECT_EQ(data->PointsToSamples(INT32_MAX), INT32_MAX);
    // A zoom value of 0 (never produced, but possible in memory) divides by 1.
    data->x_zoom_in = 0;
    EXPECT_NO_FATAL_FAILURE(data->SamplesToPoints(100));
}

TEST_F(DataModelTest, TriggerSourceVoltsAndInterpolationName)
{
    auto data = MakeVariant(1);
    data->osc_cr = OSC_CR_CH_A_ON;
    EXPECT_EQ(data->GetTriggerSource(), 0);
    data->osc_cr |= OSC_CR_TRIGGER_ON;
    EXPECT_EQ(data->GetTriggerSource(), 1);
    data->osc_cr |= OSC_CR_TRIGGER_B;
    EXPECT_EQ(data->GetTriggerSource(), 2);
    data->osc_cr |= OSC_CR_TRIGGER_EXT;
    EXPECT_EQ(data->GetTriggerSource(), 3);

    // Version 1 scales by a decade every three volts/div steps; the probe by ten.
    data->u_div[0] = 7;
    data->u_div[1] = 2;
    data->u_div[2] = 3;
    data->ApplyVDiv();
    EXPECT_EQ(data->GetVoltScale(0), 100.0);
    EXPECT_EQ(data->GetVoltScale(1), 1.0);
    data->mode |= MODE_PROBE_X10_A | MODE_PROBE_X10_B;
    EXPECT_EQ(data->GetVoltScale(0), 1000.0);
    EXPECT_EQ(data->GetVoltScale(1), 10.0);
    EXPECT_EQ(data->GetVoltScale(2), 10.0);  // the math trace: decade only, no probe
    // u 7 is its own reference step (ratio 1): 3 steps of 1 mV * 1000.
    EXPECT_EQ(data->ToMillivolts(3, 0), 3000.0);
    data->u_div[0] = 8;  // reference 7: 2000 / 1000 mV
    data->ApplyVDiv();
    EXPECT_EQ(data->ToMillivolts(3, 0), 6000.0);

    auto v2 = MakeVariant(2);
    v2->u_div[0] = 5;  // ratio 2/5
    v2->ApplyVDiv();
    v2->mode |= MODE_PROBE_X10_A;
    EXPECT_EQ(v2->GetVoltScale(0), 10.0);  // no decade on other versions
    EXPECT_DOUBLE_EQ(v2->ToMillivolts(10, 0), 10 * 50 * 0.4 * 10);
    EXPECT_EQ(v2->ToMillivolts(10, 3), 0.0);

    v2->x_zoom_in = 1;
    EXPECT_EQ(v2->GetInterpolationName(), "нет");
    v2->x_zoom_in = 4;
    EXPECT_EQ(v2->GetInterpolationName(), "sinc");
    v2->mode |= MODE_LINEAR;
    EXPECT_EQ(v2->GetInterpolationName(), "лин");
}

TEST_F(DataModelTest, RecorderHeaderFields)
{
    auto data = MakeVariant(3);
    data->created_hw_version = 7;
    data->x_skip = 1234;
    data->recorder_samples = 99999;
    data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_MIN_MAX | OSC_CR_LOGIC_B;
    data->recorder_start_time = boost::posix_time::ptime(boost::gregorian::date(2024, 3, 15),
                                                         boost::posix_time::time_duration(13, 30, 5, 250));

    RecorderHeader header{};
    data->FillRecorderHeader(0, header);
    // Packed fields are copied out before comparing (no references to unaligned members).
    const std::int64_t startTime = header.start_time;
    const std::uint32_t version = header.version, hwVersion = header.hw_version,
                        skip = header.x_skip, samples = header.samples;
    unsigned char bytes[RECORDER_HEADER_SIZE];
    std::memcpy(bytes, &header, sizeof(bytes));
    EXPECT_EQ(std::memcmp(bytes, "UODL", 4), 0);
    EXPECT_EQ(version, 3u);
    EXPECT_EQ(hwVersion, 7u);
    const std::int64_t julian = boost::gregorian::date(2024, 3, 15).julian_day();
    EXPECT_EQ(startTime, julian * 86400000000LL + ((13 * 60 + 30) * 60 + 5) * 1000000LL + 250);
    EXPECT_EQ(skip, 1234u);
    EXPECT_EQ(header.min_max, 1);
    EXPECT_EQ(header.logic, 0);
    EXPECT_EQ(samples, 99999u);
    EXPECT_EQ(bytes[26] | bytes[27] << 8 | bytes[28] << 16, 99999);
    data->FillRecorderHeader(1, header);
    EXPECT_EQ(header.logic, 1);
    data->FillRecorderHeader(2, header);
    EXPECT_EQ(header.logic, 0);

    // No start time yet: Boost's own tick value of not-a-date-time.
    data->recorder_start_time = boost::posix_time::ptime();
    data->FillRecorderHeader(0, header);
    const std::int64_t unset = header.start_time;
    EXPECT_EQ(unset, INT64_MAX - 1);
}

TEST_F(DataModelTest, BusValueTexts)
{
    auto data = MakeVariant(1);
    auto setLines = [&](int channel, int point, const char* lines7to0) {
        for (int k = 0; k < 8; ++k) data->logic_points[channel][point][7 - k] = static_cast<std::uint8_t>(lines7to0[k] - '0');
    };
    setLines(0, 0, "20202222");  // 0xAF = 175
    EXPECT_EQ(data->FormatBusValue(0, 0, 0), "0xAF");
    EXPECT_EQ(data->FormatBusValue(0, 0, 1), "175");
    EXPECT_EQ(data->FormatBusValue(0, 0, 2), "10101111b");
    setLines(1, 299, "00000002");
    EXPECT_EQ(data->FormatBusValue(299, 1, 0), "0x01");
    EXPECT_EQ(data->FormatBusValue(299, 1, 1), "001");
    setLines(1, 5, "20012222");
    EXPECT_EQ(data->FormatBusValue(5, 1, 0), "0xXF");
    EXPECT_EQ(data->FormatBusValue(5, 1, 1), "X");
    EXPECT_EQ(data->FormatBusValue(5, 1, 2), "100X1111b");
    // Outside the arrays or an unknown radix: no text.
    EXPECT_EQ(data->FormatBusValue(600, 0, 0), "");
    EXPECT_EQ(data->FormatBusValue(-1, 0, 0), "");
    EXPECT_EQ(data->FormatBusValue(0, 3, 0), "");
    EXPECT_EQ(data->FormatBusValue(0, 0, 3), "");
}

TEST_F(DataModelTest, TextsUseAPointWhateverTheLocale)
{
    if (EnterCommaLocale().empty()) GTEST_SKIP() << "no locale with a decimal comma can be had";
    ASSERT_EQ(StringFormat("%g", 2.5).find(','), std::string::npos);  // the platform's promise
    char raw[16];
    std::snprintf(raw, sizeof(raw), "%g", 2.5);
    EXPECT_STREQ(raw, "2,5");  // the locale is really active

    EXPECT_EQ(FormatMillivoltsPerDiv(2.5), "2.5 мВ/дел");
    EXPECT_EQ(FormatMillivoltsPerDiv(2500), "2.5 В/дел");
    auto v2 = MakeVariant(2);
    v2->u_div[0] = 5;
    v2->ApplyVDiv();
    v2->mode |= MODE_PROBE_X10_A;
    EXPECT_EQ(v2->ListVDivOptions(0).front(), "2 В/дел");
    LeaveCommaLocale();
}

}  // namespace
