// The whole acquisition chain against the virtual instrument, for every device version: the
// link and its worker, the dispatcher, the data model and the instrument in-process, on one
// manual clock. What the user would see is checked against the signals the instrument is known
// to carry.

#include "core/data/RecorderHeader.h"
#include "core/measure/Measurements.h"
#include "core/measure/OscFormat.h"
#include "core/measure/OscMeasure.h"
#include "sim/SignalSource.h"
#include "support/SimSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

// A time base per version at which one stored sample makes one screen point, so that the
// screen shows the device's samples themselves.
struct VariantCase {
    int version;
    unsigned tDiv;          // 10 us/div (12) or 100 us/div (15)
};

double TDivSeconds(unsigned t)
{
    return static_cast<double>(TDivIndexToSeconds(t));
}

std::string CaseName(const ::testing::TestParamInfo<VariantCase>& info)
{
    return "Version" + std::to_string(info.param.version);
}

const VariantCase kAllVersions[] = {{1, 12}, {2, 15}, {3, 15}, {4, 15}, {5, 15}};

// Five periods of the sine and two and a half of the square on the 300 points.
SignalSettings SignalsFor(unsigned tDiv)
{
    SignalSettings s;
    const double screen = 30.0 * TDivSeconds(tDiv);
    s.sineHz = 5.0 / screen;
    s.sineAmplitude = 80;
    s.squareHz = 2.5 / screen;
    s.squareAmplitude = 50;
    return s;
}

// Sets the time base and a rising trigger on channel A, with both channels on.
void SetUpTriggeredViewAt(OscData& d, unsigned tDiv, int level, bool samplePerPoint)
{
    d.EnableChannelB(true);
    d.t_div = tDiv;
    ASSERT_EQ(d.SolveTimebase(), 0);
    if (samplePerPoint) {
        ASSERT_EQ(d.x_zoom_out_hw * d.x_zoom_out_sw, d.x_zoom_in) << "one sample per point";
    }
    d.osc_cr |= OSC_CR_TRIGGER_ON;
    d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_B | OSC_CR_TRIGGER_EXT));
    d.trigger_dir[0] = 1;
    d.trigger_level[0] = level;
    d.trigger_offset_samples = 0;
    d.trigger_offset_extra = 0;
    d.changes |= CHANGE_TRIGGER | CHANGE_CAPTURE;
}

void SetUpTriggeredView(OscData& d, unsigned tDiv, int level)
{
    SetUpTriggeredViewAt(d, tDiv, level, true);
}

// Waits until captures run with the settings just changed: a cycle started before the change
// may still end first, so two new cycles are awaited.
bool SettleAfterChange(SimSession& session)
{
    int first = 0;
    session.Change([&](OscData& d) { first = d.cycle_counter; });
    return session.WaitFor([&](OscData& d) { return d.cycle_counter >= first + 2; }, 20000);
}

class EndToEnd : public ::testing::TestWithParam<VariantCase> {};

// ---------------------------------------------------------------------------------------------
// Live view

