#include "sim/PtyInstrumentServer.h"

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
        while (!stop_.load())
            ServeOnce(1);
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
