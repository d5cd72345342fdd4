#pragma once
// Texts for frequencies, durations and voltages, as the windows show them.
//
// Numbers always use '.' as the decimal point, whatever locale the process runs in: the texts
// go into reports and tooltips that must read the same on every machine.
//
// These are the plain-value forms; core/measure/OscFormat.h has the forms that read the data
// model.

#include <cstdint>
#include <string>

// Units are chosen by the number as printed: a value that rounds up to the next unit's threshold
// prints in that unit ("10.000 kHz", never "10000.000 Hz"), and a number that prints as zero
// has no sign.

// "inf" for 0, else Hz below 10000, kHz below 10000000, MHz above ("%.3f").
std::string FormatFrequency(double hz);

// Whole nanoseconds up to 999, then the next unit with a truncated three-digit fraction that is
// left out when zero: "999 нс", "1 мкс", "1.500 мкс", "-1.500 мкс", "2.500 мс", "1 с".
std::string FormatTimeNs(std::int64_t ns);

// "%.3f" in нс, мкс, мс or с, by the magnitude.
std::string FormatTimeNsReal(double ns);

// "%.3g мВ" below one volt in magnitude, else "%.3g В".
std::string FormatMillivolts(double mv);

// A volts/div value given in millivolts: "%g мВ/дел" below 1000, else "%g В/дел".
std::string FormatMillivoltsPerDiv(double mvPerDiv);

// Volts as "%g В", whatever the size.
std::string FormatVoltsValue(double volts);

// Mantissa of the 1-2-5 time/div sequence: 1, 2, 5 for t mod 3 = 0, 1, 2.
int TDivMantissa(unsigned tDiv);

// Nanoseconds per division of a time/div index (M(t) × 10^(t/3)); saturates at the largest
// int64 for indexes far beyond any device's range.
std::int64_t TDivNanoseconds(unsigned tDiv);

// "1 мс/дел" and the like.
std::string FormatTDivText(unsigned tDiv);

// A span of screen points (10 per division) as a duration at the time/div index.
std::string FormatPointsAsTime(double points, unsigned tDiv);

// The frequency of a period given in screen points at the time/div index; "inf" for 0.
std::string FormatPointsAsFrequency(double points, unsigned tDiv);

// How long the whole sample memory lasts at a decimation: depth × (skip + 1) samples at the
// rate, as FormatTimeNs. "inf" when the rate is 0.
std::string FormatMemoryDurationOf(std::uint64_t memoryDepth, std::uint64_t skip, std::uint64_t sampleRateKHz);
