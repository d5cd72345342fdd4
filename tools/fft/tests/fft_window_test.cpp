// The spectrum window and the chart window as a user meets them: shown, moved, resized and
// closed through the window system.

#include "tools/fft/CChartCtrlDlg.h"
#include "tools/fft/CDialogFFT.h"

#include "platform/gdi/RecordingDC.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"
#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartFastLogarithmicAxis.h"
#include "widgets/chart/ChartFastStandardAxis.h"
#include "widgets/chart/ChartLineSerie.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <vector>

void PrintTo(const CRect& r, std::ostream* os) { *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")"; }

namespace {

class SpectrumWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
    }
    void TearDown() override { uitest::ProcessEvents(); }

    static std::string Png(const std::string& name)
    {
        const std::string dir = uitest::OutputPath("tools_fft");
        std::filesystem::create_directories(dir);
        return dir + "/" + name + ".png";
    }
};

// A spectrum of `points` samples at rate fs: a line at bin `peakBin`, amplitude `volts`.
struct Spectrum {
    std::vector<double> f;
    std::vector<double> a;
};
Spectrum MakeSpectrum(int points, double fs, int peakBin, double volts)
{
    Spectrum s;
    for (int k = 0; k <= points / 2; ++k) {
        s.f.push_back(k * fs / points);
        s.a.push_back(k == peakBin ? volts : (k == 0 ? 5.0 : volts * 1e-3));
    }
    return s;
}

// The window as the mathematics window opens it, 700 x 480, showing a 75 kHz line, and the
// cross-hair it made; null when the window did not show.
CChartCrossHairCursor* ShowWithCrossHair(CDialogFFT& w)
{
    const Spectrum s = MakeSpectrum(1024, 1e6, 75, 0.8);
    w.ShowSpectrum(s.f, s.a, 1024);
    uitest::ProcessEvents();
    return w.IsWindowVisible() ? w.GetCursor() : nullptr;
}

std::vector<double> Ys(const CChartSerie* serie)
{
    std::vector<double> y;
    for (unsigned i = 0; i < serie->GetPointsCount(); ++i) y.push_back(serie->GetPoint(i).Y);
    return y;
}

}  // namespace

TEST_F(SpectrumWindow, ShowsBinsAboveDcAndRebuildsOnlyWhenThePointCountChanges)
{
    CRect rect(40, 50, 640, 450);
    CDialogFFT w(&rect);
    ASSERT_NE(w.m_hWnd, nullptr);
    EXPECT_FALSE(w.IsWindowVisible()) << "the window shows with its first spectrum";

    const Spectrum s = MakeSpectrum(1024, 1e6, 75, 0.8);
    w.ShowSpectrum(s.f, s.a, 1024);
    ASSERT_TRUE(w.IsWindowVisible());
    CChartSerie* serie = w.GetSerie();
    ASSERT_EQ(serie->GetPointsCount(), 512u) << "the mean (bin 0) is never drawn";
    EXPECT_DOUBLE_EQ(serie->GetPoint(0).X, s.f[1]);
    EXPECT_DOUBLE_EQ(serie->GetPoint(74).Y, 0.8);
    EXPECT_FALSE(w.GetVerticalAxis()->IsAutomatic());
    EXPECT_FALSE(w.GetHorizontalAxis()->IsAutomatic());
    EXPECT_GE(w.GetVerticalAxis()->GetMax(), 0.8) << "the fixed range is the one fitted to the points";
    uitest::ProcessEvents();
    EXPECT_TRUE(uitest::RenderToPng(&w, Png("spectrum")));

    // The screen form: the same count refills in place and frames the frequencies exactly.
    Spectrum screen = MakeSpectrum(1024, 2e6, 10, 0.3);
    w.UpdateSpectrum(1024, screen.f, screen.a);
    ASSERT_EQ(serie->GetPointsCount(), 512u);
    EXPECT_DOUBLE_EQ(serie->GetPoint(9).Y, 0.3);
    EXPECT_DOUBLE_EQ(w.GetHorizontalAxis()->GetMin(), screen.f[1]);
    EXPECT_DOUBLE_EQ(w.GetHorizontalAxis()->GetMax(), screen.f[512]);
    EXPECT_LT(w.GetVerticalAxis()->GetMax(), 0.8) << "the amplitude axis refits to the new data";

    // Closed by the user, then a spectrum of another length: shown again, flag cleared.
    uitest::CloseWindow(&w);
    uitest::ProcessEvents();
    EXPECT_TRUE(w.closed);
    EXPECT_FALSE(w.IsWindowVisible());
    screen = MakeSpectrum(300, 2e6, 10, 0.3);
    w.UpdateSpectrum(300, screen.f, screen.a);
    EXPECT_EQ(serie->GetPointsCount(), 150u);
    EXPECT_FALSE(w.closed);
    EXPECT_TRUE(w.IsWindowVisible());
}

