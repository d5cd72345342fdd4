#pragma once
// COleDateTime: a point in time as days since 30 December 1899 (m_dt), the time of day as the
// fraction. Days before that epoch count down and carry their time as a positive fraction
// (-1.25 is 29 December 1899, 06:00), so the comparisons go by the point in time, not by m_dt.

#include "platform/kernel/WinTypes.h"

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    // Years 100..9999 with a month, day and time of day that exist; otherwise invalid.
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    // Reads one of
    //   D.M.YYYY   YYYY-M-D   either followed by one blank and H:MM or H:MM:SS
    //   H:MM       H:MM:SS    (a time alone falls on the epoch day)
    // with nothing before or after, every field in range. On failure the value is invalid and
    // false is returned. The flags and the locale are accepted for the callers' sake; the format
    // does not depend on the user's locale.
    bool ParseDateTime(const char* text, DWORD flags = 0, DWORD locale = 0);

    DateTimeStatus GetStatus() const { return m_status; }

    // Ordering of valid values by the point in time they stand for.
    bool operator==(const COleDateTime& other) const { return Linear() == other.Linear(); }
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }
    bool operator<(const COleDateTime& other) const { return Linear() < other.Linear(); }
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator<=(const COleDateTime& other) const { return !(other < *this); }
    bool operator>=(const COleDateTime& other) const { return !(*this < other); }

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;

private:
    bool Set(int year, int month, int day, int hour, int minute, int second);
    double Linear() const;
};
