#include "core/link/DeviceLink.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketFrame.h"
#include "core/transport/Comm.h"
#include "core/transport/MessageBoxHook.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr BYTE kOpenerType = 1;   // GET_MODE
constexpr BYTE kPresetType = 21;  // GET_STATE
// While disconnected the worker looks for a connection this often (a stop ends the wait).
constexpr DWORD kIdleMs = 45;
constexpr DWORD kRebootWaitMs = 1000;
// Long waits are cut into slices so that StopThread never waits for more than one.
constexpr DWORD kPauseSliceMs = 10;
// The longest the worker waits in the transport at a time: while the instrument is silent it
// looks at the run event and its time-out this often, and wakes no more often than that.
constexpr DWORD kReadWaitMs = 10;
// Requests keep at least this far apart, so an instrument that answers at once is asked about
// a thousand times a second and no more.
constexpr DWORD kRequestSpacingMs = 1;
// A state query answered exactly as the one before found the instrument at rest: the next one
// waits this long, so an idle instrument is asked a hundred times a second rather than a
// thousand. Any news (or any request of the dispatcher's own) brings the quick pace back.
constexpr DWORD kRestSpacingMs = 10;
// A request that falls further than this behind its slot gives up catching up.
constexpr std::int32_t kMaxLagMs = 2;

void Log(const char* text)
{
    EventLog::Instance()->Write(text);
}

// A packet without payload: length 1 and the type.
void SetBarePacket(BYTE* frame, BYTE type)
{
    SetFrameLength(frame, 1);
    frame[3] = type;
}

} // namespace

DeviceLink::DeviceLink(CPacketDispatch* dispatcher, Clock& clock)
    : dispatcher_(dispatcher), clock_(clock), transport_(std::make_unique<CComm>())
{
    thread_ = AfxBeginThread(&DeviceLink::ThreadProc, this, THREAD_PRIORITY_HIGHEST);
}

DeviceLink::~DeviceLink()
{
    StopThread();
}

void DeviceLink::StopThread()
{
    if (thread_ == nullptr)
        return;
    DWORD code = 0;
    if (GetExitCodeThread(thread_, &code) && code == STILL_ACTIVE) {
        stopping_.store(true);
        stopEvent_.SetEvent();
    }
    thread_->Join();
    delete thread_;
    thread_ = nullptr;
}

bool DeviceLink::IsRunning()
{
    return runEvent_.Lock(0) != FALSE;
}

void DeviceLink::SetChooser(ChooserFunction chooser)
{
    chooser_ = std::move(chooser);
}

void DeviceLink::ToggleConnection()
{
    if (IsRunning()) {
        Disconnect();
        return;
    }
    Log("Connecting to device");
    {
        CSingleLock lock(&lock_, TRUE);
        transport_->Close();
    }

    // The chooser is modal and may take long: it runs without the lock. The worker does not
    // touch the transport meanwhile, as the run event is clear.
    CComm* chosen = chooser_ ? chooser_() : RunInterfaceChooser();

    CSingleLock lock(&lock_, TRUE);
    if (chosen == nullptr) {
        // Cancelled: the previous transport goes back to how it was, the link stays down.
        (void)transport_->Open();
        return;
    }
    if (chosen != transport_.get())
        transport_.reset(chosen);
    if (transport_->Open()) {
        Log("Starting thread");
        connections_.fetch_add(1);
        runEvent_.SetEvent();
        return;
    }
    Log("Error opening device!");
    lock.Unlock();
    ShowMessageBox("Error opening device!");
}

void DeviceLink::Disconnect()
{
    Log("Stopping thread");
    runEvent_.ResetEvent();
    // Taking the lock waits until the worker has left the transport.
    CSingleLock lock(&lock_, TRUE);
    transport_->Purge();
    Log("Disconnecting...");
    transport_->Close();
}

UINT DeviceLink::ThreadProc(void* param)
{
    return static_cast<DeviceLink*>(param)->Run();
}

bool DeviceLink::Pause(DWORD ms)
{
    while (ms > 0) {
        if (stopping_.load())
            return false;
        const DWORD slice = std::min(ms, kPauseSliceMs);
        clock_.Sleep(slice);
        ms -= slice;
    }
    return !stopping_.load();
}

bool DeviceLink::TransportUsable()
{
    if (!runEvent_.Lock(0))
        return false;
    if (!transport_->IsOpen()) {
        runEvent_.ResetEvent();
        return false;
    }
    return true;
}

bool DeviceLink::RepeatsLastAnswer()
{
    const int size = static_cast<int>(std::min<std::size_t>(GetFrameSize(receiveBuffer_), sizeof lastAnswer_));
    const bool same = size == lastAnswerSize_ && std::memcmp(lastAnswer_, receiveBuffer_, static_cast<std::size_t>(size)) == 0;
    std::memcpy(lastAnswer_, receiveBuffer_, static_cast<std::size_t>(size));
    lastAnswerSize_ = size;
    return same;
}

bool DeviceLink::ReplyIsStateQuery() const
{
    return GetFrameLength(replyBuffer_) == 1 && replyBuffer_[3] == kPresetType;
}

void DeviceLink::SendReply()
{
    FinishFrame(replyBuffer_);
    transport_->Send(replyBuffer_, GetFrameLength(replyBuffer_) + static_cast<int>(FRAME_OVERHEAD));
}

