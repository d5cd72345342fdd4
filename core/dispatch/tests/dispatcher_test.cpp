// The dispatcher's conversation with a scripted device: which request each packet gets, in
// which order of priority, and the bytes of the requests it builds.

#include "support/DispatchTestSupport.h"

#include <map>
#include <string>

namespace {

using OffsetCmd = PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD>;

Packet FreqResponse(std::uint32_t freq, std::int8_t ave, std::int8_t mn, std::int8_t mx)
{
    PacketDataStructure<PACKET_DATA_FREQ_RESPONSE> p{};
    p.data_id = PACKET_DATA_FREQ_RESPONSE;
    p.freq = freq;
    p.ave = ave;
    p.min = mn;
    p.max = mx;
    return Packet::From(p);
}

Packet OutFreqWritten()
{
    PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN> p{};
    p.data_id = PACKET_DATA_OUT_FREQ_WRITTEN;
    return Packet::From(p);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Session start and simple packets

TEST_F(DispatchTest, FirstStateAfterResetAsksForTheVersionWhateverElseIsPending)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().changes = CHANGE_CAPTURE | CHANGE_ANALOG;
        Data().mode |= MODE_RECORDER | MODE_CALIBRATION;
        Data().status |= STATUS_RECORDER_START;
    }
    dispatch.Reset();
    EXPECT_TRUE(dispatch.IsVersionPending());
    const Packet answer = SendState(0);
    EXPECT_EQ(answer.Type(), PACKET_DATA_GET_VERSION);
    EXPECT_EQ(answer.Length(), 1u);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().changes & CHANGE_ALL_REGISTERS, CHANGE_ALL_REGISTERS);
    // The recorder was not started behind the version query's back.
    EXPECT_EQ(Data().osc_cr & OSC_CR_RECORDER, 0);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
}

TEST_F(DispatchTest, ModeAnswersAskForModeThreeAndRebootFromTheBootloader)
{
    PacketDataStructure<PACKET_DATA_MODE> mode{};
    mode.data_id = PACKET_DATA_MODE;

    mode.mode_id = 1;
    Packet answer = Send(Packet::From(mode));
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{PACKET_DATA_SET_MODE, 3}));
    EXPECT_EQ(dispatch.reply_timeout_ms, 1000u);
    EXPECT_TRUE(dispatch.reboot_request);

    dispatch.reply_timeout_ms = 0;
    dispatch.reboot_request = false;
    mode.mode_id = 2;
    answer = Send(Packet::From(mode));
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{PACKET_DATA_SET_MODE, 3}));
    EXPECT_FALSE(dispatch.reboot_request);

    dispatch.reply_timeout_ms = 0;
    mode.mode_id = 3;
    answer = Send(Packet::From(mode));
    EXPECT_EQ(answer.Type(), PACKET_DATA_GET_STATE);
    EXPECT_EQ(dispatch.reply_timeout_ms, 0u);
}

TEST_F(DispatchTest, VersionSelectsTheVariantAndMarksTheDeviceLinked)
{
    EXPECT_EQ(SendVersion(3).Type(), PACKET_DATA_GET_STATE);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().GetVersion(), 3);
        EXPECT_NE(Data().mode & MODE_LINKED, 0u);
        Data().changes = 0;
    }
    EXPECT_FALSE(dispatch.IsVersionPending());
    // Versions 1 and 3 hold calibration data that the host asks for, until they arrive.
    EXPECT_TRUE(dispatch.IsCalibrationReadPending());
    EXPECT_EQ(SendState(0).Type(), 37);
    EXPECT_EQ(SendState(0).Type(), 37);
    PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> cal{};
    cal.data_id = PACKET_DATA_CALIBRATION_DATA;
    Send(Packet::From(cal));
    EXPECT_NE(SendState(0).Type(), 37);
}

