// The timebase and decimation solver and the lists built on it.

#include "core/data/DataV2.h"
#include "core/data/DataV5.h"
#include "core/data/ValueFormat.h"
#include "support/DataTestSupport.h"

#include <algorithm>

namespace {

// Running, without trigger, with the whole decimation range allowed.
std::unique_ptr<OscData> Running(int version)
{
    auto data = MakeVariant(version);
    data->mode = 0;
    data->max_x_skip = data->GetDividerMax();
    return data;
}

TEST_F(DataModelTest, TimeDivisionIndexes)
{
    EXPECT_NEAR(static_cast<double>(TDivIndexToSeconds(0)), 1e-9, 1e-21);
    EXPECT_NEAR(static_cast<double>(TDivIndexToSeconds(9)), 1e-6, 1e-18);
    EXPECT_NEAR(static_cast<double>(TDivIndexToSeconds(18)), 1e-3, 1e-15);
    EXPECT_NEAR(static_cast<double>(TDivIndexToSeconds(20)), 5e-3, 1e-15);
    EXPECT_EQ(TDivIndexToSeconds(27), 1.0L);
    EXPECT_EQ(TDivIndexToSeconds(33), 100.0L);

    EXPECT_EQ(FormatTDivText(0), "1 нс/дел");
    EXPECT_EQ(FormatTDivText(5), "50 нс/дел");
    EXPECT_EQ(FormatTDivText(9), "1 мкс/дел");
    EXPECT_EQ(FormatTDivText(18), "1 мс/дел");
    EXPECT_EQ(FormatTDivText(21), "10 мс/дел");
    EXPECT_EQ(FormatTDivText(33), "100 с/дел");

    auto data = MakeVariant(1);
    const struct {
        unsigned t;
        std::int64_t units;
    } units[] = {{0, 0}, {12, 0}, {15, 3}, {16, 6}, {18, 30}, {20, 150}, {21, 300}, {23, 1500}, {24, 3000}, {33, 3000000}};
    for (const auto& u : units) {
        data->t_div = u.t;
        EXPECT_EQ(data->GetTDivUnits(), u.units) << u.t;
    }
    data->t_div = 0xFFFFFFFF;  // never overflows
    EXPECT_GT(data->GetTDivUnits(), 0);
}

TEST_F(DataModelTest, SolverExamples)
{
    // 50 ns/div at 80 MHz: 2 device samples per 5 points.
    auto v2 = Running(2);
    v2->t_div = 5;
    v2->max_x_skip = 1;
    EXPECT_EQ(v2->SolveTimebase(), 0);
    EXPECT_EQ(v2->x_skip, 1u);
    EXPECT_EQ(v2->x_zoom_out_hw, 1);
    EXPECT_EQ(v2->x_zoom_out_sw, 1);
    EXPECT_EQ(v2->x_zoom_in, 5);

    // 20 ns/div: 4 samples per 25 points, a zoom beyond 20.
    v2->t_div = 4;
    const ModelImage before(*v2);
    EXPECT_EQ(v2->SolveTimebase(), 1);
    EXPECT_TRUE(ModelImage(*v2) == before);

    // Running with the device decimation capped: the host takes the rest as whole steps.
    v2->t_div = 21;  // 10 ms/div: 80000 device samples per point
    v2->max_x_skip = 99;
    EXPECT_EQ(v2->SolveTimebase(), 1);  // 800 stored samples per point do not fit 3000
    auto v1 = Running(1);
    v1->t_div = 15;  // 100 us/div at 40 MHz: 400 samples per point
    v1->max_x_skip = 99;
    EXPECT_EQ(v1->SolveTimebase(), 0);
    EXPECT_EQ(v1->x_skip, 99u);
    EXPECT_EQ(v1->x_zoom_out_hw, 4);
    EXPECT_EQ(v1->x_zoom_in, 1);

    // A fractional step: 2/5 of a stored sample would need sw 2 over zin 5 with x_skip 0.
    v2->max_x_skip = 0;
    v2->t_div = 5;
    EXPECT_EQ(v2->SolveTimebase(), 0);
    EXPECT_EQ(v2->x_skip, 0u);
    EXPECT_EQ(v2->x_zoom_out_sw, 2);
    EXPECT_EQ(v2->x_zoom_in, 5);
    EXPECT_EQ(v2->GetInterpolationName(), "sinc");
}

TEST_F(DataModelTest, StoppedSolverKeepsTheCapturedDecimation)
{
    auto v1 = Running(1);
    v1->mode = MODE_STOPPED;
    v1->x_skip = 2;  // 3 device samples per stored sample
    int refusedForRatio = 0;
    for (unsigned t = v1->GetTDivMin(); t <= v1->GetTDivMax(); ++t) {
        v1->t_div = t;
        const int result = v1->SolveTimebase();
        EXPECT_EQ(v1->x_skip, 2u) << t;
        if (result == 2) ++refusedForRatio;
        if (result == 0) {
            // One point covers G/H device samples = hw*sw/zin stored samples of 3.
            const long double perPoint = TDivIndexToSeconds(t) / 10 * 40e6L;
            const long double mapped =
                3.0L * v1->x_zoom_out_hw * v1->x_zoom_out_sw / v1->x_zoom_in;
            EXPECT_NEAR(static_cast<double>(perPoint), static_cast<double>(mapped), 1e-6) << t;
        }
    }
    EXPECT_GT(refusedForRatio, 0);
}

TEST_F(DataModelTest, RecorderSolver)
{
    // Before any sample the device does all the decimation and the host never zooms in.
    auto v2 = Running(2);
    v2->mode = MODE_RECORDER;
    v2->recorder_samples = 0;
    v2->t_div = 33;  // 800 000 000 samples per point: beyond the divider
    EXPECT_EQ(v2->SolveTimebase(), 1);
    v2->t_div = 20;  // 5 ms/div: 40 000 samples per point
    EXPECT_EQ(v2->SolveTimebase(), 0);
    EXPECT_EQ(v2->x_skip, 39999u);
    EXPECT_EQ(v2->x_zoom_in, 1);

    DataV5 v5;
    v5.mode = MODE_RECORDER;
    v5.osc_cr |= OSC_CR_MIN_MAX;  // 250 kHz: 12.5 samples per point at 5 ms/div
    v5.t_div = 17;
    EXPECT_EQ(v5.SolveTimebase(), 2);

    // With samples recorded, the decimation stays; coarser views take whole steps of it.
    v2->recorder_samples = 30000;
    v2->t_div = 21;  // 80 000 per point: 2 stored samples of 40 000
    EXPECT_EQ(v2->SolveTimebase(), 0);
    EXPECT_EQ(v2->x_skip, 39999u);
    EXPECT_EQ(v2->x_zoom_out_hw, 2);
    v2->t_div = 19;  // 20 000 per point: finer than recorded
    EXPECT_EQ(v2->SolveTimebase(), 2);
    v2->recorder_samples = 100;  // too few for 300 points of 2
    v2->t_div = 21;
    EXPECT_EQ(v2->SolveTimebase(), 1);
}

TEST_F(DataModelTest, SolverRefusalLeavesTheModelByteIdentical)
{
    for (int version = 1; version <= 5; ++version) {
        for (std::uint32_t modeBits : {0u, MODE_STOPPED, MODE_RECORDER}) {
            for (std::int32_t recorded : {0, 5000}) {
                auto data = Running(version);
                data->mode = modeBits;
                data->recorder_samples = recorded;
                data->x_skip = 3;
                data->measure_frames = 7;
                for (unsigned t = 0; t <= 40; ++t) {
                    data->t_div = t;
                    const ModelImage before(*data);
                    const int result = data->SolveTimebase();
                    ASSERT_GE(result, 0);
                    ASSERT_LE(result, 2);
                    if (result != 0) {
                        ASSERT_TRUE(ModelImage(*data) == before) << version << " " << t;
                    } else {
                        ASSERT_GE(data->x_zoom_in, 1);
                        ASSERT_LE(data->x_zoom_in, 20);
                        ASSERT_GE(data->x_zoom_in, data->x_zoom_out_sw);
                    }
                }
            }
        }
    }
}

TEST_F(DataModelTest, SolverRaisesChangeBitsOnlyForRealChanges)
{
    auto data = Running(1);
    data->t_div = 15;
    ASSERT_EQ(data->SolveTimebase(), 0);
    data->changes = 0;
    data->measure_frames = 5;
    ASSERT_EQ(data->SolveTimebase(), 0);
    EXPECT_EQ(data->changes, 0u);
    EXPECT_EQ(data->measure_frames, 5);

    // 100 us/div -> 200 us/div: only the device decimation changes.
    data->t_div = 16;
    ASSERT_EQ(data->SolveTimebase(), 0);
    EXPECT_EQ(data->changes, CHANGE_SKIP);
    EXPECT_EQ(data->measure_frames, 0);

    // Into zoom: decimation 0 and x_zoom_in 2 at 100 ns/div (4 samples per point? no: 0.4).
    data->changes = 0;
    data->t_div = 6;
    ASSERT_EQ(data->SolveTimebase(), 0);
    EXPECT_EQ(data->changes, CHANGE_SKIP | CHANGE_ZOOM);
}

TEST_F(DataModelTest, FitTDivIndexSearchesOnlyTheVariantsRange)
{
    auto data = Running(2);
    data->t_div = 1000;
    data->FitTDivIndex();
    EXPECT_EQ(data->t_div, data->GetTDivMax());
    data->t_div = 0;
    data->FitTDivIndex();
    EXPECT_EQ(data->t_div, data->GetTDivMin());

    // Inside the range an unreachable index moves up first.
    data->osc_cr |= OSC_CR_MIN_MAX;  // 40 MHz: 50 ns/div needs a zoom of... 5 / 1: fine
    data->t_div = 5;
    data->FitTDivIndex();
    EXPECT_EQ(data->SolveTimebase(), 0);

    // Nothing reachable (the recorder holds one sample): the search ends, the index is one of
    // the range and the mapping is untouched.
    data->mode = MODE_RECORDER;
    data->recorder_samples = 1;
    data->x_zoom_out_hw = 3;
    data->x_zoom_out_sw = 1;
    data->x_zoom_in = 1;
    for (std::uint32_t start : {0u, 20u, 0xFFFFFFFFu}) {
        data->t_div = start;
        data->FitTDivIndex();
        EXPECT_GE(data->t_div, data->GetTDivMin());
        EXPECT_LE(data->t_div, data->GetTDivMax());
        EXPECT_EQ(data->x_zoom_out_hw, 3);
    }
}

TEST_F(DataModelTest, TDivOptionsListReachableIndexesAndChangeNothing)
{
    for (int version = 1; version <= 5; ++version) {
        auto data = MakeVariant(version);
        data->measure_frames = 3;
        data->changes = CHANGE_TRIGGER;
        const ModelImage before(*data);
        const std::vector<TDivOption> options = data->ListTDivOptions();
        EXPECT_TRUE(ModelImage(*data) == before) << version;
        ASSERT_FALSE(options.empty());
        for (const TDivOption& option : options) {
            EXPECT_EQ(option.text, FormatTDivText(option.t_div));
            EXPECT_GE(option.t_div, data->GetTDivMin());
            EXPECT_LE(option.t_div, data->GetTDivMax());
            // The record is what the solver gives for that index with the full decimation.
            auto probe = MakeVariant(version);
            probe->osc_cr = data->osc_cr;
            probe->max_x_skip = probe->GetDividerMax();
            probe->t_div = option.t_div;
            ASSERT_EQ(probe->SolveTimebase(), 0);
            EXPECT_EQ(probe->x_skip, option.x_skip);
            EXPECT_EQ(probe->x_zoom_out_hw, option.x_zoom_out_hw);
            EXPECT_EQ(probe->x_zoom_out_sw, option.x_zoom_out_sw);
            EXPECT_EQ(probe->x_zoom_in, option.x_zoom_in);
        }
    }
    auto v2 = MakeVariant(2);
    const auto options = v2->ListTDivOptions();
    EXPECT_EQ(options.front().t_div, 5u);
    EXPECT_EQ(options.front().text, "50 нс/дел");
    EXPECT_EQ(options.front().x_zoom_in, 5);
}

TEST_F(DataModelTest, SkipValuesAscendDistinctAndRoundMaxSkip)
{
    auto data = MakeVariant(2);
    const std::vector<unsigned> values = data->ListSkipValues();
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end());

