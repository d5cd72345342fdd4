#pragma once
// A transport and a dispatcher driven by a test script, for the link worker's tests.
//
// The transport answers on the worker's own thread: every frame the worker sends is passed to
// the script, which returns the chunks the "device" sends back; each chunk is delivered by one
// PollRead, appended to what the armed read already holds (as the tty transport does). So the
// conversation keeps in step with the worker's clock, whatever the test thread does meanwhile.

#include "core/link/PacketDispatch.h"
#include "core/transport/Comm.h"
#include "platform/kernel/Clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A sealed frame of the type with the payload.
Bytes MakeFrame(std::uint8_t type, const Bytes& payload = {});

// Waits on a condition guarded by its own mutex; fails after a generous real-time limit so that
// a broken test ends instead of hanging.
class Monitor {
public:
    template <typename Pred>
    bool WaitFor(Pred pred)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, kLimit, pred);
    }
    template <typename Fn>
    void Update(Fn fn)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            fn();
        }
        cv_.notify_all();
    }
    std::mutex& Mutex() { return mutex_; }

private:
    static constexpr std::chrono::seconds kLimit{20};
    std::mutex mutex_;
    std::condition_variable cv_;
};

class ScriptedTransport : public CComm {
public:
    struct Sent {
        DWORD time;
        Bytes bytes;
    };
    using Script = std::function<std::vector<Bytes>(const Bytes& sent)>;

    explicit ScriptedTransport(Clock& clock, Script script = {});

    bool Open() override;
    void Close() override;
    bool IsOpen() override;
    void BeginRead(void* buffer, int length) override;
    int PollRead() override;
    // With nothing to deliver it sleeps the wait out on the clock, as a transport blocked on a
    // silent device would.
    int WaitRead(DWORD ms) override;
    int Send(const void* buffer, int length) override;
    void Purge() override;

    // Results of the next Open calls (true once they run out).
    void QueueOpenResults(std::vector<bool> results);
    // The device vanishes (IsOpen false) or comes back.
    void SetOpenState(bool open);
    // Open may succeed, but IsOpen reports false (a pipe that would not open).
    void SetAlwaysClosed(bool closed);
    // Adds a chunk for the next PollRead, from the test thread.
    void Deliver(Bytes chunk);

    std::vector<Sent> Sends();
    int OpenCalls();
    // PollRead and WaitRead calls so far: how often the worker looked at the transport.
    int ReadCalls();
    int CloseCalls();
    bool WaitForSends(std::size_t count);

private:
    // Delivers the next chunk into the armed read; the monitor's mutex is held.
    int TakeChunk();

    Clock& clock_;
    Script script_;
    Monitor monitor_;
    std::deque<bool> openResults_;
    bool open_ = false;
    bool alwaysClosed_ = false;
    std::uint8_t* armed_ = nullptr;
    int armedLength_ = 0;
    int armedFill_ = 0;
    std::deque<Bytes> pending_;
    std::vector<Sent> sends_;
    int openCalls_ = 0;
    int readCalls_ = 0;
    int closeCalls_ = 0;
};

class ScriptedDispatcher : public CPacketDispatch {
public:
    using Handler = std::function<void(ScriptedDispatcher&)>;

    explicit ScriptedDispatcher(Handler handler = {}) : handler_(std::move(handler)) {}

    void HandlePacket() override;
    void Reset() override;
    void SetConnected(bool connected) override;

    // The packet handled (type and payload, without start, length and CRC).
    std::vector<Bytes> Handled();
    int Resets();
    std::vector<bool> ConnectedCalls();

    bool WaitForHandled(std::size_t count);
    bool WaitForConnectedCalls(std::size_t count);
    bool WaitForResets(int count);

    // Writes a packet into the reply frame.
    void Reply(std::uint8_t type, const Bytes& payload = {});

private:
    Handler handler_;
    Monitor monitor_;
    std::vector<Bytes> handled_;
    int resets_ = 0;
    std::vector<bool> connected_;
};

// Lines of the event log written since the given total.
std::vector<std::string> LogLinesSince(std::uint64_t total);
std::uint64_t LogTotal();
// How many of the lines end with the text.
int CountEndingWith(const std::vector<std::string>& lines, const std::string& text);
