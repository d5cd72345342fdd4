// The FIR filter as the user runs it from the window: designed through the sheet, applied to
// the captured buffer once the capture is complete, refused where it cannot apply, and shown
// as magnitude and phase responses.

#include "support/MathWindowFixture.h"

#include "tools/fft/CChartCtrlDlg.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartSerie.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

namespace {

// One stream through the filter as the test computes it: a cleared delay line, a direct
// convolution, truncation toward zero and the 8-bit range.
std::vector<std::int32_t> Convolve(const FIR& f, const std::vector<std::int32_t>& in, int zero)
{
    std::vector<std::int32_t> out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
    {
        double y = 0;
        for (int j = 0; j < f.T && static_cast<std::size_t>(j) <= i; ++j)
            y += f.taps[j] * (in[i - j] - zero);
        const double v = std::trunc(y * f.gain + zero);
        out[i] = static_cast<std::int32_t>(std::clamp(v, -128.0, 127.0));
    }
    return out;
}

// A control of the sheet's page on show (the pages are the sheet's children, their controls
// theirs).
CWnd* ShownPageItem(CWnd* sheet, int id)
{
    for (CWnd* child = sheet->GetWindow(GW_CHILD); child != nullptr; child = child->GetNextWindow())
        if (child->IsWindowVisible() && child->GetDlgItem(id) != nullptr)
            return child->GetDlgItem(id);
    ADD_FAILURE() << "no control " << id << " on the page on show";
    return nullptr;
}

std::vector<std::int32_t> Every(const std::vector<std::int32_t>& v, std::size_t first, std::size_t step)
{
    std::vector<std::int32_t> out;
    for (std::size_t i = first; i < v.size(); i += step)
        out.push_back(v[i]);
    return out;
}

struct FilterCase {
    int version;
    int zero;
    bool pairs;
    int selection;  // 0 A, 1 B, 2 AB
};

class MathFilterTest : public MathWindowTest, public ::testing::WithParamInterface<FilterCase> {};

// A square wave at full scale with noise: the filter's overshoot at its edges reaches past
// the 8-bit range, so the limit is exercised.
std::vector<std::int32_t> Signal(int count, int seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-4, 4);
    std::vector<std::int32_t> v(count);
    for (int i = 0; i < count; ++i)
        v[i] = std::clamp(((i / 150) % 2 == 0 ? 124 : -125) + noise(random), -128, 127);
    return v;
}

}  // namespace

