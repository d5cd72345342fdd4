#include "core/transport/UsbDeviceList.h"

#include "platform/usb/UsbBackend.h"

CString CUsbDeviceList::GetDescription(int i)
{
    return IsListed(i) ? descriptions_[static_cast<std::size_t>(i)] : CString();
}

bool CUsbDeviceList::EnumerateDevices(bool listedOnly)
{
    ResetList();
    identities_.clear();
    descriptions_.clear();
    UsbBackend& usb = CurrentUsbBackend();
    std::vector<UsbDeviceInfo> devices;
    if (!usb.List(devices))
        return false;
    for (const auto& device : devices) {
        if ((listedOnly && !device.listed) || !usb.Open(device.identity))
            continue;
        identities_.push_back(device.identity);
        descriptions_.push_back(device.product);
    }
    SetCount(static_cast<int>(identities_.size()));
    return true;
}

std::unique_ptr<UsbDeviceHandle> CUsbDeviceList::OpenSelected(UsbDeviceInfo& info, bool& found)
{
    found = false;
    const int selected = GetSelected();
    if (!IsListed(selected))
        return nullptr;
    Close();
    UsbBackend& usb = CurrentUsbBackend();
    const std::string identity = identities_[static_cast<std::size_t>(selected)];
    auto handle = usb.Open(identity);
    if (!handle)
        return nullptr;
    std::vector<UsbDeviceInfo> devices;
    if (usb.List(devices)) {
        for (auto& device : devices) {
            if (device.identity == identity) {
                info = std::move(device);
                found = true;
                break;
            }
        }
    }
    return handle;
}