TEST_F(DispatchTest, VersionSwitchThatCouldNotRunKeepsAskingForTheVersion)
{
    int switches = 0;
    dispatch.SetVersionSwitch([&](int, int) { ++switches; });
    dispatch.SetUiRunner([](const std::function<void()>&) { return false; });
    PacketDataStructure<PACKET_DATA_VERSION> v{};
    v.data_id = PACKET_DATA_VERSION;
    v.version_major = 2;
    Send(Packet::From(v));
    EXPECT_EQ(switches, 0);
    EXPECT_TRUE(dispatch.IsVersionPending());
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_GET_VERSION);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().mode & MODE_LINKED, 0u);
}

TEST_F(DispatchTest, PacketsShorterThanTheirLayoutChangeNothing)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().changes = CHANGE_CAPTURE;
    }
    const std::uint32_t changesBefore = CHANGE_CAPTURE;

    Packet state;
    state.bytes = {PACKET_DATA_STATE, 0x05, 0x00, 0x01};  // osc_sr and half of osc_cr
    EXPECT_EQ(Send(state).Type(), PACKET_DATA_GET_STATE);
    Packet mode;
    mode.bytes = {PACKET_DATA_MODE};
    EXPECT_EQ(Send(mode).Type(), PACKET_DATA_GET_STATE);
    EXPECT_FALSE(dispatch.reboot_request);
    Packet version;
    version.bytes = {PACKET_DATA_VERSION, 2};
    EXPECT_EQ(Send(version).Type(), PACKET_DATA_GET_STATE);
    Packet calibration;
    calibration.bytes = {PACKET_DATA_CALIBRATION_STEP_DONE, 1, 0, 0, 0};
    EXPECT_EQ(Send(calibration).Type(), PACKET_DATA_GET_STATE);
    Packet ch;
    ch.bytes = {PACKET_DATA_CH, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Send(ch).Type(), PACKET_DATA_GET_STATE);
    Packet unknown;
    unknown.bytes = {45, 1, 2, 3};
    EXPECT_EQ(Send(unknown).Type(), PACKET_DATA_GET_STATE);

    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().GetVersion(), 1);
    EXPECT_EQ(Data().changes, changesBefore);
    EXPECT_EQ(Data().osc_sr, 0);
    EXPECT_EQ(Data().calibration_step, 0);
}

// ---------------------------------------------------------------------------------------------
// Priorities

TEST_F(DispatchTest, CaptureStartGoesBeforeTheAnalogWriteWhichFollowsTheCycleStartAtOnce)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().changes = CHANGE_CAPTURE | CHANGE_ANALOG;
        Data().analog_cr = 0x0022;
    }
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_START_CYCLONE);
    // Repeated until the device reports the new cycle.
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_TRUE(dispatch.IsAnalogWritePending());

    const Packet atCycle = SendBare(28);
    ASSERT_EQ(atCycle.Type(), PACKET_DATA_WRITE_ANALOG_CR);
    EXPECT_EQ(atCycle.bytes, (std::vector<std::uint8_t>{PACKET_DATA_WRITE_ANALOG_CR, 0x22, 0x00}));
    EXPECT_FALSE(dispatch.IsStartRequested());

    // Until the device acknowledges it (type 19) the write is repeated.
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_WRITE_ANALOG_CR);
    EXPECT_EQ(SendBare(19).Type(), PACKET_DATA_GET_STATE);
    EXPECT_NE(SendState(0).Type(), PACKET_DATA_WRITE_ANALOG_CR);
}

TEST_F(DispatchTest, OffsetWritesOnVersionTwoCarryTheDacValue)
{
    Identify(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().offset_dac[0] = 0x12;
        Data().offset_dac[1] = 0x12;
        Data().changes = CHANGE_OFFSET_A | CHANGE_OFFSET_B;
    }
    Packet answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_WRITE_OFFSET_DAC_CMD);
    EXPECT_EQ(Val(answer.As<OffsetCmd>().cmd), 0x4120);
    // A is served first and stays pending until acknowledged.
    EXPECT_EQ(Val(SendState(0).As<OffsetCmd>().cmd), 0x4120);
    SendBare(40);
    answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_WRITE_OFFSET_DAC_CMD);
    EXPECT_EQ(Val(answer.As<OffsetCmd>().cmd), 0xC120);
    SendBare(40);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().changes & (CHANGE_OFFSET_A | CHANGE_OFFSET_B), 0u);
}

