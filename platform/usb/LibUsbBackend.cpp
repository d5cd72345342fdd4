#include "platform/usb/UsbBackend.h"

#include <libusb-1.0/libusb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// The platform capability UUID of Microsoft OS 2.0 descriptors, as stored on the wire.
constexpr std::uint8_t kMsOs20Uuid[16] = {0xDF, 0x60, 0xDD, 0xD8, 0x89, 0x45, 0xC7, 0x4C,
                                          0x9C, 0xD2, 0x65, 0x9D, 0x9E, 0x64, 0x8A, 0x9F};
constexpr std::uint8_t kPlatformCapability = 0x05;
constexpr std::uint16_t kMsOs20DescriptorIndex = 0x07;
constexpr unsigned kControlTimeoutMs = 500;
// Direction IN, vendor request, recipient device.
constexpr std::uint8_t kVendorDeviceIn = 0xC0;

std::string HexId(std::uint16_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value = static_cast<std::uint16_t>(value >> 4))
        text[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return text;
}

std::string PortPath(libusb_device* device)
{
    std::uint8_t ports[8];
    const int n = libusb_get_port_numbers(device, ports, sizeof(ports));
    std::string path = std::to_string(libusb_get_bus_number(device));
    for (int i = 0; i < n; ++i) {
        path.push_back(i == 0 ? '-' : '.');
        path.append(std::to_string(ports[i]));
    }
    return path;
}

std::string StringDescriptor(libusb_device_handle* handle, std::uint8_t index)
{
    if (index == 0)
        return {};
    unsigned char text[256];
    const int n = libusb_get_string_descriptor_ascii(handle, index, text, sizeof(text));
    return n > 0 ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n)) : std::string();
}

// Reads the Microsoft OS 2.0 descriptor set, when the device has one, and looks for the GUID.
bool ReadWinUsbInterface(libusb_device_handle* handle, int& interfaceNumber)
{
    libusb_bos_descriptor* bos = nullptr;
    if (libusb_get_bos_descriptor(handle, &bos) != LIBUSB_SUCCESS || bos == nullptr)
        return false;
    bool found = false;
    for (std::uint8_t i = 0; i < bos->bNumDeviceCaps && !found; ++i) {
        const libusb_bos_dev_capability_descriptor* cap = bos->dev_capability[i];
        // bLength, bDescriptorType, bDevCapabilityType, bReserved, UUID[16],
        // dwWindowsVersion, wMSOSDescriptorSetTotalLength, bMS_VendorCode, bAltEnumCode.
        if (cap == nullptr || cap->bDevCapabilityType != kPlatformCapability || cap->bLength < 28)
            continue;
        const std::uint8_t* data = cap->dev_capability_data; // starts at bReserved
        if (std::memcmp(data + 1, kMsOs20Uuid, sizeof(kMsOs20Uuid)) != 0)
            continue;
        const std::uint16_t total = static_cast<std::uint16_t>(data[21] | (data[22] << 8));
        const std::uint8_t vendorCode = data[23];
        if (total < 10)
            continue;
        std::vector<std::uint8_t> set(total);
        const int n = libusb_control_transfer(handle, kVendorDeviceIn,
                                              vendorCode, 0, kMsOs20DescriptorIndex, set.data(), total, kControlTimeoutMs);
        if (n > 0)
            found = FindWinUsbInterface(set.data(), static_cast<std::size_t>(n), interfaceNumber);
    }
    libusb_free_bos_descriptor(bos);
    return found;
}

// The endpoints of alternate setting 0 of the interface, or of the first interface that has a
// bulk endpoint when the number is not found.
void ReadEndpoints(libusb_device* device, UsbDeviceInfo& info, bool exactInterface)
{
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS || config == nullptr)
        return;
    for (std::uint8_t i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& iface = config->interface[i];
        if (iface.num_altsetting < 1)
            continue;
        const libusb_interface_descriptor& alt = iface.altsetting[0];
        if (exactInterface ? alt.bInterfaceNumber != info.interfaceNumber : false)
            continue;
        std::vector<UsbEndpoint> endpoints;
        bool hasBulk = false;
        for (std::uint8_t e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            endpoints.push_back(UsbEndpoint{ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize});
            hasBulk = hasBulk || (ep.bmAttributes & 0x03) == LIBUSB_TRANSFER_TYPE_BULK;
        }
        if (exactInterface || hasBulk) {
            info.interfaceNumber = alt.bInterfaceNumber;
            info.endpoints = std::move(endpoints);
            break;
        }
    }
    libusb_free_config_descriptor(config);
}

