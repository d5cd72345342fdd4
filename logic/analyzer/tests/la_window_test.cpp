// The logic analyser window in its slot of the running main window: the net list of each
// variant, renaming a net keystroke by keystroke, Esc, the check boxes, the label switch, the
// list rebuilt under an open edit and the window's record in the settings file.

#include "logic/analyzer/LAnalyzerDialog.h"
#include "logic/analyzer/NetEdit.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "widgets/chart/ChartBiLineSerie.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/signals2/connection.hpp>

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <sstream>

#include <string>
#include <vector>

namespace {

class LAnalyzerTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            return slot == CToolDialogList::LANALYZER ? std::make_unique<CLAnalyzerDialog>(&main) : nullptr;
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    static CLAnalyzerDialog& Window(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CLAnalyzerDialog*>(d.GetToolDialog(CToolDialogList::LANALYZER));
        EXPECT_NE(w, nullptr);
        return *w;
    }

    // Shown as the main window's toggle shows it.
    static CLAnalyzerDialog& Shown(CVelkaroDlg& d)
    {
        CLAnalyzerDialog& w = Window(d);
        w.ShowWindow(SW_SHOW);
        w.OnShowTool(true);
        uitest::ProcessEvents();
        return w;
    }

    static std::vector<std::string> Column(CReportCtrl& list, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
        return texts;
    }

    static CPoint CellCentre(CReportCtrl& list, int row, int column)
    {
        CRect r;
        list.GetSubItemRect(row, column, LVIR_LABEL, r);
        return r.CenterPoint();
    }

    static CPoint CheckBoxOf(CReportCtrl& list, int row)
    {
        CRect r;
        list.GetSubItemRect(row, 0, LVIR_BOUNDS, r);
        return CPoint(r.left + 9, (r.top + r.bottom) / 2);
    }

    // A first click selects the row, a second on its name opens the editor there.
    static void OpenEditor(CReportCtrl& list, int row)
    {
        // The user scrolls the row into view first.
        list.EnsureVisible(row, FALSE);
        uitest::ProcessEvents();
        uitest::ClickAt(&list, CellCentre(list, row, 1));
        uitest::ClickAt(&list, CellCentre(list, row, 1));
        ASSERT_TRUE(list.IsEditing());
        ASSERT_EQ(list.GetEditRow(), row);
    }

    static std::uint32_t TakeRedraw()
    {
        std::uint32_t status = 0;
        WithData([&](OscData& data) {
            status = data.status & STATUS_REDRAW;
            data.status &= ~STATUS_REDRAW;
        });
        return status;
    }

    static std::string ComboText(CComboBox& combo, int index)
    {
        if (index >= combo.GetCount()) return "<no entry>";
        CString text;
        combo.GetLBText(index, text);
        return text;
    }

    static std::string Legend(CVelkaroDlg& d, int channel, int line)
    {
        CChartBiLineSerie* s = d.GetLogicSerie(channel, 0, line);
        return s != nullptr ? s->GetName() : std::string("<no series>");
    }

    // The two columns fill the list up to its vertical scroll bar when the rows need one, and
    // to its border otherwise: no gap beside the names, and no sideways scroll bar.
    static void ExpectNamesMeetTheScrollBar(CReportCtrl& list)
    {
        auto* view = qobject_cast<QAbstractScrollArea*>(uitest::WidgetOf(&list));
        ASSERT_NE(view, nullptr);
        const bool scrolls = list.GetItemCount() > list.GetCountPerPage();
        EXPECT_EQ(view->verticalScrollBar()->isVisible(), scrolls);
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
        CRect client;
        list.GetClientRect(&client);
        CRect outer;
        list.GetWindowRect(&outer);
        if (scrolls) {
            EXPECT_GE(outer.Width() - client.Width(), view->verticalScrollBar()->width());
        }
        EXPECT_EQ(list.GetColumnWidth(0) + list.GetColumnWidth(1), client.Width());
    }
};

