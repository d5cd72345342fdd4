#pragma once
// The virtual instrument reached in-process, as a transport with one device. Reads append to
// the armed buffer, one answer chunk per PollRead, so split answers arrive in pieces as they
// do over a serial bridge.

#include "core/transport/Comm.h"
#include "sim/VirtualInstrument.h"

#include <deque>
#include <memory>
#include <vector>

class CSimComm : public CComm {
public:
    // Serves its own instrument.
    explicit CSimComm(Clock& clock = CurrentClock());
    // Serves an instrument the caller keeps (and may reconfigure while the link runs).
    explicit CSimComm(std::shared_ptr<VirtualInstrument> instrument);
    ~CSimComm() override = default;

    bool Enumerate() override;
    int GetCount() override;
    CString GetDescription(int i) override;
    bool Select(int i) override;
    bool Open() override;
    void Close() override;
    bool IsOpen() override;
    void BeginRead(void* buffer, int length) override;
    int PollRead() override;
    // Waits on the instrument's clock for its next answer.
    int WaitRead(DWORD ms) override;
    int Write(const void* buffer, int length, int ms) override;
    int Send(const void* buffer, int length) override;
    void Purge() override;

    VirtualInstrument& Instrument() { return *instrument_; }

private:
    std::shared_ptr<VirtualInstrument> instrument_;
    bool listed_ = false;
    int selected_ = -1;
    bool open_ = false;
    std::uint8_t* armed_ = nullptr;
    int remaining_ = 0;
    std::deque<std::vector<std::uint8_t>> pending_; // chunks taken from the instrument, not yet read
};

// The version the demo instrument reports unless told otherwise: variant 2 with the hardware
// version the programs support for it, so that connecting to it warns of nothing.
inline constexpr std::uint8_t kDemoVersionMajor = 2;
inline constexpr std::uint8_t kDemoVersionMinor = 1;

// Registers the demo instrument ("Demo") in Interfaces, reporting the given hardware version;
// the programs do it after their transports when started with --demo.
void RegisterDemoInterface(std::uint8_t major = kDemoVersionMajor, std::uint8_t minor = kDemoVersionMinor);