class LibUsbHandle final : public UsbDeviceHandle {
public:
    LibUsbHandle(libusb_context* context, libusb_device_handle* handle, int interfaceNumber)
        : context_(context), handle_(handle), interface_(interfaceNumber)
    {
    }

    ~LibUsbHandle() override
    {
        CancelRead();
        if (transfer_ != nullptr)
            libusb_free_transfer(transfer_);
        libusb_release_interface(handle_, interface_);
        libusb_close(handle_);
    }

    int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, unsigned timeoutMs) override
    {
        std::uint8_t dummy = 0;
        int transferred = 0;
        const int rc = libusb_bulk_transfer(handle_, endpoint, length > 0 ? data : &dummy, length, &transferred, timeoutMs);
        if (rc == LIBUSB_SUCCESS || (rc == LIBUSB_ERROR_TIMEOUT && transferred > 0))
            return transferred;
        return -1;
    }

    bool SubmitRead(std::uint8_t endpoint, std::uint8_t* buffer, int length) override
    {
        CancelRead();
        if (transfer_ == nullptr)
            transfer_ = libusb_alloc_transfer(0);
        if (transfer_ == nullptr || buffer == nullptr || length <= 0)
            return false;
        libusb_fill_bulk_transfer(transfer_, handle_, endpoint, buffer, length, &LibUsbHandle::Done, this, 0);
        completed_ = 0;
        reported_ = false;
        if (libusb_submit_transfer(transfer_) != LIBUSB_SUCCESS)
            return false;
        inFlight_ = true;
        return true;
    }

    int ReapRead(unsigned waitMs) override
    {
        if (inFlight_) {
            timeval tv{static_cast<time_t>(waitMs / 1000), static_cast<suseconds_t>((waitMs % 1000) * 1000)};
            libusb_handle_events_timeout_completed(context_, &tv, &completed_);
        }
        if (inFlight_ || completed_ == 0 || reported_)
            return -1;
        reported_ = true;
        return actual_;
    }

    void CancelRead() override
    {
        if (!inFlight_)
            return;
        libusb_cancel_transfer(transfer_);
        while (inFlight_) {
            timeval tv{0, 100000};
            libusb_handle_events_timeout_completed(context_, &tv, &completed_);
        }
        reported_ = true; // a cancelled read delivers nothing
    }

    bool ClearHalt(std::uint8_t endpoint) override { return libusb_clear_halt(handle_, endpoint) == LIBUSB_SUCCESS; }

private:
    static void LIBUSB_CALL Done(libusb_transfer* transfer)
    {
        auto* self = static_cast<LibUsbHandle*>(transfer->user_data);
        self->actual_ = transfer->status == LIBUSB_TRANSFER_COMPLETED ? transfer->actual_length : 0;
        self->inFlight_ = false;
        self->completed_ = 1;
    }

    libusb_context* context_;
    libusb_device_handle* handle_;
    int interface_;
    libusb_transfer* transfer_ = nullptr;
    bool inFlight_ = false;
    bool reported_ = true;
    int completed_ = 0;
    int actual_ = 0;
};

class LibUsbBackend final : public UsbBackend {
public:
    ~LibUsbBackend() override
    {
        if (context_ != nullptr)
            libusb_exit(context_);
    }

    bool Available() override { return Context() != nullptr; }