std::vector<std::string> Labels(const char* channels)
{
    std::vector<std::string> labels;
    for (const char* c = channels; *c != '\0'; ++c)
        for (int line = 7; line >= 0; --line) labels.push_back(std::string(1, *c) + std::to_string(line));
    return labels;
}

}  // namespace

TEST_F(LAnalyzerTest, TheListHoldsTheNetsOfTheChannelsThatCarryLogicLines)
{
    RunWindow([](CVelkaroDlg& d) {
        struct Case {
            int variant;
            const char* channels;
        } cases[] = {{1, ""}, {2, "A"}, {4, "AB"}, {2, "A"}, {4, "AB"}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.variant);
            SwitchVariant(d, c.variant);
            CLAnalyzerDialog& w = Shown(d);
            CReportCtrl& list = w.GetList();
            EXPECT_EQ(Column(list, 0), Labels(c.channels));
            for (int row = 0; row < list.GetItemCount(); ++row) {
                const int channel = row / 8;
                const int line = 7 - row % 8;
                EXPECT_EQ(list.GetItemData(row), static_cast<DWORD_PTR>(channel << 8 | line));
                EXPECT_EQ(list.GetItemText(row, 1), d.GetNetName(channel, line));
                EXPECT_EQ(list.GetCheck(row) > 0, d.la_net_display[channel * 8 + line] != 0);
            }
            ASSERT_NE(w.GetNetEdit(), nullptr);
            EXPECT_EQ(w.GetNetEdit()->GetRows().size(), static_cast<std::size_t>(list.GetItemCount()));
            EXPECT_EQ(w.GetNetEdit()->GetList(), &list);
            ExpectNamesMeetTheScrollBar(list);
            w.ShowWindow(SW_HIDE);
            w.OnShowTool(false);
        }
        // The label column cannot be edited; the name column fills the rest of the list.
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        EXPECT_TRUE(list.IsColumnReadOnly(0));
        EXPECT_FALSE(list.IsColumnReadOnly(1));
        // Shown again, with the vertical scroll bar already up while the rows are rebuilt.
        ExpectNamesMeetTheScrollBar(list);
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("logic_analyser_sixteen_nets.png")));
    });
}

// Sixteen rows and room for fourteen: the thumb drawn on the list's scroll bar stands where the
// rows shown are, at the top with A7 first, and goes down with the list, by the arrow and by a
// drag of the thumb itself.
TEST_F(LAnalyzerTest, TheScrollBarsThumbStandsWhereTheRowsShownAre)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        auto* view = qobject_cast<QAbstractScrollArea*>(uitest::WidgetOf(&list));
        ASSERT_NE(view, nullptr);
        QScrollBar* bar = view->verticalScrollBar();
        ASSERT_TRUE(bar->isVisible());
        ASSERT_EQ(list.GetTopIndex(), 0);
        ASSERT_EQ(list.GetItemText(0, 0), "A7");
        // Between the arrows, which are as long as the bar is wide.
        const int grooveTop = bar->width();
        const int grooveBottom = bar->height() - bar->width() - 1;
        constexpr int kNear = 3;
        // A point of the bar in the list's coordinates, where the mouse goes.
        const auto at = [&](int y) {
            const QPoint p = bar->mapTo(uitest::WidgetOf(&list), QPoint(bar->width() / 2, y));
            return CPoint(p.x(), p.y());
        };
        const CPoint downArrow = at(bar->height() - bar->width() / 2);

        std::pair<int, int> thumb = uitest::DrawnThumb(bar);
        ASSERT_GE(thumb.first, 0) << "no thumb to be seen";
        EXPECT_LE(thumb.first - grooveTop, kNear) << "the first rows shown, the thumb at the top";
        EXPECT_GT(grooveBottom - thumb.second, kNear) << "two rows hidden below leave room under the thumb";

        uitest::ClickAt(&list, downArrow);
        EXPECT_EQ(list.GetTopIndex(), 1);
        const std::pair<int, int> oneDown = uitest::DrawnThumb(bar);
        EXPECT_GT(oneDown.first, thumb.first) << "the down arrow moves the thumb down";
        uitest::ClickAt(&list, downArrow);
        EXPECT_EQ(list.GetTopIndex(), 2);
        thumb = uitest::DrawnThumb(bar);
        EXPECT_LE(grooveBottom - thumb.second, kNear) << "the last rows shown, the thumb at the bottom";
        EXPECT_GT(thumb.first - grooveTop, kNear);

        // Dragged up by its middle as far as the bar goes, and down again.
        const auto drag = [&](int toY) {
            const std::pair<int, int> from = uitest::DrawnThumb(bar);
            ASSERT_GE(from.first, 0);
            uitest::MouseDown(&list, at((from.first + from.second) / 2));
            uitest::MouseMove(&list, at(toY), true);
            uitest::MouseUp(&list, at(toY));
        };
        drag(0);
        EXPECT_EQ(list.GetTopIndex(), 0) << "dragging the thumb up shows the first rows";
        thumb = uitest::DrawnThumb(bar);
        EXPECT_LE(thumb.first - grooveTop, kNear);
        drag(bar->height());
        EXPECT_EQ(list.GetTopIndex(), 2) << "dragging the thumb down shows the last rows";
        thumb = uitest::DrawnThumb(bar);
        EXPECT_LE(grooveBottom - thumb.second, kNear);
    });
}