TEST_F(DispatchTest, OtherVersionsDropOffsetChangesWithoutAPacket)
{
    Identify(4);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().changes = CHANGE_OFFSET_A | CHANGE_OFFSET_B;
    }
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_GET_STATE);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().changes, CHANGE_OFFSET_B);
    }
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_GET_STATE);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().changes, 0u);
}

TEST_F(DispatchTest, LowPriorityRequestsFollowInTheirOrder)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().changes = CHANGE_LG_CONFIG | CHANGE_OUT_FREQ;
        Data().out_freq = 1234;
    }
    Packet answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_LG_SET_CONFIG);
    const auto lg = answer.As<PacketDataStructure<PACKET_DATA_LG_SET_CONFIG>>();
    EXPECT_EQ(answer.Length(), 15u);
    EXPECT_EQ(Val(lg.ch), 0);
    EXPECT_EQ(Val(lg.bm), 2);
    EXPECT_EQ(Val(lg.prediv), 71999u);
    EXPECT_EQ(Val(lg.retry), 500u);
    EXPECT_EQ(Val(lg.length), 4u);

    answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_SET_OUT_FREQ);
    EXPECT_EQ(Val(answer.As<PacketDataStructure<PACKET_DATA_SET_OUT_FREQ>>().freq), 1234u);
    // Until OUT_FREQ_WRITTEN the frequency is written again.
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_SET_OUT_FREQ);
    Send(OutFreqWritten());
    EXPECT_NE(SendState(0).Type(), PACKET_DATA_SET_OUT_FREQ);
}

TEST_F(DispatchTest, CalibrationDataReachTheVariant)
{
    Identify(5);
    PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> cal{};
    cal.data_id = PACKET_DATA_CALIBRATION_DATA;
    cal.calibration_data_type = 2;
    cal.calibration_data[0] = -3;
    cal.calibration_data[1] = 7;
    EXPECT_EQ(Send(Packet::From(cal)).Type(), PACKET_DATA_GET_STATE);
    EXPECT_FALSE(dispatch.IsCalibrationReadPending());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().GetCalibrationOffset(0), -3);
    EXPECT_EQ(Data().GetCalibrationOffset(1), 7);
}

// ---------------------------------------------------------------------------------------------
// Stop and single shot

TEST_F(DispatchTest, SingleShotStopsAfterOneCapture)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().mode |= MODE_SINGLE;
    }
    SendState(0);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().mode & MODE_STOPPED, 0u);
    }
    SendState(OSC_SR_CTCH, 0x1001, 1000);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
        EXPECT_EQ(Data().mode & MODE_SINGLE, 0u);
        EXPECT_NE(Data().status & STATUS_STOPPED, 0u);
        EXPECT_NE(Data().status & STATUS_CAPTURED, 0u);
    }
    // No new capture is started while stopped: the stored capture is read out instead.
    for (int i = 0; i < 5; ++i) EXPECT_NE(SendState(OSC_SR_CTCH, 0x1001, 1000).Type(), PACKET_DATA_START_CYCLONE);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
}

TEST_F(DispatchTest, TriggerEventsRaiseStatusOnTheRisingEdgeOnly)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().mode |= MODE_WAIT_TRIGGER;
    }
    SendState(OSC_SR_TROK);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().status & STATUS_TRIGGERED, 0u);
        EXPECT_EQ(Data().mode & MODE_WAIT_TRIGGER, 0u);
        Data().status = 0;
    }
    SendState(OSC_SR_TROK);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & STATUS_TRIGGERED, 0u);
}

// ---------------------------------------------------------------------------------------------
// Capture-start builder