TEST_P(EndToEnd, SettingsAreWrittenAndTheScreenReproducesTheSignals)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    session.Sim().SetSignals(SignalsFor(c.tDiv));
    ASSERT_TRUE(session.Connect());

    // Every setting reached the device.
    session.Change([&](OscData& d) {
        EXPECT_EQ(session.Sim().GetAnalogCr(), d.analog_cr);
        EXPECT_EQ(session.Sim().GetOutFreq(), d.out_freq);
        if (c.version == 2) {
            EXPECT_EQ(session.Sim().GetOffsetDac(0), d.offset_dac[0]);
            EXPECT_EQ(session.Sim().GetOffsetDac(1), d.offset_dac[1]);
        }
        SetUpTriggeredView(d, c.tDiv, 0);
    });
    ASSERT_TRUE(SettleAfterChange(session));
    ASSERT_TRUE(session.WaitFrames(2));

    const int zeroA = session.Sim().GetInputZero(0);
    const int zeroB = session.Sim().GetInputZero(1);
    double period = 0.0;
    for (int frame = 0; frame < 4 && period == 0.0; ++frame) {
        ASSERT_TRUE(session.WaitFrames(1));
        session.Change([&](OscData& d) {
            ASSERT_EQ(d.valid_points, SCREEN_POINTS);
            const auto a = std::minmax_element(d.screen_points[0], d.screen_points[0] + SCREEN_POINTS);
            const auto b = std::minmax_element(d.screen_points[1], d.screen_points[1] + SCREEN_POINTS);
            // The sine's peaks fall between samples: within one code of its amplitude.
            EXPECT_NEAR((*a.second - *a.first) / 2.0, 80, 1.0);
            EXPECT_NEAR((*a.second + *a.first) / 2.0, zeroA, 1.0);
            EXPECT_EQ(*b.second, zeroB + 50);
            EXPECT_EQ(*b.first, zeroB - 50);
            // The edge at the trigger position, the middle of the screen.
            EXPECT_LT(d.screen_points[0][149], 0);
            EXPECT_GE(d.screen_points[0][150], 0);
            // The period as the measurements find it on the frame.
            std::int64_t sum = 0;
            for (int p = 0; p < SCREEN_POINTS; ++p)
                sum += d.screen_points[0][p];
            period = FramePeriod(d.screen_points[0], SCREEN_POINTS,
                                 static_cast<std::int32_t>(sum / SCREEN_POINTS));
        });
    }
    // Five periods on 300 points.
    EXPECT_NEAR(period, 60.0, 0.6);
    // Frames are read while a capture still runs; captures follow one another.
    EXPECT_GE(session.Sim().GetCounters().captures, 2);
}

TEST_P(EndToEnd, WithoutTriggerFramesFollowTheRunningCapture)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    session.Sim().SetSignals(SignalsFor(c.tDiv));
    ASSERT_TRUE(session.Connect());
    session.Change([&](OscData& d) {
        SetUpTriggeredView(d, c.tDiv, 0);
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
    });
    ASSERT_TRUE(SettleAfterChange(session));
    ASSERT_TRUE(session.WaitFrames(2));
    const int zeroA = session.Sim().GetInputZero(0);
    const int zeroB = session.Sim().GetInputZero(1);
    session.Change([&](OscData& d) {
        // Whole frames of the memory as it fills, each a stretch of the signals.
        ASSERT_EQ(d.valid_points, SCREEN_POINTS);
        EXPECT_EQ(d.x_offset % SCREEN_POINTS, 0);
        const auto a = std::minmax_element(d.screen_points[0], d.screen_points[0] + SCREEN_POINTS);
        const auto b = std::minmax_element(d.screen_points[1], d.screen_points[1] + SCREEN_POINTS);
        EXPECT_NEAR((*a.second - *a.first) / 2.0, 80, 1.0);
        EXPECT_NEAR((*a.second + *a.first) / 2.0, zeroA, 1.0);
        EXPECT_EQ(*b.second, zeroB + 50);
        EXPECT_EQ(*b.first, zeroB - 50);
    });
}