TEST_F(LAnalyzerTest, EveryKeystrokeRenamesTheNetAndEscPutsTheNameBack)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        std::vector<std::string> heard;
        boost::signals2::scoped_connection listen = d.NetRenamed.connect([&](int channel, int line, const std::string& name) {
            heard.push_back(std::to_string(channel) + "," + std::to_string(line) + " " + name);
        });

        // Row 11 is B4.
        OpenEditor(list, 11);
        EXPECT_EQ(w.GetNetEdit()->GetText(), "B4") << "the edit starts from the net's name";
        uitest::TypeText(list.GetEditor(), "CLK");
        EXPECT_EQ(heard, (std::vector<std::string>{"1,4 C", "1,4 CL", "1,4 CLK"}));
        EXPECT_EQ(d.GetNetName(1, 4), "CLK") << "before the edit is closed";
        EXPECT_EQ(Legend(d, 1, 4), "CLK");
        EXPECT_EQ(ComboText(*w.GetSyncAnalyzer()->GetClockPage().clk_net, 11), "CLK");
        EXPECT_EQ(ComboText(*w.GetSyncAnalyzer()->GetConditionPage().cs_net, 11), "CLK");
        EXPECT_TRUE(list.IsEditing());
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("logic_analyser_editing.png")));

        uitest::PressEscape(list.GetEditor());
        EXPECT_FALSE(list.IsEditing());
        EXPECT_EQ(d.GetNetName(1, 4), "B4");
        EXPECT_EQ(Legend(d, 1, 4), "B4");
        EXPECT_EQ(ComboText(*w.GetSyncAnalyzer()->GetDataPage().data_net[0], 11), "B4");
        EXPECT_EQ(list.GetItemText(11, 1), "B4");
        EXPECT_EQ(heard.back(), "1,4 B4");

        // Enter keeps the typed name in the net and in the list; a second Enter changes nothing.
        heard.clear();
        OpenEditor(list, 0);
        uitest::TypeText(list.GetEditor(), "Счётчик");
        uitest::PressEnter(list.GetEditor());
        EXPECT_EQ(d.GetNetName(0, 7), "Счётчик");
        EXPECT_EQ(list.GetItemText(0, 1), "Счётчик");
        EXPECT_EQ(Legend(d, 0, 7), "Счётчик");
        EXPECT_EQ(heard.size(), std::string("Счётчик").size() > 0 ? 7u : 0u) << "one rename per letter typed";
        const std::size_t before = heard.size();
        OpenEditor(list, 0);
        uitest::PressEnter(list.GetEditor());
        EXPECT_EQ(heard.size(), before);
    });
}

