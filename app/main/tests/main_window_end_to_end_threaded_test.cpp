// The main window against the in-process virtual instrument, driven through its controls as a
// user does: what the user chooses reaches the instrument, and what the instrument captures
// reaches the chart in the right place.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr UINT kStopId = 1047;
constexpr UINT kSingleId = 1023;
constexpr UINT kTDivSpinId = 1006;
constexpr UINT kVDivSpinAId = 1008;
constexpr UINT kLevelSpinId = 1026;
// A scale at which the sine fits the screen with room above the trigger level used here.
constexpr unsigned kVDiv = 9;

template <class T>
T Read(const std::function<T(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    return f(*GetOscData());
}

int Cycles() { return Read<int>([](OscData& d) { return d.cycle_counter; }); }
std::uint32_t Mode() { return Read<std::uint32_t>([](OscData& d) { return d.mode; }); }

// Seconds one screen point stands for at the model's time base.
double PointSeconds()
{
    return Read<double>([](OscData& d) {
        return static_cast<double>(d.x_zoom_out_hw) * d.x_zoom_out_sw / d.x_zoom_in * (d.x_skip + 1) /
               (d.GetSampleRateKHz() * 1000.0);
    });
}

class MainWindowEndToEndTest : public MainWindowTest {
protected:
    // The instrument's sine with a period of `points` screen points at the current time base.
    static void SetSinePeriod(double points)
    {
        SignalSettings signals = demoInstrument->GetSignals();
        signals.sineHz = 1 / (points * PointSeconds());
        demoInstrument->SetSignals(signals);
    }

    // A whole frame of channel A captured after this call, as the chart draws it: the trail
    // catches it whole at the tick that finds it new.
    static std::vector<double> FreshFrame(CVelkaroDlg& d)
    {
        const int start = Cycles();
        EXPECT_TRUE(WaitUntil([&] { return Cycles() >= start + 3; }));
        d.ClearTrail(-1);
        d.trail_on = 1;
        EXPECT_TRUE(WaitUntil([&] { return d.GetTrail(0).size() >= 2; }));
        std::vector<double> frame = d.GetTrail(0).empty() ? std::vector<double>{} : ValuesOf(d.GetTrail(0).front());
        d.ClearTrail(-1);
        d.trail_on = 0;
        EXPECT_EQ(frame.size(), static_cast<std::size_t>(SCREEN_POINTS));
        return frame;
    }

    // Lets the link exchange a few more answers with the instrument: time passes for it.
    static void LetTheLinkRun()
    {
        const int answers = demoInstrument->GetCounters().answers;
        ASSERT_TRUE(WaitUntil([&] { return demoInstrument->GetCounters().answers >= answers + 10; }));
    }

    static void ConnectAndScale(CVelkaroDlg& d)
    {
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked(); }));
        WithData([](OscData& data) {
            data.u_div[0] = kVDiv;
            data.ApplyVDiv();
            data.changes |= CHANGE_ANALOG;
        });
    }
};

TEST_F(MainWindowEndToEndTest, VoltsPerDivisionReachesTheInstrumentsGainBits)
{
    // The variant whose front end switches its gain by the analog register.
    demoInstrument->SetVersion(1, 10);
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked() && Read<int>([](OscData& data) { return data.version; }) == 1; }));
        const std::uint16_t before = demoInstrument->GetAnalogCr() & ANALOG_CR_GAIN_A;
        // Step until the gain decade changes, upwards first, then downwards.
        const auto gainBits = [] { return Read<std::uint16_t>([](OscData& data) { return data.analog_cr & ANALOG_CR_GAIN_A; }); };
        const std::uint16_t start = gainBits();
        for (int i = 0; i < 3 && gainBits() == start; ++i)
            uitest::ClickSpin(d.GetDlgItem(kVDivSpinAId), true);
        for (int i = 0; i < 6 && gainBits() == start; ++i)
            uitest::ClickSpin(d.GetDlgItem(kVDivSpinAId), false);
        const std::uint16_t chosen = gainBits();
        ASSERT_NE(chosen, start) << "no volts/div step changed the gain";
        // Each decade of the volts/div index has its relay pattern.
        static constexpr std::uint16_t kPattern[4] = {2, 3, 0, 1};
        const unsigned decade = Read<unsigned>([](OscData& data) { return data.u_div[0] / 3; });
        ASSERT_LT(decade, 4u);
        EXPECT_EQ(chosen, kPattern[decade] << 2);
        EXPECT_TRUE(WaitUntil([&] { return (demoInstrument->GetAnalogCr() & ANALOG_CR_GAIN_A) == chosen; }));
        EXPECT_NE(demoInstrument->GetAnalogCr() & ANALOG_CR_GAIN_A, before);
        // Channel B's gain is left alone.
        EXPECT_EQ(demoInstrument->GetAnalogCr() & ANALOG_CR_GAIN_B,
                  Read<std::uint16_t>([](OscData& data) { return data.analog_cr & ANALOG_CR_GAIN_B; }));
    });
}

TEST_F(MainWindowEndToEndTest, TimeDivisionStepScalesThePeriodOnScreen)
{
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndScale(d);
        WithData([](OscData& data) {
            data.max_x_skip = data.GetDividerMax();
            data.t_div = data.GetTDivMin() + 6;
            data.FitTDivIndex();
        });
        constexpr double kPeriod = 60;
        SetSinePeriod(kPeriod);
        const double before = PointSeconds();
        EXPECT_NEAR(MeasuredPeriod(FreshFrame(d)), kPeriod, kPeriod * 0.01);

        const std::uint32_t t_div = Read<std::uint32_t>([](OscData& data) { return data.t_div; });
        uitest::ClickSpin(d.GetDlgItem(kTDivSpinId), true);
        ASSERT_GT(Read<std::uint32_t>([](OscData& data) { return data.t_div; }), t_div);
        const double after = PointSeconds();
        ASSERT_GT(after, before);
        // The same sine over more time per point: fewer points per period, in the same ratio.
        const double expected = kPeriod * before / after;
        ASSERT_GT(expected, 4);
        EXPECT_NEAR(MeasuredPeriod(FreshFrame(d)), expected, expected * 0.01);
    });
}

