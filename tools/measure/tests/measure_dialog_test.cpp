// The measurement window inside the running main window: what a measurement pass puts in the
// table, what a hidden window leaves alone, and how a channel switched off is blanked.

#include "tools/measure/MeasureDialog.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class MeasureWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            if (slot != CToolDialogList::MEASURE)
                return nullptr;
            return std::make_unique<CMeasureDialog>(&main);
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    static CMeasureDialog& Window(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CMeasureDialog*>(d.GetToolDialog(CToolDialogList::MEASURE));
        EXPECT_NE(w, nullptr);
        return *w;
    }

    static std::vector<std::string> Column(CMeasureDialog& w, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < w.GetList().GetItemCount(); ++row)
            texts.push_back(w.GetList().GetItemText(row, column));
        return texts;
    }

    static bool Measured()
    {
        bool set = false;
        WithData([&](OscData& data) { set = (data.status & STATUS_MEASURED) != 0; });
        return set;
    }

    // A finished pass with known results: channel A a 10-point period (1 ms/div), B flat.
    static void KnownPass(OscData& data)
    {
        ASSERT_EQ(data.GetVersion(), 2);
        data.gain_sel[0] = data.gain_ref[0] = 1;
        data.gain_sel[1] = data.gain_ref[1] = 1;
        data.mode &= ~(MODE_PROBE_X10_A | MODE_PROBE_X10_B);
        ASSERT_DOUBLE_EQ(data.GetStepMillivolts(), 50);
        data.t_div = 18;
        data.osc_cr |= OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
        const int mean[2] = {10, -3}, base[2] = {-4, -3}, top[2] = {30, -3}, peak[2] = {20, 0};
        const int minimum[2] = {-8, -3}, maximum[2] = {40, -3};
        const double period[2] = {100, 0};
        for (int c = 0; c < 2; ++c) {
            data.measure_mean[c] = mean[c];
            data.measure_base[c] = base[c];
            data.measure_top[c] = top[c];
            data.measure_peak[c] = peak[c];
            data.measure_min[c] = minimum[c];
            data.measure_max[c] = maximum[c];
            data.measure_period[c] = period[c];
        }
        data.status |= STATUS_MEASURED;
    }
};

const std::vector<std::string> kKnownA = {
    "F = 100.000 Hz", "T = 10.000 мс", "Uср = 500 мВ", "Uminср = -200 мВ", "Umaxср = 1.5 В",
    "A = 1 В",        "Aср = 650 мВ",  "Umin = -400 мВ", "Umax = 2 В",
};
const std::vector<std::string> kKnownB = {
    "F = inf", "T = 0.000 нс", "Uср = -150 мВ", "Uminср = -150 мВ", "Umaxср = -150 мВ",
    "A = 0 мВ", "Aср = -150 мВ", "Umin = -150 мВ", "Umax = -150 мВ",
};
const std::vector<std::string> kBlank(CMeasureDialog::kRows, "");

}  // namespace

TEST_F(MeasureWindowTest, TableLayoutAndKnownResults)
{
    RunWindow([](CVelkaroDlg& d) {
        CMeasureDialog& w = Window(d);
        CReportCtrl& list = w.GetList();
        ASSERT_EQ(list.GetColumnCount(), 2);
        EXPECT_EQ(list.GetHeaderText(0), "Канал A");
        EXPECT_EQ(list.GetHeaderText(1), "Канал B");
        EXPECT_EQ(list.GetItemCount(), CMeasureDialog::kRows);
        CRect client;
        list.GetClientRect(&client);
        EXPECT_EQ(list.GetColumnWidth(0), client.Width() / 2);
        EXPECT_EQ(list.GetColumnWidth(1), client.Width() / 2);
        EXPECT_FALSE(w.IsWindowVisible()) << "the main window shows it when the user asks";

        w.ShowWindow(SW_SHOW);
        WithData(&KnownPass);
        w.Refresh();
        EXPECT_EQ(Column(w, 0), kKnownA);
        EXPECT_EQ(Column(w, 1)[2], "Uср = -150 мВ");
        EXPECT_FALSE(Measured()) << "a pass is shown once";

        // The PNG is looked at by a person: Cyrillic labels and units must be legible.
        std::filesystem::create_directories(uitest::OutputPath("tools_measure"));
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("tools_measure/measure_window.png")));
    });
}

