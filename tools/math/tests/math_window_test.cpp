// The window as the main window holds it: its controls and tips, the math trace's choice, the
// controls the main window serves through it, the frequency-response button, and its record in
// the settings file.

#include "support/MathWindowFixture.h"

#include "core/measure/OscFormat.h"
#include "widgets/chart/ChartLineSerie.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::string Text(CWnd* wnd)
{
    CString s;
    wnd->GetWindowText(s);
    return s;
}

std::vector<std::string> Items(CWnd* combo)
{
    auto* c = static_cast<CComboBox*>(combo);
    std::vector<std::string> items;
    for (int i = 0; i < c->GetCount(); ++i)
    {
        CString s;
        c->GetLBText(i, s);
        items.push_back(s);
    }
    return items;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(MathWindowTest, ControlsTheMathTraceAndTheMainWindowsScale)
{
    RunMath(2, 0, false, [&](CVelkaroDlg& d, CMathDialog& w) {
        EXPECT_EQ(Text(&w), "Математика");
        EXPECT_EQ(Items(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL)), (std::vector<std::string>{"Канал A", "Канал B"}));
        EXPECT_EQ(Items(w.GetDlgItem(CMathDialog::IDC_FILTER_CHANNEL)),
                  (std::vector<std::string>{"Канал A", "Канал B", "Канал AB"}));
        EXPECT_EQ(Items(w.GetDlgItem(CMathDialog::IDC_MATH_OP)), (std::vector<std::string>{"Нет", "A+B", "A-B", "B-A"}));
        for (int id : {CMathDialog::IDC_FFT_CHANNEL, CMathDialog::IDC_FILTER_CHANNEL, CMathDialog::IDC_MATH_OP})
            EXPECT_EQ(static_cast<CComboBox*>(w.GetDlgItem(id))->GetCurSel(), 0) << id;
        EXPECT_EQ(d.math_vdiv_list.GetSafeHwnd(), w.GetDlgItem(CMathDialog::IDC_MATH_VDIV_LIST)->GetSafeHwnd())
            << "the main window's list is this window's control";

        // The choice of trace, and the spectrum's channel in the model.
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_MATH_OP), 2);
        EXPECT_EQ(w.GetMathOperation(), 2);
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), 1);
        std::uint32_t mode = 0;
        WithData([&](OscData& data) { mode = data.mode; });
        EXPECT_EQ(mode & MODE_SPECTRUM_A, 0u);
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), 0);
        WithData([&](OscData& data) { mode = data.mode; });
        EXPECT_NE(mode & MODE_SPECTRUM_A, 0u);

        // The offset spin reaches the main window through this window's notifications.
        int before = 0;
        WithData([&](OscData& data) { before = data.y_offset[2]; });
        uitest::ClickSpin(w.GetDlgItem(CMathDialog::IDC_MATH_OFFSET_SPIN), true);
        std::string expected;
        int after = 0;
        WithData([&](OscData& data) {
            after = data.y_offset[2];
            expected = FormatOffsetVolts(data, 2);
        });
        EXPECT_NE(after, before);
        EXPECT_EQ(Text(w.GetDlgItem(CMathDialog::IDC_MATH_OFFSET)), expected);
        uitest::Click(w.GetDlgItem(CMathDialog::IDC_MATH_ZERO));
        WithData([&](OscData& data) { after = data.y_offset[2]; });
        EXPECT_EQ(after, 0);

        // So does the scale spin, each arrow its way.
        for (const bool up : {true, false})
        {
            SCOPED_TRACE(up ? "up" : "down");
            std::uint32_t scaleBefore = 0, scaleAfter = 0;
            WithData([&](OscData& data) { scaleBefore = data.u_div[2]; });
            uitest::ClickSpin(w.GetDlgItem(CMathDialog::IDC_MATH_VDIV_SPIN), up);
            WithData([&](OscData& data) { scaleAfter = data.u_div[2]; });
            EXPECT_EQ(static_cast<int>(scaleAfter) - static_cast<int>(scaleBefore), up ? 1 : -1);
        }

        // The math trace's tips, on this window's own tooltip.
        const std::pair<int, const char*> tips[] = {
            {CMathDialog::IDC_MATH_OFFSET, "Значение смещения по напряжению канала математики\r\nотносительно середины"},
            {CMathDialog::IDC_MATH_OFFSET_SPIN, "Изменение смещения по напряжению канала математики\r\nотносительно середины"},
            {CMathDialog::IDC_MATH_ZERO, "Возвращение смещения канала математики в нуль"},
        };
        for (const auto& [id, tip] : tips)
            EXPECT_NE(w.GetToolTip().GetToolText(w.GetDlgItem(id)->GetSafeHwnd()).find(tip), std::string::npos) << id;

        std::filesystem::create_directories(uitest::OutputPath("tools_math"));
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("tools_math/math_window.png")));
    });
}

