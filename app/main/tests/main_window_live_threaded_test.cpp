// The main window live on the virtual instrument: connected through the window's button, the
// chart shows channel A's sine and channel B's square as the instrument makes them.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"
#include "widgets/chart/ChartLineSerie.h"

#include <cmath>
#include <vector>

namespace {

// Volts/div index; the variant takes its largest when this is beyond it.
constexpr unsigned kVDiv = 9;

int Cycles()
{
    CSingleLock lock(&DataLock, TRUE);
    return GetOscData()->cycle_counter;
}

TEST_F(MainWindowTest, LiveSineAndSquare)
{
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked(); }));
        // Seconds per screen point at the time base the program starts with.
        double pointSeconds = 0;
        WithData([&](OscData& data) {
            if ((data.osc_cr & OSC_CR_CH_B_ON) == 0)
                data.EnableChannelB(true);
            // A scale at which both signals fit the screen.
            data.u_div[0] = data.u_div[1] = kVDiv;
            data.ApplyVDiv();
            data.changes |= CHANGE_ANALOG;
            pointSeconds = static_cast<double>(data.x_zoom_out_hw) * data.x_zoom_out_sw / data.x_zoom_in *
                           (data.x_skip + 1) / (data.GetSampleRateKHz() * 1000.0);
        });
        ASSERT_GT(pointSeconds, 0);
        constexpr double kSinePoints = 60;
        SignalSettings signals = demoInstrument->GetSignals();
        signals.sineHz = 1 / (kSinePoints * pointSeconds);
        signals.squareHz = 1 / (100 * pointSeconds);
        demoInstrument->SetSignals(signals);

        // Captures after the change; then the trail catches the next complete frames, each
        // drawn whole by the tick that found it new.
        const int start = Cycles();
        ASSERT_TRUE(WaitUntil([&] { return Cycles() >= start + 5; }));
        d.trail_on = 1;
        ASSERT_TRUE(WaitUntil([&] { return d.GetTrail(0).size() >= 2; }));
        const auto frameOf = [&](int channel) { return ValuesOf(d.GetTrail(channel).front()); };
        ASSERT_EQ(frameOf(0).size(), static_cast<std::size_t>(SCREEN_POINTS));
        ASSERT_EQ(frameOf(1).size(), static_cast<std::size_t>(SCREEN_POINTS));
        const double period = MeasuredPeriod(frameOf(0));
        EXPECT_NEAR(period, kSinePoints, kSinePoints * 0.01);

        // The square sits at two levels, half the time each, with only its edges between.
        const std::vector<double> b = frameOf(1);
        const auto [lo, hi] = std::minmax_element(b.begin(), b.end());
        const double middle = (*lo + *hi) / 2;
        const double quarter = (*hi - *lo) / 4;
        int high = 0;
        int low = 0;
        for (double v : b)
        {
            high += v > *hi - quarter ? 1 : 0;
            low += v < *lo + quarter ? 1 : 0;
        }
        EXPECT_GT(*hi - middle, 20);
        EXPECT_NEAR(high, 150, 15);
        EXPECT_NEAR(low, 150, 15);
        EXPECT_NEAR(MeasuredPeriod(b), 100, 2);

        const std::string status = StatusText(d);
        EXPECT_TRUE(status == "РАБОТА " || status == "ЗАХВАЧЕН ") << status;
        d.ClearTrail(-1);
        d.trail_on = 0;
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("app_main/velkaro_live.png")));
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([] { return !Linked(); }));
    });
}

}  // namespace
