#include "core/measure/Measurements.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int32_t> SquareWave(int count, int low, int high, const std::vector<int>& risingAt, int fallAfter)
{
    std::vector<std::int32_t> v(static_cast<std::size_t>(count), low);
    for (int r : risingAt)
        for (int i = r; i < r + fallAfter && i < count; ++i)
            v[static_cast<std::size_t>(i)] = high;
    return v;
}

TEST(FramePeriod, MeanDistanceBetweenRisingCrossings)
{
    // Three rising edges at 20, 120 and 220: two distances of 100.
    const auto wave = SquareWave(300, -40, 40, {20, 120, 220}, 50);
    EXPECT_DOUBLE_EQ(FramePeriod(wave.data(), 300, 0), 100.0);

    // Unequal distances average: edges at 10, 30, 90 give (20 + 60) / 2.
    const auto uneven = SquareWave(300, -40, 40, {10, 30, 90}, 5);
    EXPECT_DOUBLE_EQ(FramePeriod(uneven.data(), 300, 0), 40.0);

    // A crossing lands where the previous point is below the mean and this one reaches it.
    const std::vector<std::int32_t> touching = {0, 5, 0, 5, 0, 5};
    EXPECT_DOUBLE_EQ(FramePeriod(touching.data(), 6, 5), 2.0);

    // One crossing, no crossing, or too few points: no period.
    const auto single = SquareWave(300, -40, 40, {150}, 300);
    EXPECT_EQ(FramePeriod(single.data(), 300, 0), 0.0);
    const std::vector<std::int32_t> flat(300, 7);
    EXPECT_EQ(FramePeriod(flat.data(), 300, 7), 0.0);
    EXPECT_EQ(FramePeriod(wave.data(), 1, 0), 0.0);
}

TEST(MeasureWindowFrames, AveragingDependsOnTheTimeBase)
{
    bool force = true;
    // 10 ms/div is 300 units: ten frames, no forcing.
    EXPECT_EQ(MeasureWindowFrames(300, false, force), 10);
    EXPECT_FALSE(force);
    EXPECT_EQ(MeasureWindowFrames(1500, false, force), 2);   // 50 ms/div
    EXPECT_EQ(MeasureWindowFrames(3000, false, force), 1);   // 100 ms/div
    EXPECT_EQ(MeasureWindowFrames(30000, false, force), 1);  // 1 s/div
    EXPECT_EQ(MeasureWindowFrames(201, false, force), 14);
    EXPECT_EQ(MeasureWindowFrames(150, false, force), 20);   // 5 ms/div
    EXPECT_TRUE(force);
    EXPECT_EQ(MeasureWindowFrames(0, false, force), 20);
    EXPECT_EQ(MeasureWindowFrames(300, true, force), 1);     // recorder
}

TEST(PrepareFrame, MinMaxPairsGiveTruncatedMidpointsAndSeparateExtremes)
{
    const std::vector<std::int32_t> pairs = {-10, 30, -3, 0, 5, 8};
    std::int32_t values[3];
    const FramePoints f = PrepareFrame(pairs.data(), 6, 3, true, 2, values);
    ASSERT_EQ(f.count, 3);
    EXPECT_EQ(values[0], 10 - 2);
    EXPECT_EQ(values[1], -1 - 2);  // -3 / 2 truncates toward zero
    EXPECT_EQ(values[2], 6 - 2);
    EXPECT_EQ(f.minimum, -10 - 2);  // from the minima
    EXPECT_EQ(f.maximum, 30 - 2);   // from the maxima

    // Never reads past the array, whatever V claims.
    const FramePoints cut = PrepareFrame(pairs.data(), 5, 300, true, 0, values);
    EXPECT_EQ(cut.count, 2);
    const FramePoints none = PrepareFrame(nullptr, 0, 300, false, 0, values);
    EXPECT_EQ(none.count, 0);
}

TEST(AccumulateFrame, FlatSignalHasEqualLevelsAndNoPeriod)
{
    ChannelAccumulator acc;
    acc.Reset();
    const std::vector<std::int32_t> flat(300, 17);
    AccumulateFrame(acc, FramePoints{flat.data(), 300, 17, 17});
    ChannelMeasurement m;
    FinishWindow(acc, 1, m);
    EXPECT_EQ(m.mean, 17);
    EXPECT_EQ(m.top, 17);
    EXPECT_EQ(m.base, 17);
    EXPECT_EQ(m.peak, 0);
    EXPECT_EQ(m.maximum, 17);
    EXPECT_EQ(m.minimum, 17);
    EXPECT_EQ(m.period, 0.0);
}

TEST(AccumulateFrame, LevelsSplitAtTheMeanAndTheMeanDoesNotWrap)
{
    ChannelAccumulator acc;
    acc.Reset();
    // Square wave between -20 and 60 with equal halves: mean 20, base -20, top 60.
    const auto wave = SquareWave(300, -20, 60, {0, 100, 200}, 50);
    AccumulateFrame(acc, FramePoints{wave.data(), 300, -20, 60});
    ChannelMeasurement m;
    FinishWindow(acc, 1, m);
    EXPECT_EQ(m.mean, 20);
    EXPECT_EQ(m.base, -20);
    EXPECT_EQ(m.top, 60);
    EXPECT_EQ(m.peak, 40);

    // Values at the top of the range minus a negative offset pass 127: the mean stays 137.
    acc.Reset();
    const std::vector<std::int32_t> high(300, 137);
    AccumulateFrame(acc, FramePoints{high.data(), 300, 137, 137});
    FinishWindow(acc, 1, m);
    EXPECT_EQ(m.mean, 137);
}

