#include "core/measure/OscFormat.h"

#include "core/data/OscData.h"

namespace {

bool IsChannel(int channel)
{
    return channel == 0 || channel == 1;
}

bool IsTrace(int trace)
{
    return trace >= 0 && trace <= 2;
}

// Selected over reference part of a trace's gain ratio; 1 while the ratio is not set up.
double GainRatio(const OscData& data, int trace)
{
    if (data.gain_ref[trace] == 0)
        return 1;
    return static_cast<double>(data.gain_sel[trace]) / data.gain_ref[trace];
}

// Millivolts of a raw value that the gain ratio has already been divided out of. Kept in
// floating point: the measured values arrive divided by the ratio, and rounding them to whole
// raw units before multiplying the ratio back would shift the reading.
double UnscaledMillivolts(const OscData& data, int channel, double value)
{
    return value * data.GetStepMillivolts() * data.GetVoltScale(channel);
}

std::string MeasuredVolts(const OscData& data, int channel, double raw)
{
    if (!IsChannel(channel))
        return {};
    return FormatMillivolts(UnscaledMillivolts(data, channel, raw));
}

double NanosecondsPerDivision(const OscData& data)
{
    return static_cast<double>(TDivIndexToSeconds(data.t_div) * 1e9L);
}

}  // namespace

std::string FormatVolts(const OscData& data, int channel, double raw)
{
    if (!IsChannel(channel))
        return {};
    return FormatMillivolts(UnscaledMillivolts(data, channel, raw) * GainRatio(data, channel));
}

std::string FormatTDiv(const OscData& data)
{
    return FormatTDivText(data.t_div);
}

std::string FormatSampleTime(const OscData& data, double points)
{
    // A division is 10 screen points.
    return FormatTimeNsReal(points * NanosecondsPerDivision(data) / 10);
}

std::string FormatSamplesAsTime(const OscData& data, int points)
{
    return FormatSampleTime(data, points);
}

std::string FormatPeriodFrequency(const OscData& data, double points)
{
    if (points == 0)
        return "inf";
    return FormatFrequency(static_cast<double>(10 / points / TDivIndexToSeconds(data.t_div)));
}

std::string FormatMemoryDuration(const OscData& data, unsigned skip)
{
    return FormatMemoryDurationOf(data.GetMemoryDepth(), skip, data.GetSampleRateKHz());
}

std::string FormatCaptureTime(const OscData& data)
{
    return FormatMemoryDuration(data, data.x_skip);
}

std::string FormatVDiv(const OscData& data, int trace)
{
    if (!IsTrace(trace))
        return {};
    const double mv = static_cast<double>(data.GetStepMillivolts()) * 10 * data.GetVoltScale(trace) * GainRatio(data, trace);
    return FormatMillivoltsPerDiv(mv);
}

std::string FormatOffsetVolts(const OscData& data, int trace)
{
    if (!IsTrace(trace))
        return {};
    const double v = static_cast<double>(data.y_offset[trace]) * data.GetStepMillivolts() * data.GetVoltScale(trace)
                     * GainRatio(data, trace) / 1000;
    return FormatVoltsValue(v);
}

std::string FormatStepVolts(const OscData& data, int channel)
{
    if (!IsChannel(channel))
        return {};
    return FormatMillivolts(data.GetVoltScale(channel) * data.GetStepMillivolts());
}

std::string FormatTriggerLevel(const OscData& data)
{
    // The external input triggers at a fixed level.
    if ((data.osc_cr & OSC_CR_TRIGGER_EXT) != 0)
        return "0.6 В";
    const int channel = (data.osc_cr & OSC_CR_TRIGGER_B) != 0 ? 1 : 0;
    return MeasuredVolts(data, channel, data.trigger_level[channel]);
}

std::string FormatMeasuredMean(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_mean[channel]) : std::string();
}

std::string FormatMeasuredAmplitude(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_peak[channel]) : std::string();
}

std::string FormatMeasuredMidLevel(const OscData& data, int channel)
{
    if (!IsChannel(channel))
        return {};
    return MeasuredVolts(data, channel, (static_cast<double>(data.measure_top[channel]) + data.measure_base[channel]) * 0.5);
}

std::string FormatMeasuredMin(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_min[channel]) : std::string();
}

std::string FormatMeasuredMax(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_max[channel]) : std::string();
}

std::string FormatMeasuredBase(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_base[channel]) : std::string();
}

std::string FormatMeasuredTop(const OscData& data, int channel)
{
    return IsChannel(channel) ? MeasuredVolts(data, channel, data.measure_top[channel]) : std::string();
}

std::string FormatMeasuredPeriod(const OscData& data, int channel)
{
    return IsChannel(channel) ? FormatSampleTime(data, data.measure_period[channel]) : std::string();
}

std::string FormatMeasuredFrequency(const OscData& data, int channel)
{
    if (!IsChannel(channel))
        return {};
    return FormatPeriodFrequency(data, data.measure_period[channel]);
}
