#include "platform/kernel/Sync.h"
#include "platform/kernel/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
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
