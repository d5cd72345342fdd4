// The marker window in the running main window: check boxes clicked by the user, the markers'
// lines on the chart, the read-outs, grabbing and dragging, and the stored record.

#include "tools/markers/MarkerDialog.h"

#include "app/main/ScreenSnapshot.h"
#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <QColor>
#include <QImage>

#include <cmath>
#include <filesystem>
#include <sstream>

namespace {

// The marker window made by the running main window, which attaches it to its chart.
class MarkerWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            if (slot != CToolDialogList::MARKER)
                return nullptr;
            return std::make_unique<CMarkerDialog>(&main);
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    // The window on the main chart, shown, as the user opens it.
    static CMarkerDialog& Window(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CMarkerDialog*>(d.GetToolDialog(CToolDialogList::MARKER));
        EXPECT_NE(w, nullptr);
        EXPECT_NE(w->v_marker_points[0], nullptr) << "attached by the chart set-up";
        w->ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        return *w;
    }

    static void ClickBox(CMarkerDialog& w, int row)
    {
        CRect r;
        w.GetList().GetSubItemRect(row, 0, LVIR_BOUNDS, r);
        uitest::ClickAt(&w.GetList(), CPoint(r.left + 9, (r.top + r.bottom) / 2));
    }

    static std::vector<bool> Checks(CMarkerDialog& w)
    {
        std::vector<bool> checks;
        for (int row = 0; row < CMarkerDialog::ROW_COUNT; ++row)
            checks.push_back(w.GetList().GetCheck(row) > 0);
        return checks;
    }

    static std::string Cell(CMarkerDialog& w, int row, int column) { return w.GetList().GetItemText(row, column); }

    // Where a marker's line is drawn now, or "" when it is off the chart.
    static std::string LineAt(const ChartMarker& m)
    {
        if (m.line == nullptr || m.line->GetPointsCount() == 0)
            return "";
        const SeriePoint& a = m.line->GetPoint(0);
        const SeriePoint& b = m.line->GetPoint(m.line->GetPointsCount() - 1);
        std::ostringstream out;
        out << "(" << a.X << "," << a.Y << ")-(" << b.X << "," << b.Y << ")";
        return out.str();
    }

    // The model at 1 ms/div with 50 mV steps and no gain or probe scaling: one screen point is
    // 0.1 ms, one code 50 mV.
    static void PlainScale(OscData& data)
    {
        data.t_div = 18;
        data.gain_sel[0] = data.gain_ref[0] = 1;
        data.gain_sel[1] = data.gain_ref[1] = 1;
        data.mode &= ~(MODE_PROBE_X10_A | MODE_PROBE_X10_B);
        data.osc_cr |= OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
        data.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B));
        data.y_offset[0] = data.y_offset[1] = 0;
        data.x_offset = 0;
    }
};

using Row = CMarkerDialog::Row;

std::string Save(const CMarkerDialog& w)
{
    std::ostringstream out;
    {
        boost::archive::xml_oarchive archive(out);
        archive << boost::serialization::make_nvp("marker_dlg", w);
    }
    return out.str();
}

void Load(CMarkerDialog& w, const std::string& xml)
{
    std::istringstream in(xml);
    boost::archive::xml_iarchive archive(in);
    archive >> boost::serialization::make_nvp("marker_dlg", w);
}

// Puts `text` in place of item `index` of the record's pair `element`, as a hand edit would.
void ReplaceItem(std::string& xml, const std::string& element, int index, const std::string& text)
{
    auto at = xml.find("<" + element + ">");
    ASSERT_NE(at, std::string::npos) << element;
    for (int i = 0; i <= index; ++i) {
        at = xml.find("<item>", at);
        ASSERT_NE(at, std::string::npos);
        at += 6;
    }
    const auto end = xml.find("</item>", at);
    xml.replace(at, end - at, text);
}

}  // namespace