class CaptureStartTest : public DispatchTest {
protected:
    StartP Start(std::uint16_t oscCr)
    {
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().osc_cr = oscCr;
            Data().changes = CHANGE_CAPTURE;
        }
        const Packet answer = SendState(0);
        EXPECT_EQ(answer.Type(), PACKET_DATA_START_CYCLONE);
        EXPECT_EQ(answer.Length(), 12u);
        return answer.As<StartP>();
    }
};

TEST_F(CaptureStartTest, EverySourceAndEdge)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().trigger_level[0] = 10;
        Data().trigger_level[1] = -20;
        Data().trigger_offset_samples = 100;
        Data().x_skip = 7;
    }
    struct Case {
        std::uint16_t source;
        int source_index;
        int expected_value;
    };
    const Case cases[] = {{0, 0, 10}, {OSC_CR_TRIGGER_B, 1, -20}, {OSC_CR_TRIGGER_EXT, 2, 0}};
    for (const Case& c : cases) {
        for (std::uint8_t dir = 0; dir <= 2; ++dir) {
            {
                CSingleLock lock(&DataLock, TRUE);
                Data().trigger_dir[c.source_index] = dir;
            }
            // Stale edge bits from an earlier start are cleared first.
            const StartP p = Start(0x1001 | OSC_CR_TRIGGER_ON | c.source | OSC_CR_EDGE_1 | OSC_CR_EDGE_2);
            std::uint16_t edge = 0;
            if (dir == 1) edge = OSC_CR_EDGE_1;
            if (dir == 2) edge = OSC_CR_EDGE_2;
            EXPECT_EQ(Val(p.osc_cr), 0x1001 | OSC_CR_TRIGGER_ON | c.source | edge) << c.source_index << " " << int(dir);
            EXPECT_EQ(Val(p.trigger_value), c.expected_value);
            EXPECT_EQ(Val(p.samples_parts), 7u);
            EXPECT_EQ(Val(p.samples), 131072u / 2 - 100);
            CSingleLock lock(&DataLock, TRUE);
            EXPECT_EQ(Data().osc_cr, Val(p.osc_cr));  // stored back
        }
    }
}

TEST_F(CaptureStartTest, ExactBytesWithoutTrigger)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().x_skip = 0x01020304;
        Data().last_num_catched_samples = 55;
        Data().changes = CHANGE_CAPTURE;
    }
    const Packet answer = SendState(0);
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{27, 0x01, 0x10, 0x00, 0x04, 0x03, 0x02, 0x01,
                                                        0x00, 0x00, 0x02, 0x00}));
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().last_num_catched_samples, 0);
}

TEST_F(CaptureStartTest, LogicTriggerSendsThePatternAndLevelsSaturate)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().trigger_digital = 0xA5;
        Data().trigger_level[0] = 300;
        Data().trigger_level[1] = -300;
    }
    EXPECT_EQ(static_cast<std::uint8_t>(Start(0x1001 | OSC_CR_TRIGGER_ON | OSC_CR_LOGIC_A).trigger_value), 0xA5);
    EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON).trigger_value), 127);
    EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B).trigger_value), -128);
}

TEST_F(CaptureStartTest, CalibrationOffsetAddsToTheLevel)
{
    Identify(5);
    {
        CSingleLock lock(&DataLock, TRUE);
        const signed char offsets[2] = {4, -6};
        Data().SetCalibrationOffsets(2, offsets, 2);
        Data().trigger_level[0] = 10;
        Data().trigger_level[1] = 10;
    }
    EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON).trigger_value), 14);
    EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B).trigger_value), 4);
}

TEST_F(CaptureStartTest, PairCountingDevicesAskInPairsAndNeverANegativeCount)
{
    for (int version : {2, 4}) {
        Identify(version);
        EXPECT_EQ(Val(Start(0x1001).samples), 3000u / 2 - 1) << version;
        EXPECT_EQ(Val(Start(0x1001 | OSC_CR_MIN_MAX).samples), 1500u - 1) << version;
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().trigger_offset_samples = 100;
        }
        EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON).samples), (3000u / 2 - 100) / 2 - 1) << version;
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().trigger_offset_samples = 5000;
        }
        EXPECT_EQ(Val(Start(0x1001 | OSC_CR_TRIGGER_ON).samples), 0u) << version;
        DeleteOscData();
    }
}

