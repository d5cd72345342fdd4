#pragma once
// The device list both USB transports keep: the devices that could be opened when the list was
// made, each by its stable identity (it survives the new address a device gets after a restart)
// and described by its product string.

#include "core/transport/Comm.h"

#include <memory>
#include <string>
#include <vector>

class UsbDeviceHandle;
struct UsbDeviceInfo;

class CUsbDeviceList : public CCommDeviceList {
public:
    CString GetDescription(int i) override;

protected:
    // Rebuilds the list; with listedOnly, only devices named in VELKARO_USB_DEVICES are taken.
    // A device that cannot be opened now (in use, no permission) is not offered.
    bool EnumerateDevices(bool listedOnly);

    // Closes the transport and opens the selected device. `info` receives its current listing
    // (endpoints included) and `found` says whether the listing had it. Null when nothing is
    // selected or the device does not open.
    std::unique_ptr<UsbDeviceHandle> OpenSelected(UsbDeviceInfo& info, bool& found);

private:
    std::vector<std::string> identities_;
    std::vector<CString> descriptions_;
};
