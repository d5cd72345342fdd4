#pragma once
// A clock that only moves when told to, for tests. Sleep advances the time by the requested
// amount at once (and yields), so a worker loop runs through minutes of its own time in
// milliseconds of ours. Safe to use from several threads.

#include "platform/kernel/Clock.h"

#include <atomic>

class ManualClock final : public Clock {
public:
    explicit ManualClock(DWORD start = 0) : now_(start) {}

    DWORD GetTickCount() override { return now_.load(); }
    void Sleep(DWORD ms) override;
    SYSTEMTIME GetLocalTime() override;

    void Advance(DWORD ms) { now_.fetch_add(ms); }
    void Set(DWORD now) { now_.store(now); }
    // The local time reported: the fixed date and time of day below, plus the tick count.
    void SetLocalTime(const SYSTEMTIME& t) { base_ = t; }
    // Total time slept, for tests that check how long a loop waited.
    DWORD Slept() const { return slept_.load(); }

private:
    std::atomic<DWORD> now_;
    std::atomic<DWORD> slept_{0};
    SYSTEMTIME base_{2026, 1, 4, 1, 0, 0, 0, 0};
};
