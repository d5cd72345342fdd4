#pragma once
// The link to the instrument: it owns the chosen transport and one worker thread that holds
// the whole framed conversation. The worker opens each session with the opener (GET_MODE),
// assembles and checks the frames the instrument sends, hands every good one to the
// dispatcher, sends the dispatcher's reply, resends on silence and drops the link after the
// fifth silent period in a row. Between its requests the worker waits in the transport
// (WaitRead) for the instrument rather than polling it, and an instrument at rest is asked
// less often, so a link with nothing to say costs next to nothing.
//
// Two threads use a link: the UI thread (construction, ToggleConnection, Disconnect,
// StopThread, destruction) and the worker. They share the transport under the link's lock:
// the worker uses the transport only while holding the lock and only after seeing the run
// event still set, so once the UI thread has cleared the run event and taken the lock, the
// worker has left the transport and will not come back to it until the next connection.
// The lock is never held across HandlePacket, which may wait for the UI thread.

#include "core/link/PacketDispatch.h"
#include "core/transport/InterfaceChooser.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Thread.h"

#include <atomic>
#include <memory>

class CComm;

class DeviceLink {
public:
    static constexpr int kReceiveArmLength = 2049;
    static constexpr DWORD kDefaultReplyTimeoutMs = 400;
    static constexpr int kTimeoutsBeforeOpener = 3;
    static constexpr int kTimeoutsBeforeDrop = 5;

    // Starts the worker at once; the transport is a plain CComm until a device is chosen. The
    // clock paces the worker and measures its time-outs; it must outlive the link.
    explicit DeviceLink(CPacketDispatch* dispatcher, Clock& clock = CurrentClock());
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Ends the worker and waits for it; harmless when it has already ended.
    void StopThread();

    // The Connect button: disconnects when connected; otherwise closes the current transport,
    // lets the user choose a device and opens it.
    void ToggleConnection();
    // Clears the run event, purges and closes the transport (the object is kept).
    void Disconnect();

    // The run event: the worker is talking (or about to talk) to the device.
    bool IsRunning();

    // Replaces the chooser that ToggleConnection runs (RunInterfaceChooser by default).
    void SetChooser(ChooserFunction chooser);

    // True once StopThread has been called: the worker ends at its next check.
    bool StopRequested() const { return stopping_.load(); }

    // The current transport, for inspection while disconnected.
    CComm* GetTransport() { return transport_.get(); }

    static UINT ThreadProc(void* param);

private:
    UINT Run();
    // Sleeps up to ms on the link's clock in short slices; false when a stop was requested.
    bool Pause(DWORD ms);
    // With the lock held: true when the run event is still set and the transport open; a
    // closed transport clears the run event.
    bool TransportUsable();
    // Whether the complete frame in the receive buffer is the one received before it (which it
    // then becomes).
    bool RepeatsLastAnswer();
    // The dispatcher left the preset state query as its reply: it has nothing of its own to ask.
    bool ReplyIsStateQuery() const;
    void SendReply();

    CPacketDispatch* dispatcher_;
    Clock& clock_;
    CCriticalSection lock_;
    CEvent stopEvent_{FALSE, FALSE};
    CEvent runEvent_{FALSE, TRUE};
    std::atomic<bool> stopping_{false};
    // Counts successful connections, so that a worker that was away (in HandlePacket, in the
    // wait before a reopen) while the user disconnected and connected again starts a new
    // session instead of going on with the old one on the new transport.
    std::atomic<unsigned> connections_{0};
    ChooserFunction chooser_;

    // The worker's buffers live here rather than on its stack so that a read the transport
    // still has armed when the worker ends never points at freed memory: the transport
    // (declared after them) is destroyed first.
    BYTE receiveBuffer_[2060] = {};
    BYTE replyBuffer_[272] = {};
    // The instrument's last complete frame, to tell an instrument at rest from one with news.
    BYTE lastAnswer_[2060] = {};
    int lastAnswerSize_ = 0;

    std::unique_ptr<CComm> transport_;
    CWinThread* thread_ = nullptr;
};