TEST_F(MainWindowEndToEndTest, TriggerOnARisingEdgeCrossesTheLevelAtTheOffsetMarker)
{
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndScale(d);
        // A time base without interpolation: a sample per screen point at most, so the
        // trigger sample lands on the marker and not somewhere inside an interpolated step.
        WithData([](OscData& data) {
            data.max_x_skip = data.GetDividerMax();
            data.t_div = data.GetTDivMin();
            data.FitTDivIndex();
            while (data.x_zoom_in != 1 && data.t_div < data.GetTDivMax())
            {
                ++data.t_div;
                data.FitTDivIndex();
            }
        });
        ASSERT_EQ(Read<int>([](OscData& data) { return data.x_zoom_in; }), 1);
        // Both trigger lines stay on screen, so the test reads where the user sees them.
        d.not_hide_trigger_level = 1;
        d.not_hide_trigger_offset = 1;
        SetSinePeriod(60);
        ASSERT_EQ(Read<int>([](OscData& data) { return data.trigger_dir[0]; }), 0) << "a fresh start triggers on the rising edge";

        uitest::SelectListItem(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId), 1);
        ASSERT_EQ(Read<int>([](OscData& data) { return data.GetTriggerSource(); }), 1);
        constexpr int kLevel = 40;
        for (int i = 0; i < 2 * kLevel && Read<int>([](OscData& data) { return data.trigger_level[0]; }) < kLevel; ++i)
            uitest::ClickSpin(d.GetDlgItem(kLevelSpinId), true);
        ASSERT_EQ(Read<int>([](OscData& data) { return data.trigger_level[0]; }), kLevel);

        const std::vector<double> frame = FreshFrame(d);
        ASSERT_EQ(frame.size(), static_cast<std::size_t>(SCREEN_POINTS));
        ASSERT_GT(d.trigger_level_marker.line->GetPointsCount(), 0u);
        ASSERT_GT(d.trigger_offset_marker.line->GetPointsCount(), 0u);
        const double level = d.trigger_level_marker.line->GetPoint(0).Y;
        const double marker = d.trigger_offset_marker.line->GetPoint(0).X;
        const auto [lo, hi] = std::minmax_element(frame.begin(), frame.end());
        ASSERT_LT(*lo, level);
        ASSERT_GT(*hi, level) << "the sine does not reach the level";

        // The rising crossing nearest the marker.
        double nearest = -1000;
        for (std::size_t i = 1; i < frame.size(); ++i)
            if (frame[i - 1] < level && frame[i] >= level)
            {
                const double x = static_cast<double>(i - 1) + (level - frame[i - 1]) / (frame[i] - frame[i - 1]);
                if (std::abs(x - marker) < std::abs(nearest - marker))
                    nearest = x;
            }
        EXPECT_NEAR(nearest, marker, 1.0);
        // A falling crossing there would mean the wrong edge.
        const auto at = static_cast<std::size_t>(std::lround(marker));
        ASSERT_LT(at + 2, frame.size());
        ASSERT_GE(at, 2u);
        EXPECT_LT(frame[at - 2], frame[at + 2]);
    });
}

TEST_F(MainWindowEndToEndTest, StopFreezesTheTraceAndSingleTakesOneFrame)
{
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndScale(d);
        SetSinePeriod(47);
        FreshFrame(d);

        uitest::Click(d.GetDlgItem(kStopId));
        ASSERT_NE(Mode() & MODE_STOPPED, 0u);
        // The capture in flight may still arrive; after that nothing moves.
        LetTheLinkRun();
        Tick(d);
        const std::vector<double> frozen = ValuesOf(d.GetLineSerie(0, 0));
        const int captures = demoInstrument->GetCounters().captures;
        ASSERT_FALSE(frozen.empty());
        // A new signal on the input: a capture that still ran would show it.
        constexpr double kNewPeriod = 31;
        SetSinePeriod(kNewPeriod);
        for (int i = 0; i < 3; ++i)
        {
            LetTheLinkRun();
            Tick(d);
            EXPECT_EQ(ValuesOf(d.GetLineSerie(0, 0)), frozen);
        }
        EXPECT_EQ(demoInstrument->GetCounters().captures, captures);

        // "Один" from the stopped state: exactly one more capture, and the screen shows it.
        uitest::Click(d.GetDlgItem(kSingleId));
        ASSERT_TRUE(WaitUntil([] { return (Mode() & (MODE_SINGLE | MODE_STOPPED)) == MODE_STOPPED; }));
        LetTheLinkRun();
        LetTheLinkRun();
        EXPECT_EQ(demoInstrument->GetCounters().captures, captures + 1);
        Tick(d);
        const std::vector<double> single = ValuesOf(d.GetLineSerie(0, 0));
        EXPECT_EQ(single.size(), static_cast<std::size_t>(SCREEN_POINTS));
        EXPECT_NEAR(MeasuredPeriod(single), kNewPeriod, kNewPeriod * 0.01);
        LetTheLinkRun();
        Tick(d);
        EXPECT_EQ(ValuesOf(d.GetLineSerie(0, 0)), single);
    });
}

}  // namespace
