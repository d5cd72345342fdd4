#pragma once
// What the interface chooser shows and does, without its window: one object of every
// registered transport, each with the devices it lists, from which the user picks one device.
// The chosen transport leaves the chooser already selected; every other transport object is
// deleted with the chooser.
//
// The chooser dialog builds its tree from Roots() and forwards double and right clicks on a
// device item to Choose and Options.

#include "platform/kernel/CString.h"

#include <functional>
#include <memory>
#include <vector>

class CComm;
class CWnd;

class InterfaceChooser {
public:
    struct Device {
        int index;           // the transport's device index (the child item's data)
        CString description;
    };
    struct Root {
        int entry;           // the registry entry (the root item's data)
        CString name;
        std::vector<Device> devices;
    };

    // Creates one transport per registry entry, in registration order, and lists its devices.
    // An entry whose transport cannot be created shows as a root without devices.
    InterfaceChooser();
    ~InterfaceChooser();
    InterfaceChooser(const InterfaceChooser&) = delete;
    InterfaceChooser& operator=(const InterfaceChooser&) = delete;

    const std::vector<Root>& Roots() const { return roots_; }

    // Takes the transport of root `entry` out of the chooser with device `device` selected;
    // the caller owns it. Null when there is no such device (a root item, a stale index) or the
    // transport was already taken.
    CComm* Choose(int entry, int device);

    // The transport's per-device settings; nothing for an unknown device.
    void Options(int entry, int device, CWnd* parent);

private:
    bool HasDevice(int entry, int device) const;

    std::vector<Root> roots_;
    std::vector<std::unique_ptr<CComm>> transports_;
};

// The function DeviceLink::ToggleConnection runs to let the user choose a transport: it
// returns the chosen, selected transport (the caller owns it) or null when the user cancelled.
// The user interface installs its chooser dialog here; without one, nothing is ever chosen.
using ChooserFunction = std::function<CComm*()>;
void SetChooserFunction(ChooserFunction function);
CComm* RunInterfaceChooser();
