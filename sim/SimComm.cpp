#include "sim/SimComm.h"

#include "core/transport/Interfaces.h"

#include <algorithm>
#include <cstring>

CSimComm::CSimComm(Clock& clock) : instrument_(std::make_shared<VirtualInstrument>(clock)) {}

CSimComm::CSimComm(std::shared_ptr<VirtualInstrument> instrument) : instrument_(std::move(instrument)) {}

bool CSimComm::Enumerate()
{
    listed_ = true;
    selected_ = -1;
    return true;
}

int CSimComm::GetCount()
{
    return listed_ ? 1 : 0;
}

CString CSimComm::GetDescription(int i)
{
    return listed_ && i == 0 ? CString("Virtual instrument") : CString();
}

bool CSimComm::Select(int i)
{
    if (!listed_ || i != 0)
        return false;
    selected_ = i;
    return true;
}

bool CSimComm::Open()
{
    if (selected_ != 0)
        return false;
    instrument_->Disconnect();
    open_ = true;
    return true;
}

void CSimComm::Close()
{
    Purge();
    open_ = false;
    armed_ = nullptr;
    remaining_ = 0;
}

bool CSimComm::IsOpen()
{
    return open_;
}

void CSimComm::BeginRead(void* buffer, int length)
{
    armed_ = static_cast<std::uint8_t*>(buffer);
    remaining_ = buffer != nullptr && length > 0 ? length : 0;
}

int CSimComm::PollRead()
{
    if (!open_ || armed_ == nullptr || remaining_ <= 0)
        return 0;
    if (pending_.empty())
        for (auto& chunk : instrument_->TakeOutput())
            pending_.push_back(std::move(chunk));
    if (pending_.empty())
        return 0;
    auto& chunk = pending_.front();
    const int n = std::min(static_cast<int>(chunk.size()), remaining_);
    std::memcpy(armed_, chunk.data(), static_cast<std::size_t>(n));
    armed_ += n;
    remaining_ -= n;
    chunk.erase(chunk.begin(), chunk.begin() + n);
    if (chunk.empty())
        pending_.pop_front();
    return n;
}

int CSimComm::WaitRead(DWORD ms)
{
    const int n = PollRead();
    if (n != 0 || ms == 0)
        return n;
    instrument_->WaitForOutput(ms);
    return PollRead();
}

int CSimComm::Write(const void* buffer, int length, int)
{
    if (!open_ || buffer == nullptr || length <= 0)
        return 0;
    instrument_->Receive(static_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(length));
    return length;
}

int CSimComm::Send(const void* buffer, int length)
{
    return Write(buffer, length, 0);
}

void CSimComm::Purge()
{
    pending_.clear();
    instrument_->Disconnect();
}

namespace {

// The variant the demo instrument reports; registration happens once, at start-up.
std::uint8_t g_demoMajor = kDemoVersionMajor;
std::uint8_t g_demoMinor = kDemoVersionMinor;

CComm* CreateDemo()
{
    auto instrument = std::make_shared<VirtualInstrument>();
    instrument->SetVersion(g_demoMajor, g_demoMinor);
    return new CSimComm(instrument);
}

} // namespace

void RegisterDemoInterface(std::uint8_t major, std::uint8_t minor)
{
    g_demoMajor = major;
    g_demoMinor = minor;
    Interfaces::Register(&CreateDemo, "Demo");
}
