// Channel data reception against a device memory filled with known ramps: the screen read-out
// with and without host averaging, the full-memory and statistic read-outs, and the checks on
// what a CH packet claims.

#include "support/DispatchTestSupport.h"

#include <climits>

namespace {

class ReceptionTest : public DispatchTest {
protected:
    // A stopped view without trigger: the next STATE (capture not complete) plans a screen
    // read of the stored capture from sample 0.
    void StoppedView(int version, std::uint16_t oscCr, int zoomOutHw = 1)
    {
        Identify(version);
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = oscCr;
        Data().mode |= MODE_STOPPED;
        Data().x_zoom_out_hw = zoomOutHw;
        Data().x_zoom_out_sw = 1;
        Data().x_zoom_in = 1;
        Data().x_offset = 0;
    }

    // Answers requests from the memory until the dispatcher asks for something else.
    Packet Serve(Packet request, int limit = 1000)
    {
        for (int i = 0; i < limit && request.Type() == PACKET_DATA_GET_CH; ++i)
            request = Send(memory.Answer(request));
        return request;
    }

    std::uint32_t Status()
    {
        CSingleLock lock(&DataLock, TRUE);
        return Data().status;
    }

    DeviceMemory memory;
};

std::int8_t RampA(int, int i)
{
    return static_cast<std::int8_t>(i * 7 + 3);
}

std::int8_t Ramps(int channel, int i)
{
    return static_cast<std::int8_t>(channel == 0 ? i : -i - 5);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Screen read-out, one CH per channel

TEST_F(ReceptionTest, BothChannelsReachTheScreenTogetherWithChannelBsPacket)
{
    StoppedView(1, 0x1001 | OSC_CR_CH_B_ON);
    memory.depth = 131072;
    memory.value = Ramps;

    Packet request = SendState(0, 0x3001, 300);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    GetCh get = request.As<GetCh>();
    EXPECT_EQ(Val(get.ch), 0);
    EXPECT_EQ(Val(get.offset), 0);
    EXPECT_EQ(Val(get.buf_offset), 0u);
    EXPECT_EQ(Val(get.length), 300u);
    EXPECT_EQ(Val(get.average_length), 1);
    EXPECT_EQ(Val(get.min_max), 0);
    EXPECT_FALSE(dispatch.message.IsEmpty());  // the plan's report

    request = Send(memory.Answer(request));
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    get = request.As<GetCh>();
    EXPECT_EQ(Val(get.ch), 1);
    EXPECT_EQ(Val(get.length), 300u);
    {
        CSingleLock lock(&DataLock, TRUE);
        for (int i = 0; i < 300; ++i) ASSERT_EQ(Data().screen_points[0][i], 0) << i;
        EXPECT_EQ(Data().status & STATUS_FRAME_READY, 0u);
    }

    Send(memory.Answer(request));
    CSingleLock lock(&DataLock, TRUE);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(Data().screen_points[0][i], Ramps(0, i)) << i;
        ASSERT_EQ(Data().screen_points[1][i], Ramps(1, i)) << i;
    }
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
    EXPECT_EQ(Data().valid_points, 300);
}

TEST_F(ReceptionTest, ACompleteTriggeredFrameStartsTheNextCapture)
{
    Identify(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1003;  // trigger on channel A
        Data().x_zoom_out_hw = Data().x_zoom_out_sw = Data().x_zoom_in = 1;
    }
    memory.depth = 131072;
    memory.value = RampA;
    const Packet request = SendState(OSC_SR_CTCH | OSC_SR_TROK, 0x1003, 131072, 70000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().length), 300u);
    EXPECT_TRUE(dispatch.IsCaptureDone());
    const int offset = Val(request.As<GetCh>().offset);

    const Packet next = Send(memory.Answer(request));
    EXPECT_EQ(next.Type(), PACKET_DATA_START_CYCLONE);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(Data().screen_points[0][i], RampA(0, offset + i)) << i;
}

