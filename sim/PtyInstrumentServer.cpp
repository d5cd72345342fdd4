#include "sim/PtyInstrumentServer.h"

namespace {

constexpr DWORD kIdleWaitMs = 20;

} // namespace

PtyInstrumentServer::PtyInstrumentServer(std::shared_ptr<VirtualInstrument> instrument)
    : instrument_(std::move(instrument))
{
}

PtyInstrumentServer::~PtyInstrumentServer()
{
    Stop();
}

bool PtyInstrumentServer::Start()
{
    if (thread_.joinable())
        return true;
    if (!pty_.Create())
        return false;
    stop_ = false;
    thread_ = std::thread([this] {
        // The terminal is watched until the next answer is due, so an idle instrument wakes
        // its thread only as often as Stop needs it to look.
        while (!stop_.load())
            ServeOnce(static_cast<int>(instrument_->OutputDueIn(kIdleWaitMs)));
    });
    return true;
}

void PtyInstrumentServer::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pty_.Destroy();
}

void PtyInstrumentServer::ServeOnce(int waitMs)
{
    std::uint8_t buffer[512];
    const int n = pty_.Read(buffer, sizeof(buffer), waitMs);
    if (n > 0)
        instrument_->Receive(buffer, static_cast<std::size_t>(n));
    for (const auto& chunk : instrument_->TakeOutput())
        (void)pty_.Write(chunk.data(), static_cast<int>(chunk.size()));
}