TEST_P(EndToEnd, PeakDetectorPairsAndLogicLinesReachTheScreen)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    SignalSettings signals = SignalsFor(c.tDiv);
    // One count of the logic counter per ten points.
    signals.counterHz = 1.0 / (TDivSeconds(c.tDiv) / 10.0 * 10.0);
    session.Sim().SetSignals(signals);
    ASSERT_TRUE(session.Connect());
    bool logic = false;
    session.Change([&](OscData& d) {
        SetUpTriggeredView(d, c.tDiv, 0);
        // Peak detection, as its button switches it: the memory and rate halve.
        d.osc_cr |= OSC_CR_MIN_MAX;
        ASSERT_EQ(d.SolveTimebase(), 0);
        logic = (d.GetChannelCaps() & 0x2) != 0;
        if (logic)
            d.osc_cr |= OSC_CR_LOGIC_A; // channel A carries its eight lines; B stays analog
        d.trigger_dir[0] = 0;
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
        // Linear interpolation where the halved rate needs zooming in: no overshoot at edges.
        d.mode |= MODE_LINEAR;
        d.changes |= CHANGE_CAPTURE;
    });
    ASSERT_TRUE(SettleAfterChange(session));
    ASSERT_TRUE(session.WaitFrames(2));
    const int zeroB = session.Sim().GetInputZero(1);
    session.Change([&](OscData& d) {
        ASSERT_EQ(d.valid_points, SCREEN_POINTS);
        // Channel B's square wave: every pair within its two levels, and both levels seen.
        int lowest = 127;
        int highest = -128;
        for (int p = 0; p < SCREEN_POINTS; ++p) {
            const int low = d.screen_points[1][2 * p];
            const int high = d.screen_points[1][2 * p + 1];
            ASSERT_LE(low, high);
            lowest = std::min(lowest, low);
            highest = std::max(highest, high);
        }
        EXPECT_EQ(lowest, zeroB - 50);
        EXPECT_EQ(highest, zeroB + 50);
        if (!logic)
            return;
        // Line 0 of the counter toggles every ten points: 0 or 2 between, 1 where it changes
        // within a point.
        int toggles = 0;
        int settled = d.logic_points[0][0][0];
        for (int p = 0; p < SCREEN_POINTS; ++p) {
            const int line = d.logic_points[0][p][0];
            ASSERT_TRUE(line == 0 || line == 1 || line == 2) << p;
            if (line == 1)
                continue;
            if (settled != 1 && line != settled)
                ++toggles;
            settled = line;
        }
        EXPECT_NEAR(toggles, 30, 2);
        // Line 7 moves once per 1280 points at most: steady across the screen.
        int steadyHigh = 0;
        int steadyLow = 0;
        for (int p = 0; p < SCREEN_POINTS; ++p) {
            steadyHigh += d.logic_points[0][p][7] == 2 ? 1 : 0;
            steadyLow += d.logic_points[0][p][7] == 0 ? 1 : 0;
        }
        EXPECT_GE(steadyHigh + steadyLow, SCREEN_POINTS - 1);
    });
}

TEST_P(EndToEnd, TriggerOffsetMovesTheEdgeAcrossTheScreen)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    session.Sim().SetSignals(SignalsFor(c.tDiv));
    ASSERT_TRUE(session.Connect());
    session.Change([&](OscData& d) {
        SetUpTriggeredView(d, c.tDiv, 30);
        // 50 samples later on the screen: the edge moves 50 points to the right.
        d.trigger_offset_samples = 50;
        d.changes |= CHANGE_POSITION;
    });
    ASSERT_TRUE(SettleAfterChange(session));
    ASSERT_TRUE(session.WaitFrames(2));
    session.Change([&](OscData& d) {
        ASSERT_EQ(d.valid_points, SCREEN_POINTS);
        EXPECT_LT(d.screen_points[0][199], 30);
        EXPECT_GE(d.screen_points[0][200], 30);
    });
}

// ---------------------------------------------------------------------------------------------
// Single shot and the stopped read-out

