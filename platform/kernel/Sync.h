#pragma once
// Critical sections, scoped single locks and events.
//
// A critical section is recursive: the thread that holds it may take it again. CSingleLock
// holds at most one level of it and may give it up and take it back inside its scope.

#include "platform/kernel/WinTypes.h"

#include <condition_variable>
#include <mutex>

class CSyncObject {
public:
    virtual ~CSyncObject() = default;
    virtual BOOL Lock(DWORD timeoutMs = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};

class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock(DWORD timeoutMs = INFINITE) override;
    BOOL Unlock() override;

private:
    std::recursive_mutex mutex_;
};

class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // Takes the object unless this lock already holds it.
    BOOL Lock(DWORD timeoutMs = INFINITE);
    // Gives the object up if this lock holds it.
    BOOL Unlock();
    BOOL IsLocked() const { return locked_; }

private:
    CSyncObject* object_;
    bool locked_ = false;
};

// An event: manual-reset events stay set until reset; an auto-reset event releases one
// successful wait (a zero wait included) and is clear again.
class CEvent : public CSyncObject {
public:
    explicit CEvent(BOOL initiallySet = FALSE, BOOL manualReset = FALSE);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    BOOL SetEvent();
    BOOL ResetEvent();
    // Waits until the event is set or the time-out passes; true when it was set.
    BOOL Lock(DWORD timeoutMs = INFINITE) override;
    BOOL Unlock() override { return TRUE; }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool set_;
    bool manual_;
};

// WAIT_OBJECT_0 when the event was (or became) set within the time-out, else WAIT_TIMEOUT.
DWORD WaitForSingleObject(CEvent& event, DWORD timeoutMs);
