// The frequency response end to end inside the real main window, on the virtual instrument:
// its generator wired to input A through a first-order low-pass, the run started and stopped
// through the dialog's buttons, the response read from the window that shows it.

#include "tools/freqresp/CDialogFRParam.h"
#include "tools/freqresp/CDialogFreqResponse.h"
#include "tools/freqresp/FreqResponsePlan.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "platform/ui/testing/LeftOpen.h"
#include "widgets/chart/ChartLineSerie.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

// The hardware revision the program expects of each version (another one brings a box up).
constexpr std::uint8_t kRevision[6] = {0, 10, 1, 2, 0, 0};

constexpr int kAmplitude = 100;  // the generator's peak at input A, in codes

struct Seen {
    bool shown = false;
    std::vector<FreqResponsePoint> points;
    unsigned drawnMaxima = 0;
    int zero = 0;
};

}  // namespace

class FrequencyResponseLive : public MainWindowTest {
protected:
    // Connects through the window and waits until the instrument's variant is the model and the
    // window has checked it, as a user at the bench meets it: a run started before the switch
    // would be on the model the switch replaces.
    static void ConnectAndSettle(CVelkaroDlg& d, int version)
    {
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked(); }));
        ASSERT_TRUE(WaitUntil([&] { return VariantSettled(version, kRevision[version]); }));
    }

    // Runs the parameters dialog, starts a run on channel A and hands the dialog to `midRun`
    // once the run is two points in.
    static INT_PTR InterruptRun(CVelkaroDlg& main, const std::function<void(CDialogFRParam&)>& midRun)
    {
        CDialogFRParam dialog(&main);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            [&] {
                uitest::Click(dialog.GetDlgItem(CDialogFRParam::IDC_START));
                ASSERT_TRUE(dialog.Running());
                ASSERT_TRUE(WaitUntil([&] {
                    int index = 0;
                    WithData([&](OscData& data) { index = data.freq_response.index; });
                    return index >= 2;
                }));
                midRun(dialog);
            }();
            if (dialog.ContinueModal()) uitest::Click(dialog.GetDlgItem(IDCANCEL));
            uitest::EndIfLeftOpen(m, "its cancel button");
        });
        return dialog.DoModal();
    }

    // Runs a whole response on channel A with calibration not considered, expecting ±kAmplitude
    // around 0. The device's settling and measuring times are shortened once the dialog has set
    // them, to keep the run quick.
    static Seen RunResponse(CVelkaroDlg& main, const std::string& png = "")
    {
        Seen seen;
        CDialogFRParam dialog(&main);
        uitest::OnNextModal([&](uihooks::ModalContext& outer) {
            uitest::Click(dialog.GetDlgItem(CDialogFRParam::IDC_CALIBRATION));
            uitest::TypeText(dialog.GetDlgItem(CDialogFRParam::IDC_MINIMUM), "-100");
            uitest::TypeText(dialog.GetDlgItem(CDialogFRParam::IDC_MAXIMUM), "100");
            uitest::TypeText(dialog.GetDlgItem(CDialogFRParam::IDC_MEAN), "0");
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                auto* response = static_cast<CDialogFreqResponse*>(m.window);
                seen.shown = true;
                seen.points = response->points;
                seen.drawnMaxima = response->GetLine(2)->GetPointsCount();
                seen.zero = demoInstrument->GetInputZero(0);
            if (!png.empty()) {
                uitest::ProcessEvents();
                EXPECT_TRUE(uitest::RenderToPng(response, uitest::OutputPath(png)));
            }
                uitest::Click(response->GetDlgItem(IDCANCEL));
                if (response->ContinueModal()) uitest::CloseWindow(response);
                uitest::EndIfLeftOpen(m, "its cancel button and its close box");
            });
            uitest::Click(dialog.GetDlgItem(CDialogFRParam::IDC_START));
            WithData([](OscData& d) {
                EXPECT_EQ(d.freq_response.delay, 20);
                EXPECT_EQ(d.freq_response.time_ms, 300);
                d.freq_response.delay = 1;
                d.freq_response.time_ms = 30;
            });
            const bool ended = WaitUntil([&] { return seen.shown; });
            WithData([&](OscData& d) {
                EXPECT_TRUE(ended) << "point " << d.freq_response.index << " of " << d.freq_response.count
                                   << ", mode " << d.mode << ", status " << d.status;
            });
            if (!ended) uitest::Click(dialog.GetDlgItem(IDCANCEL));
            uitest::EndIfLeftOpen(outer, ended ? "the response window closed" : "its cancel button");
        });
        const INT_PTR result = dialog.DoModal();
        EXPECT_EQ(result, seen.shown ? IDOK : IDCANCEL);
        return seen;
    }

    // The generator on A through a low-pass at a tenth of the list's top frequency; returns
    // the list and the corner.
    static void WireGenerator(std::vector<std::uint32_t>& list, std::uint32_t& clock, double& cornerHz)
    {
        WithData([&](OscData& d) {
            clock = d.GetBaseClock();
            list = BuildDividerList(clock, d.GetMaxSampleRateKHz());
        });
        ASSERT_FALSE(list.empty());
        cornerHz = clock / (list.front() + 1.0) / 10;
        SignalSettings s = demoInstrument->GetSignals();
        s.generatorWired[0] = true;
        s.generatorAmplitude = kAmplitude;
        s.cutoffHz[0] = cornerHz;
        demoInstrument->SetSignals(s);
        demoInstrument->SetInputOffset(0, 0);
    }

    void MeasuresTheLowPass(int version)
    {
        demoInstrument->SetVersion(static_cast<std::uint8_t>(version), kRevision[version]);
        RunWindow([&](CVelkaroDlg& d) {
            ConnectAndSettle(d, version);
            std::vector<std::uint32_t> list;
            std::uint32_t clock = 0;
            double fc = 0;
            WireGenerator(list, clock, fc);
            const Seen seen = RunResponse(d, "response_variant_" + std::to_string(version) + ".png");
            ASSERT_TRUE(seen.shown);
            ASSERT_EQ(seen.points.size(), list.size());
            EXPECT_EQ(seen.drawnMaxima, list.size());
            for (std::size_t i = 0; i < list.size(); ++i) {
                const FreqResponsePoint& p = seen.points[i];
                const double f = clock / (list[i] + 1.0);
                EXPECT_DOUBLE_EQ(p.f, f);
                // The crest the input passes, within one code.
                const double crest = seen.zero + kAmplitude / std::sqrt(1 + (f / fc) * (f / fc));
                const double low = 20 * std::log10(std::fabs((crest - 1) / kAmplitude));
                const double high = 20 * std::log10(std::fabs((crest + 1) / kAmplitude));
                EXPECT_GE(p.maximum, low - 1e-9) << "point " << i << " at " << f << " Hz";
                EXPECT_LE(p.maximum, high + 1e-9) << "point " << i << " at " << f << " Hz";
            }
        });
    }
};