TEST_P(MathFilterTest, ApplyingEqualsADirectConvolutionOfEachStream)
{
    const FilterCase c = GetParam();
    RunMath(c.version, c.zero, c.pairs, [&](CVelkaroDlg&, CMathDialog& w) {
        DesignLowPass(w);
        ASSERT_NE(w.GetFilter(), nullptr);
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FILTER_CHANNEL), c.selection);

        std::vector<std::int32_t> before[2];
        int values = 0;
        WithData([&](OscData& d) {
            values = static_cast<int>(d.GetMemoryDepth()) * (c.pairs ? 2 : 1);
            for (int ch = 0; ch < 2; ++ch)
            {
                before[ch] = Signal(values, ch + 1);
                std::copy(before[ch].begin(), before[ch].end(), d.sample_buffer[ch]);
            }
            d.status &= ~STATUS_FILTERED;
        });

        Click(w, CMathDialog::IDC_APPLY_FILTER);
        EXPECT_FALSE(w.GetDlgItem(CMathDialog::IDC_FILTER_CHANNEL)->IsWindowEnabled());
        // While the read-out runs nothing is touched.
        for (std::uint32_t state : {1u, 2u})
        {
            WithData([&](OscData& d) { d.read_state = state; });
            ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kFilterTimer));
            WithData([&](OscData& d) {
                EXPECT_TRUE(std::equal(before[0].begin(), before[0].end(), d.sample_buffer[0]));
                EXPECT_EQ(d.status & STATUS_FILTERED, 0u);
            });
        }
        WithData([](OscData& d) { d.read_state = 3; });
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kFilterTimer));
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kFilterTimer), 0);
        EXPECT_TRUE(w.GetDlgItem(CMathDialog::IDC_FILTER_CHANNEL)->IsWindowEnabled());

        const FIR& f = *w.GetFilter();
        WithData([&](OscData& d) {
            EXPECT_NE(d.status & STATUS_FILTERED, 0u);
            EXPECT_NE(d.mode & MODE_STOPPED, 0u) << "the filtered capture stays on the screen";
            for (int ch = 0; ch < 2; ++ch)
            {
                SCOPED_TRACE(ch);
                const std::vector<std::int32_t> now(d.sample_buffer[ch], d.sample_buffer[ch] + values);
                const bool taken = c.selection == 2 || c.selection == ch;
                if (!taken)
                {
                    EXPECT_EQ(now, before[ch]);
                    continue;
                }
                if (c.pairs)
                {
                    EXPECT_EQ(Every(now, 0, 2), Convolve(f, Every(before[ch], 0, 2), c.zero)) << "the minima";
                    EXPECT_EQ(Every(now, 1, 2), Convolve(f, Every(before[ch], 1, 2), c.zero)) << "the maxima";
                }
                else
                {
                    EXPECT_EQ(now, Convolve(f, before[ch], c.zero));
                }
                EXPECT_TRUE(std::any_of(now.begin(), now.end(), [](std::int32_t v) { return v == 127; }))
                    << "the overshoot is limited, not wrapped";
            }
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Variants, MathFilterTest,
                         ::testing::Values(FilterCase{2, 0, false, 2}, FilterCase{2, 0, true, 0},
                                           FilterCase{5, 5, false, 1}, FilterCase{5, 5, true, 2}));

TEST_F(MathWindowTest, BufferToolsRefuseWhatTheyCannotDo)
{
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        CWnd* apply = w.GetDlgItem(CMathDialog::IDC_APPLY_FILTER);
        CWnd* buffer = w.GetDlgItem(CMathDialog::IDC_BUFFER_FFT);
        EXPECT_EQ(ClickForMessage(apply), "Фильтр не создан!");
        for (int id : {CMathDialog::IDC_MAGNITUDE_VIEW, CMathDialog::IDC_PHASE_VIEW})
            EXPECT_EQ(ClickForMessage(w.GetDlgItem(id)), "Фильтр не создан!");

        DesignLowPass(w);
        ASSERT_NE(w.GetFilter(), nullptr);

        struct Refusal {
            std::uint16_t osc_cr;
            std::uint32_t mode;
            int filterChannel;
            int fftChannel;
            const char* filterText;
            const char* bufferText;
        };
        const Refusal refusals[] = {
            {0, MODE_RECORDER, 0, 0, "Не возможно в режиме самописца", "Не возможно в режиме самописца"},
            // Both channels or none: B in logic mode refuses channel A's filtering too.
            {OSC_CR_LOGIC_B, 0, 2, 1, "Нельзя применить к каналу ЛА", "Нельзя применить к каналу ЛА"},
            {OSC_CR_LOGIC_A, 0, 0, 0, "Нельзя применить к каналу ЛА", "Нельзя применить к каналу ЛА"},
        };
        for (const Refusal& r : refusals)
        {
            SCOPED_TRACE(r.filterText);
            WithData([&](OscData& d) {
                d.osc_cr |= r.osc_cr;
                d.mode |= r.mode;
            });
            uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FILTER_CHANNEL), r.filterChannel);
            uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), r.fftChannel);
            EXPECT_EQ(ClickForMessage(apply), r.filterText);
            EXPECT_EQ(ClickForMessage(buffer), r.bufferText);
            EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kFilterTimer), 0);
            EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kBufferFftTimer), 0);
            WithData([&](OscData& d) {
                EXPECT_EQ(d.mode & MODE_STOPPED, 0u) << "the acquisition goes on";
                d.osc_cr &= ~r.osc_cr;
                d.mode &= ~r.mode;
            });
            EXPECT_NE(w.GetFilter(), nullptr);
        }

        // Another time base: the filter's band would be elsewhere, so it is gone.
        WithData([](OscData& d) { d.x_skip = 1; });
        EXPECT_EQ(ClickForMessage(apply), "Фильтр не создан!");
        EXPECT_EQ(w.GetFilter(), nullptr);
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kFilterTimer), 0);

        // The screen spectrum of a logic channel is refused and the button springs back.
        WithData([](OscData& d) { d.osc_cr |= OSC_CR_LOGIC_A; });
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), 0);
        EXPECT_EQ(ClickForMessage(w.GetDlgItem(CMathDialog::IDC_SCREEN_FFT)), "Нельзя применить к каналу ЛА");
        EXPECT_EQ(w.IsDlgButtonChecked(CMathDialog::IDC_SCREEN_FFT), 0u);
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kScreenFftTimer), 0);
    });
}