TEST_F(SpectrumWindow, NoiseBelowAMillivoltIsAFlatZeroLine)
{
    CRect rect(0, 0, 500, 300);
    CDialogFFT w(&rect);
    Spectrum s = MakeSpectrum(64, 1000, 3, 0.001);  // the peak equals the floor: still noise
    s.a[0] = 7;                                       // a large mean does not count
    w.ShowSpectrum(s.f, s.a, 64);
    ASSERT_EQ(w.GetSerie()->GetPointsCount(), 32u);
    for (double y : Ys(w.GetSerie())) EXPECT_EQ(y, 0.0);
    EXPECT_DOUBLE_EQ(w.GetSerie()->GetPoint(31).X, s.f[32]);

    // The screen form draws the zero line as its two ends.
    w.UpdateSpectrum(64, s.f, s.a);
    ASSERT_EQ(w.GetSerie()->GetPointsCount(), 2u);
    EXPECT_DOUBLE_EQ(w.GetSerie()->GetPoint(0).X, s.f[1]);
    EXPECT_DOUBLE_EQ(w.GetSerie()->GetPoint(1).X, s.f[32]);
    EXPECT_EQ(w.GetSerie()->GetPoint(1).Y, 0.0);
}

TEST_F(SpectrumWindow, ArraysShorterThanTheCountAreDrawnAsFarAsTheyGo)
{
    CRect rect(0, 0, 500, 300);
    CDialogFFT w(&rect);
    const Spectrum s = MakeSpectrum(16, 1000, 2, 1.0);  // 9 bins
    w.ShowSpectrum(s.f, s.a, 4096);
    EXPECT_EQ(w.GetSerie()->GetPointsCount(), 8u);
    w.UpdateSpectrum(4096, s.f, {});
    EXPECT_EQ(w.GetSerie()->GetPointsCount(), 0u);
    w.UpdateSpectrum(1, s.f, s.a);
    EXPECT_EQ(w.GetSerie()->GetPointsCount(), 0u);
}

// The cross-hair is made with the window, before the window has its size: it must still stand
// in the middle of the plot the user sees, and name the values there, until the mouse moves it.
TEST_F(SpectrumWindow, CrossHairStartsInTheMiddleOfThePlot)
{
    CRect rect(30, 40, 730, 520);
    CDialogFFT w(&rect);
    CChartCrossHairCursor* cursor = ShowWithCrossHair(w);
    ASSERT_NE(cursor, nullptr);
    const auto middle = [&] {
        const CRect plot = w.GetChart().GetPlottingRect();
        return CPoint(plot.left + plot.Width() / 2, plot.top + plot.Height() / 2);
    };
    const auto expectNamesWhereItStands = [&](CPoint at) {
        EXPECT_DOUBLE_EQ(cursor->GetXValue(), w.GetHorizontalAxis()->ScreenToValue(at.x));
        EXPECT_DOUBLE_EQ(cursor->GetYValue(), w.GetVerticalAxis()->ScreenToValue(at.y));
    };
    CRect client;
    w.GetClientRect(&client);
    ASSERT_GT(w.GetChart().GetPlottingRect().Width(), client.Width() / 2) << "the plot has the window's size";
    EXPECT_EQ(cursor->GetPosition(), middle());
    expectNamesWhereItStands(middle());

    // The lines are drawn where the cursor says it stands.
    const std::string png = Png("spectrum_cross_hair");
    ASSERT_TRUE(uitest::RenderToPng(&w, png));
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    const CRect plot = w.GetChart().GetPlottingRect();
    const QColor line(GetRValue(cursor->GetColor()), GetGValue(cursor->GetColor()), GetBValue(cursor->GetColor()));
    EXPECT_EQ(image.pixelColor(middle().x, plot.top + 3), line);
    EXPECT_EQ(image.pixelColor(plot.right - 3, middle().y), line);

    // The user drags the frame before pointing at anything: the cursor keeps to the middle.
    uitest::WidgetOf(&w)->resize(820, 560);
    uitest::ProcessEvents();
    EXPECT_EQ(cursor->GetPosition(), middle());
    expectNamesWhereItStands(middle());

    // Once the mouse has moved over the plot, the cursor stays where it was left.
    const CPoint pointed(middle().x - 60, middle().y + 25);
    uitest::MouseMove(&w.GetChart(), pointed);
    EXPECT_EQ(cursor->GetPosition(), pointed);
    uitest::WidgetOf(&w)->resize(700, 480);
    uitest::ProcessEvents();
    EXPECT_EQ(cursor->GetPosition(), pointed);
}