TEST_F(MarkerWindowTest, ReadoutsFitAndLinesReportClicks)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        CReportCtrl& list = w.GetList();
        // Every read-out fits its column (column 0 beside its check box), and every column the
        // window, so no read-out needs scrolling to.
        const char* widest[CMarkerDialog::kColumns] = {"Горизонтальный 1", "dT = -999.999 мкc", "1/dT = -999.999 мкc",
                                                       "Ua = -999.999 мВ", "Ub = -999.999 мВ"};
        int total = 0;
        for (int c = 0; c < CMarkerDialog::kColumns; ++c) {
            EXPECT_GT(list.GetColumnWidth(c), list.GetStringWidth(widest[c]) + (c == 0 ? 20 : 0)) << c;
            total += list.GetColumnWidth(c);
        }
        CRect client;
        list.GetClientRect(&client);
        EXPECT_LE(total, client.Width());

        // The main window learns of a click on a marker line only from the chart.
        for (const ChartMarker* m : {&w.h_marker[0], &w.h_marker[1], &w.v_marker[0], &w.v_marker[1]}) {
            ASSERT_NE(m->line, nullptr);
            EXPECT_TRUE(m->line->NotifiesClicks());
            EXPECT_EQ(LineAt(*m), "") << "off until checked";
        }
        // Attached again (a new chart set-up): still one set of series on the chart.
        const std::size_t before = d.GetChart().GetSeriesCount();
        w.AttachToChart(&d.GetChart());
        EXPECT_EQ(d.GetChart().GetSeriesCount(), before);
    });
}

TEST_F(MarkerWindowTest, CheckBoxesSwitchMarkersByClicks)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        ClickBox(w, Row::ROW_V0);
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, false, false, false, false, false}));
        EXPECT_EQ(LineAt(w.v_marker[0]), "(150,-128)-(150,127)");

        // "Вертикальные" with only marker 0 on turns marker 1 on as well.
        ClickBox(w, Row::ROW_V_BOTH);
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, true, true, false, false, false}));
        EXPECT_EQ(w.is_v_marker_enabled, (std::array<std::int32_t, 2>{1, 1}));
        EXPECT_EQ(LineAt(w.v_marker[1]), "(150,-128)-(150,127)");

        // Marker 1 off: the pair is no longer complete, marker 0 stays.
        ClickBox(w, Row::ROW_V1);
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, false, false, false, false, false}));
        EXPECT_EQ(w.is_v_marker_enabled, (std::array<std::int32_t, 2>{1, 0}));
        EXPECT_EQ(LineAt(w.v_marker[1]), "");
        EXPECT_EQ(LineAt(w.v_marker[0]), "(150,-128)-(150,127)");

        // The horizontal pair the same way, both ways through its "both" row.
        ClickBox(w, Row::ROW_H1);
        ClickBox(w, Row::ROW_H0);
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, false, false, true, true, true}));
        EXPECT_EQ(LineAt(w.h_marker[0]), "(0,0)-(299,0)");
        ClickBox(w, Row::ROW_H_BOTH);
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, false, false, false, false, false}));
        EXPECT_EQ(w.is_h_marker_enabled, (std::array<std::int32_t, 2>{0, 0}));
        EXPECT_EQ(LineAt(w.h_marker[0]), "");
        EXPECT_EQ(LineAt(w.h_marker[1]), "");

        // Reset takes everything off, the chart's lines included.
        w.Reset();
        EXPECT_FALSE(w.IsWindowVisible());
        EXPECT_EQ(Checks(w), std::vector<bool>(6, false));
        EXPECT_EQ(LineAt(w.v_marker[0]), "");
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{150, 150}));
    });
}

TEST_F(MarkerWindowTest, TimeDifferenceAndItsInverse)
{
    struct Case {
        double x0, x1;
        const char* dt;
        const char* inverse;
    };
    const Case cases[] = {
        {100, 50, "dT = 5.000 мс", "1/dT = 200.000 Hz"},
        {50, 100, "dT = -5.000 мс", nullptr},
        {80, 80, "dT = 0.000 нс", "1/dT = inf"},
    };
    RunWindow([&](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        WithData(&PlainScale);
        ClickBox(w, Row::ROW_V_BOTH);
        // Hidden, the window leaves its texts alone; the first tick after showing fills them.
        w.ShowWindow(SW_HIDE);
        w.Refresh();
        EXPECT_EQ(Cell(w, Row::ROW_V0, 1), "");
        w.ShowWindow(SW_SHOW);
        w.Refresh();
        EXPECT_EQ(Cell(w, Row::ROW_V0, 1), "T = 15.000 мс");
        for (const Case& c : cases) {
            // Moved the way the chart's mouse moves them.
            ASSERT_TRUE(w.GrabMarker(c.x0, 0, w.v_marker[0].line));
            w.ReleaseMarkers();
            ASSERT_TRUE(w.GrabMarker(c.x1, 0, w.v_marker[1].line));
            w.ReleaseMarkers();
            w.Refresh();
            EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, 1), c.dt);
            if (c.inverse != nullptr) {
                EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, 2), c.inverse);
            }
        }
        EXPECT_EQ(Cell(w, Row::ROW_V0, 1), "T = 8.000 мс");
        WithData([](OscData& data) { data.x_offset = 20; });
        w.Refresh();
        EXPECT_EQ(Cell(w, Row::ROW_V0, 2), "To = 10.000 мс") << "time from the buffer's start";

        // Marker 1 off: its row and the difference row are emptied.
        ClickBox(w, Row::ROW_V1);
        w.Refresh();
        for (int column = 1; column < CMarkerDialog::kColumns; ++column) {
            EXPECT_EQ(Cell(w, Row::ROW_V1, column), "");
            EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, column), "");
        }
        EXPECT_EQ(Cell(w, Row::ROW_V0, 1), "T = 8.000 мс");
    });
}