// A sheet the user fills in and then cancels leaves the accepted design as it was: its
// parameters, and the very filter with its taps.
TEST_F(MathWindowTest, CancellingTheSheetKeepsTheFilterAndItsParameters)
{
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        DesignLowPass(w);
        const FIR* designed = w.GetFilter();
        ASSERT_NE(designed, nullptr);
        const FIRParams accepted = w.fir_params;
        const std::vector<double> taps(designed->taps.getcontent(), designed->taps.getcontent() + designed->T);

        for (const bool byEscape : {false, true})
        {
            SCOPED_TRACE(byEscape ? "Esc" : "\"Отмена\"");
            bool opened = false;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                uitest::ProcessEvents();
                opened = true;
                auto* sheet = static_cast<CDialog*>(m.window);
                uitest::SelectListItem(sheet->GetDlgItem(0x3020), 2);  // the band-pass page
                uitest::SelectComboItem(ShownPageItem(sheet, 1151), 0);
                uitest::TypeText(ShownPageItem(sheet, 1126), "1000");
                uitest::TypeText(ShownPageItem(sheet, 1127), "2000");
                if (byEscape)
                    uitest::PressEscape(sheet);
                else
                    uitest::Click(sheet->GetDlgItem(IDCANCEL));
            });
            Click(w, CMathDialog::IDC_DESIGN_FILTER);
            uitest::ProcessEvents();
            ASSERT_TRUE(opened);
            EXPECT_EQ(w.GetFilter(), designed);
            EXPECT_EQ(w.fir_params.type, accepted.type);
            EXPECT_EQ(w.fir_params.len, accepted.len);
            EXPECT_EQ(w.fir_params.freq, accepted.freq);
            EXPECT_EQ(w.fir_params.freq2, accepted.freq2);
            EXPECT_EQ(std::vector<double>(designed->taps.getcontent(), designed->taps.getcontent() + designed->T), taps);
        }
    });
}

