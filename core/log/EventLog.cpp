#include "core/log/EventLog.h"

#include "platform/kernel/Clock.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

CCriticalSection LogLock;

namespace {
std::atomic<EventLog*> g_instance{nullptr};
}

EventLog* EventLog::Instance()
{
    EventLog* log = g_instance.load(std::memory_order_acquire);
    if (log != nullptr)
        return log;
    CSingleLock lock(&LogLock, TRUE);
    log = g_instance.load(std::memory_order_relaxed);
    if (log == nullptr) {
        log = new EventLog;
        g_instance.store(log, std::memory_order_release);
        std::atexit(&EventLog::DestroyInstance);
    }
    return log;
}

void EventLog::DestroyInstance()
{
    CSingleLock lock(&LogLock, TRUE);
    delete g_instance.exchange(nullptr);
}

EventLog::~EventLog()
{
    ClearLines();
}

void EventLog::Write(const std::string& text)
{
    CSingleLock lock(&LogLock, TRUE);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%02d:%02d:%02d.%03d: ", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    std::size_t from = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', from);
        if (lf == std::string::npos) {
            PushLine(prefix + text.substr(from));
            break;
        }
        PushLine(prefix + text.substr(from, lf - from));
        from = lf + 1;
    }
}

void EventLog::SetStatus(const std::string& text)
{
    CSingleLock lock(&LogLock, TRUE);
    status_ = text;
}

std::string EventLog::GetStatus()
{
    CSingleLock lock(&LogLock, TRUE);
    return status_;
}

void EventLog::PushLine(std::string line)
{
    lines_[write_] = std::move(line);
    write_ = (write_ + 1) % kCapacity;
    if (stored_ < kCapacity)
        ++stored_;
    else
        start_ = write_; // the oldest line was just overwritten
    ++total_;
}

void EventLog::ReadNewLines(std::uint64_t& lastSeenTotal, std::vector<std::string>& out)
{
    CSingleLock lock(&LogLock, TRUE);
    // A reader ahead of the log (a log that was recreated) starts over from what is held.
    std::uint64_t fresh = lastSeenTotal <= total_ ? total_ - lastSeenTotal : total_;
    if (fresh > static_cast<std::uint64_t>(stored_))
        fresh = static_cast<std::uint64_t>(stored_);
    int index = (write_ - static_cast<int>(fresh) + kCapacity) % kCapacity;
    for (std::uint64_t i = 0; i < fresh; ++i) {
        out.push_back(lines_[index]);
        index = (index + 1) % kCapacity;
    }
    lastSeenTotal = total_;
}

std::uint64_t EventLog::GetTotal()
{
    CSingleLock lock(&LogLock, TRUE);
    return total_;
}

int EventLog::GetStored()
{
    CSingleLock lock(&LogLock, TRUE);
    return stored_;
}

void EventLog::ClearLines()
{
    CSingleLock lock(&LogLock, TRUE);
    for (int i = 0, index = start_; i < stored_; ++i, index = (index + 1) % kCapacity)
        lines_[index].clear();
    stored_ = 0;
    write_ = 0;
    start_ = 0;
}
