#include "platform/kernel/Sync.h"
#include "platform/kernel/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

TEST(CriticalSectionThreaded, RecursiveAndRelockableInsideOneScope)
{
    CCriticalSection section;
    CSingleLock outer(&section, TRUE);
    {
        CSingleLock inner(&section, TRUE); // same thread: no deadlock
        EXPECT_TRUE(inner.IsLocked());
    }
    outer.Unlock();
    EXPECT_FALSE(outer.IsLocked());

    // Another thread can take it now, and cannot while we hold it again.
    std::atomic<bool> tookIt{false};
    std::thread([&] { tookIt = section.Lock(0) != FALSE; if (tookIt) section.Unlock(); }).join();
    EXPECT_TRUE(tookIt);

    outer.Lock();
    std::thread([&] { tookIt = section.Lock(0) != FALSE; if (tookIt) section.Unlock(); }).join();
    EXPECT_FALSE(tookIt);
}

TEST(CriticalSectionThreaded, GuardsACounterAcrossThreads)
{
    CCriticalSection section;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            CSingleLock lock(&section, TRUE);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
}

TEST(EventThreaded, AutoResetReleasesOneZeroWaitManualResetStays)
{
    CEvent stop(FALSE, FALSE);
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_TIMEOUT);
    stop.SetEvent();
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_TIMEOUT); // consumed

    CEvent run(FALSE, TRUE);
    run.SetEvent();
    EXPECT_EQ(WaitForSingleObject(run, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(run, 0), WAIT_OBJECT_0);
    run.ResetEvent();
    EXPECT_EQ(WaitForSingleObject(run, 0), WAIT_TIMEOUT);
}

namespace {

// Times this thread has given up the processor of its own accord (a sleep, a blocking wait).
long VoluntarySwitches()
{
    std::ifstream status("/proc/thread-self/status");
    std::string line;
    const std::string key = "voluntary_ctxt_switches:";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

} // namespace

TEST(EventThreaded, AZeroWaitOnlyLooksAndNeverSleeps)
{
    CEvent manual(FALSE, TRUE);
    CEvent automatic(FALSE, FALSE);
    const long before = VoluntarySwitches();
    ASSERT_GE(before, 0);
    int set = 0;
    for (int i = 0; i < 1000; ++i) {
        set += manual.Lock(0) != FALSE;
        set += automatic.Lock(0) != FALSE;
    }
    // A thread that slept once a call would have given the processor up 2000 times; reading
    // the status file may cost one or two.
    EXPECT_LT(VoluntarySwitches() - before, 20);
    EXPECT_EQ(set, 0);
}

TEST(EventThreaded, WaitWakesWhenAnotherThreadSets)
{
    CEvent event(FALSE, TRUE);
    std::thread setter([&] { event.SetEvent(); });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
}

namespace {
CEvent* g_release = nullptr;
UINT WaitThenReturn(void* param)
{
    g_release->Lock();
    return *static_cast<UINT*>(param);
}
} // namespace

TEST(ThreadThreaded, ExitCodeIsStillActiveUntilTheProcedureReturns)
{
    CEvent release(FALSE, TRUE);
    g_release = &release;
    UINT code = 7;
    CWinThread* thread = AfxBeginThread(WaitThenReturn, &code, THREAD_PRIORITY_HIGHEST);
    DWORD exit = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &exit));
    EXPECT_EQ(exit, STILL_ACTIVE);
    release.SetEvent();
    thread->Join();
    ASSERT_TRUE(GetExitCodeThread(thread, &exit));
    EXPECT_EQ(exit, 7u);
    delete thread;
}