MeasureTickInput TickInput(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b, int valid,
                           std::int64_t units)
{
    MeasureTickInput in;
    in.channel[0] = {a.data(), static_cast<int>(a.size()), 0};
    in.channel[1] = {b.data(), static_cast<int>(b.size()), 0};
    in.validPoints = valid;
    in.tDivUnits = units;
    return in;
}

TEST(MeasureTick, TenFramesAreAveragedAtTenMillisecondsPerDivision)
{
    MeasureState state;
    std::int32_t k = 0;
    ChannelMeasurement results[2];
    std::vector<std::int32_t> a(600), b(600, -5);
    int measuredFrames = 0;
    for (int frame = 1; frame <= 10; ++frame) {
        for (int i = 0; i < 300; ++i)
            a[static_cast<std::size_t>(i)] = frame;  // frame means 1..10
        // A new frame fills up from nothing: the latch measures it once it passes 240 points.
        EXPECT_FALSE(MeasureTick(state, TickInput(a, b, 0, 300), k, results));
        EXPECT_FALSE(MeasureTick(state, TickInput(a, b, 120, 300), k, results));
        const bool done = MeasureTick(state, TickInput(a, b, 300, 300), k, results);
        EXPECT_EQ(k, frame);
        // The same full frame again is not measured twice.
        EXPECT_FALSE(MeasureTick(state, TickInput(a, b, 300, 300), k, results));
        ++measuredFrames;
        EXPECT_EQ(done, frame == 10);
    }
    EXPECT_EQ(measuredFrames, 10);
    EXPECT_EQ(results[0].mean, 55 / 10);  // (1 + ... + 10) / 10, integer
    EXPECT_EQ(results[0].maximum, 10);
    EXPECT_EQ(results[0].minimum, 1);
    EXPECT_EQ(results[1].mean, -5);

    // The next window starts over.
    EXPECT_FALSE(MeasureTick(state, TickInput(a, b, 10, 300), k, results));
    EXPECT_FALSE(MeasureTick(state, TickInput(a, b, 300, 300), k, results));
    EXPECT_EQ(k, 1);
}

TEST(MeasureTick, FastTimeBasesMeasureEveryFullFrameAndAMoveMeasuresOnce)
{
    MeasureState state;
    std::int32_t k = 0;
    ChannelMeasurement results[2];
    std::vector<std::int32_t> a(600, 3), b(600, 4);
    for (int i = 0; i < 5; ++i)
        MeasureTick(state, TickInput(a, b, 300, 150), k, results);
    EXPECT_EQ(k, 5);

    // Slow time base, full frame: only a change of the horizontal position measures.
    MeasureState slow;
    std::int32_t k2 = 0;
    MeasureTickInput in = TickInput(a, b, 300, 3000);
    EXPECT_FALSE(MeasureTick(slow, in, k2, results));
    EXPECT_EQ(k2, 0);
    in.xOffset = 12;
    EXPECT_TRUE(MeasureTick(slow, in, k2, results));
    EXPECT_FALSE(MeasureTick(slow, in, k2, results));
    EXPECT_EQ(results[0].mean, 3);
}

TEST(MeasureTick, RecorderMeasuresEveryCallAndEmptyOrOversizedFramesAreSkipped)
{
    MeasureState state;
    std::int32_t k = 0;
    ChannelMeasurement results[2];
    std::vector<std::int32_t> a(600, 9), b(600, 1);
    MeasureTickInput in = TickInput(a, b, 0, 300);
    in.recorder = true;
    // Nothing to measure in an empty frame: no result, and the window does not advance.
    EXPECT_FALSE(MeasureTick(state, in, k, results));
    EXPECT_EQ(k, 0);
    for (int v = 1; v <= 300; v += 13) {
        in.validPoints = v;
        EXPECT_TRUE(MeasureTick(state, in, k, results)) << v;
        EXPECT_EQ(results[0].mean, 9);
    }
    // A count above the screen width from a damaged state is treated as empty.
    in.validPoints = 301;
    results[0].mean = -1;
    EXPECT_FALSE(MeasureTick(state, in, k, results));
    EXPECT_EQ(results[0].mean, -1);
}

TEST(MeasureTick, OutOfRangeCounterRestartsTheWindow)
{
    MeasureState state;
    std::int32_t k = 57;  // e.g. left over from a longer window
    ChannelMeasurement results[2];
    std::vector<std::int32_t> a(600, 2), b(600, 2);
    MeasureTickInput in = TickInput(a, b, 300, 1500);
    in.xOffset = 1;
    EXPECT_FALSE(MeasureTick(state, in, k, results));
    EXPECT_EQ(k, 1);
}

}  // namespace
