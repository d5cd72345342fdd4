#pragma once
// A local date and time to the second, as the system's file names and log lines show it. The
// current time comes from the layer's clock (Clock.h), so a test that installs its own clock
// decides what "now" is.

#include "platform/kernel/CString.h"
#include "platform/kernel/Clock.h"

class CTime {
public:
    CTime() = default;
    // Out-of-range fields roll over into the next larger one (month 13 is January of the next
    // year), as the C library's calendar does.
    CTime(int year, int month, int day, int hour, int minute, int second);
    explicit CTime(const SYSTEMTIME& time);

    static CTime GetCurrentTime();

    int GetYear() const { return year_; }
    int GetMonth() const { return month_; }
    int GetDay() const { return day_; }
    int GetHour() const { return hour_; }
    int GetMinute() const { return minute_; }
    int GetSecond() const { return second_; }
    // 1 = Sunday .. 7 = Saturday.
    int GetDayOfWeek() const { return day_of_week_ + 1; }

    // strftime conversions (%d, %m, %y, %Y, %H, %M, %S, ...); numbers never depend on the
    // user's locale. Any length of result.
    CString Format(const char* format) const;

private:
    void Normalise(int year, int month, int day, int hour, int minute, int second);

    int year_ = 1970;
    int month_ = 1;
    int day_ = 1;
    int hour_ = 0;
    int minute_ = 0;
    int second_ = 0;
    int day_of_week_ = 4;  // 1 January 1970 was a Thursday
    int day_of_year_ = 0;
};
