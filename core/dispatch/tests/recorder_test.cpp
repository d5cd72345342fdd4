// The recorder streaming into its files: the requests that read the device's ring, the bytes
// the files end up holding, and the errors the user is told about.

#include "support/RecorderFixture.h"

#include "core/log/EventLog.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

namespace fs = std::filesystem;

TEST_F(RecorderTest, FileHoldsTheHeaderAndEverySampleRead)
{
    Request(1, 0x1001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().created_hw_version = 0x0A0B;
        Data().x_skip = 0;
    }
    Start(0x1001);
    EXPECT_TRUE(dispatch.IsRecorderFileOpen(0));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));

    memory.depth = 131072;
    memory.value = Ramps;
    Packet request = SendState(0, 0x5001, 3000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    GetCh get = request.As<GetCh>();
    EXPECT_EQ(Val(get.ch), 0);
    EXPECT_EQ(Val(get.offset), 0);
    EXPECT_EQ(Val(get.length), 2029u);
    EXPECT_EQ(Val(get.average_length), 1);
    EXPECT_EQ(Send(memory.Answer(request)).Type(), PACKET_DATA_GET_STATE);

    // Fewer new samples than one chunk: nothing is asked yet.
    EXPECT_EQ(SendState(0, 0x5001, 3000).Type(), PACKET_DATA_GET_STATE);
    request = SendState(0, 0x5001, 5000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 2029);
    Send(memory.Answer(request));
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().recorder_samples, 4058);
        EXPECT_EQ(Data().last_num_catched_samples, 4058);
        EXPECT_EQ(Data().valid_points, 300);
    }
    Stop();
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    EXPECT_TRUE(errors.empty());

    const std::vector<std::uint8_t> file = ReadFile(folder / "a.bin");
    ASSERT_EQ(file.size(), 30u + 4058u);
    std::vector<std::uint8_t> header;
    PutLE<std::uint32_t>(header, 0x4C444F55);
    PutLE<std::uint32_t>(header, 1);
    PutLE<std::uint32_t>(header, 0x0A0B);
    PutLE<std::int64_t>(header, JulianDay(2026, 3, 15) * 86400000000LL +
                                    ((10 * 60 + 20) * 60 + 30) * 1000000LL);  // on the second
    PutLE<std::uint32_t>(header, 0);
    header.push_back(0);
    header.push_back(0);
    PutLE<std::uint32_t>(header, 4058);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 30), header);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "UODL");
    for (int i = 0; i < 4058; ++i) ASSERT_EQ(static_cast<std::int8_t>(file[30 + i]), Ramps(0, i)) << i;
    EXPECT_FALSE(fs::exists(folder / "b.bin"));
}

TEST_F(RecorderTest, OnlyChannelBIsRecordedWhenOnlyBIsOn)
{
    Request(1, 0x2001);
    Start(0x2001);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    EXPECT_TRUE(dispatch.IsRecorderFileOpen(1));
    memory.depth = 131072;
    memory.value = Ramps;
    const Packet request = SendState(0, 0x6001, 2500);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().ch), 1);
    Send(memory.Answer(request));
    Stop();
    EXPECT_FALSE(fs::exists(folder / "a.bin"));
    const std::vector<std::uint8_t> file = ReadFile(folder / "b.bin");
    ASSERT_EQ(file.size(), 30u + 2029u);
    EXPECT_EQ(file[26] | file[27] << 8, 2029);
    EXPECT_EQ(static_cast<std::int8_t>(file[30 + 7]), Ramps(1, 7));
}

TEST_F(RecorderTest, BothChannelsReadTheSameStretchAndCountItOnce)
{
    Request(1, 0x3001 | OSC_CR_MIN_MAX);
    Start(0x3021);
    memory.depth = 65536;
    memory.min_max = true;
    memory.value = Ramps;
    Packet request = SendState(0, 0x7021, 3000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1014u);  // pairs: at most 2029 bytes
    EXPECT_EQ(Val(request.As<GetCh>().min_max), 1);
    request = Send(memory.Answer(request));
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().ch), 1);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 0);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1014u);
    Send(memory.Answer(request));
    Stop();
    const auto a = ReadFile(folder / "a.bin");
    const auto b = ReadFile(folder / "b.bin");
    ASSERT_EQ(a.size(), 30u + 2 * 1014u);
    ASSERT_EQ(b.size(), 30u + 2 * 1014u);
    EXPECT_EQ(a[24], 1);  // min/max
    EXPECT_EQ(a[26] | a[27] << 8, 1014);
    EXPECT_EQ(static_cast<std::int8_t>(b[30 + 5]), Ramps(1, 5));
}

