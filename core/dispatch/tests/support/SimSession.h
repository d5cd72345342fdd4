#pragma once
// A whole acquisition chain for end-to-end tests: the device link with its worker, the
// oscilloscope dispatcher, the data model and the virtual instrument reached in-process, all on
// one manual clock. The dispatcher's variant switch runs on a consumer thread through the call
// queue, as the main window runs it on its own thread.
//
// Tests wait on conditions of the data model: a wait wakes after every packet the dispatcher
// handles and gives up after a span of the device's time (the manual clock), never after a
// span of wall time.

#include "app/callqueue/CallQueue.h"
#include "core/data/OscData.h"
#include "core/dispatch/OscDispatch.h"
#include "core/link/DeviceLink.h"
#include "platform/kernel/ManualClock.h"
#include "sim/VirtualInstrument.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The dispatcher, counting what it handles so that waiting threads can wake.
class ObservedDispatch : public COscDispatch {
public:
    void HandlePacket() override;
    unsigned Handled();
    // Waits until more than `seen` packets have been handled; false when none came for a
    // long time (the worker is gone).
    bool WaitBeyond(unsigned seen);

private:
    std::mutex mutex_;
    std::condition_variable handled_;
    unsigned count_ = 0;
};

class SimSession {
public:
    explicit SimSession(int version);
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    // Opens the link to the instrument and waits until the variant is selected and every
    // setting has been written. False when that does not happen.
    bool Connect();

    // Waits until the predicate holds (evaluated under DataLock) within deviceMs of the
    // device's time.
    bool WaitFor(const std::function<bool(OscData&)>& condition, DWORD deviceMs);
    // Runs a change of the model under DataLock, as a window handler does.
    void Change(const std::function<void(OscData&)>& change);
    // Waits for n new complete screen frames (each one begun after the previous was seen).
    bool WaitFrames(int n, DWORD deviceMs = 20000);
    // Keeps the link running for a span of device time.
    void Run(DWORD deviceMs);

    VirtualInstrument& Sim() { return *sim_; }
    ManualClock& Clock() { return clock_; }
    ObservedDispatch& Dispatch() { return dispatch_; }
    int Version() const { return version_; }

private:
    void Consume();

    int version_;
    ManualClock clock_;
    std::shared_ptr<VirtualInstrument> sim_;
    ObservedDispatch dispatch_;
    CallQueue queue_;

    std::mutex consumerMutex_;
    std::condition_variable consumerWake_;
    int waitingCalls_ = 0;
    bool stopping_ = false;
    std::thread consumer_;

    std::unique_ptr<DeviceLink> link_;
};