// ---------------------------------------------------------------------------------------------
// Frequency response

TEST_F(DispatchTest, DeviceMeasuredResponseStoresPointsAndEndsOnAMismatch)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        FreqResponseRun& fr = Data().freq_response;
        fr.count = 3;
        fr.freq[0] = 10;
        fr.freq[1] = 20;
        fr.freq[2] = 30;
        fr.channel = 1;
        fr.delay = 20;
        fr.time_ms = 300;
        Data().out_freq = 199;
        Data().mode |= MODE_FREQ_RESPONSE;
    }
    Packet answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_GET_FREQ_RESPONSE);
    auto get = answer.As<PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE>>();
    EXPECT_EQ(Val(get.ch), 1);
    EXPECT_EQ(Val(get.freq), 10u);
    EXPECT_EQ(Val(get.delay), 20);
    EXPECT_EQ(Val(get.time_ms), 300);
    EXPECT_EQ(dispatch.reply_timeout_ms, 640u);

    answer = Send(FreqResponse(10, 5, -7, 9));
    ASSERT_EQ(answer.Type(), PACKET_DATA_GET_FREQ_RESPONSE);
    EXPECT_EQ(Val(answer.As<PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE>>().freq), 20u);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().freq_response.index, 1);
        EXPECT_EQ(Data().freq_response.ave[0], 5);
        EXPECT_EQ(Data().freq_response.min[0], -7);
        EXPECT_EQ(Data().freq_response.max[0], 9);
    }

    // A point the device measured at another frequency ends the run.
    EXPECT_EQ(Send(FreqResponse(99, 1, 1, 1)).Type(), PACKET_DATA_GET_STATE);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().mode & MODE_FREQ_RESPONSE, 0u);
        EXPECT_EQ(Data().freq_response.index, 1);
    }
    // The capture restarts, then the saved output frequency is written back.
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_START_CYCLONE);
    SendBare(28);
    answer = SendState(0);
    ASSERT_EQ(answer.Type(), PACKET_DATA_SET_OUT_FREQ);
    EXPECT_EQ(Val(answer.As<PacketDataStructure<PACKET_DATA_SET_OUT_FREQ>>().freq), 199u);
}

TEST_F(DispatchTest, DeviceMeasuredResponseCompletes)
{
    Identify(3);
    {
        CSingleLock lock(&DataLock, TRUE);
        FreqResponseRun& fr = Data().freq_response;
        fr.count = 1;
        fr.freq[0] = 42;
        Data().mode |= MODE_FREQ_RESPONSE;
    }
    ASSERT_EQ(SendState(0).Type(), PACKET_DATA_GET_FREQ_RESPONSE);
    Send(FreqResponse(42, 3, 2, 4));
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().status & STATUS_FR_DONE, 0u);
    EXPECT_EQ(Data().mode & MODE_FREQ_RESPONSE, 0u);
    EXPECT_TRUE(dispatch.IsStartRequested());
}

TEST_F(DispatchTest, DevicesWithoutResponseMeasurementEndTheRunAtOnce)
{
    for (int version : {4, 5}) {
        Identify(version);
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().freq_response.count = 2;
            Data().out_freq = 777;
            Data().mode |= MODE_FREQ_RESPONSE;
        }
        SendState(0);
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().mode & MODE_FREQ_RESPONSE, 0u) << version;
        EXPECT_NE(Data().status & STATUS_FR_DONE, 0u) << version;
        EXPECT_EQ(Data().out_freq, 777u);
        lock.Unlock();
        DeleteOscData();
    }
}

