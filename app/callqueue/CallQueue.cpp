#include "app/callqueue/CallQueue.h"

#include <algorithm>
#include <exception>

CallQueue::Result CallQueue::InvokeAndWait(std::function<void()> call)
{
    if (!call)
        return Result::Refused;

    std::unique_lock<std::recursive_mutex> lock(lock_);
    if (shutDown_)
        return Result::Refused;

    // Ids only grow; the unsigned counter wraps instead of overflowing, and two billion calls
    // never wait at once, so ids in the queue stay distinct.
    const int id = static_cast<int>(nextId_++);
    queue_.push_back(QueuedCall{std::move(call), id});

    const auto finished = [&] {
        return std::any_of(finished_.begin(), finished_.end(), [id](const auto& f) { return f.first == id; });
    };
    released_.wait(lock, [&] { return finished() || shutDown_; });

    const auto done = std::find_if(finished_.begin(), finished_.end(), [id](const auto& f) { return f.first == id; });
    if (done != finished_.end()) {
        const Result result = done->second;
        finished_.erase(done);
        return result;
    }
    // Shut down before the consumer reached the call: take it back so that it never runs
    // after its producer has gone.
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [id](const QueuedCall& q) { return q.id == id; }),
                 queue_.end());
    return Result::Withdrawn;
}

bool CallQueue::IsCallQueued(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return std::any_of(queue_.begin(), queue_.end(), [id](const QueuedCall& q) { return q.id == id; });
}

void CallQueue::RunQueuedCalls()
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    // Once closing, the window a callable would touch may be half gone: the producers withdraw
    // their entries instead.
    if (queue_.empty() || shutDown_)
        return;

    // Run the entries present when the run began; they stay queued until all have returned.
    // A callable that posts (it must not wait) leaves its entry for the next run.
    const std::size_t count = queue_.size();
    std::vector<std::pair<int, Result>> outcomes;
    outcomes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Copy out: a post from inside the callable may reallocate the queue.
        const std::function<void()> call = queue_[i].call;
        Result result = Result::Ran;
        try {
            call();
        } catch (const std::exception& e) {
            result = Result::Threw;
            lastError_ = e.what();
        } catch (...) {
            result = Result::Threw;
            lastError_ = "unknown exception";
        }
        outcomes.emplace_back(queue_[i].id, result);
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    // The producers are released only now, when every callable of the run has returned.
    finished_.insert(finished_.end(), outcomes.begin(), outcomes.end());
    released_.notify_all();
}

void CallQueue::Shutdown()
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    shutDown_ = true;
    released_.notify_all();
}

bool CallQueue::IsShutDown() const
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return shutDown_;
}

std::string CallQueue::GetLastError() const
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return lastError_;
}