// A box zoom rescales both axes under the lines, which stay where the mouse let go: the labels
// name the point under them at once, not the one they stood for before the zoom.
TEST_F(SpectrumWindow, CrossHairLabelsFollowABoxZoom)
{
    CRect rect(30, 40, 730, 520);
    CDialogFFT w(&rect);
    CChartCrossHairCursor* cursor = ShowWithCrossHair(w);
    ASSERT_NE(cursor, nullptr);
    CChartCtrl& chart = w.GetChart();
    const auto labels = [&] {
        CRecordingDC dc(700, 480);
        cursor->Draw(&dc);
        std::vector<std::string> texts;
        for (const GdiRecord& r : dc.RecordsOf("TextOut")) texts.push_back(r.text);
        return texts;
    };
    const auto underTheLines = [&] {
        const CPoint at = cursor->GetPosition();
        return std::vector<std::string>{
            CChartCrossHairCursor::FormatValue(w.GetHorizontalAxis(), w.GetHorizontalAxis()->ScreenToValue(at.x)),
            CChartCrossHairCursor::FormatValue(w.GetVerticalAxis(), w.GetVerticalAxis()->ScreenToValue(at.y))};
    };

    const CRect plot = chart.GetPlottingRect();
    const CPoint from(plot.left + plot.Width() / 5, plot.top + plot.Height() / 6);
    const CPoint to(plot.left + plot.Width() / 2, plot.top + plot.Height() / 2);
    uitest::MouseMove(&chart, from);
    uitest::MouseDown(&chart, from);
    uitest::MouseMove(&chart, to, true);
    const std::vector<std::string> beforeZoom = labels();
    const double minBefore = w.GetHorizontalAxis()->GetMin();
    uitest::MouseUp(&chart, to);
    uitest::ProcessEvents();
    ASSERT_GT(w.GetHorizontalAxis()->GetMin(), minBefore) << "the box zoomed in";
    EXPECT_EQ(cursor->GetPosition(), to) << "the lines stay where the mouse let go";
    EXPECT_DOUBLE_EQ(cursor->GetXValue(), w.GetHorizontalAxis()->ScreenToValue(to.x));
    EXPECT_DOUBLE_EQ(cursor->GetYValue(), w.GetVerticalAxis()->ScreenToValue(to.y));
    EXPECT_EQ(labels(), underTheLines());
    EXPECT_NE(labels(), beforeZoom);
    EXPECT_TRUE(uitest::RenderToPng(&w, Png("spectrum_zoomed_cross_hair")));

    // A new screen spectrum refits the amplitude axis under the still lines: the same holds.
    const Spectrum louder = MakeSpectrum(1024, 1e6, 75, 2.5);
    w.UpdateSpectrum(1024, louder.f, louder.a);
    uitest::ProcessEvents();
    EXPECT_EQ(cursor->GetPosition(), to);
    EXPECT_EQ(labels(), underTheLines());
}

