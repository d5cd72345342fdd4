#include "tools/freqresp/FreqResponsePlan.h"

#include <cmath>
#include <cstdlib>

std::vector<std::uint32_t> BuildDividerList(std::uint32_t baseClockHz, std::uint32_t maxRateKHz)
{
    std::vector<std::uint32_t> list;
    // 64 bits throughout: the rate in Hz and the decade values outgrow 32 bits.
    const std::int64_t k = baseClockHz;
    const std::int64_t startHz = static_cast<std::int64_t>(maxRateKHz) * 1000 / 8;
    if (k / 100 < 1 || startHz <= 0) return list;
    const std::int64_t last = k / 100 - 1;
    const std::int64_t first = std::max<std::int64_t>(k / startHz - 1, 0);

    // first = d followed by `digits` more digits.
    std::int64_t d = first;
    std::int64_t scale = 1;
    while (d > 9) {
        d /= 10;
        scale *= 10;
    }
    while (list.size() < kMaxResponsePoints) {
        const std::int64_t value = (d + 1) * scale - 1;  // d followed by nines
        if (value > last) break;
        list.push_back(static_cast<std::uint32_t>(value));
        if (++d > 9) {
            d = 1;
            scale *= 10;
        }
    }
    return list;
}

double ResponseDb(int x, int expected, double half)
{
    if (x == expected) return 0.0;
    if (expected == 0) return 20.0 * std::log10(std::fabs(x - half) / half);
    if (x == 0) return kSilentDb;
    return 20.0 * std::log10(std::fabs(static_cast<double>(x) / expected));
}

bool DrawMeanOrMinimum(double db) { return std::isfinite(db) && db > kSilentDb; }

bool DrawMaximum(double db) { return std::isfinite(db) && db > -1000000.0; }