// Each channel is taken from its own zero before the two are combined: with equal zeros a
// difference would hide a mix-up, so the zeros differ here and the codes run over the range.
TEST_F(MathWindowTest, EachOperationMakesTheMainWindowsTraceFromTheZeroedChannels)
{
    RunMath(5, 0, false, [&](CVelkaroDlg& d, CMathDialog& w) {
        const signed char zeros[2] = {7, -11};
        WithData([&](OscData& data) {
            data.SetCalibrationOffsets(2, zeros, sizeof zeros);
            ASSERT_EQ(data.GetCalibrationOffset(0), 7);
            ASSERT_EQ(data.GetCalibrationOffset(1), -11);
            for (int k = 0; k < SCREEN_POINTS; ++k)
            {
                data.screen_points[0][k] = (k * 37) % 256 - 128;
                data.screen_points[1][k] = 127 - (k * 53) % 256;
            }
        });
        struct Operation {
            int item;
            const char* name;
            int (*combine)(int a, int b);
        };
        const Operation operations[] = {
            {1, "Канал A+B", [](int a, int b) { return a + b; }},
            {2, "Канал A-B", [](int a, int b) { return a - b; }},
            {3, "Канал B-A", [](int a, int b) { return b - a; }},
        };
        for (const Operation& op : operations)
        {
            SCOPED_TRACE(op.name);
            uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_MATH_OP), op.item);
            Tick(d);
            EXPECT_EQ(d.GetLineSerie(2, 0)->GetName(), op.name);
            const ScreenSnapshot& s = d.GetSnapshot();
            ASSERT_TRUE(s.enabled[2]);
            for (int k = 0; k < SCREEN_POINTS; ++k)
            {
                const int a = (k * 37) % 256 - 128 - zeros[0];
                const int b = 127 - (k * 53) % 256 - zeros[1];
                ASSERT_EQ(s.points[2][k], op.combine(a, b)) << k;
            }
        }
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_MATH_OP), 0);
        Tick(d);
        EXPECT_FALSE(d.GetSnapshot().enabled[2]);
    });
}

TEST_F(MathWindowTest, FrequencyResponseNeedsTheInstrument)
{
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        WithData([](OscData& data) { data.mode &= ~MODE_LINKED; });
        std::string text;
        UINT type = 0;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            text = m.text;
            type = m.type;
            m.End(IDOK);
        });
        Click(w, CMathDialog::IDC_FREQ_RESPONSE);
        uitest::ProcessEvents();
        EXPECT_EQ(text, "Необходимо подключиться!");
        EXPECT_NE(type & MB_ICONEXCLAMATION, 0u);

        std::string caption;
        WithData([](OscData& data) { data.mode |= MODE_LINKED; });
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            caption = m.caption;
            uitest::ProcessEvents();
            uitest::CloseWindow(m.window);
        });
        Click(w, CMathDialog::IDC_FREQ_RESPONSE);
        uitest::ProcessEvents();
        EXPECT_EQ(caption, "Параметры АЧХ");
        WithData([](OscData& data) { data.mode &= ~MODE_LINKED; });
    });
}

