#pragma once
// Worker threads. The object returned by AfxBeginThread belongs to the caller, who deletes it
// once the thread has finished (deleting a running thread's object waits for it to end).

#include "platform/kernel/WinTypes.h"

#include <atomic>
#include <thread>

using AFX_THREADPROC = UINT (*)(void* param);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL);
    ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // STILL_ACTIVE while the thread runs, then the value its procedure returned.
    DWORD GetExitCode() const { return exitCode_.load(std::memory_order_acquire); }
    // Waits until the thread has ended. Must not be called from the thread itself.
    void Join();

private:
    std::atomic<DWORD> exitCode_{STILL_ACTIVE};
    std::thread thread_;
};

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL);
BOOL GetExitCodeThread(const CWinThread* thread, DWORD* exitCode);
