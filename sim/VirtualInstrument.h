#pragma once
// The virtual instrument: it stands in for the hardware and answers the host's frames as the
// instrument does. The host's bytes go in through Receive; the answers come out through
// TakeOutput, each answer as one or more chunks (a chunk is what one read of the transport
// delivers).
//
// It answers the opener (GET_MODE) with MODE, GET_VERSION with the VERSION of the chosen
// variant, GET_STATE with STATE, the settings writes with their acknowledgements and the test
// tool's LA_TEST_WRITE with LA_TEST_READ through a wiring that may carry a fault. It can be
// made silent, slow, or to send broken or split frames.
//
// Answers are produced by Answer(), one type at a time, so the capture engine grows here by
// handling more types. Thread-safe: the host side and a test may use it from two threads.

#include "platform/kernel/Clock.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class VirtualInstrument {
public:
    using Bytes = std::vector<std::uint8_t>;

    // What the logic-port test fixture connects: bus B to bus A and freq_out to ext_trig,
    // unless a fault holds a line at a fixed value.
    struct Wiring {
        bool busStuck = false;
        std::uint8_t busStuckValue = 0;
        bool extTrigStuck = false;
        std::uint8_t extTrigValue = 0;
    };

    struct Counters {
        int framesReceived = 0;
        int badFrames = 0;
        int answers = 0;
        int stateAnswers = 0;
    };

    explicit VirtualInstrument(Clock& clock = CurrentClock());
    virtual ~VirtualInstrument() = default;
    VirtualInstrument(const VirtualInstrument&) = delete;
    VirtualInstrument& operator=(const VirtualInstrument&) = delete;

    // Device variant (VERSION) and the mode MODE reports (3 = running; 1 = boot loader, which
    // makes the host switch the mode and reopen the link).
    void SetVersion(std::uint8_t major, std::uint8_t minor);
    void SetMode(std::uint8_t modeId);
    void SetWiring(const Wiring& wiring);
    // The device registers STATE reports.
    void SetState(std::uint16_t oscSr, std::uint16_t oscCr, std::uint16_t analogCr);

    // Faults: no answers at all; answers delayed by ms; every n-th answer with a wrong CRC
    // (0 = none); answers cut into chunks of this many bytes (0 = whole).
    void SetSilent(bool silent);
    void SetReplyDelay(DWORD ms);
    void SetCorruptEvery(int n);
    void SetSplitSize(int bytes);

    // Bytes from the host; a frame may arrive in pieces. Bytes that form no good frame are
    // dropped (counted as bad frames when a whole frame fails its CRC).
    void Receive(const std::uint8_t* data, std::size_t size);

    // The answer chunks that are due by now, oldest first.
    std::vector<Bytes> TakeOutput();
    bool HasOutputDue();

    // Forgets everything in flight: the host closed or reopened the transport.
    void Disconnect();

    Counters GetCounters();

protected:
    // Fills the answer to one good packet (type and payload, without frame); false for none.
    virtual bool Answer(const std::uint8_t* packet, std::size_t length, Bytes& answer);

    // A packet's bytes from its structure.
    template <typename T>
    static Bytes PacketBytes(const T& packet)
    {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&packet);
        return Bytes(p, p + sizeof(T));
    }

private:
    struct Pending {
        DWORD due;
        Bytes chunk;
    };

    void HandleFrame(const std::uint8_t* packet, std::size_t length);
    void Queue(const Bytes& packet);

    Clock& clock_;
    std::mutex mutex_;
    Bytes input_;
    std::deque<Pending> output_;

    std::uint8_t versionMajor_ = 2;
    std::uint8_t versionMinor_ = 0;
    std::uint8_t modeId_ = 3;
    Wiring wiring_;
    std::uint16_t oscSr_ = 0;
    std::uint16_t oscCr_ = 0;
    std::uint16_t analogCr_ = 0;
    bool silent_ = false;
    DWORD replyDelay_ = 0;
    int corruptEvery_ = 0;
    int splitSize_ = 0;
    Counters counters_;
};
