// The main window as the program composes it: the buttons that open the measurement and marker
// windows, the marker lines dragged on the chart with their readouts, the windows' records in
// the settings file, and the save command. Input goes through the window system's path.

#include "support/ProgramWindowTest.h"

#include "app/main/SettingSteps.h"
#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "tools/markers/MarkerDialog.h"
#include "tools/measure/MeasureDialog.h"
#include "tools/calibration/DialogCalibrate.h"
#include "tools/save/DialogSave.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& Events()
{
    static std::vector<std::string> events;
    return events;
}

// A program window that also notes what the main window tells it.
template <class Window>
class Noting : public Window {
public:
    Noting(const char* name, CWnd* parent) : Window(parent), name_(name) {}
    void OnShowTool(bool shown) override
    {
        Events().push_back(name_ + (shown ? " shown" : " hidden"));
        Window::OnShowTool(shown);
    }

private:
    std::string name_;
};

// A bare tool window on the service window's template that notes when it is shown or hidden.
class NotingService : public CToolDialog {
public:
    explicit NotingService(CWnd* parent) : CToolDialog(135, parent) { Create(135, parent); }
    void OnShowTool(bool shown) override { Events().push_back(shown ? "service shown" : "service hidden"); }
};

class ToolWindowsTest : public ProgramWindowTest {
protected:
    void SetUp() override
    {
        ProgramWindowTest::SetUp();
        Events().clear();
    }

    static CMarkerDialog& Markers(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CMarkerDialog*>(d.GetToolDialog(CToolDialogList::MARKER));
        EXPECT_NE(w, nullptr);
        return *w;
    }
    static CMeasureDialog& Measure(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CMeasureDialog*>(d.GetToolDialog(CToolDialogList::MEASURE));
        EXPECT_NE(w, nullptr);
        return *w;
    }
    static void ClickBox(CMarkerDialog& w, int row)
    {
        CRect r;
        w.GetList().GetSubItemRect(row, 0, LVIR_BOUNDS, r);
        uitest::ClickAt(&w.GetList(), CPoint(r.left + 9, (r.top + r.bottom) / 2));
    }
    static CPoint At(CVelkaroDlg& d, double x, double y)
    {
        return CPoint(d.GetChart().GetBottomAxis()->ValueToScreen(x), d.GetChart().GetLeftAxis()->ValueToScreen(y));
    }
    static double Vx(CVelkaroDlg& d, CPoint p) { return d.GetChart().GetBottomAxis()->ScreenToValue(p.x); }
    static std::string Cell(CMarkerDialog& w, int row, int column) { return w.GetList().GetItemText(row, column); }
};

TEST_F(ToolWindowsTest, ButtonsShowAndHideTheirWindowsAndTellThem)
{
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        switch (slot)
        {
        case CToolDialogList::MEASURE:
            return std::make_unique<Noting<CMeasureDialog>>("measure", &main);
        case CToolDialogList::MARKER:
            return std::make_unique<Noting<CMarkerDialog>>("marker", &main);
        case CToolDialogList::SERVICE:
            return std::make_unique<NotingService>(&main);
        default:
            return nullptr;
        }
    });
    RunWindow([&](CVelkaroDlg& d) {
        // The start-up reset hid every window and told it so.
        EXPECT_EQ(Events(), (std::vector<std::string>{"measure hidden", "marker hidden", "service hidden"}));
        Events().clear();
        struct Case {
            UINT id;
            const char* caption;
            CToolDialogList::Slot slot;
            const char* name;
        };
        const Case cases[] = {
            {1052, "Измерения", CToolDialogList::MEASURE, "measure"},
            {1053, "Маркеры", CToolDialogList::MARKER, "marker"},
            {1061, "Сервис", CToolDialogList::SERVICE, "service"},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.name);
            CString caption;
            d.GetDlgItemText(c.id, caption);
            EXPECT_EQ(caption, c.caption);
            CWnd* button = d.GetDlgItem(c.id);
            if (c.id == 1061)
            {
                // Hidden at start: a click cannot reach it until the button is shown.
                EXPECT_FALSE(button->IsWindowVisible());
                uitest::Click(button);
                EXPECT_TRUE(Events().empty());
                button->ShowWindow(SW_SHOW);
            }
            CToolDialog* tool = d.GetToolDialog(c.slot);
            ASSERT_NE(tool, nullptr);
            ASSERT_FALSE(tool->IsWindowVisible());
            uitest::Click(button);
            EXPECT_TRUE(tool->IsWindowVisible());
            uitest::Click(button);
            EXPECT_FALSE(tool->IsWindowVisible());
            EXPECT_EQ(Events(), (std::vector<std::string>{std::string(c.name) + " shown", std::string(c.name) + " hidden"}));
            Events().clear();
        }

        // The settings slot is empty here: its button does nothing.
        uitest::Click(d.GetDlgItem(1059));
        EXPECT_TRUE(Events().empty());
    });
}