TEST_F(MarkerWindowTest, LevelsUnderTheMarkersAndLogicChannels)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        WithData(&PlainScale);
        ClickBox(w, Row::ROW_V_BOTH);
        ClickBox(w, Row::ROW_H_BOTH);
        w.v_marker_x = {10.4, 299.4};  // the last readable point: 299, never 300
        w.h_marker_y = {20, -10};

        ScreenSnapshot s{};
        for (int c = 0; c < 2; ++c) {
            s.enabled[c] = true;
            s.gain[c] = 1;
        }
        s.points[0][10] = 31;
        s.points[0][299] = 11;
        s.zero[0] = 1;
        s.points[1][10] = -4;
        s.points[1][299] = 6;
        s.offset[1] = 2;
        w.UpdateVerticalMarkerReadouts(s);
        EXPECT_EQ(w.v_marker_value[0][0], 30);
        EXPECT_EQ(w.v_marker_value[1][0], 10);
        EXPECT_EQ(w.v_marker_value[0][1], -2) << "the level on the chart, offset included";
        ASSERT_EQ(w.v_marker_points[0]->GetPointsCount(), 2u) << "one point per channel";
        EXPECT_EQ(w.v_marker_points[0]->GetPoint(0).Y, 30);
        EXPECT_EQ(w.v_marker_points[1]->GetPoint(1).X, 299.4);

        WithData([](OscData& data) { data.y_offset[1] = 2; });
        w.Refresh();
        EXPECT_EQ(Cell(w, Row::ROW_V0, 3), "Ua = 1.5 В");
        EXPECT_EQ(Cell(w, Row::ROW_V0, 4), "Ub = -200 мВ");
        EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, 3), "dUa = 1 В");
        EXPECT_EQ(Cell(w, Row::ROW_H0, 3), "Ua = 1 В");
        EXPECT_EQ(Cell(w, Row::ROW_H0, 4), "Ub = 900 мВ");
        EXPECT_EQ(Cell(w, Row::ROW_H_BOTH, 3), "dUa = 1.5 В");
        EXPECT_EQ(Cell(w, Row::ROW_H0, 1), "") << "a level has no time";

        // Min/max screens hold pairs: the marker reads the middle of the last pair too.
        s.min_max = 1;
        s.points[0][598] = 20;
        s.points[0][599] = 41;
        w.UpdateVerticalMarkerReadouts(s);
        EXPECT_EQ(w.v_marker_value[1][0], 29);

        // Channel A as logic lines: its bus value under the markers, no level differences.
        s.logic_mode[0] = true;
        w.UpdateVerticalMarkerReadouts(s);
        EXPECT_EQ(w.v_marker_points[0]->GetPointsCount(), 1u) << "only B has a level";
        WithData([](OscData& data) { data.osc_cr |= OSC_CR_LOGIC_A; });
        w.Refresh();
        EXPECT_EQ(Cell(w, Row::ROW_V0, 3).rfind("Da = ", 0), 0u) << Cell(w, Row::ROW_V0, 3);
        EXPECT_GT(Cell(w, Row::ROW_V0, 3).size(), 5u);
        EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, 3), "");
        EXPECT_EQ(Cell(w, Row::ROW_V_BOTH, 4).rfind("dUb = ", 0), 0u);
        EXPECT_EQ(Cell(w, Row::ROW_H0, 3), "");
        EXPECT_EQ(Cell(w, Row::ROW_H_BOTH, 3), "");
        EXPECT_EQ(Cell(w, Row::ROW_H0, 4), "Ub = 900 мВ");

        std::filesystem::create_directories(uitest::OutputPath("tools_markers"));
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("tools_markers/marker_window.png")));
    });
}

