// The capture engine through the device's own protocol: where the trigger lands, decimation,
// min/max pairs, the ring, read-out windows, the STATE counters and status bits, and the
// measurements the device makes on its own.

#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "platform/kernel/ManualClock.h"
#include "sim/SignalSource.h"
#include "sim/VirtualInstrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using State = PacketDataStructure<PACKET_DATA_STATE>;

constexpr std::uint16_t RUN = 0x1;
constexpr std::uint16_t TRIGGER_ON = 0x2;
constexpr std::uint16_t TRIGGER_EXT = 0x4;
constexpr std::uint16_t TRIGGER_B = 0x8;
constexpr std::uint16_t EDGE_1 = 0x10;
constexpr std::uint16_t MIN_MAX = 0x20;
constexpr std::uint16_t EDGE_2 = 0x100;
constexpr std::uint16_t LOGIC_A = 0x200;
constexpr std::uint16_t DIGITAL = 0x800;
constexpr std::uint16_t CH_A = 0x1000;
constexpr std::uint16_t CH_B = 0x2000;
constexpr std::uint16_t RECORDER = 0x4000;

constexpr std::uint16_t CTCH = 0x1;
constexpr std::uint16_t TPREV = 0x2;
constexpr std::uint16_t TROK = 0x4;
constexpr std::uint16_t TRWRK = 0x8;
constexpr std::uint16_t TRBIT = 0x20;

template <class T>
T Val(T value)
{
    return value;
}

// One instrument on a manual clock, spoken to packet by packet.
class Device {
public:
    explicit Device(int version) : sim(clock) { sim.SetVersion(static_cast<std::uint8_t>(version), 0); }

    Bytes Ask(const Bytes& packet)
    {
        Bytes frame(packet.size() + 4);
        SetFrameLength(frame.data(), static_cast<std::uint16_t>(packet.size()));
        std::copy(packet.begin(), packet.end(), frame.begin() + 3);
        frame[0] = FRAME_START;
        frame.back() = Crc8(frame.data(), frame.size() - 1);
        sim.Receive(frame.data(), frame.size());
        Bytes answer;
        for (const auto& chunk : sim.TakeOutput())
            answer.insert(answer.end(), chunk.begin(), chunk.end());
        if (answer.size() < 5 || !CheckFrame(answer.data()))
            return {};
        return Bytes(answer.begin() + 3, answer.end() - 1);
    }

    template <class T>
    Bytes AskWith(const T& request)
    {
        Bytes packet(sizeof(T));
        std::memcpy(packet.data(), &request, sizeof(T));
        return Ask(packet);
    }

    std::uint8_t Start(std::uint16_t oscCr, std::uint32_t samples, std::uint32_t parts = 0, std::int8_t level = 0)
    {
        PacketDataStructure<PACKET_DATA_START_CYCLONE> start{};
        start.data_id = PACKET_DATA_START_CYCLONE;
        start.osc_cr = oscCr;
        start.trigger_value = level;
        start.samples_parts = parts;
        start.samples = samples;
        const Bytes answer = AskWith(start);
        return answer.empty() ? 0 : answer[0];
    }

    State GetState()
    {
        const Bytes answer = Ask({PACKET_DATA_GET_STATE});
        State state{};
        EXPECT_EQ(answer.size(), sizeof(State));
        std::memcpy(&state, answer.data(), std::min(answer.size(), sizeof(State)));
        return state;
    }

    // Polls STATE every millisecond of device time until the capture is complete.
    State WaitCaptured(int maxMs = 100000)
    {
        State state = GetState();
        for (int ms = 0; ms < maxMs && (state.osc_sr & CTCH) == 0; ++ms) {
            clock.Advance(1);
            state = GetState();
        }
        EXPECT_NE(state.osc_sr & CTCH, 0) << "the capture never completed";
        return state;
    }

    // GET_CH; returns the CH header fields through `ch` and the data bytes.
    std::vector<std::int8_t> GetCh(int channel, std::int32_t offset, std::uint32_t length,
                                   std::uint16_t average = 0, std::uint32_t bufOffset = 0,
                                   PacketDataStructure<PACKET_DATA_CH>* header = nullptr)
    {
        PacketDataStructure<PACKET_DATA_GET_CH> get{};
        get.data_id = PACKET_DATA_GET_CH;
        get.offset = offset;
        get.buf_offset = bufOffset;
        get.length = length;
        get.ch = static_cast<std::uint8_t>(channel);
        get.average_length = average;
        const Bytes answer = AskWith(get);
        EXPECT_GE(answer.size(), 15u);
        if (answer.size() < 15)
            return {};
        PacketDataStructure<PACKET_DATA_CH> ch{};
        std::memcpy(&ch, answer.data(), std::min(answer.size(), sizeof(ch)));
        if (header != nullptr)
            *header = ch;
        return std::vector<std::int8_t>(answer.begin() + 15, answer.end());
    }