    data->max_x_skip = 5;
    data->ApplyLimits();
    const auto it = std::find_if(values.begin(), values.end(), [](unsigned v) { return v >= 5; });
    ASSERT_NE(it, values.end());
    EXPECT_EQ(data->max_x_skip, *it);
    data->max_x_skip = 0xFFFFFFFF;
    data->ApplyLimits();
    EXPECT_EQ(data->max_x_skip, std::min(values.back(), data->GetDividerMax()));
}

TEST_F(DataModelTest, VDivOptionsAndTheirWindow)
{
    auto v2 = MakeVariant(2);
    v2->u_div[0] = 6;
    v2->ApplyVDiv();
    const ModelImage before(*v2);
    EXPECT_EQ(v2->ListVDivOptions(0), (std::vector<CString>{"200 мВ/дел", "500 мВ/дел", "1 В/дел"}));
    v2->mode |= MODE_PROBE_X10_A;
    EXPECT_EQ(v2->ListVDivOptions(0), (std::vector<CString>{"2 В/дел", "5 В/дел", "10 В/дел"}));
    v2->mode &= ~MODE_PROBE_X10_A;
    EXPECT_TRUE(ModelImage(*v2) == before);

    // Version 1: captured data (stopped) and the math trace rescale only around their gain step.
    auto v1 = MakeVariant(1);
    v1->u_div[0] = 4;
    v1->u_div[2] = 0;
    v1->ApplyVDiv();
    EXPECT_EQ(v1->ListVDivOptions(0).size(), 12u);
    v1->mode |= MODE_STOPPED;
    const ModelImage stopped(*v1);
    EXPECT_EQ(v1->ListVDivOptions(0), (std::vector<CString>{"50 мВ/дел", "100 мВ/дел", "200 мВ/дел"}));
    // At the low end the window 0..2 holds three indexes; the math trace has no probe.
    v1->mode |= MODE_PROBE_X10_A | MODE_PROBE_X10_B;
    EXPECT_EQ(v1->ListVDivOptions(2), (std::vector<CString>{"5 мВ/дел", "10 мВ/дел", "20 мВ/дел"}));
    v1->mode &= ~(MODE_PROBE_X10_A | MODE_PROBE_X10_B);
    EXPECT_TRUE(ModelImage(*v1) == stopped);

    auto v4 = MakeVariant(4);
    EXPECT_TRUE(v4->ListVDivOptions(0).empty());
    EXPECT_TRUE(v4->ListVDivOptions(3).empty());
}

}  // namespace
