#include "core/data/ValueFormat.h"

#include "platform/kernel/CString.h"

#include <cmath>
#include <limits>

std::string FormatFrequency(double hz)
{
    if (hz == 0)
        return "inf";
    if (hz < 10000)
        return StringFormat("%.3f Hz", hz);
    if (hz < 10000000)
        return StringFormat("%.3f kHz", hz / 1000);
    return StringFormat("%.3f MHz", hz / 1000000);
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
    const double magnitude = std::fabs(ns);
    if (magnitude < 1000)
        return StringFormat("%.3f нс", ns);
    if (magnitude < 1000000)
        return StringFormat("%.3f мкс", ns / 1000);
    if (magnitude < 1000000000)
        return StringFormat("%.3f мс", ns / 1000000);
    return StringFormat("%.3f с", ns / 1000000000);
}

std::string FormatMillivolts(double mv)
{
    if (std::fabs(mv) < 1000)
        return StringFormat("%.3g мВ", mv);
    return StringFormat("%.3g В", mv / 1000);
}

std::string FormatMillivoltsPerDiv(double mvPerDiv)
{
    if (mvPerDiv < 1000)
        return StringFormat("%g мВ/дел", mvPerDiv);
    return StringFormat("%g В/дел", mvPerDiv / 1000);
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