TEST_F(ReceptionTest, BlocksOutsideTheScreenAreRejected)
{
    StoppedView(1, 0x1001);
    memory.depth = 131072;
    memory.value = RampA;
    ASSERT_EQ(SendState(0, 0x1001, 300).Type(), PACKET_DATA_GET_CH);

    EXPECT_EQ(SendCh(0, 299, 2, 0, 0, {1, 2}).Type(), PACKET_DATA_GET_STATE);
    EXPECT_EQ(SendCh(0, 301, 0, 0, 0, {}).Type(), PACKET_DATA_GET_STATE);
    EXPECT_EQ(SendCh(0, 0xFFFFFFFFu, 2, 0, 0, {1, 2}).Type(), PACKET_DATA_GET_STATE);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().screen_points[0][299], 0);
    EXPECT_EQ(Data().status & STATUS_FRAME_READY, 0u);
}

TEST_F(ReceptionTest, AClaimedLengthNeverReachesBeyondTheFrameOrTheRequest)
{
    StoppedView(1, 0x1001);
    ASSERT_EQ(SendState(0, 0x1001, 10).Type(), PACKET_DATA_GET_CH);  // asks for 10 samples

    // Claims 300 samples, carries 4, was asked for 10: the 4 it carries are taken.
    SendCh(0, 0, 300, 0, 0, {11, 12, 13, 14});
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().screen_points[0][3], 14);
        EXPECT_EQ(Data().screen_points[0][4], 0);
    }

    ASSERT_EQ(SendState(0, 0x1001, 10).Type(), PACKET_DATA_GET_CH);
    std::vector<std::int8_t> full(2029, 9);
    SendCh(0, 0, 2029, 0, 0, full);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().screen_points[0][9], 9);
    EXPECT_EQ(Data().screen_points[0][10], 0);
}

TEST_F(ReceptionTest, OddStartOnAPairCountingDeviceDropsTheExtraSample)
{
    StoppedView(2, 0x1001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().x_offset = 1;
    }
    memory.depth = 3000;
    memory.value = RampA;
    const Packet request = SendState(0, 0x1001, 301);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 0);
    EXPECT_EQ(Val(request.As<GetCh>().length), 301u);
    EXPECT_TRUE(dispatch.GetReadOut().odd_start);

    Serve(request);
    CSingleLock lock(&DataLock, TRUE);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(Data().screen_points[0][i], RampA(0, i + 1)) << i;
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
}

TEST_F(ReceptionTest, ResetDropsPointsWaitingForTheSecondChannel)
{
    StoppedView(1, 0x3001);
    memory.depth = 131072;
    memory.value = Ramps;
    const Packet request = SendState(0, 0x3001, 300);
    const Packet forB = Send(memory.Answer(request));  // A's points wait in the dispatcher
    ASSERT_EQ(Val(forB.As<GetCh>().ch), 1);

    dispatch.Reset();
    Send(memory.Answer(forB));  // a late answer after the link's time-out
    CSingleLock lock(&DataLock, TRUE);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(Data().screen_points[0][i], 0) << i;
        ASSERT_EQ(Data().screen_points[1][i], 0) << i;
    }
    EXPECT_EQ(Data().status & STATUS_FRAME_READY, 0u);
}

TEST_F(ReceptionTest, ANewPlanDropsPointsOfTheReadOutItReplaces)
{
    StoppedView(1, 0x3001);
    memory.depth = 131072;
    memory.value = Ramps;
    Send(memory.Answer(SendState(0, 0x3001, 300)));  // A's points wait for B
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x2001;  // now only B is on
    }
    const Packet request = SendState(0, 0x2001, 300);
    ASSERT_EQ(Val(request.As<GetCh>().ch), 1);
    Send(memory.Answer(request));
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().screen_points[1][10], Ramps(1, 10));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(Data().screen_points[0][i], 0) << i;
}