TEST_F(ToolWindowsTest, ButtonsFitBesideTheChartWithoutOverlap)
{
    RunWindow([&](CVelkaroDlg& d) {
        CRect chart;
        d.GetChart().GetWindowRect(&chart);
        EXPECT_EQ(chart.Width(), CVelkaroDlg::kChartWidth);
        EXPECT_EQ(chart.Height(), CVelkaroDlg::kChartHeight);

        CRect dialog;
        d.GetClientRect(&dialog);
        d.ClientToScreen(&dialog);
        for (UINT id : {1052u, 1053u, 1059u, 1061u, 1063u})
        {
            CWnd* button = d.GetDlgItem(id);
            ASSERT_NE(button, nullptr) << id;
            CRect mine;
            button->GetWindowRect(&mine);
            CRect inside;
            EXPECT_TRUE(inside.IntersectRect(&mine, &dialog) && inside == mine) << id << " lies inside the window";
            for (CWnd* other = d.GetWindow(GW_CHILD); other != nullptr; other = other->GetWindow(GW_HWNDNEXT))
            {
                if (other == button)
                    continue;
                CRect theirs;
                other->GetWindowRect(&theirs);
                CRect overlap;
                EXPECT_FALSE(overlap.IntersectRect(&mine, &theirs)) << id << " overlaps " << other->GetDlgCtrlID();
            }
        }
        std::filesystem::create_directories(uitest::OutputPath("app_program"));
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("app_program/main_window.png")));
    });
}

// A vertical marker grabbed on the chart and dragged: the line, the readout points and the
// marker window's level follow; a press on a marker starts no measuring rectangle.
TEST_F(ToolWindowsTest, MarkerDraggedOnTheChartCarriesItsReadout)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        // Channel A steps from 40 down to -40 at point 100; B is off; plain scale at 1 ms/div.
        WithData([](OscData& data) {
            SetTriggerSource(data, 0);
            data.osc_cr = OSC_CR_CH_A_ON;
            data.mode &= ~(MODE_STOPPED | MODE_WAIT_TRIGGER | MODE_RECORDER | MODE_PROBE_X10_A);
            data.status = 0;
            data.valid_points = SCREEN_POINTS;
            data.gain_sel[0] = data.gain_ref[0] = 1;
            data.y_offset[0] = 0;
            for (int x = 0; x < SCREEN_POINTS; ++x)
                data.screen_points[0][x] = x < 100 ? 40 : -40;
        });
        d.refresh_zero = {1, 1, 1};
        uitest::Click(d.GetDlgItem(1053));
        CMarkerDialog& w = Markers(d);
        ASSERT_TRUE(w.IsWindowVisible());
        ClickBox(w, CMarkerDialog::ROW_V0);
        ASSERT_EQ(w.is_v_marker_enabled[0], 1);
        MainWindowTest::Tick(d);

        const auto levelAt = [&](double x) {
            const ScreenSnapshot& s = d.GetSnapshot();
            const int i = static_cast<int>(x + 0.5);
            return (s.points[0][i] - s.zero[0]) / s.gain[0] + s.offset[0];
        };
        EXPECT_EQ(w.v_marker_value[0][0], levelAt(CMarkerDialog::kResetTime));
        EXPECT_EQ(w.v_marker_points[0]->GetPointsCount(), 1u) << "channel A only";

        // Grabbed away from the zero line so that only the marker is under the press.
        const CPoint from = At(d, CMarkerDialog::kResetTime, 70);
        const CPoint to = At(d, 50, 70);
        uitest::MouseDown(&d.GetChart(), from);
        EXPECT_TRUE(w.IsMarkerGrabbed());
        EXPECT_EQ(d.GetDragMode() & CVelkaroDlg::DRAG_RECT, 0) << "the press on the marker is no rectangle";
        uitest::MouseMove(&d.GetChart(), to, true);
        EXPECT_EQ(w.v_marker_x[0], Vx(d, to));
        uitest::MouseUp(&d.GetChart(), to);
        EXPECT_FALSE(w.IsMarkerGrabbed());
        EXPECT_EQ(d.GetDragMode(), 0);

        // The tick reads the level under the marker's new place; the next shows it.
        MainWindowTest::Tick(d);
        MainWindowTest::Tick(d);
        const double level = levelAt(w.v_marker_x[0]);
        EXPECT_NE(level, levelAt(CMarkerDialog::kResetTime));
        EXPECT_EQ(w.v_marker_value[0][0], level);
        ASSERT_EQ(w.v_marker_points[0]->GetPointsCount(), 1u);
        EXPECT_EQ(w.v_marker_points[0]->GetPoint(0).X, w.v_marker_x[0]);
        EXPECT_EQ(w.v_marker_points[0]->GetPoint(0).Y, level);
        EXPECT_EQ(w.v_marker[0].line->GetPoint(0).X, w.v_marker_x[0]);
        std::string expected;
        WithData([&](OscData& data) { expected = "Ua = " + FormatVolts(data, 0, level - data.y_offset[0]); });
        EXPECT_EQ(Cell(w, CMarkerDialog::ROW_V0, 3), expected);

    });
}