TEST_P(EndToEnd, SingleShotStopsAndTheStoppedMemoryReadsBitExact)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    session.Sim().SetSignals(SignalsFor(c.tDiv));
    ASSERT_TRUE(session.Connect());
    session.Change([&](OscData& d) { SetUpTriggeredView(d, c.tDiv, 10); });
    ASSERT_TRUE(SettleAfterChange(session));
    session.Change([](OscData& d) { d.mode |= MODE_SINGLE; });
    ASSERT_TRUE(session.WaitFor(
        [](OscData& d) { return (d.mode & MODE_STOPPED) != 0 && (d.status & STATUS_MEMORY_READ) != 0; },
        20000));

    // No further capture is started.
    const int captures = session.Sim().GetCounters().captures;
    session.Run(500);
    EXPECT_EQ(session.Sim().GetCounters().captures, captures);
    EXPECT_FALSE(session.Sim().GetCaptureInfo().running);

    // The host's buffers hold the device memory from the window's start on.
    const std::vector<std::int8_t> memory[2] = {session.Sim().GetMemory(0), session.Sim().GetMemory(1)};
    session.Change([&](OscData& d) {
        EXPECT_EQ(d.mode & MODE_SINGLE, 0u);
        const std::int64_t depth = d.GetMemoryDepth();
        ASSERT_EQ(static_cast<std::int64_t>(memory[0].size()), depth);
        const std::int64_t start = d.trigger_buffer_start_sample;
        for (int ch = 0; ch < 2; ++ch) {
            int mismatches = 0;
            std::int64_t first = -1;
            for (std::int64_t i = 0; i < depth; ++i) {
                if (d.sample_buffer[ch][i] != memory[ch][static_cast<std::size_t>((start + i) % depth)]) {
                    if (first < 0)
                        first = i;
                    ++mismatches;
                }
            }
            EXPECT_EQ(mismatches, 0) << "channel " << ch << ", first at " << first;
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Zoomed in: several screen points per step of stored samples

// A single triggered capture of version 2 at 100 ns/div with the device decimation held to 2:
// x_zoom_out_sw 2, x_zoom_in 5 (two stored samples per five points). With the view moved by one
// point the interpolation phase is 3, so the first point lies one stored sample into the
// read-out (x_zoom_out_sw * phase / x_zoom_in = 1).
struct ZoomedTrace {
    std::vector<double> error;  // per point: screen value minus the samples at its position
    std::vector<int> screen;
    int phase = -1;
    int step = 0;
    int zoom = 0;
    std::int64_t windowStart = 0;
};

// The distance of channel A's screen points from the device's samples interpolated at each
// point's true position.
void CompareWithMemory(OscData& d, const std::vector<std::int8_t>& memory, ZoomedTrace& t)
{
    t.phase = d.interp_phase;
    t.step = d.x_zoom_out_sw;
    t.zoom = d.x_zoom_in;
    t.windowStart = d.trigger_buffer_start_sample;
    t.error.assign(SCREEN_POINTS, 0.0);
    t.screen.assign(d.screen_points[0], d.screen_points[0] + SCREEN_POINTS);
    const double depth = static_cast<double>(memory.size());
    for (int i = 0; i < SCREEN_POINTS; ++i) {
        const double at = d.trigger_buffer_start_sample +
                          static_cast<double>(d.x_offset + i) * d.x_zoom_out_sw / d.x_zoom_in;
        const double whole = std::floor(at);
        const auto a = memory[static_cast<std::size_t>(std::fmod(whole, depth))];
        const auto b = memory[static_cast<std::size_t>(std::fmod(whole + 1, depth))];
        t.error[static_cast<std::size_t>(i)] = d.screen_points[0][i] - (a + (at - whole) * (b - a));
    }
}

// The same for the logic lines: a point on a sample takes its lines (0 low, 2 high), a point
// between two samples takes 1 where they differ.
void CompareLinesWithMemory(OscData& d, const std::vector<std::int8_t>& memory, ZoomedTrace& t)
{
    t.phase = d.interp_phase;
    t.step = d.x_zoom_out_sw;
    t.zoom = d.x_zoom_in;
    t.error.assign(SCREEN_POINTS, 0.0);
    const std::int64_t depth = static_cast<std::int64_t>(memory.size());
    for (int i = 0; i < SCREEN_POINTS; ++i) {
        const std::int64_t position = std::int64_t{d.x_offset + i} * d.x_zoom_out_sw;
        const std::int64_t whole = d.trigger_buffer_start_sample + position / d.x_zoom_in;
        const bool between = position % d.x_zoom_in != 0;
        const auto a = static_cast<std::uint8_t>(memory[static_cast<std::size_t>(whole % depth)]);
        const auto b = static_cast<std::uint8_t>(memory[static_cast<std::size_t>((whole + 1) % depth)]);
        for (int line = 0; line < 8; ++line) {
            const int va = 2 * ((a >> line) & 1);
            const int vb = 2 * ((b >> line) & 1);
            const int want = !between || va == vb ? va : 1;
            if (d.logic_points[0][i][line] != want)
                t.error[static_cast<std::size_t>(i)] = 1.0;
        }
    }
}

double Worst(const std::vector<double>& error)
{
    double worst = 0;
    for (const double e : error)
        worst = std::max(worst, std::fabs(e));
    return worst;
}

// The frame read from the device during the capture (readOut), and the same view rebuilt from
// the stopped memory afterwards (rebuilt).
void MeasureZoomedTrace(bool linear, ZoomedTrace& readOut, ZoomedTrace& rebuilt, bool logic = false)
{
    SimSession session(2);
    SignalSettings signals;
    signals.sineHz = 40e6 / 60;    // 60 stored samples per period
    signals.counterHz = 40e6 / 10; // one count per 10 stored samples
    signals.sineAmplitude = 80;
    session.Sim().SetSignals(signals);
    ASSERT_TRUE(session.Connect());
    session.Change([&](OscData& d) {
        d.max_x_skip = 1;
        SetUpTriggeredViewAt(d, 6, 0, false);
        d.trigger_offset_extra = 1;
        if (linear)
            d.mode |= MODE_LINEAR;
        if (logic) {
            // Channel A's lines: the counter, triggered when line 4 rises.
            d.osc_cr |= OSC_CR_LOGIC_A;
            d.trigger_digital = 0x10;
        }
    });
    ASSERT_TRUE(SettleAfterChange(session));
    session.Change([](OscData& d) { d.mode |= MODE_SINGLE; });
    ASSERT_TRUE(session.WaitFor(
        [](OscData& d) { return (d.mode & MODE_STOPPED) != 0 && (d.status & STATUS_MEMORY_READ) != 0; },
        20000));
    const std::vector<std::int8_t> memory = session.Sim().GetMemory(0);
    session.Change([&](OscData& d) {
        if (logic)
            CompareLinesWithMemory(d, memory, readOut);
        else
            CompareWithMemory(d, memory, readOut);
    });
    session.Change([&](OscData& d) {
        d.changes |= CHANGE_ZOOM;
        d.status &= ~STATUS_FRAME_READY;
    });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.status & STATUS_FRAME_READY) != 0; }, 5000));
    session.Change([&](OscData& d) { CompareWithMemory(d, memory, rebuilt); });
}