TEST_F(ReceptionTest, ARedrawRequestDropsTheRunningReadOut)
{
    StoppedView(1, 0x3001);
    memory.depth = 131072;
    memory.value = Ramps;
    const Packet forB = Send(memory.Answer(SendState(0, 0x3001, 300)));
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().status |= STATUS_REDRAW;
    }
    EXPECT_EQ(Send(memory.Answer(forB)).Type(), PACKET_DATA_GET_STATE);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & (STATUS_REDRAW | STATUS_FRAME_READY), 0u);
    EXPECT_EQ(Data().screen_points[1][10], 0);
    EXPECT_FALSE(dispatch.GetReadOut().second_pending);
}

// ---------------------------------------------------------------------------------------------
// Host averaging

TEST_F(ReceptionTest, AveragingPlainSamplesAsksForAllOfThemAtOnce)
{
    StoppedView(1, 0x1001, 4);
    memory.depth = 131072;
    memory.value = RampA;
    const Packet request = SendState(0, 0x1001, 1200);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1200u);
    EXPECT_EQ(Val(request.As<GetCh>().average_length), 4);
    EXPECT_TRUE(dispatch.GetReadOut().averaging);

    EXPECT_NE(Send(memory.Answer(request)).Type(), PACKET_DATA_GET_CH);
    CSingleLock lock(&DataLock, TRUE);
    for (int p = 0; p < 300; ++p) {
        int sum = 0;
        for (int j = 0; j < 4; ++j) sum += RampA(0, 4 * p + j);
        ASSERT_EQ(Data().screen_points[0][p], sum / 4) << p;
    }
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
    EXPECT_FALSE(dispatch.GetReadOut().averaging);
}

TEST_F(ReceptionTest, AveragingMinMaxPairsTakesTwoRequests)
{
    StoppedView(1, 0x1001 | OSC_CR_MIN_MAX, 4);
    memory.depth = 65536;
    memory.min_max = true;
    // Sample i is the pair (i % 50 - 60, i % 50 + 10); the memory index j is a byte.
    memory.value = [](int, int j) {
        const int i = j / 2;
        return static_cast<std::int8_t>(j % 2 == 0 ? i % 50 - 60 : i % 50 + 10);
    };
    Packet request = SendState(0, 0x1021, 1200);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1014u);
    EXPECT_EQ(Val(request.As<GetCh>().min_max), 1);

    request = Send(memory.Answer(request));
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 1014);
    EXPECT_EQ(Val(request.As<GetCh>().length), 186u);
    EXPECT_EQ(Val(request.As<GetCh>().buf_offset), 0u);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().status & STATUS_FRAME_READY, 0u);
    }
    Send(memory.Answer(request));
    CSingleLock lock(&DataLock, TRUE);
    for (int p = 0; p < 300; ++p) {
        int low = INT_MAX;
        int high = INT_MIN;
        for (int j = 0; j < 4; ++j) {
            low = std::min(low, (4 * p + j) % 50 - 60);
            high = std::max(high, (4 * p + j) % 50 + 10);
        }
        ASSERT_EQ(Data().screen_points[0][2 * p], low) << p;
        ASSERT_EQ(Data().screen_points[0][2 * p + 1], high) << p;
    }
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
}

TEST_F(ReceptionTest, AveragingBothChannelsReadsBAfterA)
{
    StoppedView(3, 0x3001, 2);
    {
        CSingleLock lock(&DataLock, TRUE);
        memory.depth = Data().GetMemoryDepth();
    }
    memory.value = Ramps;
    Packet request = SendState(0, 0x3001, 600);
    ASSERT_EQ(Val(request.As<GetCh>().length), 600u);
    request = Send(memory.Answer(request));
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().ch), 1);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 0);
    EXPECT_EQ(Val(request.As<GetCh>().length), 600u);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().screen_points[0][5], 0);
    }
    Send(memory.Answer(request));
    CSingleLock lock(&DataLock, TRUE);
    for (int p = 0; p < 300; ++p) {
        ASSERT_EQ(Data().screen_points[0][p], (Ramps(0, 2 * p) + Ramps(0, 2 * p + 1)) / 2) << p;
        ASSERT_EQ(Data().screen_points[1][p], (Ramps(1, 2 * p) + Ramps(1, 2 * p + 1)) / 2) << p;
    }
}

