#pragma once
// The packet dispatcher the link worker calls: it reads each good frame the instrument sent
// and leaves the one packet the host sends back. All three operations run on the worker
// thread (a dispatcher may also be reset from elsewhere under its own lock).

#include "platform/kernel/CString.h"
#include "platform/kernel/WinTypes.h"

class CPacketDispatch {
public:
    virtual ~CPacketDispatch() = default;

    // Called once per complete good frame: received_frame holds it, reply_frame is preset to
    // a GET_STATE packet. Leave a packet in reply_frame (length at offsets 1-2, type at 3,
    // payload from 4, at most 261 bytes of length); the worker adds the start byte and CRC.
    virtual void HandlePacket() = 0;
    // Forget any exchange in progress: called at each session start and each time-out.
    virtual void Reset() = 0;
    // True when the worker first finds the link connected, false when it finds it dropped.
    virtual void SetConnected(bool connected) = 0;

    // Set once by the worker to its receive buffer (at least 2049 bytes) and reply buffer (at
    // least 265 bytes).
    BYTE* received_frame = nullptr;
    BYTE* reply_frame = nullptr;
    // Cleared before each HandlePacket; a text left here becomes the event log's status.
    CString message;
    // A request to wait longer than the usual 400 ms for the next answer; 0 = none. Only a
    // request above 400 ms changes anything; the worker consumes it.
    DWORD reply_timeout_ms = 0;
    // The device will restart: the worker reopens the transport. Consumed by the worker.
    bool reboot_request = false;
};
