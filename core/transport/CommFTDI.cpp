#include "core/transport/CommFTDI.h"

#include "core/transport/MessageBoxHook.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Sync.h"

#include <atomic>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kSendRoomWaitMs = 100;

std::atomic<bool> g_driverFound{false};

CCriticalSection& DialogLock()
{
    static CCriticalSection lock;
    return lock;
}

CCommFTDI::BaudDialog& Dialog()
{
    static CCommFTDI::BaudDialog dialog;
    return dialog;
}

} // namespace

void CCommFTDI::SetDriverFound(bool found)
{
    g_driverFound.store(found);
}

bool CCommFTDI::DriverFound()
{
    return g_driverFound.load();
}

void CCommFTDI::SetBaudDialog(BaudDialog dialog)
{
    CSingleLock lock(&DialogLock(), TRUE);
    Dialog() = std::move(dialog);
}

CCommFTDI::CCommFTDI() : CCommFTDI(SerialPaths{}, DriverFound(), ParsePortList(std::getenv("VELKARO_SERIAL_PORTS"))) {}

CCommFTDI::CCommFTDI(const SerialPaths& paths, bool driverFound, std::vector<std::string> listedPorts)
    : paths_(paths), driverFound_(driverFound), listedPorts_(std::move(listedPorts))
{
}

CCommFTDI::~CCommFTDI()
{
    Close();
}

void CCommFTDI::Fail(const char* text)
{
    ShowMessageBox(text);
}

bool CCommFTDI::Enumerate()
{
    ResetList();
    devices_.clear();
    bool complete = false;
    if (driverFound_) {
        std::vector<SerialDeviceInfo> ports;
        complete = ListFtdiPorts(paths_, ports);
        for (const auto& port : ports)
            devices_.push_back(Device{port.description, port.serialNumber, port.devicePath, port.latencyPath, kDefaultBaudRate});
    }
    // Named ports need no FTDI driver: they are offered either way.
    for (const auto& path : listedPorts_)
        devices_.push_back(Device{path, {}, path, {}, kDefaultBaudRate});
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        Device& d = devices_[i];
        d.description = StringFormat("FTDI%d: Description=%s SerialNumber=%s", static_cast<int>(i),
                                     d.description.c_str(), d.serialNumber.c_str());
    }
    SetCount(static_cast<int>(devices_.size()));
    return complete;
}

CString CCommFTDI::GetDescription(int i)
{
    return IsListed(i) ? devices_[static_cast<std::size_t>(i)].description : CString();
}

int CCommFTDI::GetBaudRate(int i) const
{
    return IsListed(i) ? devices_[static_cast<std::size_t>(i)].baudRate : 0;
}

void CCommFTDI::SetBaudRate(int i, int rate)
{
    if (IsListed(i))
        devices_[static_cast<std::size_t>(i)].baudRate = rate;
}

void CCommFTDI::Options(int i, CWnd* parent)
{
    if (!IsListed(i))
        return;
    BaudDialog dialog;
    {
        CSingleLock lock(&DialogLock(), TRUE);
        dialog = Dialog();
    }
    int rate = GetBaudRate(i);
    if (dialog && dialog(rate, parent))
        SetBaudRate(i, rate);
}

bool CCommFTDI::Open()
{
    const int selected = GetSelected();
    if (!IsListed(selected))
        return false;
    if (port_.IsOpen())
        Close();
    const Device& device = devices_[static_cast<std::size_t>(selected)];

    // A chip is looked up by its serial number at every open: after a restart it may have
    // come back under another ttyUSB name.
    std::string path = device.path;
    std::string latencyPath = device.latencyPath;
    if (!device.serialNumber.empty()) {
        SerialDeviceInfo found;
        const bool present = FindFtdiPortBySerial(paths_, device.serialNumber, found);
        path = present ? found.devicePath : std::string();
        latencyPath = present ? found.latencyPath : std::string();
    }
    if (path.empty() || !port_.Open(path)) {
        Fail("CCommFTDI::Open - FT_W32_CreateFile error!");
        return false;
    }
    if (!port_.GetState()) {
        Fail("CCommFTDI::Open - FT_W32_GetCommState failed!");
        return false;
    }
    if (!port_.SetState(device.baudRate)) {
        Fail("CCommFTDI::Open - FT_W32_SetCommState failed!");
        return false;
    }
    if (!port_.GetTimeouts()) {
        Fail("CCommFTDI::Open - Unable to obtain timeout information");
        return false;
    }
    if (!port_.SetImmediateReads()) {
        Fail("CCommFTDI::Open - Unable to set timeout information");
        return false;
    }
    // Ports that are not FTDI chips have no latency timer.
    if (!latencyPath.empty() && !WriteLatencyTimer(latencyPath, kLatencyTimerMs)) {
        Fail("CCommFTDI::Open - Unable to set new latancy timer value");
        return false;
    }
    return true;
}

void CCommFTDI::Close()
{
    Purge();
    armed_ = nullptr;
    remaining_ = 0;
    if (port_.IsOpen() && !port_.Close())
        Fail("CCommFTDI::Close: FT_W32_CloseHandle error!");
}

bool CCommFTDI::IsOpen()
{
    return port_.IsOpen();
}

void CCommFTDI::Purge()
{
    if (port_.IsOpen())
        (void)port_.Purge();
}

void CCommFTDI::BeginRead(void* buffer, int length)
{
    armed_ = static_cast<unsigned char*>(buffer);
    remaining_ = buffer != nullptr && length > 0 ? length : 0;
}

int CCommFTDI::PollRead()
{
    return WaitRead(0);
}

int CCommFTDI::WaitRead(DWORD ms)
{
    if (armed_ == nullptr || remaining_ <= 0 || !port_.IsOpen()) {
        // Nothing can be taken in before the next BeginRead: the wait is only slept out.
        if (ms > 0)
            Sleep(ms);
        return 0;
    }
    // The port waits in poll() for the first byte, so a silent device wakes no one.
    const int n = ms > 0 ? port_.ReadWait(armed_, remaining_, static_cast<int>(ms)) : port_.Read(armed_, remaining_);
    if (n <= 0)
        return 0;
    armed_ += n;
    remaining_ -= n;
    return n;
}

int CCommFTDI::Send(const void* buffer, int length)
{
    return Write(buffer, length, kSendRoomWaitMs);
}

int CCommFTDI::Read(void* buffer, int length, int ms)
{
    if (!port_.IsOpen() || buffer == nullptr || length <= 0)
        return 0;
    const int n = port_.ReadWait(buffer, length, ms);
    return n > 0 ? n : 0;
}

int CCommFTDI::Write(const void* buffer, int length, int ms)
{
    if (!port_.IsOpen() || buffer == nullptr || length <= 0)
        return 0;
    const int n = port_.Write(buffer, length, ms);
    return n > 0 ? n : 0;
}

void CCommFTDI::BeginWrite(const void* buffer, int length)
{
    (void)Write(buffer, length, 0);
}

int CCommFTDI::Transact(const void* tx, int txLength, void* rx, int rxLength, int ms)
{
    if (Write(tx, txLength, ms) != txLength)
        return 0;
    return Read(rx, rxLength, ms);
}