TEST_F(MathWindowTest, ResponseViewsHalfTheGridInTheUnitOfTheRate)
{
    struct View {
        std::uint32_t x_skip;  // variant 2 runs at 80 MHz
        const char* unit;
        double divisor;
    };
    // Slowest first: each design starts from the cut-off accepted before, which must fit.
    const View views[] = {{79999, "Гц", 1}, {79, "КГц", 1e3}, {0, "МГц", 1e6}};
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        std::filesystem::create_directories(uitest::OutputPath("tools_math"));
        for (const View& v : views)
        {
            SCOPED_TRACE(v.unit);
            WithData([&](OscData& d) { d.x_skip = v.x_skip; });
            DesignLowPass(w);
            ASSERT_NE(w.GetFilter(), nullptr);
            const FIR& f = *w.GetFilter();
            for (bool phase : {false, true})
            {
                std::string caption, bottom, left;
                std::vector<std::pair<double, double>> points;
                uitest::OnNextModal([&](uihooks::ModalContext& m) {
                    uitest::ProcessEvents();
                    caption = m.caption;
                    auto* dlg = static_cast<CChartCtrlDlg*>(m.window);
                    CChartCtrl& chart = dlg->GetChart();
                    bottom = chart.GetBottomAxis()->GetLabel()->GetText();
                    left = chart.GetLeftAxis()->GetLabel()->GetText();
                    if (chart.GetSeriesCount() == 1)
                    {
                        const CChartSerie* s = chart.GetSeries().begin()->second;
                        for (unsigned i = 0; i < s->GetPointsCount(); ++i)
                            points.emplace_back(s->GetPoint(i).X, s->GetPoint(i).Y);
                    }
                    if (v.x_skip == 79)
                    {
                        EXPECT_TRUE(uitest::RenderToPng(
                            m.window, uitest::OutputPath(phase ? "tools_math/phase_view.png" : "tools_math/magnitude_view.png")));
                    }
                    uitest::CloseWindow(m.window);
                });
                Click(w, phase ? CMathDialog::IDC_PHASE_VIEW : CMathDialog::IDC_MAGNITUDE_VIEW);
                uitest::ProcessEvents();
                EXPECT_EQ(caption, phase ? "ФЧХ фильтра" : "АЧХ фильтра");
                EXPECT_EQ(bottom, v.unit);
                EXPECT_EQ(left, phase ? "Градус" : "Db");
                // Half the grid; a bin blocked completely (minus infinity dB) has no point.
                std::vector<std::pair<double, double>> expected;
                for (int k = 0; k < f.N / 2; ++k)
                {
                    const double y = phase ? f.phase[k] * 180 / M_PI : f.magnitude[k];
                    if (std::isfinite(y))
                        expected.emplace_back(k * f.Fs / f.N / v.divisor, y);
                }
                EXPECT_GT(expected.size(), static_cast<std::size_t>(f.N / 4));
                ASSERT_EQ(points.size(), expected.size());
                for (std::size_t i = 0; i < points.size(); ++i)
                {
                    EXPECT_NEAR(points[i].first, expected[i].first, 1e-9 * f.Fs / v.divisor) << i;
                    EXPECT_NEAR(points[i].second, expected[i].second, 1e-9 * (1 + std::abs(expected[i].second))) << i;
                }
            }
        }
    });
}

// The box a refused value raises takes the keyboard like any other, though the window system
// takes the keyboard from the sheet under it: Return on the box of OK, Esc on the box of
// leaving the page; then the sheet has the keyboard again.
TEST_F(MathWindowTest, TheSheetsRefusalTakesReturnAndEsc)
{
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        for (const bool leavingThePage : {false, true})
        {
            SCOPED_TRACE(leavingThePage ? "leaving the page, Esc" : "OK, Return");
            bool shown = false;
            bool closedByKey = false;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                uitest::ProcessEvents();
                auto* sheet = static_cast<CDialog*>(m.window);
                uitest::TypeText(ShownPageItem(sheet, 1126), "999999999");
                uitest::OnNextModal([&](uihooks::ModalContext& box) {
                    uitest::ProcessEvents();
                    shown = true;
                    QWidget* boxWidget = QApplication::activeModalWidget();
                    uitest::KeyboardLeaves(sheet);
                    uitest::KeyToActiveWindow(leavingThePage ? VK_ESCAPE : VK_RETURN);
                    closedByKey = boxWidget != nullptr && !boxWidget->isVisible();
                    if (!closedByKey)
                        box.End(IDOK);
                });
                if (leavingThePage)
                    uitest::SelectListItem(sheet->GetDlgItem(0x3020), 1);
                else
                    uitest::Click(sheet->GetDlgItem(IDOK));
                uitest::ProcessEvents();
                EXPECT_TRUE(sheet->IsWindowVisible());
                uitest::KeyToActiveWindow(VK_ESCAPE);
                if (sheet->ContinueModal())
                {
                    ADD_FAILURE() << "the sheet did not take the keyboard back";
                    m.End(IDCANCEL);
                }
            });
            Click(w, CMathDialog::IDC_DESIGN_FILTER);
            uitest::ProcessEvents();
            EXPECT_TRUE(shown) << "no box";
            EXPECT_TRUE(closedByKey) << "the box did not take the key";
        }
    });
}