// Version 2 measures each point on the host: set the generator, capture a statistic, read it.
TEST_F(DispatchTest, HostMeasuredResponseSavesTheGeneratorOnceAndRestoresIt)
{
    Identify(2);
    const std::uint32_t original = 399;
    {
        CSingleLock lock(&DataLock, TRUE);
        FreqResponseRun& fr = Data().freq_response;
        fr.count = 2;
        fr.freq[0] = 1000;
        fr.freq[1] = 2000;
        fr.channel = 1;
        fr.time_ms = 300;
        Data().out_freq = original;
        Data().mode |= MODE_FREQ_RESPONSE;
    }
    DeviceMemory memory;
    memory.depth = 1500;
    memory.min_max = true;
    int point = 0;
    memory.value = [&](int, int i) { return static_cast<std::int8_t>((i % 2 == 0 ? -10 : 30) + point); };

    for (point = 0; point < 2; ++point) {
        Packet answer = SendState(0);
        ASSERT_EQ(answer.Type(), PACKET_DATA_SET_OUT_FREQ);
        EXPECT_EQ(Val(answer.As<PacketDataStructure<PACKET_DATA_SET_OUT_FREQ>>().freq), point == 0 ? 1000u : 2000u);
        // Repeated until written; the generator's own frequency is not overwritten meanwhile.
        ASSERT_EQ(SendState(0).Type(), PACKET_DATA_SET_OUT_FREQ);

        Send(OutFreqWritten());
        answer = SendState(0);
        ASSERT_EQ(answer.Type(), PACKET_DATA_START_CYCLONE);
        const StartP start = answer.As<StartP>();
        EXPECT_EQ(Val(start.osc_cr), 0x2021);
        EXPECT_EQ(Val(start.samples), 1499u);

        answer = SendState(OSC_SR_CTCH);
        ASSERT_EQ(answer.Type(), PACKET_DATA_GET_CH);
        EXPECT_EQ(Val(answer.As<GetCh>().length), 1014u);
        EXPECT_EQ(Val(answer.As<GetCh>().ch), 1);
        EXPECT_EQ(Val(answer.As<GetCh>().min_max), 1);
        answer = Send(memory.Answer(answer));
        ASSERT_EQ(answer.Type(), PACKET_DATA_GET_CH);
        EXPECT_EQ(Val(answer.As<GetCh>().offset), 1014);
        EXPECT_EQ(Val(answer.As<GetCh>().length), 486u);
        Send(memory.Answer(answer));
    }
    CSingleLock lock(&DataLock, TRUE);
    const FreqResponseRun& fr = Data().freq_response;
    EXPECT_EQ(fr.ave[0], 10);
    EXPECT_EQ(fr.min[0], -10);
    EXPECT_EQ(fr.max[0], 30);
    EXPECT_EQ(fr.ave[1], 11);
    EXPECT_NE(Data().status & STATUS_FR_DONE, 0u);
    EXPECT_EQ(Data().mode & (MODE_FREQ_RESPONSE | MODE_FR_POINT), 0u);
    EXPECT_EQ(Data().out_freq, original);
    EXPECT_NE(Data().changes & CHANGE_OUT_FREQ, 0u);
}

TEST_F(DispatchTest, HostMeasuredPointDividerFollowsTheGeneratorFrequency)
{
    Identify(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().freq_response.count = 1;
        Data().freq_response.freq[0] = 3;
        Data().freq_response.time_ms = 300;
        Data().mode |= MODE_FREQ_RESPONSE;
    }
    SendState(0);
    Send(OutFreqWritten());
    CSingleLock lock(&DataLock, TRUE);
    // d = 80000 * 300 / 2 / 1500 - 1 = 7999; 40e6 / 80000 / 50 * 8000 = 80000 > 4, so
    // d = 80000 * 4 * 50 / 40e6 = 0.
    EXPECT_EQ(Data().statistic.divider, 0u);
    EXPECT_NE(Data().mode & MODE_FR_POINT, 0u);
    EXPECT_TRUE(Data().statistic.start);
}