// Markers set again at every tick (their lines and the points where they meet the traces) cost
// the chart no redraw while they stay where they are; one moved is drawn at the next tick.
TEST_F(MarkerWindowTest, MarkersThatStayPutRedrawNothing)
{
    RunWindow([](CVelkaroDlg& d) {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        CMarkerDialog& w = Window(d);
        WithData([](OscData& data) {
            PlainScale(data);
            data.valid_points = SCREEN_POINTS;
            for (int x = 0; x < SCREEN_POINTS; ++x)
                data.screen_points[0][x] = data.screen_points[1][x] = x % 40 - 20;
        });
        ClickBox(w, Row::ROW_V_BOTH);
        ClickBox(w, Row::ROW_H_BOTH);
        w.v_marker_x = {40, 120};
        w.h_marker_y = {20, -10};
        PaintCounter paints(uitest::WidgetOf(&d.GetChart()));
        Tick(d);
        ASSERT_EQ(w.v_marker_points[0]->GetPointsCount(), 2u);
        ASSERT_GT(w.h_marker[1].line->GetPointsCount(), 0u);
        paints.Take();

        for (int i = 0; i < 5; ++i)
            Tick(d);
        EXPECT_EQ(paints.Take(), 0);

        w.v_marker_x[1] = 130;
        Tick(d);
        EXPECT_GE(paints.Take(), 1);
        EXPECT_EQ(w.v_marker_points[1]->GetPoint(0).X, 130);
    });
}

// The marker colour names the row in its first cell; the read-outs beside it keep the window's
// own background, or the channel colours of their text would be lost on it.
TEST_F(MarkerWindowTest, MarkerColourFillsTheFirstCellOnly)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        WithData(&PlainScale);
        ClickBox(w, Row::ROW_V_BOTH);
        ClickBox(w, Row::ROW_H_BOTH);
        w.v_marker_x = {10, 200};
        w.h_marker_y = {20, -10};
        w.v_marker_value = {{{30, -2}, {10, 4}}};
        w.Refresh();
        ASSERT_EQ(Cell(w, Row::ROW_V0, 4), "Ub = -100 мВ");
        // The last click selected its row; a selected row shows the highlight instead.
        w.GetList().ApplyStatesToRows(CReportCtrl::Any, CReportCtrl::Unselected);
        uitest::ProcessEvents();

        std::filesystem::create_directories(uitest::OutputPath("tools_markers"));
        const std::string path = uitest::OutputPath("tools_markers/marker_colours.png");
        ASSERT_TRUE(uitest::RenderToPng(&w, path));
        const QImage image(QString::fromStdString(path));
        ASSERT_FALSE(image.isNull());
        CReportCtrl& list = w.GetList();
        CRect place;
        list.GetWindowRect(&place);
        w.ScreenToClient(&place);
        // A cell's background: beside its right edge, clear of the text and the grid line.
        const auto back = [&](int row, int column) {
            CRect cell;
            list.GetSubItemRect(row, column, LVIR_LABEL, cell);
            return image.pixelColor(place.left + cell.right - 3, place.top + cell.CenterPoint().y);
        };
        const auto colour = [](COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); };
        const COLORREF window = GetSysColor(COLOR_WINDOW);
        const COLORREF marker[CMarkerDialog::ROW_COUNT] = {0x8080FF, 0xFF8080, window, 0xFF80FF, 0xFFFF80, window};
        for (int row = 0; row < CMarkerDialog::ROW_COUNT; ++row) {
            EXPECT_EQ(list.GetItemBkColor(row, 0), marker[row]) << row;
            // The focused row's first cell wears the focus frame.
            if ((list.GetItemStates(row) & CReportCtrl::Focused) == 0) {
                EXPECT_EQ(back(row, 0), colour(marker[row])) << row;
            }
            for (int c = 1; c < CMarkerDialog::kColumns; ++c) {
                EXPECT_EQ(list.GetItemBkColor(row, c), window) << row << "," << c;
                EXPECT_EQ(back(row, c), colour(window)) << row << "," << c;
            }
            EXPECT_EQ(list.GetItemTextColor(row, 3), 0x0000FFu) << row;
            EXPECT_EQ(list.GetItemTextColor(row, 4), 0x00FF00u) << row;
        }
    });
}

