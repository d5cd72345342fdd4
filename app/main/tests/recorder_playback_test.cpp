#include "app/main/RecorderPlayback.h"

#include "core/data/OscData.h"
#include "core/data/RecorderHeader.h"
#include "platform/kernel/File.h"
#include "platform/testing/RunFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(RecorderPlayback, WindowFollowsOffsetAndZoom)
{
    struct Case {
        int offset, hw, sw, in;
        std::int64_t first, end;
    };
    const Case cases[] = {
        {0, 1, 1, 1, 0, 300},
        {100, 1, 1, 1, 100, 400},
        {0, 4, 1, 1, 0, 1200},
        // Software zoom out by 2: the 300 points span 600 stored samples.
        {0, 1, 2, 1, 299, 599},
        {-300, 1, 1, 1, -300, 0},
        {-400, 1, 2, 1, -499, -199},
    };
    for (const Case& c : cases)
    {
        PlaybackWindow w;
        ASSERT_TRUE(ComputePlaybackWindow(c.offset, c.hw, c.sw, c.in, w));
        EXPECT_EQ(w.first, c.first) << c.offset << " " << c.sw;
        EXPECT_EQ(w.end, c.end) << c.offset << " " << c.sw;
        EXPECT_EQ(w.perPoint, c.hw);
    }
    PlaybackWindow w;
    EXPECT_FALSE(ComputePlaybackWindow(0, 0, 1, 1, w));
    EXPECT_FALSE(ComputePlaybackWindow(0, 1, 1, 0, w));
}

TEST(RecorderPlayback, ReductionsPerKind)
{
    constexpr int per = 3;
    std::vector<std::int8_t> plain(SCREEN_POINTS * per);
    std::vector<std::int8_t> pairs(2 * SCREEN_POINTS * per);
    for (int i = 0; i < SCREEN_POINTS * per; ++i)
    {
        plain[i] = static_cast<std::int8_t>(i % per == 0 ? -100 : i % 7);
        pairs[2 * i] = static_cast<std::int8_t>(-(i % 50));
        pairs[2 * i + 1] = static_cast<std::int8_t>(i % 60);
    }
    std::int32_t points[SCREEN_VALUES] = {};
    ReduceAnalog(plain, per, false, points);
    for (int p = 0; p < SCREEN_POINTS; ++p)
        ASSERT_EQ(points[p], (-100 + (3 * p + 1) % 7 + (3 * p + 2) % 7) / 3) << p;
    ReduceAnalog(pairs, per, true, points);
    for (int p = 0; p < SCREEN_POINTS; ++p)
    {
        int lo = 0, hi = -128;
        for (int i = 3 * p; i < 3 * p + 3; ++i)
        {
            lo = std::min(lo, -(i % 50));
            hi = std::max(hi, i % 60);
        }
        ASSERT_EQ(points[2 * p], lo) << p;
        ASSERT_EQ(points[2 * p + 1], hi) << p;
    }

    // Line 0 always high, line 1 always low, line 2 changing within each point.
    std::vector<std::int8_t> bytes(SCREEN_POINTS * per);
    for (int i = 0; i < SCREEN_POINTS * per; ++i)
        bytes[i] = static_cast<std::int8_t>(0x01 | (i % per == 1 ? 0x04 : 0));
    std::uint8_t logic[SCREEN_VALUES][8] = {};
    ReduceLogic(bytes, per, logic);
    for (int p = 0; p < SCREEN_POINTS; ++p)
    {
        EXPECT_EQ(logic[p][0], 2);
        EXPECT_EQ(logic[p][1], 0);
        EXPECT_EQ(logic[p][2], 1);
    }

    // Too few records: nothing is touched.
    std::int32_t untouched[SCREEN_VALUES] = {7};
    ReduceAnalog(std::vector<std::int8_t>(10), per, false, untouched);
    EXPECT_EQ(untouched[0], 7);
}

TEST(RecorderPlayback, ReadsOnlyWhatTheFileHolds)
{
    const RunFolder run("app_main");
    const auto path = run.Path() / "playback.bin";
    {
        std::ofstream out(path, std::ios::binary);
        std::vector<char> header(RECORDER_HEADER_SIZE, 'H');
        out.write(header.data(), static_cast<std::streamsize>(header.size()));
        for (int i = 0; i < 700; ++i)
            out.put(static_cast<char>(i % 100));
    }
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    std::vector<std::int8_t> records;
    PlaybackWindow w{100, 400, 1};
    ASSERT_TRUE(ReadPlaybackRecords(file, w, 1, records));
    ASSERT_EQ(records.size(), 300u);
    EXPECT_EQ(records[0], 0);  // sample 100 after the header
    EXPECT_EQ(records[299], 99);
    // Past the end, before the start, or with pairs that run over the end: refused.
    EXPECT_FALSE(ReadPlaybackRecords(file, PlaybackWindow{401, 701, 1}, 1, records));
    EXPECT_FALSE(ReadPlaybackRecords(file, PlaybackWindow{-1, 299, 1}, 1, records));
    EXPECT_FALSE(ReadPlaybackRecords(file, PlaybackWindow{100, 400, 1}, 2, records));
    // A zoom no screen could use is not read at all.
    EXPECT_FALSE(ReadPlaybackRecords(file, PlaybackWindow{0, 300000000, 1000000}, 1, records));
    file.Close();
}

}  // namespace
