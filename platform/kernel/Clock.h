#pragma once
// Time as the system's code sees it: a wrapping millisecond tick count, sleeping, and the
// local wall-clock time. Everything goes through a Clock so that tests can drive time.

#include "platform/kernel/WinTypes.h"

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32; take differences unsigned.
    virtual DWORD GetTickCount() = 0;
    virtual void Sleep(DWORD ms) = 0;
    virtual SYSTEMTIME GetLocalTime() = 0;
};

// The real clock: steady time, real sleeping, the local time zone.
Clock& SystemClock();

// The clock behind the free functions below; the system clock unless a test installs another.
// Passing null restores the system clock. The clock must outlive every thread that uses it.
Clock& CurrentClock();
void SetCurrentClock(Clock* clock);

DWORD GetTickCount();
void Sleep(DWORD ms);
void GetLocalTime(SYSTEMTIME* time);
