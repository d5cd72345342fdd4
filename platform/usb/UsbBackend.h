#pragma once
// USB device access for the two USB transports, through libusb-1.0. The transports see only
// this interface, so that a test can put a scripted backend in its place (SetUsbBackend).
//
// A device is named by a stable identity (vendor, product and serial number, or the port path
// when it has no serial number), not by its bus address: a device that restarts comes back
// with a new address and the same identity.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct UsbEndpoint {
    std::uint8_t address = 0;    // bit 7 set: IN
    std::uint8_t attributes = 0; // bits 0-1: transfer type (2 = bulk)
    std::uint16_t maxPacketSize = 0;

    bool IsBulk() const { return (attributes & 0x03) == 0x02; }
    bool IsIn() const { return (address & 0x80) != 0; }
};

struct UsbDeviceInfo {
    std::string identity;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;
    std::string serialNumber;
    int interfaceNumber = 0;
    std::vector<UsbEndpoint> endpoints; // of that interface, alternate setting 0
    bool listed = false;                // its VID:PID is in VELKARO_USB_DEVICES
    bool winUsbInterface = false;       // its Microsoft OS 2.0 descriptor names the WinUSB GUID
};

// An open device with its interface claimed. Used by one thread at a time.
class UsbDeviceHandle {
public:
    virtual ~UsbDeviceHandle() = default;

    // A synchronous bulk transfer; bytes transferred, or -1 on a failure or time-out with
    // nothing transferred.
    virtual int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, unsigned timeoutMs) = 0;

    // Starts an asynchronous bulk read into buffer (the buffer must stay valid until the read
    // completes or CancelRead returns); false when it could not be started.
    virtual bool SubmitRead(std::uint8_t endpoint, std::uint8_t* buffer, int length) = 0;
    // Waits up to waitMs for the started read; the bytes it delivered (reported once), or -1
    // while it is still pending or when none was started.
    virtual int ReapRead(unsigned waitMs) = 0;
    // Cancels the started read and returns once the buffer is no longer in use.
    virtual void CancelRead() = 0;

    // Clears a halt and resets the endpoint's data toggle.
    virtual bool ClearHalt(std::uint8_t endpoint) = 0;
};

class UsbBackend {
public:
    virtual ~UsbBackend() = default;
    // False when the USB library cannot be initialised.
    virtual bool Available() = 0;
    // The devices that are listed in VELKARO_USB_DEVICES or carry the WinUSB GUID; false
    // when the bus could not be listed.
    virtual bool List(std::vector<UsbDeviceInfo>& out) = 0;
    // Opens the device with this identity and claims its interface; null when it is not there
    // or cannot be opened.
    virtual std::unique_ptr<UsbDeviceHandle> Open(const std::string& identity) = 0;
};

// The backend the transports use: libusb unless a test installed another (null restores it).
UsbBackend& CurrentUsbBackend();
void SetUsbBackend(UsbBackend* backend);

// The VID:PID pairs of a comma-separated "vvvv:pppp" list (hex); malformed entries are skipped.
std::vector<std::pair<std::uint16_t, std::uint16_t>> ParseUsbDeviceList(const char* list);

// Looks through a Microsoft OS 2.0 descriptor set for a registry property that names the
// WinUSB device interface GUID; on success `interfaceNumber` is the interface it applies to
// (0 for a whole-device descriptor). Every length in the set is checked against the data.
bool FindWinUsbInterface(const std::uint8_t* data, std::size_t size, int& interfaceNumber);

// The device interface GUID of the instrument's WinUSB interface.
inline constexpr const char* kWinUsbInterfaceGuid = "{4050C782-2398-4468-9EF1-F756CD52436F}";
