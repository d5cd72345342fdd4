#include "core/transport/TransportRegistration.h"

#include "core/transport/BulkUSB.h"
#include "core/transport/CommFTDI.h"
#include "core/transport/Interfaces.h"
#include "core/transport/WinUSB.h"
#include "platform/usb/SerialDevices.h"
#include "platform/usb/UsbBackend.h"

namespace {

CComm* CreateWinUSB() { return new CWinUSB(); }
CComm* CreateBulkUSB() { return new CBulkUSB(); }
CComm* CreateFTDI() { return new CCommFTDI(); }

} // namespace

DriverProbes ProbeDrivers()
{
    DriverProbes probes;
    probes.usbLibrary = CurrentUsbBackend().Available();
    probes.ftdiDriver = FtdiDriverPresent(SerialPaths{});
    return probes;
}

void RegisterTransports(TransportSet set)
{
    RegisterTransports(set, ProbeDrivers());
}

void RegisterTransports(TransportSet set, const DriverProbes& probes)
{
    if (set == TransportSet::Velkaro)
        Interfaces::Register(&CreateWinUSB, probes.usbLibrary ? "WinUSB" : "WinUSB (driver not found!)");
    Interfaces::Register(&CreateBulkUSB, "BulkUSB");
    // Only the FTDI answer is kept: Enumerate consults it.
    CCommFTDI::SetDriverFound(probes.ftdiDriver);
    Interfaces::Register(&CreateFTDI, probes.ftdiDriver ? "FTDI" : "FTDI (driver not found!)");
}