TEST_F(SpectrumWindow, KeepsItsPlaceAndSizeInTheOwnersRectangle)
{
    CRect rect(30, 40, 630, 440);
    {
        CDialogFFT w(&rect);
        CRect placed;
        w.GetWindowRect(&placed);
        EXPECT_EQ(placed, CRect(30, 40, 630, 440)) << "opens at the owner's rectangle";
        const Spectrum s = MakeSpectrum(256, 1e5, 5, 1.0);
        w.ShowSpectrum(s.f, s.a, 256);
        uitest::ProcessEvents();
        w.GetWindowRect(&placed);
        EXPECT_EQ(placed, CRect(30, 40, 630, 440)) << "showing it does not grow it by its frame";
        EXPECT_EQ(rect, CRect(30, 40, 630, 440));

        // The user drags it: the window system moves it without asking.
        uitest::WidgetOf(&w)->move(120, 90);
        uitest::ProcessEvents();
        EXPECT_EQ(rect, CRect(120, 90, 720, 490));

        // ... and drags its frame: the chart follows the client area.
        uitest::WidgetOf(&w)->resize(700, 380);
        uitest::ProcessEvents();
        CRect window;
        w.GetWindowRect(&window);
        EXPECT_EQ(rect.TopLeft(), CPoint(120, 90));
        EXPECT_EQ(rect.Width(), window.Width());
        EXPECT_EQ(rect.Height(), window.Height());
        CRect client;
        CRect chart;
        w.GetClientRect(&client);
        w.GetChart().GetWindowRect(&chart);
        EXPECT_EQ(chart.Size(), client.Size());

        // A move by the program goes the same way.
        w.SetWindowPos(nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        uitest::ProcessEvents();
        EXPECT_EQ(rect.TopLeft(), CPoint(10, 20));
        EXPECT_EQ(rect.Width(), window.Width());
    }
    // A new window opens where the last one was left.
    const CRect kept = rect;
    CDialogFFT again(&rect);
    CRect placed;
    again.GetWindowRect(&placed);
    EXPECT_EQ(placed, kept);
}

// The owner's rectangle holds the outer size: the window reopens with the client area the user
// left it with instead of growing by its frame at each opening, and where it was left. The
// window system is told the smallest size, frame included. (Under a window manager, which frames
// a window only after it maps it, the layer's own tests and the acceptance run check the same.)
TEST_F(SpectrumWindow, ReopensTheSizeAndPlaceTheUserLeftIt)
{
    const Spectrum s = MakeSpectrum(256, 1e5, 5, 1.0);
    CRect rect(30, 40, 630, 440);
    CSize frame;
    {
        CDialogFFT w(&rect);
        w.ShowSpectrum(s.f, s.a, 256);
        uitest::ProcessEvents();
        const QMargins m = uitest::WidgetOf(&w)->windowHandle()->frameMargins();
        frame = CSize(m.left() + m.right(), m.top() + m.bottom());
        CRect client;
        w.GetClientRect(&client);
        EXPECT_EQ(client.Size(), CSize(600, 400) - frame);
        EXPECT_EQ(rect, CRect(30, 40, 630, 440));
        EXPECT_EQ(uitest::SmallestClientSize(&w), CSize(CDialogFFT::kMinWidth, CDialogFFT::kMinHeight) - frame);

        uitest::WidgetOf(&w)->windowHandle()->resize(QSize(700, 400));  // the user drags the frame
        uitest::ProcessEvents();
        EXPECT_EQ(rect.Size(), CSize(700, 400) + frame);
    }
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        CDialogFFT again(&rect);
        again.ShowSpectrum(s.f, s.a, 256);
        uitest::ProcessEvents();
        CRect client;
        again.GetClientRect(&client);
        EXPECT_EQ(client.Size(), CSize(700, 400));
        EXPECT_EQ(rect.Size(), CSize(700, 400) + frame);
        EXPECT_EQ(rect.TopLeft(), CPoint(30, 40)) << "nor does it creep by its frame";
    }
}

TEST_F(SpectrumWindow, ARectangleThatCannotShowTheWindowBecomesTheDefault)
{
    CRect desktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
    struct Case {
        CRect rect;
        bool replaced;
    };
    const Case cases[] = {
        {CRect(10, 10, 510, 310), false},
        {CRect(10, 10, 10, 310), true},                                   // no width
        {CRect(10, 310, 510, 10), true},                                  // upside down
        {CRect(desktop.right + 10, 0, desktop.right + 510, 300), true},   // centre right of the desktop
        {CRect(-2000, -2000, -1500, -1700), true},                        // centre above and left
        {CRect(desktop.right - 100, 10, desktop.right + 100, 210), true}, // centre on the right edge
        {CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), true},                // centre inside, but no window that size
    };
    for (const Case& c : cases) {
        CRect r = c.rect;
        EXPECT_EQ(CDialogFFT::SanitizeRect(r), c.replaced) << c.rect.left << "," << c.rect.top;
        EXPECT_EQ(r, c.replaced ? CDialogFFT::DefaultRect() : c.rect);
    }
    CRect bad(0, 0, -5, -5);
    CDialogFFT w(&bad);
    EXPECT_EQ(bad, CRect(0, 0, 500, 300)) << "the owner's rectangle is repaired too";
}