TEST_F(ToolWindowsTest, WindowRecordsSurviveARestart)
{
    CRect placed;
    RunWindow([&](CVelkaroDlg& d) {
        uitest::Click(d.GetDlgItem(1052));
        CMeasureDialog& m = Measure(d);
        ASSERT_TRUE(m.IsWindowVisible());
        CRect r;
        m.GetWindowRect(&r);
        m.SetWindowPos(nullptr, r.left + 40, r.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m.GetWindowRect(&placed);

        uitest::Click(d.GetDlgItem(1053));
        CMarkerDialog& w = Markers(d);
        ClickBox(w, CMarkerDialog::ROW_V1);
        ClickBox(w, CMarkerDialog::ROW_H0);
        ASSERT_TRUE(w.GrabMarker(0, -35, w.h_marker[0].line));
        w.ReleaseMarkers();
        ASSERT_TRUE(w.GrabMarker(212, 0, w.v_marker[1].line));
        w.ReleaseMarkers();
        uitest::Click(d.GetDlgItem(1053));
        ASSERT_FALSE(w.IsWindowVisible());
    });
    std::ifstream in(configPath_);
    std::stringstream file;
    file << in.rdbuf();
    EXPECT_NE(file.str().find("measure_dlg"), std::string::npos);
    EXPECT_NE(file.str().find("marker_dlg"), std::string::npos);

    RunWindow([&](CVelkaroDlg& d) {
        CMeasureDialog& m = Measure(d);
        EXPECT_TRUE(m.IsWindowVisible());
        CRect r;
        m.GetWindowRect(&r);
        EXPECT_EQ(r.TopLeft(), placed.TopLeft());

        CMarkerDialog& w = Markers(d);
        EXPECT_FALSE(w.IsWindowVisible());
        EXPECT_EQ(w.is_v_marker_enabled, (std::array<std::int32_t, 2>{0, 1}));
        EXPECT_EQ(w.is_h_marker_enabled, (std::array<std::int32_t, 2>{1, 0}));
        EXPECT_EQ(w.v_marker_x[1], 212);
        EXPECT_EQ(w.h_marker_y[0], -35);
        for (int row = 0; row < CMarkerDialog::ROW_COUNT; ++row)
            EXPECT_EQ(w.GetList().GetCheck(row) > 0, row == CMarkerDialog::ROW_V1 || row == CMarkerDialog::ROW_H0) << row;
        // The chart set-up drew the restored markers on the new chart.
        ASSERT_GT(w.v_marker[1].line->GetPointsCount(), 0u);
        EXPECT_EQ(w.v_marker[1].line->GetPoint(0).X, 212);
        ASSERT_GT(w.h_marker[0].line->GetPointsCount(), 0u);
        EXPECT_EQ(w.h_marker[0].line->GetPoint(0).Y, -35);
        EXPECT_EQ(w.v_marker[0].line->GetPointsCount(), 0u);
    });
}

// "Сохранить" opens the save dialog with the stored format and keeps the one chosen there.
TEST_F(ToolWindowsTest, SaveButtonHandsTheFormatToTheDialogAndBack)
{
    struct Case {
        int before;
        UINT checkedAtOpen;
        UINT pick;
        int after;
    };
    const Case cases[] = {
        {0, CDialogSave::kTextId, CDialogSave::kCsvId, 2},
        {2, CDialogSave::kCsvId, CDialogSave::kImageId, 1},
        {1, CDialogSave::kImageId, CDialogSave::kTextId, 0},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.before);
            d.def_save_type = c.before;
            bool opened = false;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                opened = true;
                EXPECT_EQ(m.window->IsDlgButtonChecked(c.checkedAtOpen), BST_CHECKED);
                uitest::Click(m.window->GetDlgItem(c.pick));
                uitest::Click(m.window->GetDlgItem(IDCANCEL));
            });
            uitest::Click(d.GetDlgItem(1063));
            EXPECT_TRUE(opened);
            EXPECT_EQ(d.def_save_type, c.after);
        }
    });
}

}  // namespace

