// Calibration: the devices that calibrate themselves, and the host's offset search on version 2
// against a simulated offset DAC.

#include "support/DispatchTestSupport.h"

namespace {

// A version-2 device whose input, with the probes off, reads `level(channel, dac)` at every
// sample; it answers every request as the real one does.
struct OffsetDevice {
    int dac[2] = {128, 128};
    int writes = 0;
    bool captured = false;
    std::function<int(int channel, int dac)> level;

    static Packet Bare(std::uint8_t type)
    {
        Packet p;
        p.bytes = {type};
        return p;
    }

    Packet State() const
    {
        StateP s{};
        s.data_id = PACKET_DATA_STATE;
        s.osc_sr = captured ? OSC_SR_CTCH : 0;
        s.osc_cr = 0x1001;
        return Packet::From(s);
    }

    Packet Answer(const Packet& request)
    {
        switch (request.Type()) {
        case PACKET_DATA_WRITE_OFFSET_DAC_CMD: {
            const unsigned cmd = request.As<PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD>>().cmd;
            dac[(cmd & 0x8000) != 0 ? 1 : 0] = static_cast<int>((cmd >> 4) & 0xFF);
            ++writes;
            return Bare(40);
        }
        case PACKET_DATA_START_CYCLONE:
            captured = true;
            return Bare(28);
        case PACKET_DATA_GET_CH: {
            DeviceMemory memory;
            memory.depth = 1500;
            memory.min_max = true;
            memory.value = [this](int channel, int) {
                return static_cast<std::int8_t>(level(channel, dac[channel == 1 ? 1 : 0]));
            };
            return memory.Answer(request);
        }
        case PACKET_DATA_WRITE_ANALOG_CR:
            return Bare(19);
        case PACKET_DATA_SET_OUT_FREQ: {
            PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN> w{};
            w.data_id = PACKET_DATA_OUT_FREQ_WRITTEN;
            return Packet::From(w);
        }
        case PACKET_DATA_GET_VERSION: {
            PacketDataStructure<PACKET_DATA_VERSION> v{};
            v.data_id = PACKET_DATA_VERSION;
            v.version_major = 2;
            return Packet::From(v);
        }
        default:
            return State();
        }
    }
};

class OffsetSearchTest : public DispatchTest {
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        Identify(2);
        CSingleLock lock(&DataLock, TRUE);
        Data().mode |= MODE_CALIBRATION;
    }

    bool Calibrated()
    {
        CSingleLock lock(&DataLock, TRUE);
        return (Data().status & STATUS_CALIBRATED) != 0;
    }

    // Runs the conversation until the calibration reports its end (or `limit` exchanges).
    int Run(int limit = 20000)
    {
        Packet fromDevice = device.State();
        int exchanges = 0;
        while (exchanges < limit && !Calibrated()) {
            fromDevice = device.Answer(Send(fromDevice));
            ++exchanges;
        }
        // Let the last offset write reach the device.
        for (int i = 0; i < 4; ++i) fromDevice = device.Answer(Send(fromDevice));
        return exchanges;
    }

    OffsetDevice device;
};

}  // namespace

TEST_F(OffsetSearchTest, ConvergesOnTheLowestDacOfTheBestPointForEachChannel)
{
    // Channel A reads zero for DAC 138..142, channel B for 98..102.
    device.level = [](int channel, int dac) { return (dac - (channel == 0 ? 140 : 100)) / 3; };
    Run();
    ASSERT_TRUE(Calibrated());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & STATUS_CALIBRATION_FAILED, 0u);
    EXPECT_EQ(Data().mode & (MODE_CALIBRATION | MODE_FR_POINT), 0u);
    EXPECT_EQ(Data().offset_dac[0], 138);
    EXPECT_EQ(Data().offset_dac[1], 98);
    EXPECT_EQ(device.dac[0], 138);
    EXPECT_EQ(device.dac[1], 98);
    EXPECT_EQ(Data().calibration_step, 0);
    EXPECT_EQ(Data().calibration_steps, 10);
}

TEST_F(OffsetSearchTest, ARangeOutsideTheDacFailsThatChannelAndGoesOn)
{
    device.level = [](int channel, int dac) { return channel == 0 ? (dac - 400) / 3 : (dac - 100) / 3; };
    Run();
    ASSERT_TRUE(Calibrated());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().status & STATUS_CALIBRATION_FAILED, 0u);
    EXPECT_EQ(Data().offset_dac[0], 127);
    EXPECT_EQ(Data().offset_dac[1], 98);
}