// The two columns share the list's width: nothing to scroll to, so no sideways scroll bar.
// Widened past the list, they need one.
TEST_F(MeasureWindowTest, SidewaysScrollBarOnlyWhenTheColumnsDoNotFit)
{
    RunWindow([](CVelkaroDlg& d) {
        CMeasureDialog& w = Window(d);
        w.ShowWindow(SW_SHOW);
        WithData(&KnownPass);
        w.Refresh();
        uitest::ProcessEvents();
        CReportCtrl& list = w.GetList();
        auto* view = qobject_cast<QAbstractScrollArea*>(uitest::WidgetOf(&list));
        ASSERT_NE(view, nullptr);
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
        std::filesystem::create_directories(uitest::OutputPath("tools_measure"));
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("tools_measure/measure_fits.png")));

        // The user drags the edge of column B's header past the window while no measurement
        // comes: the bar shows at once, not with the next measurement.
        CHeaderCtrl* header = list.GetHeaderCtrl();
        ASSERT_NE(header, nullptr);
        CRect item;
        ASSERT_TRUE(header->GetItemRect(1, &item));
        const int widthBefore = list.GetColumnWidth(1);
        const int y = item.Height() / 2;
        const CPoint edge(item.right - 1, y);
        uitest::MouseMove(header, edge);
        uitest::MouseDown(header, edge);
        for (int dx = 20; dx <= 80; dx += 20) uitest::MouseMove(header, CPoint(edge.x + dx, y), true);
        uitest::MouseUp(header, CPoint(edge.x + 80, y));
        uitest::ProcessEvents();
        EXPECT_EQ(list.GetColumnWidth(1), widthBefore + 80) << "the drag widened the column";
        EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("tools_measure/measure_wide.png")));
    });
}

TEST_F(MeasureWindowTest, HiddenWindowLeavesThePassForLater)
{
    RunWindow([](CVelkaroDlg& d) {
        CMeasureDialog& w = Window(d);
        WithData(&KnownPass);
        w.Refresh();
        EXPECT_TRUE(Measured());
        EXPECT_EQ(Column(w, 0), kBlank);

        // The first tick after the window is shown fills the table from the last results.
        w.ShowWindow(SW_SHOW);
        w.Refresh();
        EXPECT_EQ(Column(w, 0), kKnownA);
        EXPECT_EQ(Column(w, 1), kKnownB);

        // Without a new pass nothing changes, whatever the model holds now.
        WithData([](OscData& data) { data.measure_mean[0] = 2; });
        w.Refresh();
        EXPECT_EQ(Column(w, 0)[2], "Uср = 500 мВ");
    });
}

TEST_F(MeasureWindowTest, ChannelSwitchedOffIsBlankedOnce)
{
    RunWindow([](CVelkaroDlg& d) {
        CMeasureDialog& w = Window(d);
        w.ShowWindow(SW_SHOW);
        WithData(&KnownPass);
        w.Refresh();
        ASSERT_EQ(Column(w, 1), kKnownB);

        WithData([](OscData& data) {
            data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_CH_B_ON);
            data.status |= STATUS_MEASURED;
        });
        w.Refresh();
        EXPECT_EQ(Column(w, 1), kBlank);
        EXPECT_EQ(Column(w, 0), kKnownA) << "the other channel goes on";

        // Once row 0 is empty the column is left alone: a text there now stays.
        w.GetList().SetItemText(4, 1, "stale");
        WithData([](OscData& data) { data.status |= STATUS_MEASURED; });
        w.Refresh();
        EXPECT_EQ(Column(w, 1)[4], "stale");
        w.GetList().SetItemText(4, 1, "");

        // Switched on again, the column waits for a new pass.
        WithData([](OscData& data) { data.osc_cr |= OSC_CR_CH_B_ON; });
        w.Refresh();
        EXPECT_EQ(Column(w, 1), kBlank);
        WithData([](OscData& data) { data.status |= STATUS_MEASURED; });
        w.Refresh();
        EXPECT_EQ(Column(w, 1), kKnownB);
    });
}
