// The measurement window on the virtual instrument: what it shows of channel A's sine must be
// the sine the instrument makes.

#include "tools/measure/MeasureDialog.h"

#include "app/main/SettingSteps.h"
#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// The number of a "label = value unit" text scaled to its base unit (Hz, mV); NaN when the text
// is not one.
double ValueOf(const std::string& text, const std::string& label)
{
    if (text.rfind(label, 0) != 0)
        return std::nan("");
    double value = 0;
    char unit[32] = {};
    if (std::sscanf(text.c_str() + label.size(), "%lf %31s", &value, unit) != 2)
        return std::nan("");
    const std::string u = unit;
    if (u == "Hz" || u == "мВ")
        return value;
    if (u == "kHz" || u == "В")
        return value * 1000;
    if (u == "MHz")
        return value * 1e6;
    return std::nan("");
}

int Cycles()
{
    CSingleLock lock(&DataLock, TRUE);
    return GetOscData()->cycle_counter;
}

class MeasureLiveTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            return slot == CToolDialogList::MEASURE ? std::make_unique<CMeasureDialog>(&main) : nullptr;
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }
};

}  // namespace

TEST_F(MeasureLiveTest, SineFrequencyAndAmplitude)
{
    RunWindow([](CVelkaroDlg& d) {
        auto& w = dynamic_cast<CMeasureDialog&>(*d.GetToolDialog(CToolDialogList::MEASURE));
        w.ShowWindow(SW_SHOW);
        const SignalSettings signals = demoInstrument->GetSignals();
        ASSERT_EQ(signals.sineHz, 1000.0);
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked(); }));

        // 200 us/div: six periods a screen, fifty points a period, so the sampled peaks lie within
        // a fifth of a code of the sine's; gain ratio 1 so a code is a step.
        double codeMillivolts = 0;
        WithData([&](OscData& data) {
            bool timebase = false;
            for (unsigned t = data.GetTDivMin(); t <= data.GetTDivMax() && !timebase; ++t)
                if (std::fabs(static_cast<double>(TDivIndexToSeconds(t)) - 2e-4) < 1e-12)
                    timebase = SetTDivKeepingCenter(data, t);
            ASSERT_TRUE(timebase);
            bool unity = false;
            for (unsigned u = data.GetVDivMin(); u <= data.GetVDivMax() && !unity; ++u) {
                data.u_div[0] = u;
                data.ApplyVDiv();
                unity = data.gain_sel[0] == data.gain_ref[0];
            }
            ASSERT_TRUE(unity);
            data.changes |= CHANGE_ANALOG;
            codeMillivolts = data.GetStepMillivolts() * data.GetVoltScale(0);
        });
        ASSERT_GT(codeMillivolts, 0);

        // Captures after the change; then two fresh passes, so no average holds an old frame.
        const int start = Cycles();
        ASSERT_TRUE(WaitUntil([&] { return Cycles() >= start + 5; }));
        for (int pass = 0; pass < 2; ++pass) {
            w.GetList().SetItemText(0, 0, "");
            ASSERT_TRUE(WaitUntil([&] {
                Tick(d);
                return !w.GetList().GetItemText(0, 0).empty();
            }));
        }
        const std::string f = w.GetList().GetItemText(0, 0);
        const std::string a = w.GetList().GetItemText(5, 0);
        EXPECT_NEAR(ValueOf(f, "F = "), 1000.0, 10.0) << f;
        EXPECT_NEAR(ValueOf(a, "A = ") / codeMillivolts, signals.sineAmplitude, 1.0) << a;
    });
}