UINT DeviceLink::Run()
{
    dispatcher_->received_frame = receiveBuffer_;
    dispatcher_->reply_frame = replyBuffer_;

    bool sessionStart = true;
    bool linked = false;
    int bytes = 0;
    DWORD t0 = 0;
    DWORD lastRequest = 0;
    DWORD replyTimeout = kDefaultReplyTimeoutMs;
    int timeouts = 0;
    unsigned connection = connections_.load();

    for (;;) {
        if (stopEvent_.Lock(0))
            return 0;

        if (!runEvent_.Lock(0)) {
            if (linked) {
                linked = false;
                dispatcher_->SetConnected(false);
            }
            sessionStart = true;
            if (stopEvent_.Lock(kIdleMs))
                return 0;
            continue;
        }
        if (!linked) {
            linked = true;
            dispatcher_->SetConnected(true);
        }

        CSingleLock lock(&lock_, TRUE);
        if (!TransportUsable())
            continue;
        if (connection != connections_.load()) {
            // A new connection: nothing of the previous one's silences or raised time-out
            // carries over.
            connection = connections_.load();
            sessionStart = true;
            timeouts = 0;
            replyTimeout = kDefaultReplyTimeoutMs;
        }

        if (sessionStart) {
            dispatcher_->Reset();
            sessionStart = false;
            t0 = clock_.GetTickCount();
            transport_->BeginRead(receiveBuffer_, kReceiveArmLength);
            bytes = 0;
            lastAnswerSize_ = 0;
            SetBarePacket(replyBuffer_, kOpenerType);
            SendReply();
            lastRequest = t0;
        }

        // The worker waits in the transport for the instrument's bytes, never past the
        // moment its silence becomes a time-out.
        const DWORD waitStart = clock_.GetTickCount();
        const DWORD silent = waitStart - t0;
        const DWORD wait = silent > replyTimeout ? 0 : std::min(kReadWaitMs, replyTimeout - silent + 1);
        const int n = std::max(0, transport_->WaitRead(wait));
        if (n == 0 && wait > 0 && clock_.GetTickCount() == waitStart) {
            // The transport gave up its wait at once (a pseudo-terminal whose other side
            // hung up does): the wait is slept out here, or this loop would spin.
            clock_.Sleep(wait);
        }
        bytes = std::min(bytes + n, kReceiveArmLength);
        if (n > 0) {
            if (CheckFrame(receiveBuffer_) && GetFrameSize(receiveBuffer_) <= bytes) {
                const bool repeated = RepeatsLastAnswer();
                SetBarePacket(replyBuffer_, kPresetType);
                dispatcher_->message.Empty();
                lock.Unlock();
                dispatcher_->HandlePacket();
                if (!dispatcher_->message.IsEmpty())
                    EventLog::Instance()->SetStatus(dispatcher_->message);
                if (dispatcher_->reply_timeout_ms != 0) {
                    if (dispatcher_->reply_timeout_ms > kDefaultReplyTimeoutMs)
                        replyTimeout = dispatcher_->reply_timeout_ms;
                    dispatcher_->reply_timeout_ms = 0;
                }
                // The next request keeps its distance from the last one's slot; the wait holds
                // nothing, so the UI may disconnect meanwhile. A stop asked for meanwhile still
                // lets the reply go: every frame handled is answered. The slots keep to a
                // schedule, as a sleep lasts a little longer than asked: a request a little
                // late is followed by the next one at its own slot, and after a stall the
                // schedule starts again.
                const DWORD spacing = repeated && ReplyIsStateQuery() ? kRestSpacingMs : kRequestSpacingMs;
                DWORD slot = lastRequest + spacing;
                const auto ahead = static_cast<std::int32_t>(slot - clock_.GetTickCount());
                if (ahead > 0)
                    (void)Pause(static_cast<DWORD>(ahead));
                else if (ahead < -kMaxLagMs)
                    slot = clock_.GetTickCount();
                lock.Lock();
                // The UI may have disconnected (and even connected again) while the
                // dispatcher worked: then the reply is dropped with the session.
                if (!TransportUsable() || connection != connections_.load()) {
                    dispatcher_->reboot_request = false; // it belonged to the dropped session
                    continue;
                }
                timeouts = 0;
                t0 = clock_.GetTickCount();
                transport_->BeginRead(receiveBuffer_, kReceiveArmLength);
                bytes = 0;
                SendReply();
                lastRequest = slot;
            }

            if (dispatcher_->reboot_request) {
                dispatcher_->reboot_request = false;
                Log("запланирована перезагрузка...");
                lock.Unlock();
                if (!Pause(kRebootWaitMs))
                    return 0;
                lock.Lock();
                if (!runEvent_.Lock(0) || connection != connections_.load())
                    continue;
                transport_->Close();
                if (transport_->Open()) {
                    sessionStart = true;
                    t0 = clock_.GetTickCount();
                } else {
                    runEvent_.ResetEvent();
                    Log("USB устройство не найдено!");
                    // The link is down: no time-out handling on a closed transport.
                    continue;
                }
            }
        }

        const DWORD now = clock_.GetTickCount();
        if (static_cast<DWORD>(now - t0) > replyTimeout) {
            dispatcher_->Reset();
            t0 = now;
            Log("timeout!");
            bytes = 0;
            lastAnswerSize_ = 0;
            ++timeouts;
            if (timeouts >= kTimeoutsBeforeDrop) {
                timeouts = 0;
                runEvent_.ResetEvent();
                replyTimeout = kDefaultReplyTimeoutMs;
            } else {
                transport_->Purge();
                transport_->BeginRead(receiveBuffer_, kReceiveArmLength);
                if (timeouts >= kTimeoutsBeforeOpener)
                    SetBarePacket(replyBuffer_, kOpenerType);
                SendReply();
                lastRequest = now;
            }
        }
    }
}
