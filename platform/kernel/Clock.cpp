#include "platform/kernel/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

class RealClock final : public Clock {
public:
    DWORD GetTickCount() override
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }

    void Sleep(DWORD ms) override
    {
        if (ms == 0)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    SYSTEMTIME GetLocalTime() override
    {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        SYSTEMTIME t;
        t.wYear = static_cast<WORD>(local.tm_year + 1900);
        t.wMonth = static_cast<WORD>(local.tm_mon + 1);
        t.wDayOfWeek = static_cast<WORD>(local.tm_wday);
        t.wDay = static_cast<WORD>(local.tm_mday);
        t.wHour = static_cast<WORD>(local.tm_hour);
        t.wMinute = static_cast<WORD>(local.tm_min);
        t.wSecond = static_cast<WORD>(local.tm_sec);
        t.wMilliseconds = static_cast<WORD>(ms < 0 ? 0 : ms);
        return t;
    }
};

std::atomic<Clock*> g_current{nullptr};

} // namespace

Clock& SystemClock()
{
    static RealClock clock;
    return clock;
}

Clock& CurrentClock()
{
    Clock* clock = g_current.load(std::memory_order_acquire);
    return clock != nullptr ? *clock : SystemClock();
}

void SetCurrentClock(Clock* clock)
{
    g_current.store(clock, std::memory_order_release);
}

DWORD GetTickCount()
{
    return CurrentClock().GetTickCount();
}

void Sleep(DWORD ms)
{
    CurrentClock().Sleep(ms);
}

void GetLocalTime(SYSTEMTIME* time)
{
    if (time != nullptr)
        *time = CurrentClock().GetLocalTime();
}
