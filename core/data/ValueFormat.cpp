#include "core/data/ValueFormat.h"

#include "platform/kernel/CString.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// One unit of a value text: the value is divided by `divisor` and printed with `format`.
struct Unit {
    double divisor;
    const char* format;
    const char* name;
};

// The number as printed, read back ('.' is the decimal point whatever the locale).
double PrintedValue(const std::string& number)
{
    double value = 0;
    const char* begin = number.data();
    if (!number.empty() && number[0] == '+') ++begin;
    std::from_chars(begin, number.data() + number.size(), value);
    return value;
}

// Prints the value in the first unit whose printed number stays below `limit` (by magnitude
// when `magnitude` is set); the last unit takes the rest. The unit is chosen after rounding, so
// 999.9996 ns is "1.000 мкс" and never "1000.000 нс". A number that prints as zero carries no
// sign: a negative value times a zero step is "0 мВ".
template <std::size_t N>
std::string FormatInUnits(double value, const Unit (&units)[N], double limit, bool magnitude)
{
    for (std::size_t i = 0; i < N; ++i) {
        std::string number = StringFormat(units[i].format, value / units[i].divisor);
        const double printed = PrintedValue(number);
        const double compared = magnitude ? std::fabs(printed) : printed;
        if (compared < limit || i + 1 == N) {
            if (printed == 0 && !number.empty() && number[0] == '-') number.erase(0, 1);
            return number + " " + units[i].name;
        }
    }
    return {};
}

}  // namespace

std::string FormatFrequency(double hz)
{
    if (hz == 0)
        return "inf";
    static const Unit units[] = {{1, "%.3f", "Hz"}, {1000, "%.3f", "kHz"}, {1000000, "%.3f", "MHz"}};
    return FormatInUnits(hz, units, 10000, false);
}

std::string FormatTimeNs(std::int64_t ns)
{
    // The magnitude as unsigned, so that the most negative value needs no special case.
    const std::uint64_t magnitude = ns < 0 ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    if (magnitude <= 999)
        return StringFormat("%lld нс", static_cast<long long>(ns));

    std::uint64_t unit;
    const char* name;
    if (magnitude <= 999999) {
        unit = 1000;
        name = "мкс";
    } else if (magnitude <= 999999999) {
        unit = 1000000;
        name = "мс";
    } else {
        unit = 1000000000;
        name = "с";
    }
    // The sign goes with the whole part, which is never 0 here; the fraction is the truncated
    // remainder in thousandths of the unit.
    const std::uint64_t whole = magnitude / unit;
    const std::uint64_t fraction = magnitude % unit / (unit / 1000);
    const char* sign = ns < 0 ? "-" : "";
    if (fraction == 0)
        return StringFormat("%s%llu %s", sign, static_cast<unsigned long long>(whole), name);
    return StringFormat("%s%llu.%03llu %s", sign, static_cast<unsigned long long>(whole),
                           static_cast<unsigned long long>(fraction), name);
}

std::string FormatTimeNsReal(double ns)
{
    static const Unit units[] = {
        {1, "%.3f", "нс"}, {1000, "%.3f", "мкс"}, {1000000, "%.3f", "мс"}, {1000000000, "%.3f", "с"}};
    return FormatInUnits(ns, units, 1000, true);
}

std::string FormatMillivolts(double mv)
{
    static const Unit units[] = {{1, "%.3g", "мВ"}, {1000, "%.3g", "В"}};
    return FormatInUnits(mv, units, 1000, true);
}

std::string FormatMillivoltsPerDiv(double mvPerDiv)
{
    static const Unit units[] = {{1, "%g", "мВ/дел"}, {1000, "%g", "В/дел"}};
    return FormatInUnits(mvPerDiv, units, 1000, false);
}

std::string FormatVoltsValue(double volts)
{
    static const Unit units[] = {{1, "%g", "В"}};
    return FormatInUnits(volts, units, 0, false);
}

int TDivMantissa(unsigned tDiv)
{
    static const int mantissa[3] = {1, 2, 5};
    return mantissa[tDiv % 3];
}

std::int64_t TDivNanoseconds(unsigned tDiv)
{
    std::int64_t ns = TDivMantissa(tDiv);
    for (unsigned i = 0; i < tDiv / 3; ++i) {
        if (ns > std::numeric_limits<std::int64_t>::max() / 10)
            return std::numeric_limits<std::int64_t>::max();
        ns *= 10;
    }
    return ns;
}

std::string FormatTDivText(unsigned tDiv)
{
    return FormatTimeNs(TDivNanoseconds(tDiv)) + "/дел";
}

std::string FormatPointsAsTime(double points, unsigned tDiv)
{
    // One division is 10 screen points.
    return FormatTimeNsReal(points * static_cast<double>(TDivNanoseconds(tDiv)) / 10);
}

std::string FormatPointsAsFrequency(double points, unsigned tDiv)
{
    if (points == 0)
        return "inf";
    const double secondsPerDiv = static_cast<double>(TDivNanoseconds(tDiv)) / 1e9;
    return FormatFrequency(10 / points / secondsPerDiv);
}

std::string FormatMemoryDurationOf(std::uint64_t memoryDepth, std::uint64_t skip, std::uint64_t sampleRateKHz)
{
    if (sampleRateKHz == 0)
        return "inf";
    // 128-bit product: an untrusted skip from the settings must not wrap the duration.
    const unsigned __int128 ns = static_cast<unsigned __int128>(memoryDepth) * (static_cast<unsigned __int128>(skip) + 1)
                                 * 1000000u / sampleRateKHz;
    const auto limit = static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max());
    return FormatTimeNs(static_cast<std::int64_t>(ns > limit ? limit : ns));
}