TEST_F(ReceptionTest, LogicLinesTakeThreeStates)
{
    // Averaged: each point is two samples; a line is high, low or changing within the point.
    StoppedView(2, 0x1001 | OSC_CR_LOGIC_A, 2);
    memory.depth = 3000;
    memory.value = [](int, int i) {
        static const std::uint8_t pattern[4] = {0x0F, 0x0F, 0x01, 0x03};
        return static_cast<std::int8_t>(pattern[i % 4]);
    };
    Serve(SendState(0, 0x1201, 600));
    {
        CSingleLock lock(&DataLock, TRUE);
        const std::uint8_t steady[8] = {2, 2, 2, 2, 0, 0, 0, 0};
        const std::uint8_t changing[8] = {2, 1, 0, 0, 0, 0, 0, 0};
        for (int line = 0; line < 8; ++line) {
            EXPECT_EQ(Data().logic_points[0][0][line], steady[line]) << line;
            EXPECT_EQ(Data().logic_points[0][1][line], changing[line]) << line;
            EXPECT_EQ(Data().logic_points[0][299][line], changing[line]) << line;
        }
    }

    // One sample per point: each line is high or low.
    StoppedView(2, 0x1001 | OSC_CR_LOGIC_A, 1);
    memory.value = [](int, int) { return static_cast<std::int8_t>(0x81); };
    Serve(SendState(0, 0x1201, 300));
    CSingleLock lock(&DataLock, TRUE);
    const std::uint8_t expected[8] = {2, 0, 0, 0, 0, 0, 0, 2};
    for (int line = 0; line < 8; ++line) EXPECT_EQ(Data().logic_points[0][150][line], expected[line]);
}

// ---------------------------------------------------------------------------------------------
// Full-memory read-out

TEST_F(ReceptionTest, FullMemoryReadOutIsBitExactAcrossTheWrap)
{
    Identify(5);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1001 | OSC_CR_TRIGGER_ON;
        Data().mode |= MODE_STOPPED;
        Data().trigger_buffer_start_sample = 4321;
    }
    memory.depth = 5000;
    memory.value = Ramps;
    Packet request = SendState(OSC_SR_CTCH, 0x1003, 5000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 4321);
    EXPECT_EQ(Val(request.As<GetCh>().length), 2029u);  // a frame's worth: 2044 bytes
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().mode & MODE_READING, 0u);
    }
    request = Serve(request);
    EXPECT_NE(request.Type(), PACKET_DATA_GET_CH);

    CSingleLock lock(&DataLock, TRUE);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 5000; ++i)
            ASSERT_EQ(Data().sample_buffer[c][i], Ramps(c, (4321 + i) % 5000)) << c << " " << i;
    EXPECT_EQ(Data().read_state, 3u);
    EXPECT_EQ(Data().mode & MODE_READING, 0u);
    EXPECT_NE(Data().status & STATUS_MEMORY_READ, 0u);
}