TEST_F(MathWindowTest, RecordKeepsTheOperationFilterAndSpectrumPlace)
{
        CRect moved;
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_MATH_OP), 3);
        uitest::OnNextModal([](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            auto* frame = static_cast<CDialog*>(m.window);
            uitest::SelectListItem(frame->GetDlgItem(0x3020), 1);  // the high-pass page
            uitest::Click(frame->GetDlgItem(IDOK));
        });
        Click(w, CMathDialog::IDC_DESIGN_FILTER);
        uitest::ProcessEvents();
        ASSERT_EQ(w.fir_params.type, FIR_TYPE_HPF);
        // The spectrum window, moved by the user, keeps its place in the window's rectangle.
        WithData([](OscData& data) { data.read_state = 3; });
        Click(w, CMathDialog::IDC_BUFFER_FFT);
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
        ASSERT_NE(w.GetSpectrumWindow(), nullptr);
        w.GetSpectrumWindow()->MoveWindow(40, 50, 520, 330);
        uitest::ProcessEvents();
        moved = w.rect_dlg_fft;
        EXPECT_EQ(moved.left, 40);
        EXPECT_EQ(moved.top, 50);
    });
    const std::string saved = ReadFile(configPath_);
    // The main window keeps each variant's settings as an XML text inside its file.
    ASSERT_NE(saved.find("&lt;math_dlg"), std::string::npos);

    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        EXPECT_EQ(w.math_op, 3);
        EXPECT_EQ(static_cast<CComboBox*>(w.GetDlgItem(CMathDialog::IDC_MATH_OP))->GetCurSel(), 3);
        EXPECT_EQ(w.fir_params.type, FIR_TYPE_HPF);
        EXPECT_EQ(w.fir_params.len, 128);
        EXPECT_GT(w.fir_params.freq, 0u);
        EXPECT_EQ(w.GetFilter(), nullptr) << "the filter itself is designed again";
        EXPECT_EQ(w.rect_dlg_fft, moved);
        WithData([](OscData& data) { data.read_state = 3; });
        Click(w, CMathDialog::IDC_BUFFER_FFT);
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
        ASSERT_NE(w.GetSpectrumWindow(), nullptr);
        CRect where;
        w.GetSpectrumWindow()->GetWindowRect(&where);
        EXPECT_EQ(where.TopLeft(), moved.TopLeft()) << "reopens where the user left it";
    });

    // An older record has no filter parameters; a stored operation out of range and a rectangle
    // of no size fall back to their defaults.
    const std::string lt = "&lt;", gt = "&gt;", q = "&quot;";
    std::string old = std::regex_replace(
        ReadFile(configPath_),
        std::regex(lt + "fir_params\\.[a-z0-9]+" + gt + "[^&]*" + lt + "/fir_params\\.[a-z0-9]+" + gt + "\\s*"), "");
    old = std::regex_replace(old, std::regex("(" + lt + "math_dlg [^\\n]*version=" + q + ")1" + q), "$010" + q);
    old = std::regex_replace(old, std::regex(lt + "math_op" + gt + "3"), lt + "math_op" + gt + "7");
    old = std::regex_replace(old,
                             std::regex("(" + lt + "left" + gt + ")[-0-9]+(" + lt + "/left" + gt + "\\s*" + lt + "top" + gt +
                                        ")[-0-9]+(" + lt + "/top" + gt + "\\s*" + lt + "right" + gt + ")[-0-9]+"),
                             "$0110$0220$0310");
    ASSERT_NE(old.find(lt + "math_op" + gt + "7"), std::string::npos);
    ASSERT_EQ(old.find("fir_params"), std::string::npos);
    {
        std::ofstream out(configPath_, std::ios::trunc);
        out << old;
    }
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        EXPECT_EQ(w.math_op, 0);
        EXPECT_EQ(w.fir_params.type, FIR_TYPE_LPF);
        EXPECT_EQ(w.fir_params.len, 128);
        EXPECT_EQ(w.rect_dlg_fft, CRect(0, 0, 500, 300));
    });
}
