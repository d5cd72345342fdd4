#include "platform/kernel/Thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Under the default time-sharing policy a thread's priority is its nice value. A raised one
// needs CAP_SYS_NICE, which most users lack: the thread then keeps the normal priority.
void ApplyPriority(int priority)
{
    if (priority <= THREAD_PRIORITY_NORMAL)
        return;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, tid, -5 * priority);
}

} // namespace

CWinThread::CWinThread(AFX_THREADPROC proc, void* param, int priority)
{
    thread_ = std::thread([this, proc, param, priority] {
        ApplyPriority(priority);
        const UINT code = proc(param);
        exitCode_.store(code == STILL_ACTIVE ? 0 : code, std::memory_order_release);
    });
}

CWinThread::~CWinThread()
{
    Join();
}

void CWinThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority)
{
    return new CWinThread(proc, param, priority);
}

BOOL GetExitCodeThread(const CWinThread* thread, DWORD* exitCode)
{
    if (thread == nullptr || exitCode == nullptr)
        return FALSE;
    *exitCode = thread->GetExitCode();
    return TRUE;
}
