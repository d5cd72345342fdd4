#include "core/transport/WinUSB.h"

#include "platform/kernel/Clock.h"
#include "platform/usb/UsbBackend.h"

CWinUSB::CWinUSB() = default;

CWinUSB::~CWinUSB()
{
    Close();
}

bool CWinUSB::Enumerate()
{
    return EnumerateDevices(false);
}

bool CWinUSB::Open()
{
    UsbDeviceInfo info;
    bool found = false;
    auto handle = OpenSelected(info, found);
    if (!handle || !found)
        return false;

    // Every pipe of the interface must be bulk; the one with bit 7 set is IN. A failed set-up
    // releases the device again, so the transport reports not open.
    bool haveIn = false, haveOut = false;
    for (const auto& endpoint : info.endpoints) {
        if (!endpoint.IsBulk())
            return false;
        if (endpoint.IsIn()) {
            inPipe_ = endpoint.address;
            haveIn = true;
        } else {
            outPipe_ = endpoint.address;
            haveOut = true;
        }
    }
    if (!haveIn || !haveOut)
        return false;
    handle_ = std::move(handle);
    Purge();
    return true;
}

void CWinUSB::Close()
{
    if (!handle_)
        return;
    Purge();
    handle_.reset();
    armed_ = nullptr;
    armedLength_ = 0;
}

bool CWinUSB::IsOpen()
{
    return handle_ != nullptr;
}

int CWinUSB::Read(void* buffer, int length, int)
{
    if (!handle_ || buffer == nullptr || length <= 0)
        return 0;
    const int n = handle_->BulkTransfer(inPipe_, static_cast<std::uint8_t*>(buffer), length, kPipeTimeoutMs);
    return n > 0 ? n : 0;
}

void CWinUSB::BeginRead(void* buffer, int length)
{
    armed_ = static_cast<std::uint8_t*>(buffer);
    armedLength_ = buffer != nullptr && length > 0 ? length : 0;
}

int CWinUSB::PollRead()
{
    if (!handle_ || armed_ == nullptr || armedLength_ <= 0)
        return 0;
    const int n = handle_->BulkTransfer(inPipe_, armed_, armedLength_, kPipeTimeoutMs);
    if (n < 0)
        return 0;
    if (n % kPacketSize != 0) {
        // A short answer: take up the zero-length packet the device may follow it with, for
        // at most about 100 ms.
        const DWORD start = GetTickCount();
        while (handle_->BulkTransfer(inPipe_, nullptr, 0, kPipeTimeoutMs) < 0 &&
               static_cast<DWORD>(GetTickCount() - start) <= kZeroLengthWindowMs) {
        }
    }
    return n;
}

int CWinUSB::WaitRead(DWORD)
{
    return PollRead();
}

int CWinUSB::Write(const void* buffer, int length, int)
{
    if (!handle_ || buffer == nullptr || length <= 0)
        return 0;
    // libusb does not write through a const pointer; the bytes are not changed.
    auto* bytes = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(buffer));
    const int n = handle_->BulkTransfer(outPipe_, bytes, length, kPipeTimeoutMs);
    return n > 0 ? n : 0;
}

int CWinUSB::Send(const void* buffer, int length)
{
    return Write(buffer, length, 100);
}

void CWinUSB::Purge()
{
    if (!handle_)
        return;
    (void)handle_->ClearHalt(outPipe_);
    (void)handle_->ClearHalt(inPipe_);
}
