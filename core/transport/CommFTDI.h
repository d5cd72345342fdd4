#pragma once
// The transport for an instrument behind an FTDI USB-serial chip, driven through the kernel's
// ftdi_sio serial driver. Chips are listed from sysfs with their serial numbers and opened by
// serial number, so a chip that comes back as another ttyUSB is still found. Ports named in
// VELKARO_SERIAL_PORTS (other bridges, a pseudo-terminal) are listed after them.
//
// Each listed device keeps its own baud rate, 2000000 after Enumerate. Reads return at once
// and successive PollRead calls append to the armed buffer, so a frame may arrive in pieces.

#include "core/transport/Comm.h"
#include "platform/usb/SerialDevices.h"
#include "platform/usb/SerialPort.h"

#include <functional>
#include <string>
#include <vector>

class CCommFTDI : public CCommDeviceList {
public:
    static constexpr int kDefaultBaudRate = 2000000;
    static constexpr int kLatencyTimerMs = 2;

    // The system's paths, the driver probe made at registration and VELKARO_SERIAL_PORTS.
    CCommFTDI();
    CCommFTDI(const SerialPaths& paths, bool driverFound, std::vector<std::string> listedPorts);
    ~CCommFTDI() override;

    bool Enumerate() override;
    CString GetDescription(int i) override;
    void Options(int i, CWnd* parent) override;
    bool Open() override;
    void Close() override;
    bool IsOpen() override;
    int Transact(const void* tx, int txLength, void* rx, int rxLength, int ms) override;
    int Read(void* buffer, int length, int ms) override;
    void BeginRead(void* buffer, int length) override;
    int PollRead() override;
    int WaitRead(DWORD ms) override;
    int Write(const void* buffer, int length, int ms) override;
    void BeginWrite(const void* buffer, int length) override;
    int Send(const void* buffer, int length) override;
    void Purge() override;

    // The rate device i is opened at; 0 for an unknown device.
    int GetBaudRate(int i) const;
    void SetBaudRate(int i, int rate);

    // The port dialog: shows the rate, lets the user change it, true on OK. The user
    // interface installs it; without one, Options does nothing.
    using BaudDialog = std::function<bool(int& rate, CWnd* parent)>;
    static void SetBaudDialog(BaudDialog dialog);

    // What the registration probe found (the kernel has ftdi_sio); Enumerate lists FTDI chips
    // only when it did.
    static void SetDriverFound(bool found);
    static bool DriverFound();

private:
    struct Device {
        CString description;
        std::string serialNumber; // empty for a port named by path
        std::string path;         // the port's path when listed
        std::string latencyPath;  // the chip's latency timer when listed
        int baudRate = kDefaultBaudRate;
    };

    void Fail(const char* text);

    SerialPaths paths_;
    bool driverFound_;
    std::vector<std::string> listedPorts_;
    std::vector<Device> devices_;
    SerialPort port_;
    unsigned char* armed_ = nullptr;
    int remaining_ = 0;
};