TEST_F(LAnalyzerTest, OnlyACheckBoxClickChangesWhatIsDrawn)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        TakeRedraw();
        const auto display = d.la_net_display;

        // Row 2 is A5, row 9 is B6.
        uitest::ClickAt(&list, CellCentre(list, 2, 0));
        uitest::ClickAt(&list, CellCentre(list, 9, 1));
        EXPECT_EQ(d.la_net_display, display) << "selecting rows changes nothing";
        EXPECT_EQ(TakeRedraw(), 0u);

        uitest::ClickAt(&list, CheckBoxOf(list, 2));
        EXPECT_EQ(d.la_net_display[5], 0);
        EXPECT_EQ(list.GetCheck(2), 0);
        EXPECT_NE(TakeRedraw(), 0u) << "the chart is drawn again without the net";
        EXPECT_EQ(d.GetNetRowOffset(0, 7), 60) << "the nets above move down into its place";
        uitest::ClickAt(&list, CheckBoxOf(list, 9));
        EXPECT_EQ(d.la_net_display[14], 0);
        uitest::ClickAt(&list, CheckBoxOf(list, 2));
        EXPECT_EQ(d.la_net_display[5], 1);
        auto expected = display;
        expected[14] = 0;
        EXPECT_EQ(d.la_net_display, expected);

        // The keyboard cannot toggle a box.
        uitest::ClickAt(&list, CellCentre(list, 3, 0));
        uitest::Key(&list, VK_SPACE);
        EXPECT_EQ(d.la_net_display, expected);

        // The label switch inverts the main window's flag and shows it.
        const bool labels = d.la_net_display_labels;
        CWnd* check = w.GetDlgItem(CLAnalyzerDialog::kShowNamesId);
        ASSERT_NE(check, nullptr);
        uitest::Click(check);
        EXPECT_EQ(d.la_net_display_labels, !labels);
        EXPECT_EQ(w.IsDlgButtonChecked(CLAnalyzerDialog::kShowNamesId) == BST_CHECKED, !labels);
        uitest::Click(check);
        EXPECT_EQ(d.la_net_display_labels, labels);
        EXPECT_EQ(w.IsDlgButtonChecked(CLAnalyzerDialog::kShowNamesId) == BST_CHECKED, labels);
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("logic_analyser.png")));
    });
}

TEST_F(LAnalyzerTest, ShowingTheWindowUnderAnOpenEditKeepsTheTypedNameAndANewEditorWorks)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        OpenEditor(list, 5);  // A2
        uitest::TypeText(list.GetEditor(), "MISO");
        CNetEdit* old = w.GetNetEdit();

        w.OnShowTool(true);
        EXPECT_FALSE(list.IsEditing());
        EXPECT_EQ(d.GetNetName(0, 2), "MISO");
        EXPECT_EQ(list.GetItemText(5, 1), "MISO") << "the rebuilt row shows the committed name";
        ASSERT_NE(w.GetNetEdit(), nullptr);
        EXPECT_NE(w.GetNetEdit(), old);
        EXPECT_EQ(w.GetNetEdit()->GetRows().size(), 16u);
        uitest::ProcessEvents();
        EXPECT_EQ(list.GetRetiredEditorCount(), 0u);

        OpenEditor(list, 13);  // B2
        uitest::TypeText(list.GetEditor(), "MOSI");
        EXPECT_EQ(d.GetNetName(1, 2), "MOSI");
        uitest::PressEscape(list.GetEditor());
        EXPECT_EQ(d.GetNetName(1, 2), "B2");
    });
}

TEST_F(LAnalyzerTest, RowsBeyondTheEditorsTableRenameNothing)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        CReportCtrl& list = w.GetList();
        // An editor told of the first two rows only, as after rows were added behind its back.
        auto partial = std::make_unique<CNetEdit>();
        partial->SetList(&list);
        partial->AddRow(0, 7);
        partial->AddRow(0, 6);
        list.SetEditor(std::move(partial));
        const auto names = d.la_net_name;
        OpenEditor(list, 4);
        uitest::TypeText(list.GetEditor(), "lost");
        uitest::PressEnter(list.GetEditor());
        EXPECT_EQ(d.la_net_name, names);
        OpenEditor(list, 1);
        uitest::TypeText(list.GetEditor(), "kept");
        EXPECT_EQ(d.GetNetName(0, 6), "kept");
        uitest::PressEscape(list.GetEditor());
    });
}