TEST_F(ReceptionTest, FullMemoryReadOutFromAnOddTriggerPositionOnAPairCountingDevice)
{
    Identify(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1001 | OSC_CR_TRIGGER_ON;
        Data().mode |= MODE_STOPPED;
        Data().trigger_buffer_start_sample = 1001;
        Data().t_div = 19;  // 2 ms/div
    }
    memory.depth = 3000;
    memory.value = Ramps;
    Packet request = SendState(OSC_SR_CTCH, 0x1003, 1000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 1000);
    EXPECT_EQ(Val(request.As<GetCh>().length) % 2, 0u);
    EXPECT_LE(Val(request.As<GetCh>().length), 2029u);
    Serve(request);

    CSingleLock lock(&DataLock, TRUE);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(Data().sample_buffer[c][i], Ramps(c, (1001 + i) % 3000)) << c << " " << i;
    // 2 ms/div: 200 000 ns per tenth of a division.
    EXPECT_DOUBLE_EQ(Data().display_time_step, 200000.0);
    EXPECT_EQ(Data().last_num_catched_samples, 2002);
}

TEST_F(ReceptionTest, AFullMemoryPieceTooShortToTrimAddsNothing)
{
    Identify(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1001 | OSC_CR_TRIGGER_ON;
        Data().mode |= MODE_STOPPED;
        Data().trigger_buffer_start_sample = 7;
    }
    const Packet first = SendState(OSC_SR_CTCH, 0x1003, 1000);
    ASSERT_EQ(first.Type(), PACKET_DATA_GET_CH);
    const Packet again = SendCh(Val(first.As<GetCh>().offset), 0, 1, 0, 0, {42});
    ASSERT_EQ(again.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(again.As<GetCh>().offset), Val(first.As<GetCh>().offset));
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().read_position, 0u);
    EXPECT_EQ(Data().sample_buffer[0][0], 0);
}

TEST_F(ReceptionTest, ScreenOfACompleteMemoryIsBuiltWithoutRequests)
{
    Identify(5);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1001;
        Data().mode |= MODE_STOPPED;
        Data().x_zoom_out_hw = 2;
        Data().x_zoom_out_sw = 1;
        Data().x_zoom_in = 1;
        Data().x_offset = 100;
        Data().read_state = 3;
        for (int i = 0; i < 5000; ++i) Data().sample_buffer[0][i] = RampA(0, i);
    }
    // Stopped, capture not complete in this STATE: the planner runs and the screen comes from
    // the held memory.
    const Packet answer = SendState(0, 0x1001, 5000);
    EXPECT_NE(answer.Type(), PACKET_DATA_GET_CH);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().status & STATUS_FRAME_READY, 0u);
    const int start = 2 * Data().x_offset;
    for (int p = 0; p < 300; ++p) {
        const int a = (start + 2 * p) % 5000;
        const int b = (start + 2 * p + 1) % 5000;
        ASSERT_EQ(Data().screen_points[0][p], (RampA(0, a) + RampA(0, b)) / 2) << p;
    }
}

// ---------------------------------------------------------------------------------------------
// Statistic read-out

TEST_F(ReceptionTest, StatisticReadOutTakesTheMeanOfThePairMiddles)
{
    Identify(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().mode |= MODE_FR_POINT;
        Data().statistic = StatisticWork{0, 3, INT_MAX, INT_MIN, 0.0, 0.0, true};
    }
    memory.depth = 1500;
    memory.min_max = true;
    memory.value = [](int, int j) { return static_cast<std::int8_t>(j % 2 == 0 ? (j / 2) % 7 - 3 : (j / 2) % 5); };

    Packet request = SendState(0);
    ASSERT_EQ(request.Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_EQ(Val(request.As<StartP>().samples_parts), 3u);
    EXPECT_EQ(SendState(0).Type(), PACKET_DATA_GET_STATE);  // not captured yet
    request = SendState(OSC_SR_CTCH);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    Serve(request);

    double sum = 0;
    for (int i = 0; i < 1500; ++i) sum += ((i % 7 - 3) + (i % 5)) / 2.0;
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_DOUBLE_EQ(Data().statistic.mean, sum / 1500);
    EXPECT_EQ(Data().statistic.minimum, -3);
    EXPECT_EQ(Data().statistic.maximum, 4);
    EXPECT_EQ(Data().mode & MODE_FR_POINT, 0u);
    EXPECT_TRUE(Data().statistic.start);
}
