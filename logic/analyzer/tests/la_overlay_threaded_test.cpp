// The decoders of the logic analyser window drawing over the main chart, on the virtual
// instrument (variant 4): the frames show on the chart as soon as "Обработка" has decoded the
// stopped capture, and go when the acquisition runs again.

#include "logic/analyzer/LAnalyzerDialog.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"

#include <QImage>
#include <QWidget>

#include <filesystem>

namespace {

// 100 µs/div: one stored sample per screen point, ten per bit of the instrument's UART.
constexpr unsigned kTDiv = 15;
constexpr int kNetB0 = 15;  // entry of net B0 (A7..A0, then B7..B0)
// The decoders paint in this colour only; nothing else on the chart uses it.
const QRgb kOverlay = qRgb(0xC8, 0xC8, 0xFF);

class LAnalyzerOverlayTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        demoInstrument->SetVersion(4, 0);
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            return slot == CToolDialogList::LANALYZER ? std::make_unique<CLAnalyzerDialog>(&main) : nullptr;
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    static int Cycles()
    {
        CSingleLock lock(&DataLock, TRUE);
        return GetOscData()->cycle_counter;
    }

    static bool Stopped()
    {
        CSingleLock lock(&DataLock, TRUE);
        return (GetOscData()->mode & MODE_STOPPED) != 0;
    }

    // Pixels of the decoders' colour in the chart as the screen shows it.
    static int OverlayPixels(CVelkaroDlg& d, const std::string& png = {})
    {
        uitest::ProcessEvents();
        const QImage picture = uitest::WidgetOf(&d.GetChart())->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (!png.empty()) {
            std::filesystem::create_directories(uitest::OutputPath("logic_analyzer"));
            EXPECT_TRUE(picture.save(QString::fromStdString(uitest::OutputPath("logic_analyzer/" + png)), "PNG"));
        }
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += (picture.pixel(x, y) & 0xFFFFFF) == (kOverlay & 0xFFFFFF) ? 1 : 0;
        return count;
    }

    // The main window's timer, as often as it takes.
    static bool TickUntil(CVelkaroDlg& d, const std::function<bool()>& done)
    {
        return WaitUntil([&] {
            Tick(d);
            return done();
        });
    }
};

}  // namespace

TEST_F(LAnalyzerOverlayTest, DecodedFramesShowOnTheChartUntilTheAcquisitionRunsAgain)
{
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil(&MainWindowTest::Linked));
        ASSERT_TRUE(WaitUntil([] {
            CSingleLock lock(&DataLock, TRUE);
            const OscData* data = GetOscData();
            return data->GetVersion() == 4 && (data->status & STATUS_LIMITS_APPLIED) == 0;
        }));
        WithData([](OscData& data) {
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_A |
                                                      OSC_CR_LOGIC_B) & ~(OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX));
            data.t_div = kTDiv;
            ASSERT_EQ(data.SolveTimebase(), 0);
            data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
            data.changes |= CHANGE_ALL_REGISTERS | CHANGE_SKIP | CHANGE_ZOOM | CHANGE_CAPTURE;
        });
        const int before = Cycles();
        ASSERT_TRUE(TickUntil(d, [&] { return Cycles() > before + 1; }));
        EXPECT_EQ(OverlayPixels(d), 0);
        // The user stops the capture and looks at it: read out whole, it brings no new picture.
        uitest::Click(d.GetDlgItem(1047));
        ASSERT_TRUE(TickUntil(d, [] {
            CSingleLock lock(&DataLock, TRUE);
            return (GetOscData()->mode & MODE_STOPPED) != 0 && GetOscData()->read_state == 3 &&
                   (GetOscData()->status & STATUS_REDRAW) == 0;
        }));
        for (int i = 0; i < 3; ++i)
            Tick(d);

        // The user opens the window and its asynchronous analyser by their buttons.
        auto& w = dynamic_cast<CLAnalyzerDialog&>(*d.GetToolDialog(CToolDialogList::LANALYZER));
        w.ShowWindow(SW_SHOW);
        w.OnShowTool(true);
        uitest::Click(w.GetDlgItem(CLAnalyzerDialog::kAsyncButtonId));
        CAsyncAnalyzer* a = w.GetAsyncAnalyzer();
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->IsWindowVisible());
        a->Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(&a->DataPage().Net(0), kNetB0);
        uitest::Click(a->GetDlgItem(CAsyncAnalyzer::kProcessId));
        // The capture is complete: the first look of the timer decodes it.
        EXPECT_TRUE(uitest::FireTimer(a, CAsyncAnalyzer::kWaitTimerId));
        EXPECT_EQ(uitest::TimerPeriod(a, CAsyncAnalyzer::kWaitTimerId), 0);
        ASSERT_EQ(a->Packets(0).size(), 1u);
        ASSERT_GT(a->Packets(0)[0].size(), 5u);

        // No new capture comes while stopped: the chart is drawn again for the frames.
        ASSERT_TRUE(TickUntil(d, [&] { return OverlayPixels(d) > 0; })) << "the frames never showed";
        const int shown = OverlayPixels(d, "chart_uart_frames.png");
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("logic_analyzer/main_window_uart_frames.png")));

        // Hiding the net (B0 by its check box in the net list) hides its frames.
        CReportCtrl& list = w.GetList();
        CRect row;
        list.EnsureVisible(15, FALSE);
        uitest::ProcessEvents();
        list.GetSubItemRect(15, 0, LVIR_BOUNDS, row);
        uitest::ClickAt(&list, CPoint(row.left + 9, row.CenterPoint().y));
        EXPECT_EQ(d.la_net_display[8], 0);
        ASSERT_TRUE(TickUntil(d, [&] { return OverlayPixels(d) == 0; })) << "frames of a hidden net stayed";
        uitest::ClickAt(&list, CPoint(row.left + 9, row.CenterPoint().y));
        ASSERT_TRUE(TickUntil(d, [&] { return OverlayPixels(d) == shown; }));

        // The stop button lets the acquisition run: the results go, from the chart too.
        uitest::Click(d.GetDlgItem(1047));
        ASSERT_TRUE(TickUntil(d, [&] { return !Stopped() && a->Packets(0).empty(); }));
        EXPECT_EQ(a->ResultsPage().GetText(), "");
        const int running = Cycles();
        ASSERT_TRUE(TickUntil(d, [&] { return Cycles() > running + 1; }));
        EXPECT_EQ(OverlayPixels(d), 0);
    });
}
