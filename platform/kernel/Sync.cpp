#include "platform/kernel/Sync.h"

#include <chrono>
#include <thread>

BOOL CCriticalSection::Lock(DWORD timeoutMs)
{
    if (timeoutMs == INFINITE) {
        mutex_.lock();
        return TRUE;
    }
    // A bounded wait polls try_lock: timed locks on recursive mutexes are not seen by the
    // thread sanitizer, and critical sections are held only briefly anyway.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (mutex_.try_lock())
            return TRUE;
        if (std::chrono::steady_clock::now() >= deadline)
            return FALSE;
        std::this_thread::yield();
    }
}

BOOL CCriticalSection::Unlock()
{
    mutex_.unlock();
    return TRUE;
}

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : object_(object)
{
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeoutMs)
{
    if (locked_ || object_ == nullptr)
        return locked_ ? TRUE : FALSE;
    locked_ = object_->Lock(timeoutMs) != FALSE;
    return locked_ ? TRUE : FALSE;
}

BOOL CSingleLock::Unlock()
{
    if (!locked_)
        return FALSE;
    locked_ = false;
    return object_->Unlock();
}

CEvent::CEvent(BOOL initiallySet, BOOL manualReset) : set_(initiallySet != FALSE), manual_(manualReset != FALSE) {}

BOOL CEvent::SetEvent()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        set_ = true;
    }
    cv_.notify_all();
    return TRUE;
}

BOOL CEvent::ResetEvent()
{
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = false;
    return TRUE;
}

BOOL CEvent::Lock(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> guard(mutex_);
    const auto isSet = [this] { return set_; };
    bool ok;
    if (timeoutMs == 0) {
        // A zero wait only looks: a condition variable's wait with a time-out already due
        // still puts the thread to sleep once, and the link's worker looks at its events
        // several times an exchange.
        ok = set_;
    } else if (timeoutMs == INFINITE) {
        cv_.wait(guard, isSet);
        ok = true;
    } else {
        ok = cv_.wait_for(guard, std::chrono::milliseconds(timeoutMs), isSet);
    }
    if (ok && !manual_)
        set_ = false;
    return ok ? TRUE : FALSE;
}

DWORD WaitForSingleObject(CEvent& event, DWORD timeoutMs)
{
    return event.Lock(timeoutMs) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
