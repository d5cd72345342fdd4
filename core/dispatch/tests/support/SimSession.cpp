#include "support/SimSession.h"

#include "core/config/ConfigSections.h"
#include "sim/SimComm.h"

#include <chrono>

namespace {

// Only a safety net against a worker that died: the tests' limits are in device time.
constexpr auto kWorkerSilence = std::chrono::seconds(60);

} // namespace

void ObservedDispatch::HandlePacket()
{
    COscDispatch::HandlePacket();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
    }
    handled_.notify_all();
}

unsigned ObservedDispatch::Handled()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

bool ObservedDispatch::WaitBeyond(unsigned seen)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return handled_.wait_for(lock, kWorkerSilence, [&] { return count_ != seen; });
}

SimSession::SimSession(int version)
    : version_(version), sim_(std::make_shared<VirtualInstrument>(clock_))
{
    DeleteOscData();
    ConfigSections.clear();
    sim_->SetVersion(static_cast<std::uint8_t>(version), 0);
    consumer_ = std::thread([this] { Consume(); });
    dispatch_.SetUiRunner([this](const std::function<void()>& call) {
        {
            std::lock_guard<std::mutex> lock(consumerMutex_);
            ++waitingCalls_;
        }
        consumerWake_.notify_one();
        const CallQueue::Result result = queue_.InvokeAndWait(call);
        {
            std::lock_guard<std::mutex> lock(consumerMutex_);
            --waitingCalls_;
        }
        return result == CallQueue::Result::Ran;
    });
    link_ = std::make_unique<DeviceLink>(&dispatch_, clock_);
    link_->SetChooser([this]() -> CComm* {
        auto* comm = new CSimComm(sim_);
        comm->Enumerate();
        comm->Select(0);
        return comm;
    });
}

SimSession::~SimSession()
{
    // The worker first: it may be waiting for the consumer.
    link_->StopThread();
    {
        std::lock_guard<std::mutex> lock(consumerMutex_);
        stopping_ = true;
    }
    consumerWake_.notify_one();
    consumer_.join();
    queue_.Shutdown();
    link_.reset();
    DeleteOscData();
    ConfigSections.clear();
}

void SimSession::Consume()
{
    std::unique_lock<std::mutex> lock(consumerMutex_);
    for (;;) {
        consumerWake_.wait(lock, [&] { return stopping_ || waitingCalls_ > 0; });
        if (stopping_)
            return;
        lock.unlock();
        queue_.RunQueuedCalls();
        // The producer may not have queued its call yet: look again without blocking.
        std::this_thread::yield();
        lock.lock();
    }
}

bool SimSession::Connect()
{
    link_->ToggleConnection();
    if (!link_->IsRunning())
        return false;
    const auto ready = [this](OscData& d) {
        return (d.mode & MODE_LINKED) != 0 && d.GetVersion() == version_ &&
               (d.changes & CHANGE_ALL_REGISTERS) == 0 && d.cycle_counter > 0;
    };
    if (!WaitFor(ready, 5000))
        return false;
    if (version_ != 4)
        return true;
    // The logic-only variant starts with both channels as logic lines. These sessions drive the
    // capture path with the simulator's analogue signals, which it still sends when asked, so the
    // session asks for them; a test that wants lines sets the bits itself.
    Change([](OscData& d) {
        d.osc_cr = static_cast<std::uint16_t>(d.osc_cr & ~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B));
        d.changes |= CHANGE_CAPTURE;
    });
    return WaitFor(ready, 5000);
}

bool SimSession::WaitFor(const std::function<bool(OscData&)>& condition, DWORD deviceMs)
{
    const DWORD start = clock_.GetTickCount();
    for (;;) {
        const unsigned seen = dispatch_.Handled();
        {
            CSingleLock lock(&DataLock, TRUE);
            if (condition(*GetOscData()))
                return true;
        }
        if (static_cast<DWORD>(clock_.GetTickCount() - start) > deviceMs)
            return false;
        if (!dispatch_.WaitBeyond(seen))
            return false;
    }
}

void SimSession::Change(const std::function<void(OscData&)>& change)
{
    CSingleLock lock(&DataLock, TRUE);
    change(*GetOscData());
}

bool SimSession::WaitFrames(int n, DWORD deviceMs)
{
    for (int i = 0; i < n; ++i) {
        Change([](OscData& d) { d.status &= ~STATUS_FRAME_READY; });
        if (!WaitFor([](OscData& d) { return (d.status & STATUS_FRAME_READY) != 0; }, deviceMs))
            return false;
    }
    return true;
}

void SimSession::Run(DWORD deviceMs)
{
    const DWORD start = clock_.GetTickCount();
    WaitFor([&](OscData&) { return static_cast<DWORD>(clock_.GetTickCount() - start) >= deviceMs; },
            deviceMs + 1000);
}
