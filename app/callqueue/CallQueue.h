#pragma once
// Calls that a worker thread hands to the user-interface thread.
//
// The link worker must not touch windows, yet some device replies (a device-version switch)
// need work that only the user-interface thread may do. The worker posts a callable with
// InvokeAndWait and is held until the user-interface thread has run it; the main window's
// timer drains the queue with RunQueuedCalls on every tick.
//
// The queue takes no lock but its own. A callable runs with the queue lock held, so it must
// not itself wait for a posted call; and a producer must not hold DataLock while it waits,
// since the consumer runs the queue from inside its DataLock section.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct QueuedCall {
    std::function<void()> call;
    int id = 0;
};

class CallQueue {
public:
    enum class Result {
        Ran,        // the callable ran to its end on the consumer thread
        Threw,      // the callable ran and left by an exception
        Refused,    // an empty callable, or the queue was already shut down
        Withdrawn,  // the queue shut down before the callable ran; it never will
    };

    CallQueue() = default;
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    // Worker side: queues the callable and returns once the consumer has run it (and removed it
    // from the queue), or once the queue shuts down with the callable still waiting.
    Result InvokeAndWait(std::function<void()> call);

    // True while an entry with this id waits in the queue.
    bool IsCallQueued(int id) const;

    // Consumer side (user-interface thread): runs every queued callable once, in posting
    // order, then empties the queue and releases the producers. A callable that throws does
    // not stop the others.
    void RunQueuedCalls();

    // The program is closing: refuses new calls and releases every waiting producer, whose
    // entries are withdrawn. Calls already running finish first.
    void Shutdown();

    bool IsShutDown() const;

    // The message of the last exception a callable left by (empty when none did).
    std::string GetLastError() const;

private:
    std::vector<QueuedCall> queue_;
    // Outcomes of finished calls, picked up (and erased) by their producers.
    std::vector<std::pair<int, Result>> finished_;
    unsigned nextId_ = 0;
    bool shutDown_ = false;
    std::string lastError_;
    // Recursive so that a callable may ask IsCallQueued while its run holds the lock.
    mutable std::recursive_mutex lock_;
    std::condition_variable_any released_;
};