    bool List(std::vector<UsbDeviceInfo>& out) override
    {
        out.clear();
        libusb_context* context = Context();
        if (context == nullptr)
            return false;
        const auto listed = ParseUsbDeviceList(std::getenv("VELKARO_USB_DEVICES"));
        libusb_device** devices = nullptr;
        const ssize_t count = libusb_get_device_list(context, &devices);
        if (count < 0)
            return false;
        for (ssize_t i = 0; i < count; ++i) {
            UsbDeviceInfo info;
            if (Describe(devices[i], listed, info))
                out.push_back(std::move(info));
        }
        libusb_free_device_list(devices, 1);
        return true;
    }

    std::unique_ptr<UsbDeviceHandle> Open(const std::string& identity) override
    {
        libusb_context* context = Context();
        if (context == nullptr)
            return nullptr;
        const auto listed = ParseUsbDeviceList(std::getenv("VELKARO_USB_DEVICES"));
        libusb_device** devices = nullptr;
        const ssize_t count = libusb_get_device_list(context, &devices);
        if (count < 0)
            return nullptr;
        std::unique_ptr<UsbDeviceHandle> result;
        for (ssize_t i = 0; i < count && !result; ++i) {
            UsbDeviceInfo info;
            if (!Describe(devices[i], listed, info) || info.identity != identity)
                continue;
            libusb_device_handle* handle = nullptr;
            if (libusb_open(devices[i], &handle) != LIBUSB_SUCCESS)
                continue;
            (void)libusb_set_auto_detach_kernel_driver(handle, 1);
            if (libusb_claim_interface(handle, info.interfaceNumber) != LIBUSB_SUCCESS) {
                libusb_close(handle);
                continue;
            }
            result = std::make_unique<LibUsbHandle>(context, handle, info.interfaceNumber);
        }
        libusb_free_device_list(devices, 1);
        return result;
    }

private:
    libusb_context* Context()
    {
        std::call_once(once_, [this] {
            if (libusb_init(&context_) != LIBUSB_SUCCESS)
                context_ = nullptr;
        });
        return context_;
    }

    // Fills the description of a device we offer; false for every other device.
    static bool Describe(libusb_device* device, const std::vector<std::pair<std::uint16_t, std::uint16_t>>& listed,
                         UsbDeviceInfo& info)
    {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(device, &desc) != LIBUSB_SUCCESS)
            return false;
        if (desc.bDeviceClass == LIBUSB_CLASS_HUB)
            return false;
        info.vendorId = desc.idVendor;
        info.productId = desc.idProduct;
        for (const auto& id : listed)
            info.listed = info.listed || (id.first == desc.idVendor && id.second == desc.idProduct);
        // Only devices of USB 2.01 and later carry the descriptors that name the GUID.
        if (!info.listed && desc.bcdUSB < 0x0201)
            return false;
        libusb_device_handle* handle = nullptr;
        if (libusb_open(device, &handle) != LIBUSB_SUCCESS)
            return false;
        int winUsbInterface = 0;
        info.winUsbInterface = ReadWinUsbInterface(handle, winUsbInterface);
        if (info.listed || info.winUsbInterface) {
            info.product = StringDescriptor(handle, desc.iProduct);
            info.serialNumber = StringDescriptor(handle, desc.iSerialNumber);
        }
        libusb_close(handle);
        if (!info.listed && !info.winUsbInterface)
            return false;
        info.interfaceNumber = winUsbInterface;
        ReadEndpoints(device, info, info.winUsbInterface);
        const std::string ids = HexId(desc.idVendor) + ":" + HexId(desc.idProduct);
        info.identity = info.serialNumber.empty() ? ids + "@" + PortPath(device) : ids + "#" + info.serialNumber;
        if (info.product.empty())
            info.product = ids;
        return true;
    }

    std::once_flag once_;
    libusb_context* context_ = nullptr;
};

std::atomic<UsbBackend*> g_backend{nullptr};

} // namespace

UsbBackend& CurrentUsbBackend()
{
    static LibUsbBackend libusb;
    UsbBackend* backend = g_backend.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : libusb;
}

void SetUsbBackend(UsbBackend* backend)
{
    g_backend.store(backend, std::memory_order_release);
}
