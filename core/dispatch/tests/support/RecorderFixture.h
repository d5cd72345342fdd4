#pragma once
// The recorder tests' scripted session: recorder mode requested on a freshly identified
// device, the start and stop exchanges, a device memory of known ramps, and the messages the
// recorder sends to the user.

#include "support/DispatchTestSupport.h"

#include "core/data/RecorderHeader.h"
#include "platform/kernel/ManualClock.h"
#include "platform/testing/RunFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Julian day number of a Gregorian date (the civil-calendar formula).
inline std::int64_t JulianDay(int year, int month, int day)
{
    const int a = (14 - month) / 12;
    const std::int64_t y = year + 4800 - a;
    const std::int64_t m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

template <class T>
void PutLE(std::vector<std::uint8_t>& out, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
}

class RecorderTest : public DispatchTest {
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        run.emplace("dispatch_recorder");
        folder = run->Path();
        clock.SetLocalTime(SYSTEMTIME{2026, 3, 0, 15, 10, 20, 30, 400});
        SetCurrentClock(&clock);
    }

    void TearDown() override
    {
        connection.disconnect();
        SetCurrentClock(nullptr);
        DispatchTest::TearDown();
        run.reset();
    }

    // Recorder mode requested on a freshly identified device with the given channels.
    void Request(int version, std::uint16_t oscCr)
    {
        Identify(version);
        connection = Data().recorder_error.connect([this](std::string text) { errors.push_back(text); });
        CSingleLock lock(&DataLock, TRUE);
        Data().osc_cr = oscCr;
        Data().x_skip = 0;
        Data().mode |= MODE_RECORDER;
        Data().status |= STATUS_RECORDER_START;
        Data().str_datalogger_fn[0] = (folder / "a.bin").string();
        Data().str_datalogger_fn[1] = (folder / "b.bin").string();
    }

    // The start STATE, then the device's cycle start.
    void Start(std::uint16_t deviceOscCr)
    {
        const Packet answer = SendState(0, deviceOscCr);
        ASSERT_EQ(answer.Type(), PACKET_DATA_START_CYCLONE);
        ASSERT_NE(Val(answer.As<StartP>().osc_cr) & OSC_CR_RECORDER, 0);
        SendBare(28);
    }

    void Stop()
    {
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().status |= STATUS_RECORDER_STOP;
        }
        const Packet answer = SendState(0, 0x4000 | 0x1001);
        ASSERT_EQ(answer.Type(), PACKET_DATA_START_CYCLONE);
        EXPECT_EQ(Val(answer.As<StartP>().osc_cr), 0);
    }

    std::optional<RunFolder> run;
    std::filesystem::path folder;
    ManualClock clock;
    DeviceMemory memory;
    std::vector<std::string> errors;
    boost::signals2::connection connection;
};

inline std::int8_t Ramps(int channel, int i)
{
    return static_cast<std::int8_t>(channel == 0 ? i * 3 : 100 - i);
}
