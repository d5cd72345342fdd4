#pragma once
// The transport for an instrument served as two bulk pipes: the first bulk OUT endpoint
// ("PIPE00") and the first bulk IN endpoint ("PIPE01") of a device named in
// VELKARO_USB_DEVICES, used with asynchronous transfers through libusb.
//
// Open succeeds once the device itself opens; whether both pipes were found shows in IsOpen.
// A completed read is reported by one PollRead; later polls return 0 until the next BeginRead.
// WaitRead waits for the armed read in libusb's event handling, so a silent device costs the
// link's worker no wake-ups of its own.

#include "core/transport/UsbDeviceList.h"

#include <memory>
#include <string>
#include <vector>

class UsbDeviceHandle;

class CBulkUSB : public CUsbDeviceList {
public:
    CBulkUSB();
    ~CBulkUSB() override;

    bool Enumerate() override;
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

private:
    std::unique_ptr<UsbDeviceHandle> handle_;
    int inPipe_ = -1;  // -1: the pipe was not found
    int outPipe_ = -1;
    // A read is armed and has not been reported yet: only then can waiting bring bytes.
    bool readArmed_ = false;
};