TEST_F(RecorderTest, AChunkAskedForAgainAfterATimeOutIsStillWritten)
{
    Request(1, 0x1001);
    Start(0x1001);
    memory.depth = 131072;
    memory.value = Ramps;
    const Packet request = SendState(0, 0x5001, 3000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    dispatch.Reset();  // the link timed out and sends the same request again
    Send(memory.Answer(request));
    SendVersion(1);  // the new session's version query
    Stop();
    EXPECT_EQ(ReadFile(folder / "a.bin").size(), 30u + 2029u);
}

TEST_F(RecorderTest, TheRingReadWrapsAtTheMemoryDepth)
{
    Request(2, 0x1001);
    Start(0x1001);
    // Version 2: 3000 samples; at 80 MHz the chunk is half the memory.
    Packet request = SendState(0, 0x5001, 1600);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 0);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1500u);
    // The device's write position has wrapped: 200 - 1500 + 3000 = 1700 new samples.
    request = SendState(0, 0x5001, 200);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 1500);
    request = SendState(0, 0x5001, 1800);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().offset), 0);
}

TEST_F(RecorderTest, TheSlowestTimeBaseStillReadsOneSampleAtATime)
{
    Request(2, 0x1001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().x_skip = 39999999;
    }
    Start(0x1001);
    const Packet request = SendState(0, 0x5001, 2);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    EXPECT_EQ(Val(request.As<GetCh>().length), 1u);
}

TEST_F(RecorderTest, AFileThatCannotBeCreatedStopsTheStartWithTheOpenError)
{
    Request(1, 0x1001);
    const std::string path = (folder / "missing" / "a.bin").string();
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().str_datalogger_fn[0] = path;
    }
    EXPECT_EQ(SendState(0, 0x1001).Type(), PACKET_DATA_GET_STATE);
    ASSERT_EQ(errors.size(), 1u);
    const std::string prefix = "Самописец: ошибка открытия файла!\nПуть: " + path + "\nОшибка: ";
    ASSERT_EQ(errors[0].substr(0, prefix.size()), prefix);
    EXPECT_GT(errors[0].size(), prefix.size());
    EXPECT_LE(errors[0].size() - prefix.size(), 255u);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
    EXPECT_EQ(Data().status & STATUS_RECORDER_START, 0u);
    EXPECT_EQ(Data().osc_cr & OSC_CR_RECORDER, 0);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
}

TEST_F(RecorderTest, AFileCreatedBeforeTheFailingOneIsFinishedByTheStop)
{
    Request(1, 0x3001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().str_datalogger_fn[1] = (folder / "missing" / "b.bin").string();
    }
    EXPECT_EQ(SendState(0, 0x3001).Type(), PACKET_DATA_GET_STATE);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(dispatch.IsRecorderFileOpen(0));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));

    // The stopped acquisition ends the recorder at the next exchange; A gets its header.
    const Packet stop = SendState(0, 0x3001);
    ASSERT_EQ(stop.Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_EQ(Val(stop.As<StartP>().osc_cr), 0);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    const std::vector<std::uint8_t> file = ReadFile(folder / "a.bin");
    ASSERT_EQ(file.size(), 30u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "UODL");
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 26, file.end()), std::vector<std::uint8_t>(4, 0));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(RecorderTest, TwoChannelsNeverShareAFile)
{
    Request(1, 0x3001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().str_datalogger_fn[1] = (folder / "." / "a.bin").string();
    }
    EXPECT_EQ(SendState(0, 0x3001).Type(), PACKET_DATA_GET_STATE);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Самописец: ошибка открытия файла!\n", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "a.bin"));
}

// A channel without a file name is told as such, before anything is created; two missing
// names are not one shared file.
TEST_F(RecorderTest, AChannelWithoutAFileNameStopsTheStartNamingTheChannel)
{
    struct Case {
        std::uint16_t oscCr;
        bool nameA;
        bool nameB;
        const char* message;
    };
    const Case cases[] = {
        {0x3001, false, false, "Самописец: не выбран файл для записи канала A!"},
        {0x3001, false, true, "Самописец: не выбран файл для записи канала A!"},
        {0x3001, true, false, "Самописец: не выбран файл для записи канала B!"},
        {0x2001, true, false, "Самописец: не выбран файл для записи канала B!"},
    };
    Request(1, 0x3001);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + std::to_string(c.oscCr));
        errors.clear();
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().osc_cr = c.oscCr;
            Data().mode &= ~MODE_STOPPED;
            Data().status |= STATUS_RECORDER_START;
            Data().str_datalogger_fn[0] = c.nameA ? (folder / "a.bin").string() : "";
            Data().str_datalogger_fn[1] = c.nameB ? (folder / "b.bin").string() : "";
        }
        EXPECT_EQ(SendState(0, c.oscCr).Type(), PACKET_DATA_GET_STATE);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.message);
        EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
        EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));
        EXPECT_FALSE(fs::exists(folder / "a.bin"));
        EXPECT_FALSE(fs::exists(folder / "b.bin"));
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
        EXPECT_EQ(Data().osc_cr & OSC_CR_RECORDER, 0);
    }
}