// "Математика" opens the math window, and the operation chosen there is the trace the main
// window computes and names at its next tick.
TEST_F(ToolWindowsTest, MathWindowChoosesTheMainWindowsMathTrace)
{
    RunWindow([&](CVelkaroDlg& d) {
        auto* math = d.GetToolDialog(CToolDialogList::MATH);
        ASSERT_NE(math, nullptr);
        EXPECT_FALSE(math->IsWindowVisible());
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kMathButtonId));
        ASSERT_TRUE(math->IsWindowVisible());

        uitest::Click(d.GetDlgItem(1013));  // channel B on
        WithData([](OscData& data) { ASSERT_NE(data.osc_cr & OSC_CR_CH_B_ON, 0u); });
        uitest::SelectComboItem(math->GetDlgItem(1089), 2);  // A-B
        EXPECT_EQ(d.GetMathOperation(), 2);
        Tick(d);
        EXPECT_EQ(d.GetLineSerie(2, 0)->GetName(), "Канал A-B");
        const ScreenSnapshot& s = d.GetSnapshot();
        ASSERT_TRUE(s.enabled[2]);
        for (int k = 0; k < 300; ++k)
            ASSERT_EQ(s.points[2][k], (s.points[0][k] - s.zero[0]) - (s.points[1][k] - s.zero[1])) << k;

        // Back to no operation: the trace goes at the next tick.
        uitest::SelectComboItem(math->GetDlgItem(1089), 0);
        Tick(d);
        EXPECT_EQ(d.GetMathOperation(), 0);
        EXPECT_FALSE(d.GetSnapshot().enabled[2]);

        uitest::Click(d.GetDlgItem(CVelkaroDlg::kMathButtonId));
        EXPECT_FALSE(math->IsWindowVisible());
    });
}

// The calibration as the program runs it, with the other tool windows open on the screen: it
// must come to its end whatever else the user has open.
TEST_F(ToolWindowsTest, CalibrationEndsWithTheOtherWindowsOpen)
{
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil(Linked));
        for (UINT id : {CVelkaroDlg::kMeasureButtonId, CVelkaroDlg::kMarkerButtonId, CVelkaroDlg::kMathButtonId,
                        CVelkaroDlg::kSettingsButtonId})
            uitest::Click(d.GetDlgItem(id));
        CToolDialog* settings = d.GetToolDialog(CToolDialogList::PROPERTIES);
        ASSERT_TRUE(settings->IsWindowVisible());
        std::string outcome;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            auto& dialog = *static_cast<CDialogCalibrate*>(m.window);
            uitest::Click(dialog.GetDlgItem(CDialogCalibrate::IDC_START));
            EXPECT_TRUE(WaitUntil([&] {
                uitest::FireTimer(&dialog, CDialogCalibrate::kTimerId);
                return dialog.GetDlgItem(CDialogCalibrate::IDC_CLOSE)->IsWindowEnabled() != FALSE;
            }));
            CString text;
            dialog.GetDlgItem(CDialogCalibrate::IDC_STATUS)->GetWindowText(text);
            outcome = text;
            uitest::Click(dialog.GetDlgItem(CDialogCalibrate::IDC_CLOSE));
        });
        uitest::Click(settings->GetDlgItem(1054));
        EXPECT_EQ(outcome, "Калибровка завершена успешно!");
    });
}