    ManualClock clock;
    VirtualInstrument sim;
};

// ---------------------------------------------------------------------------------------------
// Trigger placement

TEST(CaptureEngineTest, RisingTriggerEndsTheCaptureHalfAMemoryAfterTheEdge)
{
    Device dev(1);
    SignalSettings signals;
    signals.sineHz = 100000.0; // 400 samples per period at 40 MHz
    signals.sineAmplitude = 100;
    dev.sim.SetSignals(signals);
    dev.sim.SetInputOffset(0, 0);
    const unsigned depth = 131072;
    ASSERT_EQ(dev.Start(RUN | CH_A | TRIGGER_ON | EDGE_1, depth / 2, 0, 20), 28);

    const State s = dev.WaitCaptured();
    EXPECT_NE(s.osc_sr & TROK, 0);
    EXPECT_NE(s.osc_sr & TPREV, 0);
    EXPECT_EQ(s.osc_sr & (TRWRK | TRBIT), 0);
    const auto info = dev.sim.GetCaptureInfo();
    ASSERT_GE(info.triggerAt, depth / 2); // armed only once the pre-trigger half is written
    EXPECT_EQ(Val(s.first_trig_sample), info.triggerAt % depth);
    EXPECT_EQ(Val(s.num_catched_samples), depth / 2);
    EXPECT_EQ(info.end, info.triggerAt + depth / 2);

    // The edge is where the trigger says: below the level one sample before, at or above it on
    // the trigger sample, and no earlier crossing after the arming point.
    const auto memory = dev.sim.GetMemory(0);
    const unsigned t = s.first_trig_sample;
    EXPECT_LT(memory[(t + depth - 1) % depth], 20);
    EXPECT_GE(memory[t], 20);
    // Half a period before: the falling half of the sine.
    EXPECT_LT(memory[(t + depth - 200) % depth], 20);
}

TEST(CaptureEngineTest, FallingEdgeTriggersOnTheWayDown)
{
    Device dev(1);
    SignalSettings signals;
    signals.sineHz = 100000.0;
    signals.sineAmplitude = 100;
    dev.sim.SetSignals(signals);
    const unsigned depth = 131072;
    dev.Start(RUN | CH_A | TRIGGER_ON | EDGE_2, depth / 2 + 1000, 0, -30);
    const State s = dev.WaitCaptured();
    const auto memory = dev.sim.GetMemory(0);
    const unsigned t = s.first_trig_sample;
    EXPECT_GE(memory[(t + depth - 1) % depth], -30);
    EXPECT_LT(memory[t], -30);
    // More post-trigger samples, less pre-trigger fill before arming.
    EXPECT_GE(dev.sim.GetCaptureInfo().triggerAt, depth / 2 - 1000);
    EXPECT_EQ(Val(s.num_catched_samples), depth / 2 + 1000);
}

TEST(CaptureEngineTest, UnreachedLevelKeepsWaitingWithTheTriggerArmed)
{
    Device dev(3);
    dev.Start(RUN | CH_A | TRIGGER_ON | EDGE_1, 20000, 0, 127);
    dev.clock.Advance(2000);
    const State s = dev.GetState();
    EXPECT_EQ(s.osc_sr & (CTCH | TROK), 0);
    EXPECT_NE(s.osc_sr & (TRWRK | TPREV), 0);
}