TEST(EndToEndZoom, LinearTraceFollowsTheSamplesWhenAStepSpansSeveralPoints)
{
    ZoomedTrace readOut;
    ZoomedTrace rebuilt;
    MeasureZoomedTrace(true, readOut, rebuilt);
    EXPECT_EQ(readOut.step, 2);
    EXPECT_EQ(readOut.zoom, 5);
    EXPECT_EQ(readOut.phase, 3);
    EXPECT_LE(Worst(readOut.error), 2.0);
}

// The sinc trace lies where the linear one does: its source position counts from the same
// sample (x_zoom_out_sw * phase / x_zoom_in into the read-out).
TEST(EndToEndZoom, SincTraceFollowsTheSamplesWhenAStepSpansSeveralPoints)
{
    ZoomedTrace readOut;
    ZoomedTrace rebuilt;
    MeasureZoomedTrace(false, readOut, rebuilt);
    EXPECT_LE(Worst(readOut.error), 3.0);
}

TEST(EndToEndZoom, LogicLinesFollowTheSamplesWhenAStepSpansSeveralPoints)
{
    ZoomedTrace readOut;
    ZoomedTrace rebuilt;
    MeasureZoomedTrace(false, readOut, rebuilt, true);
    EXPECT_EQ(readOut.phase, 3);
    int wrong = 0;
    for (const double e : readOut.error)
        wrong += e != 0.0 ? 1 : 0;
    EXPECT_EQ(wrong, 0);
}

// A stopped view rebuilt from the memory read-out must show what the device read-out showed:
// the memory buffer starts at the trigger window's first sample, while the plan names a device
// address.
TEST(EndToEndZoom, StoppedRebuildShowsTheSameWindowAsTheReadOut)
{
    ZoomedTrace readOut;
    ZoomedTrace rebuilt;
    // Where the trigger window starts depends on when the capture began in the device's time,
    // which the threads' interleaving moves. A window starting at 0 cannot tell a device address
    // from a buffer index, so the capture is taken again until it starts elsewhere.
    for (int attempt = 0; attempt < 8 && (attempt == 0 || rebuilt.windowStart == 0); ++attempt) {
        readOut = ZoomedTrace{};
        rebuilt = ZoomedTrace{};
        MeasureZoomedTrace(true, readOut, rebuilt);
    }
    ASSERT_NE(rebuilt.windowStart, 0);
    EXPECT_LE(Worst(rebuilt.error), 2.0);
    EXPECT_EQ(rebuilt.screen, readOut.screen);
}

