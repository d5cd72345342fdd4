// The whole acquisition chain against the virtual instrument, for every device version: the
// link and its worker, the dispatcher, the data model and the instrument in-process, on one
// manual clock. What the user would see is checked against the signals the instrument is known
// to carry.

#include "core/data/RecorderHeader.h"
#include "core/measure/Measurements.h"
#include "sim/SignalSource.h"
#include "support/SimSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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
void SetUpTriggeredView(OscData& d, unsigned tDiv, int level)
{
    d.EnableChannelB(true);
    d.t_div = tDiv;
    ASSERT_EQ(d.SolveTimebase(), 0);
    ASSERT_EQ(d.x_zoom_out_hw * d.x_zoom_out_sw, d.x_zoom_in) << "one sample per point";
    d.osc_cr |= OSC_CR_TRIGGER_ON;
    d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_B | OSC_CR_TRIGGER_EXT));
    d.trigger_dir[0] = 1;
    d.trigger_level[0] = level;
    d.trigger_offset_samples = 0;
    d.trigger_offset_extra = 0;
    d.changes |= CHANGE_TRIGGER | CHANGE_CAPTURE;
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
    ASSERT_TRUE(session.WaitFrames(3));

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
    ASSERT_TRUE(session.WaitFrames(3));
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
    session.Change([&](OscData& d) {
        SetUpTriggeredView(d, c.tDiv, 10);
        d.mode |= MODE_SINGLE;
    });
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
// Recorder

TEST_P(EndToEnd, RecordingWritesTheSignalIntoItsFile)
{
    const VariantCase c = GetParam();
    SimSession session(c.version);
    SignalSettings signals;
    signals.sineHz = 97.0;
    session.Sim().SetSignals(signals);
    ASSERT_TRUE(session.Connect());

    const std::string path = std::string(VELKARO_TEST_OUTPUT_DIR) + "/end_to_end_recorder_v" +
                             std::to_string(c.version) + "_a.bin";
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
    session.Run(200);
    session.Change([](OscData& d) { d.ToggleStop(); });
    ASSERT_TRUE(session.WaitFor([](OscData& d) { return (d.osc_cr & OSC_CR_RECORDER) != 0; }, 5000)) << error;
    ASSERT_TRUE(session.WaitFor([&](OscData&) { return session.Sim().GetCaptureInfo().started &&
                                                       (session.Sim().GetCaptureInfo().osc_cr & OSC_CR_RECORDER) != 0; },
                                5000));
    const CaptureEngine::Info info = session.Sim().GetCaptureInfo();
    EXPECT_EQ(info.periodPs, 100000000); // 100 us
    SignalSource expected(session.Sim().GetSignals());
    expected.SetOffset(0, session.Sim().GetInputZero(0));

    session.Run(2000);
    session.Change([](OscData& d) { d.ToggleStop(); });
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
    // Two seconds at 10 kHz, less what was still in the device's memory at the stop.
    EXPECT_GT(samples, 16000u);
    EXPECT_LE(samples, 20000u);
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