TEST(CaptureEngineTest, PairCountingVersionsReportWordsAndTheOddTriggerBit)
{
    Device dev(2);
    SignalSettings signals;
    signals.sineHz = 1000000.0; // 80 samples per period at 80 MHz
    signals.sineAmplitude = 90;
    dev.sim.SetSignals(signals);
    // The host asks for (depth / 2) / 2 - 1 words after the trigger.
    const unsigned depth = 3000;
    dev.Start(RUN | CH_A | TRIGGER_ON | EDGE_1, depth / 2 / 2 - 1, 0, 0);
    const State s = dev.WaitCaptured();
    const auto info = dev.sim.GetCaptureInfo();
    ASSERT_GE(info.triggerAt, 0);
    EXPECT_EQ(Val(s.first_trig_sample), (info.triggerAt % depth) / 2);
    EXPECT_EQ((s.osc_sr & TRBIT) != 0, (info.triggerAt & 1) != 0);
    // Finished: the last word, which the host turns back into samples ((n + 1) * 2).
    EXPECT_EQ((Val(s.num_catched_samples) + 1) * 2, depth / 2);

    // Without trigger: words written, and the last word once complete.
    dev.Start(RUN | CH_A, depth / 2 - 1, 999); // 1000 device samples per stored one
    dev.clock.Advance(10);                      // 12.5 us each: 800 samples
    State running = dev.GetState();
    EXPECT_EQ(running.osc_sr & CTCH, 0);
    EXPECT_EQ(Val(running.num_catched_samples), 800u / 2);
    running = dev.WaitCaptured();
    EXPECT_EQ(Val(running.num_catched_samples), depth / 2 - 1);
}

TEST(CaptureEngineTest, ExternalAndLogicConditionsTrigger)
{
    Device dev(5);
    // External input: the generator's square wave, 36 MHz / 36000 = 1 kHz.
    PacketDataStructure<PACKET_DATA_SET_OUT_FREQ> freq{};
    freq.data_id = PACKET_DATA_SET_OUT_FREQ;
    freq.freq = 35999;
    EXPECT_EQ(dev.AskWith(freq)[0], PACKET_DATA_OUT_FREQ_WRITTEN);
    dev.Start(RUN | CH_A | TRIGGER_ON | TRIGGER_EXT | EDGE_1, 2500);
    dev.WaitCaptured();
    auto info = dev.sim.GetCaptureInfo();
    const SignalSource check = [&] {
        SignalSource s(dev.sim.GetSignals());
        s.SetGeneratorHz(1000.0);
        return s;
    }();
    const std::int64_t at = info.startPs + info.triggerAt * info.periodPs;
    EXPECT_TRUE(check.External(at));
    EXPECT_FALSE(check.External(at - info.periodPs));

    // Logic lines of A (a counter) equal to a pattern.
    dev.Start(RUN | CH_A | LOGIC_A | TRIGGER_ON | DIGITAL | EDGE_1, 2500, 0, 0x5A);
    const State s = dev.WaitCaptured();
    const auto memory = dev.sim.GetMemory(0);
    EXPECT_EQ(static_cast<std::uint8_t>(memory[s.first_trig_sample]), 0x5A);
    EXPECT_NE(static_cast<std::uint8_t>(memory[(s.first_trig_sample + 4999) % 5000]), 0x5A);
}

// ---------------------------------------------------------------------------------------------
// Samples: decimation, min/max, logic lines

TEST(CaptureEngineTest, DecimatedSamplesFollowTheSignalAtTheStoredRate)
{
    Device dev(1);
    SignalSettings signals;
    signals.sineHz = 12345.0;
    dev.sim.SetSignals(signals);
    dev.Start(RUN | CH_A | CH_B, 131072, 9);
    dev.WaitCaptured(200000);
    const auto info = dev.sim.GetCaptureInfo();
    EXPECT_EQ(info.periodPs, 10 * 25000); // ten 25 ns samples per stored one
    SignalSource source(dev.sim.GetSignals());
    source.SetOffset(0, dev.sim.GetInputZero(0));
    source.SetOffset(1, dev.sim.GetInputZero(1));
    const auto a = dev.GetCh(0, 1000, 500);
    const auto b = dev.GetCh(1, 1000, 500);
    ASSERT_EQ(a.size(), 500u);
    ASSERT_EQ(b.size(), 500u);
    for (int i = 0; i < 500; ++i) {
        const std::int64_t t = info.startPs + (1000 + i) * info.periodPs;
        ASSERT_EQ(a[i], source.Analog(0, t)) << i;
        ASSERT_EQ(b[i], source.Analog(1, t)) << i;
    }
}

