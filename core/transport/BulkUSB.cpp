#include "core/transport/BulkUSB.h"

#include "platform/kernel/Clock.h"
#include "platform/usb/UsbBackend.h"

namespace {

constexpr int kSendTimeoutMs = 100;

} // namespace

CBulkUSB::CBulkUSB() = default;

CBulkUSB::~CBulkUSB()
{
    Close();
}

bool CBulkUSB::Enumerate()
{
    return EnumerateDevices(true);
}

bool CBulkUSB::Open()
{
    UsbDeviceInfo info;
    bool found = false;
    auto handle = OpenSelected(info, found);
    if (!handle)
        return false;
    // Without a listing the device stays open with no pipes, which IsOpen reports.
    if (found) {
        for (const auto& endpoint : info.endpoints) {
            if (!endpoint.IsBulk())
                continue;
            if (endpoint.IsIn() && inPipe_ < 0)
                inPipe_ = endpoint.address;
            else if (!endpoint.IsIn() && outPipe_ < 0)
                outPipe_ = endpoint.address;
        }
    }
    handle_ = std::move(handle);
    return true;
}

void CBulkUSB::Close()
{
    Purge();
    handle_.reset();
    inPipe_ = -1;
    outPipe_ = -1;
}

bool CBulkUSB::IsOpen()
{
    return handle_ != nullptr && inPipe_ >= 0 && outPipe_ >= 0;
}

void CBulkUSB::Purge()
{
    if (handle_)
        handle_->CancelRead();
    readArmed_ = false;
}

void CBulkUSB::BeginRead(void* buffer, int length)
{
    if (!IsOpen())
        return;
    handle_->CancelRead();
    readArmed_ = handle_->SubmitRead(static_cast<std::uint8_t>(inPipe_), static_cast<std::uint8_t*>(buffer), length);
}

int CBulkUSB::PollRead()
{
    return WaitRead(0);
}

int CBulkUSB::WaitRead(DWORD ms)
{
    if (!IsOpen() || !readArmed_) {
        // Nothing can arrive before the next BeginRead: the wait is only slept out.
        if (ms > 0)
            Sleep(ms);
        return 0;
    }
    const int n = handle_->ReapRead(ms);
    if (n < 0)
        return 0;
    readArmed_ = false;
    return n;
}

int CBulkUSB::Read(void* buffer, int length, int ms)
{
    if (!IsOpen() || buffer == nullptr || length <= 0)
        return 0;
    handle_->CancelRead();
    readArmed_ = false;
    const int n = handle_->BulkTransfer(static_cast<std::uint8_t>(inPipe_), static_cast<std::uint8_t*>(buffer), length,
                                        ms > 0 ? static_cast<unsigned>(ms) : 1u);
    return n > 0 ? n : 0;
}

int CBulkUSB::Write(const void* buffer, int length, int ms)
{
    if (!IsOpen() || buffer == nullptr || length <= 0)
        return 0;
    // libusb does not write through a const pointer; the bytes are not changed.
    auto* bytes = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(buffer));
    const int n = handle_->BulkTransfer(static_cast<std::uint8_t>(outPipe_), bytes, length,
                                        ms > 0 ? static_cast<unsigned>(ms) : 1u);
    return n > 0 ? n : 0;
}

void CBulkUSB::BeginWrite(const void* buffer, int length)
{
    // Nothing in the programs starts a write without waiting for it; a short synchronous
    // write keeps the caller's buffer out of any transfer that outlives the call.
    (void)Write(buffer, length, kSendTimeoutMs);
}

int CBulkUSB::Send(const void* buffer, int length)
{
    return Write(buffer, length, kSendTimeoutMs);
}

int CBulkUSB::Transact(const void* tx, int txLength, void* rx, int rxLength, int ms)
{
    if (!IsOpen() || rx == nullptr || rxLength <= 0)
        return 0;
    // The exchange takes the IN pipe: an armed read is replaced.
    readArmed_ = false;
    if (!handle_->SubmitRead(static_cast<std::uint8_t>(inPipe_), static_cast<std::uint8_t*>(rx), rxLength))
        return 0;
    if (Write(tx, txLength, ms) != txLength) {
        handle_->CancelRead();
        return 0;
    }
    const int n = handle_->ReapRead(ms > 0 ? static_cast<unsigned>(ms) : 0u);
    if (n < 0) {
        handle_->CancelRead();
        return 0;
    }
    return n;
}