TEST_F(SpectrumWindow, ChartWindowHoldsItsMinimumSizeAndCutsItsCaption)
{
    CChartCtrlDlg dlg("АЧХ фильтра");
    ASSERT_NE(dlg.GetChart().GetBottomAxis(), nullptr) << "the caller titles the axes before running it";
    dlg.GetChart().GetBottomAxis()->GetLabel()->SetText("КГц");
    dlg.GetChart().GetLeftAxis()->GetLabel()->SetText("Db");
    EXPECT_FALSE(dlg.IsWindowVisible());
    auto* serie = new CChartLineSerie(&dlg.GetChart());
    dlg.GetChart().AddSerie(serie);
    for (int k = 0; k < 64; ++k) serie->AddPoint(k * 1.5, -40.0 * std::log10(1.0 + k));
    CRect initial;
    CRect shrunk;
    CRect grown;
    CRect chart;
    CRect client;
    CSize smallest;
    CSize frame;
    std::string caption;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        CWnd* w = m.window;
        uitest::ProcessEvents();
        w->GetWindowRect(&initial);
        w->GetClientRect(&client);
        frame = initial.Size() - client.Size();
        smallest = uitest::SmallestClientSize(w);
        CString text;
        w->GetWindowText(text);
        caption = text;
        EXPECT_TRUE(uitest::RenderToPng(w, Png("chart_window")));
        uitest::WidgetOf(w)->resize(200, 100);
        uitest::ProcessEvents();
        w->GetWindowRect(&shrunk);
        uitest::WidgetOf(w)->resize(800, 600);
        uitest::ProcessEvents();
        w->GetWindowRect(&grown);
        w->GetClientRect(&client);
        dlg.GetChart().GetWindowRect(&chart);
        uitest::CloseWindow(w);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(caption, "АЧХ фильтра");
    EXPECT_EQ(smallest, CSize(CChartCtrlDlg::kMinWidth, CChartCtrlDlg::kMinHeight) - frame) << "the window manager is told the minimum";
    // At least the minimum, and no more than the frame the window system adds once shown.
    EXPECT_GE(initial.Width(), 500);
    EXPECT_LE(initial.Width(), 520);
    EXPECT_GE(initial.Height(), 300);
    EXPECT_LE(initial.Height(), 340);
    EXPECT_GE(shrunk.Width(), 500);
    EXPECT_GE(shrunk.Height(), 300);
    EXPECT_GE(grown.Width(), 800);
    EXPECT_EQ(chart.Size(), client.Size());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(SpectrumWindow, CaptionIsCutToFiftyCharactersWithoutSplittingOne)
{
    struct Case {
        std::string text;
        std::size_t units;
        std::string shown;
    };
    std::string cyrillic;
    for (int i = 0; i < 60; ++i) cyrillic += "Ж";
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "Ж";
    std::string pairAtEnd(49, 'a');
    pairAtEnd += "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
    const Case cases[] = {
        {"ФЧХ фильтра", 11, "ФЧХ фильтра"},
        {cyrillic, 50, fifty},
        {pairAtEnd, 49, std::string(49, 'a')},              // the pair would pass 50: it goes
        {std::string(48, 'a') + "\xF0\x9F\x98\x80", 50, std::string(48, 'a') + "\xF0\x9F\x98\x80"},
        {"a\xC3", 2, "a\xEF\xBF\xBD"},                      // cut UTF-8 reads as U+FFFD
        {"\xE0\x80\xAF", 3, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CChartCtrlDlg::TemplateCaption(c.text).size(), c.units) << c.text;
        CChartCtrlDlg dlg(c.text);
        std::string shown;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            CString text;
            m.window->GetWindowText(text);
            shown = text;
            uitest::PressEscape(m.window);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(shown, c.shown);
    }
}