// A steady level at the time base the program starts with (50 ns/div: each stored sample spans
// five screen points) draws as one straight line over the whole screen, its first and last points
// included, and the automatic measurements find no swing in it: maximum, minimum, mean, top and
// base are the level, the amplitude is 0. With plain samples and with the peak detector's pairs.
TEST(EndToEndZoom, ASteadyLevelIsFlatOnTheScreenAndInTheMeasurements)
{
    constexpr int kHigh = 95;
    for (const bool pairs : {false, true}) {
        SCOPED_TRACE(pairs ? "peak detector" : "plain samples");
        SimSession session(2);
        SignalSettings signals;
        signals.squareHz = 0.0;  // channel B stays at its high level
        signals.squareAmplitude = kHigh;
        session.Sim().SetSignals(signals);
        ASSERT_TRUE(session.Connect());
        session.Change([&](OscData& d) {
            d.EnableChannelB(true);
            d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
            if (pairs)
                d.osc_cr |= OSC_CR_MIN_MAX;
            else
                d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_MIN_MAX);
            d.t_div = 5;
            ASSERT_EQ(d.SolveTimebase(), 0);
            d.changes |= CHANGE_CAPTURE;
        });
        ASSERT_TRUE(SettleAfterChange(session));
        ASSERT_TRUE(session.WaitFrames(2));
        const int level = session.Sim().GetInputZero(1) + kHigh;
        session.Change([&](OscData& d) {
            ASSERT_EQ(d.x_zoom_out_sw, 1);
            ASSERT_EQ(d.x_zoom_in, 5);
            ASSERT_EQ(d.valid_points, SCREEN_POINTS);
            const std::int32_t* values = d.screen_points[1];
            const int count = pairs ? 2 * SCREEN_POINTS : SCREEN_POINTS;
            EXPECT_EQ(std::count(values, values + count, level), count)
                << "level " << level << ", first values " << values[0] << " " << values[1] << " "
                << values[2] << " " << values[3];

            // The main window's timer measures every full frame at this time base and averages
            // twenty of them.
            ProcessMeasureState() = MeasureState();
            d.measure_frames = 0;
            d.status &= ~STATUS_MEASURED;
            for (int tick = 0; tick < 20 && (d.status & STATUS_MEASURED) == 0; ++tick)
                d.ProcessFrame();
            ASSERT_NE(d.status & STATUS_MEASURED, 0u);
            const int measured = level - d.GetCalibrationOffset(1);
            EXPECT_EQ(d.measure_max[1], measured);
            EXPECT_EQ(d.measure_min[1], measured);
            EXPECT_EQ(d.measure_mean[1], measured);
            EXPECT_EQ(d.measure_top[1], measured);
            EXPECT_EQ(d.measure_base[1], measured);
            EXPECT_EQ(d.measure_peak[1], 0);
            EXPECT_EQ(d.measure_period[1], 0.0);
            // As the measurement window shows them.
            EXPECT_EQ(FormatMeasuredMax(d, 1), FormatMeasuredMean(d, 1));
            EXPECT_EQ(FormatMeasuredMin(d, 1), FormatMeasuredMean(d, 1));
            EXPECT_EQ(FormatMeasuredAmplitude(d, 1), "0 мВ");
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Recorder

TEST_P(EndToEnd, RecordingWritesTheSignalIntoItsFile)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    SignalSettings signals;
    signals.sineHz = 97.0;
    session.Sim().SetSignals(signals);
    ASSERT_TRUE(session.Connect());

    // A name of its own per run, so that two runs of the suite in one build tree do not write
    // into each other's file.
    const std::string path = std::string(VELKARO_TEST_OUTPUT_DIR) + "/end_to_end_recorder_v" +
                             std::to_string(c.version) + "_" + std::to_string(std::random_device{}()) +
                             "_a.bin";
    std::filesystem::create_directories(VELKARO_TEST_OUTPUT_DIR);
    std::remove(path.c_str());
    std::string error;
    session.Change([&](OscData& d) { d.recorder_error.connect([&](const std::string& text) { error = text; }); });
    // As the main window switches the recorder on (paused) and starts it.
    session.Change([&](OscData& d) {
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
        d.mode |= MODE_RECORDER;
        d.recorder_samples = 0;
        d.x_offset = 0;
        if ((d.mode & MODE_STOPPED) == 0)
            d.ToggleStop();
        d.t_div = 18; // 100 us per point: 10 000 samples a second
        ASSERT_EQ(d.SolveTimebase(), 0);
        d.str_datalogger_fn[0] = path;
    });
    // Paused for a moment, so that no capture started before is still under way; then run.
    // The device's clock runs on while this thread waits to be scheduled, so how long the
    // recording lasts is read off that clock at the start and at the stop, not assumed.
    session.Run(200);
    DWORD startedAt = 0;
    session.Change([&](OscData& d) {
        d.ToggleStop();
        startedAt = session.Clock().GetTickCount();
    });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.osc_cr & OSC_CR_RECORDER) != 0; }, 5000)) << error;
    ASSERT_TRUE(session.WaitFor([&](OscData&) { return session.Sim().GetCaptureInfo().started &&
                                                       (session.Sim().GetCaptureInfo().osc_cr & OSC_CR_RECORDER) != 0; },
                                5000));
    const CaptureEngine::Info info = session.Sim().GetCaptureInfo();
    EXPECT_EQ(info.periodPs, 100000000); // 100 us
    SignalSource expected(session.Sim().GetSignals());
    expected.SetOffset(0, session.Sim().GetInputZero(0));

    session.Run(2000);
    DWORD stoppedAt = 0;
    session.Change([&](OscData& d) {
        d.ToggleStop();
        stoppedAt = session.Clock().GetTickCount();
    });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.osc_cr & OSC_CR_RECORDER) == 0; }, 5000));

    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file.good());
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), RECORDER_HEADER_SIZE);
    RecorderHeader header{};
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(std::memcmp(bytes.data(), "UODL", 4), 0);
    const std::uint32_t version = header.version;
    const std::uint32_t samples = header.samples;
    const std::uint8_t minMax = header.min_max;
    EXPECT_EQ(version, static_cast<std::uint32_t>(c.version));
    EXPECT_EQ(minMax, 0);
    ASSERT_EQ(bytes.size(), RECORDER_HEADER_SIZE + samples);
    // At 10 kHz, ten samples for each millisecond between the start and the stop (at least two
    // seconds), less what was still in the device's memory at the stop.
    const std::uint32_t elapsedMs = stoppedAt - startedAt;
    ASSERT_GE(elapsedMs, 2000u);
    EXPECT_GT(samples, 10 * elapsedMs - 4000);
    EXPECT_LE(samples, 10 * elapsedMs);
    int mismatches = 0;
    for (std::uint32_t i = 0; i < samples; ++i) {
        const std::int8_t want = expected.Analog(0, info.startPs + static_cast<std::int64_t>(i) * info.periodPs);
        if (static_cast<std::int8_t>(bytes[RECORDER_HEADER_SIZE + i]) != want)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(AllVersions, EndToEnd, ::testing::ValuesIn(kAllVersions), CaseName);

// ---------------------------------------------------------------------------------------------
// Frequency response and calibration (versions 1, 2 and 3)

struct ResponseCase {
    int version;
    double cutoffHz;
    std::vector<std::uint32_t> dividers;
};

class EndToEndResponse : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(EndToEndResponse, FrequencyResponseMeasuresTheInputsLowPass)
{
    const ResponseCase c = GetParam();
    SimSession session(c.version);
    SignalSettings signals;
    signals.generatorWired[0] = true;
    signals.generatorAmplitude = 100;
    signals.cutoffHz[0] = c.cutoffHz;
    session.Sim().SetSignals(signals);
    ASSERT_TRUE(session.Connect());

    std::uint32_t outFreq = 0;
    unsigned baseClock = 0;
    session.Change([&](OscData& d) {
        outFreq = d.out_freq;
        baseClock = d.GetBaseClock();
        FreqResponseRun& fr = d.freq_response;
        fr.index = 0;
        fr.count = static_cast<int>(c.dividers.size());
        std::copy(c.dividers.begin(), c.dividers.end(), fr.freq);
        fr.channel = 0;
        fr.delay = 20;
        fr.time_ms = 300;
        d.mode |= MODE_FREQ_RESPONSE;
    });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.status & STATUS_FR_DONE) != 0; }, 60000));
    // The generator gets its own frequency back.
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.changes & CHANGE_OUT_FREQ) == 0; }, 5000));
    EXPECT_EQ(session.Sim().GetOutFreq(), outFreq);

    const int zero = session.Sim().GetInputZero(0);
    session.Change([&](OscData& d) {
        EXPECT_EQ(d.mode & MODE_FREQ_RESPONSE, 0u);
        for (std::size_t i = 0; i < c.dividers.size(); ++i) {
            const double f = baseClock / (c.dividers[i] + 1.0);
            const double level = 100.0 / std::sqrt(1.0 + (f / c.cutoffHz) * (f / c.cutoffHz));
            EXPECT_NEAR(d.freq_response.ave[i], zero, 1.0) << f << " Hz";
            EXPECT_NEAR(d.freq_response.max[i] - zero, level, 2.0) << f << " Hz";
            EXPECT_NEAR(zero - d.freq_response.min[i], level, 2.0) << f << " Hz";
        }
    });
}