TEST_F(OffsetSearchTest, TheEndsOfTheDacCloseTheSearchInThatDirection)
{
    // A is good from 0 to 2 (the walk down reaches 0); B from 252 to 255 (the walk up reaches
    // 255 and turns).
    device.level = [](int channel, int dac) { return channel == 0 ? dac / 3 : (dac - 254) / 3; };
    Run();
    ASSERT_TRUE(Calibrated());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & STATUS_CALIBRATION_FAILED, 0u);
    EXPECT_EQ(Data().offset_dac[0], 0);
    EXPECT_EQ(Data().offset_dac[1], 252);
}

TEST_F(OffsetSearchTest, AWalkThatNeverSettlesEndsAsFailed)
{
    device.level = [](int, int dac) { return dac >= 128 ? 1 : -1; };
    Run(100000);
    ASSERT_TRUE(Calibrated());
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().status & STATUS_CALIBRATION_FAILED, 0u);
    EXPECT_EQ(Data().offset_dac[0], 127);
    EXPECT_EQ(Data().offset_dac[1], 127);
}

TEST_F(OffsetSearchTest, AResetInTheMiddleStartsTheRunAgainCleanly)
{
    device.level = [](int channel, int dac) { return (dac - (channel == 0 ? 140 : 100)) / 3; };
    Packet fromDevice = device.State();
    for (int i = 0; i < 40; ++i) fromDevice = device.Answer(Send(fromDevice));
    {
        CSingleLock lock(&DataLock, TRUE);
        ASSERT_NE(Data().mode & MODE_CALIBRATION, 0u);
        ASSERT_GT(Data().calibration_step, 0);
    }
    dispatch.Reset();  // the link timed out
    const int writesBefore = device.writes;
    Run();
    ASSERT_TRUE(Calibrated());
    EXPECT_GT(device.writes, writesBefore);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().offset_dac[0], 138);
    EXPECT_EQ(Data().offset_dac[1], 98);
    EXPECT_EQ(device.dac[0], 138);
    EXPECT_EQ(device.dac[1], 98);
}

TEST_F(DispatchTest, DevicesWithoutOffsetCalibrationReportItDoneAtOnce)
{
    for (int version : {4, 5}) {
        Identify(version);
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().mode |= MODE_CALIBRATION;
        }
        EXPECT_EQ(SendState(0).Type(), PACKET_DATA_GET_STATE);
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().mode & MODE_CALIBRATION, 0u) << version;
        EXPECT_NE(Data().status & STATUS_CALIBRATED, 0u) << version;
        lock.Unlock();
        DeleteOscData();
    }
}

TEST_F(DispatchTest, SelfCalibratingDevicesAreAskedAndReportTheirSteps)
{
    for (int version : {1, 3}) {
        Identify(version);
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().mode |= MODE_CALIBRATION;
        }
        dispatch.reply_timeout_ms = 0;
        // Calibration data are asked for only after the calibration (rule order).
        EXPECT_EQ(SendState(0).Type(), 35);
        EXPECT_EQ(dispatch.reply_timeout_ms, version == 1 ? 1000u : 1500u);

        PacketDataStructure<PACKET_DATA_CALIBRATION_STEP_DONE> done{};
        done.data_id = PACKET_DATA_CALIBRATION_STEP_DONE;
        done.step = 0;
        done.num_steps = 3;
        dispatch.reply_timeout_ms = 0;
        EXPECT_EQ(Send(Packet::From(done)).Type(), PACKET_DATA_GET_STATE);
        EXPECT_EQ(dispatch.reply_timeout_ms, 1000u);
        {
            CSingleLock lock(&DataLock, TRUE);
            EXPECT_EQ(Data().mode & MODE_CALIBRATION, 0u);
            EXPECT_EQ(Data().status & STATUS_CALIBRATED, 0u);
            EXPECT_EQ(Data().calibration_steps, 3);
        }
        done.step = 2;
        Send(Packet::From(done));
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().status & STATUS_CALIBRATED, 0u);
        EXPECT_EQ(Data().calibration_step, 2);
        EXPECT_TRUE(dispatch.IsCalibrationReadPending());
        lock.Unlock();
        DeleteOscData();
    }
}