TEST(CaptureEngineTest, MinMaxPairsHoldTheExtremesBetweenStoredSamples)
{
    Device dev(1);
    SignalSettings signals;
    signals.squareHz = 1000.0;
    signals.squareAmplitude = 50;
    dev.sim.SetSignals(signals);
    dev.sim.SetInputOffset(1, 0);
    // 50 us per pair: a 1 kHz square wave changes within every tenth pair.
    dev.Start(RUN | CH_B | MIN_MAX, 65536, 999);
    dev.WaitCaptured(20000);
    PacketDataStructure<PACKET_DATA_CH> header{};
    const auto pairs = dev.GetCh(1, 0, 2000, 0, 0, &header);
    EXPECT_EQ(Val(header.length), 1014u); // at most 2029 bytes: 1014 pairs
    EXPECT_EQ(header.min_max, 1);
    ASSERT_EQ(pairs.size(), 2028u);
    const int zero = dev.sim.GetInputZero(1);
    int edges = 0;
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        ASSERT_LE(pairs[i], pairs[i + 1]);
        if (pairs[i] == zero - 50 && pairs[i + 1] == zero + 50)
            ++edges;
        else
            ASSERT_EQ(pairs[i], pairs[i + 1]);
    }
    // Two edges per 20 pairs.
    EXPECT_NEAR(edges, 1014 / 10, 2);
    // A channel that is not captured reads as zeros.
    const auto a = dev.GetCh(0, 0, 10);
    EXPECT_EQ(a, std::vector<std::int8_t>(20, 0));
}

TEST(CaptureEngineTest, LogicLinesCarryTheCounterAndTheSerialLines)
{
    Device dev(5);
    SignalSettings signals;
    signals.counterHz = 100000.0; // one count per 10 us
    signals.uartBaud = 25000;     // 40 us per bit
    dev.sim.SetSignals(signals);
    dev.Start(RUN | CH_A | CH_B | LOGIC_A | 0x400, 5000); // 2 us per sample
    dev.WaitCaptured();
    const auto a = dev.GetCh(0, 0, 2000);
    for (int i = 5; i + 5 < 2000; i += 5)
        ASSERT_EQ(static_cast<std::uint8_t>(a[i] - a[i - 5]), 1) << i;
    // Line 0 of B: the text as 8N1 frames, 20 samples per bit, beginning with a start bit.
    SignalSource source(signals);
    const auto b = dev.GetCh(1, 0, 2000);
    const auto info = dev.sim.GetCaptureInfo();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(b[i]), source.Logic(1, info.startPs + i * info.periodPs));
    EXPECT_EQ(source.Logic(1, 0) & 1, 0);                            // the start bit
    EXPECT_EQ(source.Logic(1, 40000000 + 1) & 1, 'V' & 1);           // data bit 0 of 'V'
    EXPECT_EQ(source.Logic(1, 9 * 40000000 + 1) & 1, 1);             // the stop bit
}

// ---------------------------------------------------------------------------------------------
// Read-out windows and the ring

