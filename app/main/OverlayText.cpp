#include "app/main/OverlayText.h"

#include <cstdio>

namespace {
// A run must be longer than this many points before its value fits over it.
constexpr int kMinRun[3] = {4, 6, 16};
// A window shows at most this many major ticks.
constexpr double kMaxMajorTicks = 10;
}  // namespace

std::string BusRunLabel(unsigned value, int radix, int length)
{
    if (radix < 0 || radix > 2 || length <= kMinRun[radix])
        return {};
    value &= 0xFF;
    char text[16];
    if (radix == 0)
        std::snprintf(text, sizeof text, "%02X", value);
    else if (radix == 1)
        std::snprintf(text, sizeof text, "%03u", value);
    else
    {
        for (int k = 7; k >= 0; --k)
            text[7 - k] = (value >> k & 1u) != 0 ? '1' : '0';
        text[8] = '\0';
    }
    return text;
}

double ChooseRulerStep(double windowSeconds)
{
    double step = 0.001;
    // The bound keeps a damaged length (infinite, not a number) from looping for ever.
    for (int i = 0; i < 12 && !(windowSeconds / step <= kMaxMajorTicks); ++i)
        step *= 10;
    return step;
}

std::string FormatRulerLabel(std::int64_t milliseconds, bool withMillis, bool alwaysHours)
{
    if (milliseconds < 0)
        milliseconds = 0;
    const std::int64_t totalSeconds = milliseconds / 1000;
    const int ms = static_cast<int>(milliseconds % 1000);
    const long long hours = totalSeconds / 3600;
    const int minutes = static_cast<int>(totalSeconds / 60 % 60);
    const int seconds = static_cast<int>(totalSeconds % 60);
    char text[64];
    if (hours > 0 || alwaysHours)
        std::snprintf(text, sizeof text, "%02lld:%02d:%02d", hours, minutes, seconds);
    else if (totalSeconds >= 60)
        std::snprintf(text, sizeof text, "%02d:%02d", minutes, seconds);
    else
        std::snprintf(text, sizeof text, "%d", seconds);
    std::string label = text;
    if (withMillis)
    {
        std::snprintf(text, sizeof text, ".%03d", ms);
        label += text;
    }
    return label;
}
