#pragma once
// Texts of the data model's values: time base, volts per division, offsets, trigger level and
// the automatic measurement results. Call with DataLock held.
//
// Channels are 0 (A) and 1 (B); a trace is a channel or 2, the math trace. An index outside
// those gives an empty text.

#include "core/data/ValueFormat.h"

#include <string>

class OscData;

// A raw value of a channel in volts (raw × step × gain ratio × probe/range scale).
std::string FormatVolts(const OscData& data, int channel, double raw);

std::string FormatTDiv(const OscData& data);
std::string FormatSampleTime(const OscData& data, double points);
std::string FormatSamplesAsTime(const OscData& data, int points);
std::string FormatPeriodFrequency(const OscData& data, double points);
std::string FormatMemoryDuration(const OscData& data, unsigned skip);
std::string FormatCaptureTime(const OscData& data);

std::string FormatVDiv(const OscData& data, int trace);
std::string FormatOffsetVolts(const OscData& data, int trace);
std::string FormatStepVolts(const OscData& data, int channel);
std::string FormatTriggerLevel(const OscData& data);

std::string FormatMeasuredMean(const OscData& data, int channel);
std::string FormatMeasuredAmplitude(const OscData& data, int channel);
std::string FormatMeasuredMidLevel(const OscData& data, int channel);
std::string FormatMeasuredMin(const OscData& data, int channel);
std::string FormatMeasuredMax(const OscData& data, int channel);
std::string FormatMeasuredBase(const OscData& data, int channel);
std::string FormatMeasuredTop(const OscData& data, int channel);
std::string FormatMeasuredPeriod(const OscData& data, int channel);
std::string FormatMeasuredFrequency(const OscData& data, int channel);