TEST(CaptureEngineTest, ReadOutEchoesTheWindowAndWrapsAtTheMemoryEnd)
{
    Device dev(3);
    dev.Start(RUN | CH_A | CH_B, 20000); // both channels: 20000 samples each
    dev.WaitCaptured();
    const auto memory = dev.sim.GetMemory(0);
    ASSERT_EQ(memory.size(), 20000u);
    PacketDataStructure<PACKET_DATA_CH> header{};
    const auto data = dev.GetCh(0, 19990, 20, 0, 123, &header);
    EXPECT_EQ(Val(header.offset), 19990);
    EXPECT_EQ(Val(header.buf_offset), 123u);
    EXPECT_EQ(Val(header.length), 20u);
    ASSERT_EQ(data.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(data[i], memory[(19990 + i) % 20000]);
    // A long request is cut to what one packet holds; channel numbers above 1 read nothing.
    EXPECT_EQ(dev.GetCh(0, 0, 5000).size(), 2029u);
    EXPECT_TRUE(dev.GetCh(2, 0, 10, 0, 0, &header).empty());
    EXPECT_EQ(Val(header.length), 0u);
    // Version 3 leaves averaging to the host.
    EXPECT_EQ(dev.GetCh(0, 0, 100, 4).size(), 100u);
}

TEST(CaptureEngineTest, DeviceAveragingOnVersionsOneAndFive)
{
    Device dev(5);
    dev.Start(RUN | CH_A, 5000, 4);
    dev.WaitCaptured();
    const auto memory = dev.sim.GetMemory(0);
    const auto averaged = dev.GetCh(0, 4990, 6, 4);
    ASSERT_EQ(averaged.size(), 6u);
    for (int j = 0; j < 6; ++j) {
        int sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += memory[(4990 + 4 * j + i) % 5000];
        EXPECT_EQ(averaged[j], sum / 4) << j;
    }
    // Groups as long as the whole memory: one point, the mean of everything.
    PacketDataStructure<PACKET_DATA_CH> header{};
    const auto whole = dev.GetCh(0, 0, 100, 65535, 0, &header);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(Val(header.length), 1u);
    int sum = 0;
    for (const auto v : memory)
        sum += v;
    EXPECT_EQ(whole[0], sum / 5000);
}

TEST(CaptureEngineTest, WordAddressedMemoryReadsFromTheEvenSample)
{
    Device dev(4);
    dev.Start(RUN | CH_A, 1499);
    dev.WaitCaptured();
    const auto memory = dev.sim.GetMemory(0);
    const auto odd = dev.GetCh(0, 101, 4);
    ASSERT_EQ(odd.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(odd[i], memory[100 + i]);
}

TEST(CaptureEngineTest, RecorderWritesARingAndReportsItsWriteAddress)
{
    Device dev(2);
    // 80 MHz / 4000 = 20 kHz: 20 samples per millisecond into 3000 addresses.
    dev.Start(RUN | CH_A | RECORDER, 2999, 3999);
    dev.clock.Advance(100);
    State s = dev.GetState();
    EXPECT_EQ(Val(s.num_catched_samples), 2000u);
    EXPECT_EQ(s.osc_sr & CTCH, 0);
    dev.clock.Advance(100); // 4000 written: the ring went round once
    s = dev.GetState();
    EXPECT_EQ(Val(s.num_catched_samples), 1000u);
    EXPECT_EQ(Val(s.osc_cr), RUN | CH_A | RECORDER);
    // Addresses 2990..2999 hold writes 2990..2999, addresses 0..9 writes 3000..3009.
    const auto data = dev.GetCh(0, 2990, 20);
    ASSERT_EQ(data.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(data[i], dev.sim.GetStoredSample(0, 2990 + i)[0]) << i;
    // A start with bit 0 clear stops the device.
    dev.Start(0, 0);
    s = dev.GetState();
    EXPECT_EQ(Val(s.osc_cr), 0);
    EXPECT_EQ(Val(s.osc_sr), 0);
}

// ---------------------------------------------------------------------------------------------
// What the device measures and keeps

TEST(CaptureEngineTest, FrequencyResponsePointIsAnsweredAfterItsMeasuringTime)
{
    Device dev(1);
    SignalSettings signals;
    signals.generatorAmplitude = 100;
    signals.cutoffHz[0] = 100000.0;
    dev.sim.SetSignals(signals);
    dev.sim.SetInputOffset(0, 4);
    PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE> get{};
    get.data_id = PACKET_DATA_GET_FREQ_RESPONSE;
    get.ch = 0;
    get.freq = 199; // 20 MHz / 200 = 100 kHz: the corner, 1/sqrt(2)
    get.delay = 20;
    get.time_ms = 300;
    EXPECT_TRUE(dev.AskWith(get).empty());
    dev.clock.Advance(319);
    EXPECT_TRUE(dev.sim.TakeOutput().empty());
    dev.clock.Advance(1);
    const auto chunks = dev.sim.TakeOutput();
    ASSERT_EQ(chunks.size(), 1u);
    PacketDataStructure<PACKET_DATA_FREQ_RESPONSE> fr{};
    std::memcpy(&fr, chunks[0].data() + 3, sizeof(fr));
    EXPECT_EQ(fr.data_id, PACKET_DATA_FREQ_RESPONSE);
    EXPECT_EQ(Val(fr.freq), 199u);
    EXPECT_EQ(fr.ave, 4 + (8 * ((0 >> 5) & 7) + 0) % 3 - 1);
    EXPECT_EQ(fr.max - fr.ave, 71); // 100 / sqrt(2)
    EXPECT_EQ(fr.ave - fr.min, 71);
    EXPECT_EQ(dev.sim.GetOutFreq(), 199u);

    // Version 2 measures on the host: the request only gets the state.
    Device v2(2);
    EXPECT_EQ(v2.AskWith(get)[0], PACKET_DATA_STATE);
}

TEST(CaptureEngineTest, DeviceCalibrationReportsEveryStepThenKeepsTheOffsets)
{
    Device dev(3);
    dev.sim.SetInputOffset(0, 5);
    dev.sim.SetInputOffset(1, -7);
    Bytes data = dev.Ask({37});
    ASSERT_EQ(data[0], PACKET_DATA_CALIBRATION_DATA);
    EXPECT_EQ(data[1], 6);
    EXPECT_EQ(data[2], 0); // not calibrated yet
    EXPECT_TRUE(dev.Ask({35}).empty()); // each step takes its time
    for (int step = 0; step < 3; ++step) {
        if (step > 0) {
            EXPECT_TRUE(dev.Ask({PACKET_DATA_GET_STATE}).empty());
        }
        dev.clock.Advance(300);
        const auto chunks = dev.sim.TakeOutput();
        ASSERT_EQ(chunks.size(), 1u);
        PacketDataStructure<PACKET_DATA_CALIBRATION_STEP_DONE> done{};
        std::memcpy(&done, chunks[0].data() + 3, sizeof(done));
        EXPECT_EQ(done.data_id, PACKET_DATA_CALIBRATION_STEP_DONE);
        EXPECT_EQ(Val(done.step), step);
        EXPECT_EQ(Val(done.num_steps), 3);
    }
    EXPECT_FALSE(dev.sim.IsCalibrating());
    EXPECT_EQ(dev.Ask({PACKET_DATA_GET_STATE})[0], PACKET_DATA_STATE);
    data = dev.Ask({37});
    ASSERT_EQ(data.size(), 130u);
    // Per channel: only A on, A off, both on.
    EXPECT_EQ(static_cast<std::int8_t>(data[2]), 4);
    EXPECT_EQ(static_cast<std::int8_t>(data[3]), 5);
    EXPECT_EQ(static_cast<std::int8_t>(data[4]), 6);
    EXPECT_EQ(static_cast<std::int8_t>(data[7]), -6);
    // The zero the input has matches the table's entry for the channels in use.
    dev.Start(RUN | CH_A | CH_B, 10000);
    EXPECT_EQ(dev.sim.GetInputZero(0), 6);
    EXPECT_EQ(dev.sim.GetInputZero(1), -6);
}

TEST(CaptureEngineTest, OffsetDacMovesTheZeroOfItsChannelOnly)
{
    Device dev(2);
    dev.sim.SetInputOffset(0, 3);
    EXPECT_EQ(dev.sim.GetInputZero(0), 3);
    PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD> cmd{};
    cmd.data_id = PACKET_DATA_WRITE_OFFSET_DAC_CMD;
    cmd.cmd = 0x4000 + 16 * 118;
    EXPECT_EQ(dev.AskWith(cmd), (Bytes{40}));
    EXPECT_EQ(dev.sim.GetOffsetDac(0), 118);
    EXPECT_EQ(dev.sim.GetInputZero(0), 3 - 8);
    EXPECT_EQ(dev.sim.GetOffsetDac(1), 128);
    cmd.cmd = 0xC000 + 16 * 0x12;
    dev.AskWith(cmd);
    EXPECT_EQ(dev.sim.GetOffsetDac(1), 0x12);
    // A grounded input captured with the peak detector reads its zero.
    SignalSettings quiet;
    quiet.sineAmplitude = 0;
    dev.sim.SetSignals(quiet);
    dev.Start(RUN | CH_A | MIN_MAX, 1499);
    dev.WaitCaptured();
    const auto pairs = dev.GetCh(0, 0, 10);
    EXPECT_EQ(pairs, std::vector<std::int8_t>(20, static_cast<std::int8_t>(-5)));
}

// A user who follows the calibration dialog has the probes unplugged while it runs: the
// captures the calibration takes see the inputs' zeros, every other capture the signals.
TEST(CaptureEngineTest, CalibrationCapturesSeeTheZerosAndOtherCapturesTheSignals)
{
    // The lowest and highest code of a capture of 2 ms (two sine and one square period).
    const auto range = [](Device& dev, std::uint16_t oscCr, int channel) {
        EXPECT_EQ(dev.Start(RUN | MIN_MAX | oscCr, 999, 159), 28);
        dev.WaitCaptured();
        const auto pairs = dev.GetCh(channel, 0, 1000);
        EXPECT_EQ(pairs.size(), 2000u);
        const auto [low, high] = std::minmax_element(pairs.begin(), pairs.end());
        return low == pairs.end() ? std::pair<int, int>{0, 0} : std::pair<int, int>{*low, *high};
    };
    const auto writeDac = [](Device& dev, int channel, int value) {
        PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD> cmd{};
        cmd.data_id = PACKET_DATA_WRITE_OFFSET_DAC_CMD;
        cmd.cmd = static_cast<std::uint16_t>((channel == 0 ? 0x4000 : 0xC000) + 16 * value);
        EXPECT_EQ(dev.AskWith(cmd), (Bytes{40}));
    };
    using Range = std::pair<int, int>;

    // Version 2 is calibrated by the host: it writes an input's offset DAC and then captures
    // that input alone to see where its zero lies.
    Device dev(2);
    dev.sim.SetInputOffset(0, 3);
    dev.sim.SetInputOffset(1, -2);
    writeDac(dev, 0, 118);
    EXPECT_EQ(range(dev, CH_A, 0), (Range{-5, -5}));
    writeDac(dev, 1, 138);
    dev.GetState();
    dev.GetState();
    EXPECT_EQ(range(dev, CH_B, 1), (Range{6, 6}));

    // The signals are back for the captures that measure nothing of the kind: one after no
    // offset write, one after the generator was set (a frequency-response point), one of
    // another input, one of both inputs.
    const Range sineA{-5 - 80, -5 + 80};
    const Range squareB{6 - 60, 6 + 60};
    EXPECT_EQ(range(dev, CH_A, 0), sineA);
    writeDac(dev, 0, 118);
    PacketDataStructure<PACKET_DATA_SET_OUT_FREQ> freq{};
    freq.data_id = PACKET_DATA_SET_OUT_FREQ;
    freq.freq = 399;
    EXPECT_EQ(dev.AskWith(freq)[0], PACKET_DATA_OUT_FREQ_WRITTEN);
    EXPECT_EQ(range(dev, CH_A, 0), sineA);
    writeDac(dev, 1, 138);
    EXPECT_EQ(range(dev, CH_A, 0), sineA);
    writeDac(dev, 0, 118);
    EXPECT_EQ(range(dev, CH_A | CH_B, 1), squareB);
}

// ---------------------------------------------------------------------------------------------
// The peak detector's view of the signals

TEST(SignalSourceTest, DetectorExtremesAgreeWithTheSamplesAndCoverWholeCycles)
{
    SignalSettings settings;
    settings.sineHz = 1000.0;
    settings.sineAmplitude = 100;
    SignalSource source(settings);
    source.SetOffset(0, 2);
    std::int8_t low = 0;
    std::int8_t high = 0;
    // A quarter period around the crest, sampled (64 samples) and followed (65 and more).
    const std::int64_t quarter = SignalSource::kPsPerSecond / 4000;
    source.AnalogRange(0, quarter / 2, quarter / 2 + quarter, quarter / 64, low, high);
    EXPECT_EQ(high, 102);
    EXPECT_EQ(low, source.Analog(0, quarter / 2));
    source.AnalogRange(0, quarter / 2, quarter / 2 + quarter, quarter / 100, low, high);
    EXPECT_EQ(high, 102);
    EXPECT_EQ(low, source.Analog(0, quarter / 2));
    // Longer than a period: both peaks.
    source.AnalogRange(0, 12345, 12345 + 5 * quarter, 1000, low, high);
    EXPECT_EQ(low, -98);
    EXPECT_EQ(high, 102);

    // Channel B's serial lines over a long stretch: every line that moves is both high and
    // low; lines 4..7 stay low.
    std::uint8_t all = 0;
    std::uint8_t any = 0;
    source.LogicRange(1, 0, SignalSource::kPsPerSecond, 1000000, all, any);
    EXPECT_EQ(all, 0);
    EXPECT_EQ(any, 0x0F);
    // Within one UART stop bit and one SPI gap, nothing moves: line 0 and /CS high.
    settings.uartBaud = 1000;
    settings.spiHz = 1000;
    settings.uartText = "A";
    settings.spiText = "B";
    source.SetSettings(settings);
    const std::int64_t ms = SignalSource::kPsPerSecond / 1000;
    source.LogicRange(1, 9 * ms + 1, 9 * ms + ms / 2 - 1, 1000, all, any);
    EXPECT_EQ(all & 1, 1);
    // The counter over 300 counts has seen every value.
    source.LogicRange(0, 0, 300 * SignalSource::kPsPerSecond / 100000, 10000, all, any);
    EXPECT_EQ(all, 0);
    EXPECT_EQ(any, 0xFF);
}

} // namespace