TEST_F(MarkerWindowTest, GrabAndDragStayOnTheChart)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        ClickBox(w, Row::ROW_V_BOTH);
        ClickBox(w, Row::ROW_H_BOTH);

        // A horizontal marker takes the level, a vertical one the time; nothing else moves.
        ASSERT_TRUE(w.GrabMarker(40, -20, w.h_marker[0].line));
        EXPECT_EQ(w.h_marker_y, (std::array<double, 2>{-20, 0}));
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{150, 150}));
        EXPECT_EQ(LineAt(w.h_marker[0]), "(0,-20)-(299,-20)");
        EXPECT_TRUE(w.IsMarkerGrabbed());

        struct Drag {
            double vx, vy, level;
        };
        for (const Drag& g : {Drag{10, 300, 127}, Drag{10, -1e12, -128}, Drag{10, std::nan(""), -128}, Drag{10, 5.5, 5.5}}) {
            EXPECT_TRUE(w.DragMarker(g.vx, g.vy));
            EXPECT_EQ(w.h_marker_y[0], g.level) << g.vy;
        }
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{150, 150}));
        w.ReleaseMarkers();
        EXPECT_FALSE(w.IsMarkerGrabbed());
        EXPECT_FALSE(w.DragMarker(1, 1)) << "nothing held, nothing moved";

        ASSERT_TRUE(w.GrabMarker(-5, 3, w.v_marker[1].line));
        EXPECT_EQ(w.v_marker_x[1], 0);
        EXPECT_TRUE(w.DragMarker(1e9, 3));
        EXPECT_EQ(w.v_marker_x[1], 299);
        EXPECT_EQ(LineAt(w.v_marker[1]), "(299,-128)-(299,127)");
        EXPECT_EQ(w.h_marker_y, (std::array<double, 2>{5.5, 0}));
        w.ReleaseMarkers();

        // Lines that are not the window's are not its business.
        EXPECT_FALSE(w.GrabMarker(1, 1, d.zero_marker[0].line));
        EXPECT_FALSE(w.GrabMarker(1, 1, nullptr));
        EXPECT_FALSE(w.IsMarkerGrabbed());
    });
}

TEST_F(MarkerWindowTest, RecordReloadsInPlaceAndBounded)
{
    RunWindow([](CVelkaroDlg& d) {
        CMarkerDialog& w = Window(d);
        ClickBox(w, Row::ROW_V_BOTH);
        ClickBox(w, Row::ROW_H0);
        ASSERT_TRUE(w.GrabMarker(30.25, 0, w.v_marker[0].line));
        w.ReleaseMarkers();
        ASSERT_TRUE(w.GrabMarker(260.75, 0, w.v_marker[1].line));
        w.ReleaseMarkers();
        ASSERT_TRUE(w.GrabMarker(0, -40.5, w.h_marker[0].line));
        w.ReleaseMarkers();
        const std::string saved = Save(w);

        w.Reset();
        ASSERT_EQ(Checks(w), std::vector<bool>(6, false));
        Load(w, saved);
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{30.25, 260.75}));
        EXPECT_EQ(w.h_marker_y, (std::array<double, 2>{-40.5, 0}));
        EXPECT_EQ(w.is_v_marker_enabled, (std::array<std::int32_t, 2>{1, 1}));
        EXPECT_EQ(w.is_h_marker_enabled, (std::array<std::int32_t, 2>{1, 0}));
        EXPECT_EQ(Checks(w), (std::vector<bool>{true, true, true, true, false, false}));
        EXPECT_EQ(LineAt(w.v_marker[1]), "(260.75,-128)-(260.75,127)");
        EXPECT_EQ(LineAt(w.h_marker[0]), "(0,-40.5)-(299,-40.5)");
        EXPECT_TRUE(w.IsWindowVisible()) << "its place and visibility came back with it";
        EXPECT_EQ(&w, d.GetToolDialog(CToolDialogList::MARKER)) << "loaded into the window the main window made";

        // A damaged file: positions far off the chart, or not numbers at all.
        std::string damaged = saved;
        ReplaceItem(damaged, "v_marker_x", 0, "1e9");
        ReplaceItem(damaged, "v_marker_x", 1, "nan");
        ReplaceItem(damaged, "h_marker_y", 0, "-1e300");
        ReplaceItem(damaged, "h_marker_y", 1, "level");
        Load(w, damaged);
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{299, 150})) << "not a number: where Reset puts it";
        EXPECT_EQ(w.h_marker_y, (std::array<double, 2>{-128, 0}));
        EXPECT_EQ(w.is_v_marker_enabled, (std::array<std::int32_t, 2>{1, 1})) << "the rest of the record is taken";
        ReplaceItem(damaged, "v_marker_x", 0, "inf");
        ReplaceItem(damaged, "v_marker_x", 1, "-5");
        Load(w, damaged);
        EXPECT_EQ(w.v_marker_x, (std::array<double, 2>{150, 0}));

        // Reading the screen under such markers stays inside the screen (ASan watches).
        ScreenSnapshot s{};
        s.enabled[0] = s.enabled[1] = true;
        s.gain[0] = s.gain[1] = 1;
        s.min_max = 1;
        w.UpdateVerticalMarkerReadouts(s);
        EXPECT_EQ(w.v_marker_points[0]->GetPointsCount(), 2u);
    });
}