// What the main window serves for the settings and service windows, through the real windows:
// the checks, "sinc", the two lists it fills, and the event log in the service list.
TEST_F(ToolWindowsTest, TheRealSettingsAndServiceWindowsReachTheMainWindow)
{
    RunWindow([&](CVelkaroDlg& d) {
        CToolDialog* settings = d.GetToolDialog(CToolDialogList::PROPERTIES);
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kSettingsButtonId));
        ASSERT_TRUE(settings->IsWindowVisible());
        const std::pair<int, int CVelkaroDlg::*> checks[] = {
            {1071, &CVelkaroDlg::not_hide_trigger_level}, {1074, &CVelkaroDlg::not_hide_trigger_offset},
            {1072, &CVelkaroDlg::show_legend},            {1073, &CVelkaroDlg::show_cross},
            {1102, &CVelkaroDlg::extra_tick_full_time},   {1048, &CVelkaroDlg::trail_on},
        };
        for (const auto& [id, option] : checks)
        {
            SCOPED_TRACE(id);
            const int before = d.*option;
            uitest::Click(settings->GetDlgItem(id));
            EXPECT_EQ(d.*option, before != 0 ? 0 : 1);
        }

        const auto linear = [] {
            CSingleLock lock(&DataLock, TRUE);
            return (GetOscData()->mode & MODE_LINEAR) != 0;
        };
        const bool wasLinear = linear();
        uitest::Click(settings->GetDlgItem(1033));
        EXPECT_NE(linear(), wasLinear);
        CString caption;
        settings->GetDlgItem(1033)->GetWindowText(caption);
        EXPECT_EQ(caption, linear() ? "лин" : "sinc");

        // The lists the main window fills; a choice in the output frequency list reaches the model.
        auto* freq = static_cast<CComboBox*>(settings->GetDlgItem(1050));
        auto* buffer = static_cast<CComboBox*>(settings->GetDlgItem(1058));
        ASSERT_GT(freq->GetCount(), 2);
        EXPECT_GT(buffer->GetCount(), 0);
        uitest::SelectComboItem(freq, 1);
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_EQ(GetOscData()->out_freq, static_cast<std::uint32_t>(freq->GetItemData(1)));
        lock.Unlock();

        // The event log shows in the service window's list, connected or not.
        Connect(d);
        ASSERT_TRUE(WaitUntil(Linked));
        auto* log = static_cast<CListBox*>(d.GetToolDialog(CToolDialogList::SERVICE)->GetDlgItem(1004));
        ASSERT_TRUE(WaitUntil([&] {
            Tick(d);
            return log->GetCount() > 0;
        }));
        EXPECT_EQ(log->GetCount(), d.GetLogLines().GetCount());
    });
}

// "Сервис" and "ЛГ" are offered only to a program started for service; there they open the real
// service window and logic generator.
TEST_F(ToolWindowsTest, ServiceAndGeneratorButtonsAreOfferedOnlyWithTheServiceOption)
{
    for (const bool service : {false, true})
    {
        SCOPED_TRACE(service ? "--service" : "plain");
        serviceButtons_ = service;
        RunWindow([&](CVelkaroDlg& d) {
            const std::pair<UINT, CToolDialogList::Slot> buttons[] = {
                {CVelkaroDlg::kServiceButtonId, CToolDialogList::SERVICE},
                {CVelkaroDlg::kLogicGeneratorButtonId, CToolDialogList::LGENERATOR},
            };
            for (const auto& [id, slot] : buttons)
            {
                SCOPED_TRACE(id);
                CWnd* button = d.GetDlgItem(id);
                CToolDialog* tool = d.GetToolDialog(slot);
                ASSERT_NE(tool, nullptr);
                EXPECT_EQ(button->IsWindowVisible() != FALSE, service);
                ASSERT_FALSE(tool->IsWindowVisible());
                uitest::Click(button);
                EXPECT_EQ(tool->IsWindowVisible() != FALSE, service);
            }
        });
    }
}

// Left open in a service session, the service window and the generator stay closed at the next
// plain start, which offers no button to close them again; the measurement window left open
// beside them comes back.
TEST_F(ToolWindowsTest, ServiceWindowsLeftOpenStayClosedWithoutTheServiceOption)
{
    const CToolDialogList::Slot service[] = {CToolDialogList::SERVICE, CToolDialogList::LGENERATOR};
    serviceButtons_ = true;
    RunWindow([&](CVelkaroDlg& d) {
        for (UINT id : {CVelkaroDlg::kServiceButtonId, CVelkaroDlg::kLogicGeneratorButtonId, CVelkaroDlg::kMeasureButtonId})
            uitest::Click(d.GetDlgItem(id));
        for (CToolDialogList::Slot slot : service)
            ASSERT_TRUE(d.GetToolDialog(slot)->IsWindowVisible());
    });
    serviceButtons_ = false;
    RunWindow([&](CVelkaroDlg& d) {
        uitest::ProcessEvents();
        EXPECT_TRUE(d.GetToolDialog(CToolDialogList::MEASURE)->IsWindowVisible());
        for (CToolDialogList::Slot slot : service)
        {
            SCOPED_TRACE(slot);
            EXPECT_FALSE(d.GetToolDialog(slot)->IsWindowVisible()) << "neither shown nor waiting to be";
        }
    });
}
