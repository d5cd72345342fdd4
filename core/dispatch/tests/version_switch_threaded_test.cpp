// The variant switch runs on the user-interface thread while the link worker waits for it. The
// user-interface thread runs queued calls inside its own DataLock section, so the worker must not
// hold DataLock while it waits.

#include "support/DispatchTestSupport.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Stands in for the main window: one thread that runs posted calls under DataLock.
class UiThread {
public:
    UiThread() : thread_([this] { Loop(); }) {}
    ~UiThread()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

    // Posts the call and waits until it has run there.
    bool Run(const std::function<void()>& call)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stop_) return false;
        pending_ = call;
        ran_ = false;
        cv_.notify_all();
        cv_.wait(lock, [this] { return ran_ || stop_; });
        return ran_;
    }

    std::thread::id Id() const { return thread_.get_id(); }

private:
    void Loop()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            cv_.wait(lock, [this] { return stop_ || pending_; });
            if (stop_) return;
            std::function<void()> call = std::move(pending_);
            pending_ = nullptr;
            lock.unlock();
            {
                CSingleLock data(&DataLock, TRUE);
                call();
            }
            lock.lock();
            ran_ = true;
            cv_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::function<void()> pending_;
    bool ran_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

TEST_F(DispatchTest, VersionSwitchRunsOnTheUiThreadWhileTheWorkerWaits)
{
    UiThread ui;
    std::thread::id switchedOn;
    dispatch.SetUiRunner([&](const std::function<void()>& call) { return ui.Run(call); });
    dispatch.SetVersionSwitch([&](int major, int minor) {
        switchedOn = std::this_thread::get_id();
        SelectOscDataVersion(major, minor);
    });

    Packet answer;
    std::thread worker([&] { answer = SendVersion(2); });
    worker.join();

    EXPECT_EQ(answer.Type(), PACKET_DATA_GET_STATE);
    EXPECT_EQ(switchedOn, ui.Id());
    EXPECT_FALSE(dispatch.IsVersionPending());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().GetVersion(), 2);
    EXPECT_NE(Data().mode & MODE_LINKED, 0u);
}
