#include "platform/kernel/ManualClock.h"

#include <thread>

void ManualClock::Sleep(DWORD ms)
{
    now_.fetch_add(ms);
    slept_.fetch_add(ms);
    std::this_thread::yield();
}

SYSTEMTIME ManualClock::GetLocalTime()
{
    // Time of day from the base plus the tick count; the date stays the base date.
    const unsigned long long baseMs = ((base_.wHour * 60ull + base_.wMinute) * 60ull + base_.wSecond) * 1000ull +
                                      base_.wMilliseconds;
    const unsigned long long ms = (baseMs + now_.load()) % (24ull * 3600ull * 1000ull);
    SYSTEMTIME t = base_;
    t.wHour = static_cast<WORD>(ms / 3600000ull);
    t.wMinute = static_cast<WORD>(ms / 60000ull % 60ull);
    t.wSecond = static_cast<WORD>(ms / 1000ull % 60ull);
    t.wMilliseconds = static_cast<WORD>(ms % 1000ull);
    return t;
}