TEST_F(RecorderTest, AClockWithoutAValidLocalTimeLeavesTheStartTimeUnset)
{
    clock.SetLocalTime(SYSTEMTIME{2026, 13, 0, 40, 0, 0, 0, 0});
    std::uint64_t seen = EventLog::Instance()->GetTotal();
    Request(1, 0x1001);
    Start(0x1001);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_TRUE(Data().recorder_start_time.is_not_a_date_time());
        EXPECT_EQ(Data().status & STATUS_RECORDER_START, 0u);
    }
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(seen, lines);
    bool logged = false;
    for (const auto& line : lines) logged |= line.find("could not convert calendar time to local time") != std::string::npos;
    EXPECT_TRUE(logged);
    // The recording goes on.
    EXPECT_EQ(SendState(0, 0x5001, 3000).Type(), PACKET_DATA_GET_CH);
}

// The device acknowledges every START_CYCLONE with a cycle start (type 28). Only the
// acknowledgement of the recorder's own start or stop may settle the user's request: an older
// capture start that is still in flight when the user acts must not swallow it.
TEST_F(RecorderTest, AStartAskedForWhileACaptureStartIsInFlightStillStartsTheFiles)
{
    Identify(1);
    connection = Data().recorder_error.connect([this](std::string text) { errors.push_back(text); });
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = 0x1001;
        Data().x_skip = 0;
        Data().changes |= CHANGE_CAPTURE;
        Data().str_datalogger_fn[0] = (folder / "a.bin").string();
    }
    const Packet capture = SendState(0, 0x1001);
    ASSERT_EQ(capture.Type(), PACKET_DATA_START_CYCLONE);
    ASSERT_EQ(Val(capture.As<StartP>().osc_cr) & OSC_CR_RECORDER, 0);

    // The user starts the recorder before the device has acknowledged that capture start.
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().mode |= MODE_RECORDER;
        Data().status |= STATUS_RECORDER_START;
    }
    clock.SetLocalTime(SYSTEMTIME{2026, 3, 0, 15, 10, 20, 30, 0});
    SendBare(28);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().status & STATUS_RECORDER_START, 0u);
    }
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));

    // The recorder's own start follows; its first cycle gives the start time.
    clock.SetLocalTime(SYSTEMTIME{2026, 3, 0, 15, 10, 20, 31, 250});
    Start(0x1001);
    EXPECT_TRUE(dispatch.IsRecorderFileOpen(0));
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(Data().status & STATUS_RECORDER_START, 0u);
        EXPECT_EQ(Data().recorder_start_time,
                  boost::posix_time::ptime(boost::gregorian::date(2026, 3, 15),
                                           boost::posix_time::time_duration(10, 20, 31)));
    }
    memory.depth = 131072;
    memory.value = Ramps;
    const Packet request = SendState(0, 0x5001, 3000);
    ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
    Send(memory.Answer(request));
    Stop();
    EXPECT_EQ(ReadFile(folder / "a.bin").size(), 30u + 2029u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(RecorderTest, AStopAskedForWhileTheRecorderStartIsInFlightIsNotLost)
{
    Request(1, 0x1001);
    const Packet start = SendState(0, 0x1001);
    ASSERT_EQ(start.Type(), PACKET_DATA_START_CYCLONE);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().ToggleStop();
    }
    SendBare(28);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().status & STATUS_RECORDER_STOP, 0u);
    }
    // The device now records; the next STATE ends it and finishes the file.
    const Packet stop = SendState(0, 0x5001);
    ASSERT_EQ(stop.Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_EQ(Val(stop.As<StartP>().osc_cr), 0);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    SendBare(28);
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & (STATUS_RECORDER_START | STATUS_RECORDER_STOP), 0u);
    EXPECT_EQ(ReadFile(folder / "a.bin").size(), 30u);
}

TEST_F(RecorderTest, ARunAskedForWhileTheRecorderStopIsInFlightStartsANewRecording)
{
    Request(1, 0x1001);
    Start(0x1001);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().ToggleStop();
    }
    const Packet stop = SendState(0, 0x5001);
    ASSERT_EQ(stop.Type(), PACKET_DATA_START_CYCLONE);
    ASSERT_EQ(Val(stop.As<StartP>().osc_cr), 0);
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().ToggleStop();  // run again before the device acknowledged the stop
    }
    SendBare(28);
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().status & STATUS_RECORDER_START, 0u);
        EXPECT_EQ(Data().status & STATUS_RECORDER_STOP, 0u);
    }
    Start(0x1001);
    EXPECT_TRUE(dispatch.IsRecorderFileOpen(0));
    CSingleLock lock(&DataLock, TRUE);
    EXPECT_EQ(Data().status & (STATUS_RECORDER_START | STATUS_RECORDER_STOP), 0u);
}