TEST_P(EndToEndResponse, CalibrationFindsTheInputZeros)
{
    const ResponseCase c = GetParam();
    SimSession session(c.version);
    // Probes unplugged: the inputs read only their zeros.
    SignalSettings quiet;
    quiet.sineAmplitude = 0;
    quiet.squareAmplitude = 0;
    session.Sim().SetSignals(quiet);
    session.Sim().SetInputOffset(0, 9);
    session.Sim().SetInputOffset(1, -6);
    ASSERT_TRUE(session.Connect());
    session.Change([](OscData& d) {
        d.status &= ~(STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED);
        d.mode |= MODE_CALIBRATION;
    });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.status & STATUS_CALIBRATED) != 0; }, 60000));
    if (c.version == 2) {
        // The host walked the offset DACs until the inputs read zero.
        session.Change([&](OscData& d) {
            EXPECT_EQ(d.status & STATUS_CALIBRATION_FAILED, 0u);
            EXPECT_EQ(d.mode & MODE_CALIBRATION, 0u);
        });
        ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.changes & (CHANGE_OFFSET_A | CHANGE_OFFSET_B)) == 0; }, 5000));
        EXPECT_EQ(session.Sim().GetInputZero(0), 0);
        EXPECT_EQ(session.Sim().GetInputZero(1), 0);
        return;
    }
    // The device measured its zeros; the host has them once the data are read.
    const int zeroA = session.Sim().GetInputZero(0);
    const int zeroB = session.Sim().GetInputZero(1);
    EXPECT_TRUE(session.WaitFor(
        [&](OscData& d) { return d.GetCalibrationOffset(0) == zeroA && d.GetCalibrationOffset(1) == zeroB; },
        5000));
}

const ResponseCase kResponseVersions[] = {
    {1, 1000000.0, {1, 19, 199, 1999}},        // 10 MHz .. 10 kHz
    {2, 1000000.0, {3, 39, 399, 3999}},        // 10 MHz .. 10 kHz
    {3, 20000.0, {383, 2399, 23999}},          // 62.5 kHz .. 1 kHz
};

std::string ResponseName(const ::testing::TestParamInfo<ResponseCase>& info)
{
    return "Version" + std::to_string(info.param.version);
}

INSTANTIATE_TEST_SUITE_P(MeasuringVersions, EndToEndResponse, ::testing::ValuesIn(kResponseVersions), ResponseName);

} // namespace
