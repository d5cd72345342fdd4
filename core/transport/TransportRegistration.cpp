#include "core/transport/TransportRegistration.h"

#include "core/transport/BulkUSB.h"
#include "core/transport/CommFTDI.h"
#include "core/transport/Interfaces.h"
#include "core/transport/WinUSB.h"
#include "platform/usb/SerialDevices.h"
#include "platform/usb/UsbBackend.h"

#include <cstdlib>

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
    probes.serialPorts = !ParsePortList(std::getenv("VELKARO_SERIAL_PORTS")).empty();
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
    // The missing driver is told where it explains an empty list: ports named in
    // VELKARO_SERIAL_PORTS are listed under "FTDI" without it.
    const bool offersPorts = probes.ftdiDriver || probes.serialPorts;
    Interfaces::Register(&CreateFTDI, offersPorts ? "FTDI" : "FTDI (driver not found!)");
}
