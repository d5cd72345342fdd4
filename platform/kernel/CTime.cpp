#include "platform/kernel/CTime.h"

#include <ctime>
#include <vector>

namespace {

// A format that expands past this is refused rather than grown without end.
constexpr std::size_t kMaxFormattedLength = 1 << 16;

}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second)
{
    Normalise(year, month, day, hour, minute, second);
}

CTime::CTime(const SYSTEMTIME& t)
{
    Normalise(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

CTime CTime::GetCurrentTime()
{
    return CTime(CurrentClock().GetLocalTime());
}

void CTime::Normalise(int year, int month, int day, int hour, int minute, int second)
{
    // The calendar arithmetic is done in UTC so that no time-zone or daylight-saving rule of the
    // machine shifts a local time that is already local.
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const std::time_t t = timegm(&tm);
    std::tm out{};
    if (t == static_cast<std::time_t>(-1) || gmtime_r(&t, &out) == nullptr)
        return;  // stays the epoch
    year_ = out.tm_year + 1900;
    month_ = out.tm_mon + 1;
    day_ = out.tm_mday;
    hour_ = out.tm_hour;
    minute_ = out.tm_min;
    second_ = out.tm_sec;
    day_of_week_ = out.tm_wday;
    day_of_year_ = out.tm_yday;
}

CString CTime::Format(const char* format) const
{
    if (format == nullptr || *format == '\0')
        return {};
    std::tm tm{};
    tm.tm_year = year_ - 1900;
    tm.tm_mon = month_ - 1;
    tm.tm_mday = day_;
    tm.tm_hour = hour_;
    tm.tm_min = minute_;
    tm.tm_sec = second_;
    tm.tm_wday = day_of_week_;
    tm.tm_yday = day_of_year_;
    tm.tm_isdst = -1;
    // strftime gives 0 both for "too small" and for an empty result (a format of "%p" in a
    // locale without AM/PM): grow until it fits or the limit says the format is unreasonable.
    std::vector<char> buffer(256);
    while (buffer.size() <= kMaxFormattedLength) {
        const std::size_t n = std::strftime(buffer.data(), buffer.size(), format, &tm);
        if (n > 0)
            return CString(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
    return {};
}
