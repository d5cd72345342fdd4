#pragma once
// The virtual instrument: it stands in for the hardware and answers the host's frames as the
// instrument does. The host's bytes go in through Receive; the answers come out through
// TakeOutput, each answer as one or more chunks (a chunk is what one read of the transport
// delivers).
//
// It answers the opener (GET_MODE) with MODE, GET_VERSION with the VERSION of the chosen
// variant, GET_STATE with STATE and its counters, START_CYCLONE by starting a capture cycle
// (type 28), GET_CH with the samples of any window of its memory, the register, offset DAC
// and output frequency writes with their acknowledgements (19, 40, OUT_FREQ_WRITTEN), the
// frequency-response and calibration requests of the versions that measure on their own, and
// the test tool's LA_TEST_WRITE with LA_TEST_READ through a wiring that may carry a fault. It
// can be made silent, slow, or to send broken or split frames.
//
// Its time is the injected clock's; its signals are known functions of that time
// (SignalSource), so a test can compute every sample it stores. While it is being calibrated
// its inputs read their zeros only, as the probes of a user who follows the calibration dialog
// are unplugged. Thread-safe: the host side and a test may use it from two threads.

#include "platform/kernel/Clock.h"
#include "sim/CaptureEngine.h"
#include "sim/SignalSource.h"
#include "sim/SimVariant.h"

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
        int captures = 0;   // START_CYCLONE packets
        int readOuts = 0;   // GET_CH packets
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
    // The signals on the inputs, and each input's own zero offset in codes (what a grounded
    // input reads before any calibration; version 2 adds its offset DAC to it).
    void SetSignals(const SignalSettings& settings);
    SignalSettings GetSignals();
    void SetInputOffset(int channel, int codes);

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
    // Milliseconds until the next answer chunk is due (0 when one is due now), at most `limit`
    // (also when nothing is queued).
    DWORD OutputDueIn(DWORD limit);
    // Waits on the instrument's clock until the next answer chunk is due, at most ms. Only the
    // host gives the instrument work, so the host waiting here misses nothing.
    void WaitForOutput(DWORD ms);

    // Forgets everything in flight: the host closed or reopened the transport.
    void Disconnect();

    Counters GetCounters();

    // What the device holds, for tests.
    CaptureEngine::Info GetCaptureInfo();
    // The whole memory of a channel by address (one byte per sample, two with min/max).
    std::vector<std::int8_t> GetMemory(int channel);
    // The bytes of stored sample w (write count) of the current capture.
    std::vector<std::int8_t> GetStoredSample(int channel, std::int64_t w);
    // The zero offset an input has now, in codes.
    int GetInputZero(int channel);
    std::uint16_t GetAnalogCr();
    std::uint32_t GetOutFreq();
    std::uint8_t GetOffsetDac(int channel);
    // The calibration data the device keeps (empty for versions without any).
    std::vector<std::int8_t> GetCalibrationData();
    bool IsCalibrating();
    // The device's own time, picoseconds since it was made.
    std::int64_t GetDeviceTimePs();

protected:
    // Fills the answer to one good packet (type and payload, without frame); false for none.
    // Called with the instrument's lock held; an answer may be held back further by setting
    // answerDelay_ (ms), as a measurement that takes time is.
    virtual bool Answer(const std::uint8_t* packet, std::size_t length, Bytes& answer);

    DWORD answerDelay_ = 0;

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

    // Parts of Answer.
    std::int64_t NowPs();
    void StateAnswer(Bytes& answer);
    void StartAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer);
    void ChAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer);
    bool FreqResponseAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer);
    void CalibrationStepAnswer(Bytes& answer);
    void OffsetDacWrite(std::uint16_t cmd);
    // Whether a capture of this register set is the host measuring the zero of the input whose
    // offset DAC it has just written.
    bool MeasuresZero(std::uint16_t oscCr) const;
    // The zero offsets follow the variant, the analog register, the channels in use and the
    // offset DACs; recomputed whenever one of them changes.
    void UpdateZeros();
    int ZeroOf(int channel, std::uint16_t oscCr) const;
    std::vector<std::int8_t> MeasuredCalibration() const;

    Clock& clock_;
    std::mutex mutex_;
    Bytes input_;
    std::deque<Pending> output_;

    std::uint8_t versionMajor_ = 2;
    std::uint8_t versionMinor_ = 0;
    std::uint8_t modeId_ = 3;
    Wiring wiring_;
    SimVariant variant_{2};
    SignalSource source_;
    CaptureEngine engine_{source_, variant_};
    int inputOffset_[2] = {3, -2};
    std::uint16_t analogCr_ = 0;
    std::uint32_t outFreq_ = 399;
    std::uint8_t offsetDac_[2] = {128, 128};
    std::vector<std::int8_t> calibration_;
    bool calibrating_ = false;
    // The input whose offset DAC the host wrote last, while only state polls have followed;
    // -1 for none.
    int offsetWritten_ = -1;
    int calibrationStep_ = 0;
    DWORD lastTick_ = 0;
    std::int64_t devicePs_ = 0;
    bool silent_ = false;
    DWORD replyDelay_ = 0;
    int corruptEvery_ = 0;
    int splitSize_ = 0;
    Counters counters_;
};
