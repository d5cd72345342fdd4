#include "platform/kernel/OleDateTime.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
// Days from 1970-01-01 back to the epoch of the date type, 1899-12-30.
constexpr long kEpochOffset = 25569;

bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && Leap(year) ? 29 : days[month - 1];
}

// Days of a proleptic Gregorian date since 1970-01-01.
long DaysFromCivil(int year, int month, int day)
{
    const long y = month <= 2 ? year - 1 : year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// A run of between min and max decimal digits at p; advances p.
bool Digits(const char*& p, int min, int max, int& value)
{
    int n = 0;
    value = 0;
    while (n < max && p[n] >= '0' && p[n] <= '9') {
        value = value * 10 + (p[n] - '0');
        ++n;
    }
    if (n < min) return false;
    p += n;
    return true;
}

bool Expect(const char*& p, char c)
{
    if (*p != c) return false;
    ++p;
    return true;
}

bool ParseTime(const char*& p, int& hour, int& minute, int& second)
{
    second = 0;
    if (!Digits(p, 1, 2, hour) || !Expect(p, ':') || !Digits(p, 2, 2, minute)) return false;
    if (*p == ':') {
        ++p;
        if (!Digits(p, 2, 2, second)) return false;
    }
    return true;
}

bool ParseDate(const char*& p, int& year, int& month, int& day)
{
    const char* start = p;
    // YYYY-M-D
    if (Digits(p, 4, 4, year) && *p == '-') {
        ++p;
        return Digits(p, 1, 2, month) && Expect(p, '-') && Digits(p, 1, 2, day);
    }
    // D.M.YYYY
    p = start;
    return Digits(p, 1, 2, day) && Expect(p, '.') && Digits(p, 1, 2, month) && Expect(p, '.') && Digits(p, 4, 4, year);
}

}  // namespace

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    Set(year, month, day, hour, minute, second);
}

bool COleDateTime::Set(int year, int month, int day, int hour, int minute, int second)
{
    if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        m_dt = 0.0;
        m_status = invalid;
        return false;
    }
    const long days = DaysFromCivil(year, month, day) + kEpochOffset;
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    m_dt = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
    m_status = valid;
    return true;
}

double COleDateTime::Linear() const
{
    if (m_dt >= 0.0) return m_dt;
    const double day = std::ceil(m_dt);  // toward zero
    return day + (day - m_dt);
}

bool COleDateTime::ParseDateTime(const char* text, DWORD, DWORD)
{
    m_dt = 0.0;
    m_status = invalid;
    if (text == nullptr) return false;
    const char* p = text;
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    const char* start = p;
    // A time alone: H:MM...
    if (ParseTime(p, hour, minute, second) && *p == '\0') return Set(year, month, day, hour, minute, second);
    p = start;
    hour = minute = second = 0;
    if (!ParseDate(p, year, month, day)) return false;
    if (*p == ' ') {
        ++p;
        if (!ParseTime(p, hour, minute, second)) return false;
    }
    if (*p != '\0') return false;
    return Set(year, month, day, hour, minute, second);
}