TEST_F(LAnalyzerTest, TheSyncButtonOpensTheAnalyserWithTheCurrentNames)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 2);
        CLAnalyzerDialog& w = Shown(d);
        CSyncAnalyzer* sync = w.GetSyncAnalyzer();
        ASSERT_NE(sync, nullptr);
        EXPECT_FALSE(sync->IsWindowVisible());
        EXPECT_EQ(sync->GetParent(), nullptr) << "a top-level window of its own";
        d.SetNetName("SCK", 0, 3);
        uitest::Click(w.GetDlgItem(CLAnalyzerDialog::kSyncButtonId));
        EXPECT_TRUE(sync->IsWindowVisible());
        CComboBox& clock = *sync->GetClockPage().clk_net;
        EXPECT_EQ(clock.GetCount(), 8) << "channel A only on this variant";
        EXPECT_EQ(ComboText(clock, 4), "SCK");

        // A reset hides both windows.
        w.Reset();
        EXPECT_FALSE(w.IsWindowVisible());
        EXPECT_FALSE(sync->IsWindowVisible());
    });
}

TEST_F(LAnalyzerTest, TheRecordNestsTheAnalyserAndLoadsIntoTheWindowsThatExist)
{
    RunWindow([](CVelkaroDlg& d) {
        CLAnalyzerDialog& w = Shown(d);
        CSyncAnalyzer* sync = w.GetSyncAnalyzer();
        w.SetWindowPos(nullptr, 140, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::ostringstream out;
        {
            boost::archive::xml_oarchive archive(out);
            w.SaveRecord(archive, "lanalyzer_dlg");
        }
        const std::string xml = out.str();
        const auto base = xml.find("<base");
        const auto syncAt = xml.find("<sync_analyzer");
        ASSERT_NE(base, std::string::npos) << xml;
        ASSERT_NE(syncAt, std::string::npos) << xml;
        EXPECT_LT(base, syncAt);
        // The analyser's record sits in an element "ptr" of its own.
        EXPECT_EQ(xml.find('<', syncAt + 1), xml.find("<ptr", syncAt)) << xml;

        w.ShowWindow(SW_HIDE);
        w.SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::istringstream in(xml);
        {
            boost::archive::xml_iarchive archive(in);
            w.LoadRecord(archive, "lanalyzer_dlg");
        }
        EXPECT_EQ(w.GetSyncAnalyzer(), sync) << "loaded into the analyser that exists";
        CRect frame;
        w.GetWindowRect(&frame);
        EXPECT_EQ(frame.TopLeft(), CPoint(140, 70));
        EXPECT_TRUE(w.IsWindowVisible());
    });
}

TEST_F(LAnalyzerTest, PlaceVisibilityAndNamesSurviveARestart)
{
    RunWindow([](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CLAnalyzerDialog& w = Shown(d);
        w.SetWindowPos(nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        OpenEditor(w.GetList(), 15);  // B0
        uitest::TypeText(w.GetList().GetEditor(), "UART");
        uitest::PressEnter(w.GetList().GetEditor());
    });
    RunWindow([](CVelkaroDlg& d) {
        CLAnalyzerDialog& w = Window(d);
        EXPECT_TRUE(w.IsWindowVisible());
        CRect frame;
        w.GetWindowRect(&frame);
        EXPECT_EQ(frame.TopLeft(), CPoint(120, 90));
        ASSERT_EQ(w.GetList().GetItemCount(), 16) << "loading a visible window fills its list";
        EXPECT_EQ(w.GetList().GetItemText(15, 1), "UART");
        EXPECT_EQ(d.GetNetName(1, 0), "UART");
    });
}