TEST_F(FrequencyResponseLive, VariantOneMeasuresTheLowPass) { MeasuresTheLowPass(1); }
TEST_F(FrequencyResponseLive, VariantTwoMeasuresTheLowPass) { MeasuresTheLowPass(2); }
TEST_F(FrequencyResponseLive, VariantThreeMeasuresTheLowPass) { MeasuresTheLowPass(3); }

TEST_F(FrequencyResponseLive, VariantFourOpensAnEmptyResponse)
{
    demoInstrument->SetVersion(4, 0);
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndSettle(d, 4);
        const Seen seen = RunResponse(d);
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(seen.points.empty());
        EXPECT_EQ(seen.drawnMaxima, 0u);
    });
}

TEST_F(FrequencyResponseLive, CloseMidRunGivesTheGeneratorItsFrequencyBack)
{
    demoInstrument->SetVersion(2, 1);
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndSettle(d, 2);
        std::vector<std::uint32_t> list;
        std::uint32_t clock = 0;
        double fc = 0;
        WireGenerator(list, clock, fc);
        std::uint32_t own = 0;
        WithData([&](OscData& data) { own = data.out_freq; });
        ASSERT_TRUE(WaitUntil([&] { return demoInstrument->GetOutFreq() == own; }));

        CDialogFRParam dialog(&d);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::Click(dialog.GetDlgItem(CDialogFRParam::IDC_START));
            EXPECT_TRUE(WaitUntil([&] {
                int index = 0;
                WithData([&](OscData& data) { index = data.freq_response.index; });
                return index >= 2 && demoInstrument->GetOutFreq() != own;
            }));
            uitest::Click(dialog.GetDlgItem(IDCANCEL));
            uitest::EndIfLeftOpen(m, "its cancel button");
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(WaitUntil([&] { return demoInstrument->GetOutFreq() == own; }));
        WithData([&](OscData& data) {
            EXPECT_EQ(data.mode & MODE_FREQ_RESPONSE, 0u);
            EXPECT_EQ(data.out_freq, own);
        });
    });
}

TEST_F(FrequencyResponseLive, AReplacedModelEndsTheRunAndLeavesTheDialogReadyForANewOne)
{
    demoInstrument->SetVersion(2, 1);
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndSettle(d, 2);
        const INT_PTR result = InterruptRun(d, [&](CDialogFRParam& dialog) {
            SwitchVariant(d, 3);
            EXPECT_TRUE(WaitUntil([&] { return !dialog.Running(); }));
            EXPECT_TRUE(dialog.ContinueModal());
            EXPECT_TRUE(dialog.GetDlgItem(CDialogFRParam::IDC_START)->IsWindowEnabled());
            WithData([](OscData& data) { EXPECT_EQ(data.mode & MODE_FREQ_RESPONSE, 0u); });
        });
        EXPECT_EQ(result, IDCANCEL);
    });
}

TEST_F(FrequencyResponseLive, ALostLinkEndsTheRunWithItsMessage)
{
    demoInstrument->SetVersion(2, 1);
    RunWindow([&](CVelkaroDlg& d) {
        ConnectAndSettle(d, 2);
        std::string box;
        const INT_PTR result = InterruptRun(d, [&](CDialogFRParam& dialog) {
            uitest::AnswerNextMessageBox(IDOK, &box);
            demoInstrument->SetSilent(true);
            EXPECT_TRUE(WaitUntil([&] { return !dialog.ContinueModal(); }));
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(box, "Необходимо подключиться!");
        WithData([](OscData& data) { EXPECT_EQ(data.mode & (MODE_FREQ_RESPONSE | MODE_LINKED), 0u); });
    });
}
