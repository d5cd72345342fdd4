#pragma once
// The transport for an instrument on a WinUSB-style interface: one interface whose endpoints
// are one bulk IN and one bulk OUT pipe, reached through libusb. Devices are those named in
// VELKARO_USB_DEVICES and those whose Microsoft OS 2.0 descriptor names the instrument's
// interface GUID; each is described by its product string.
//
// Reads are synchronous with a 10 ms time-out, which paces the link worker when the device is
// silent; each PollRead reads into the start of the armed buffer.

#include "core/transport/UsbDeviceList.h"

#include <memory>
#include <string>
#include <vector>

class UsbDeviceHandle;

class CWinUSB : public CUsbDeviceList {
public:
    static constexpr unsigned kPipeTimeoutMs = 10;
    static constexpr unsigned kZeroLengthWindowMs = 100;
    static constexpr int kPacketSize = 64;

    CWinUSB();
    ~CWinUSB() override;

    bool Enumerate() override;
    bool Open() override;
    void Close() override;
    bool IsOpen() override;
    int Read(void* buffer, int length, int ms) override;
    void BeginRead(void* buffer, int length) override;
    int PollRead() override;
    // The pipe's own time-out is the wait.
    int WaitRead(DWORD ms) override;
    int Write(const void* buffer, int length, int ms) override;
    int Send(const void* buffer, int length) override;
    void Purge() override;

private:
    std::unique_ptr<UsbDeviceHandle> handle_;
    std::uint8_t inPipe_ = 0;
    std::uint8_t outPipe_ = 0;
    std::uint8_t* armed_ = nullptr;
    int armedLength_ = 0;
};
