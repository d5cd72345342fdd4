// The report list driven by clicks and keys: check modes, in-place editing, styles, row data.

#include "ReportTestHost.h"

#include <gtest/gtest.h>

namespace {

class ReportCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(host.CreateIndirect(ReportTemplate()));
        host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(report.SubclassDlgItem(1053, &host));
        report.DisableSorting();
        report.InsertColumn(0, "Цепь", LVCFMT_LEFT, 70);
        report.InsertColumn(1, "Имя", LVCFMT_LEFT, 90);
        report.InsertColumn(2, "Значение", LVCFMT_RIGHT, 80);
        for (int row = 0; row < 4; ++row) {
            report.InsertItem(row, StringFormat("A%d", 7 - row).c_str());
            report.SetItemText(row, 1, StringFormat("net%d", row).c_str());
            report.SetItemText(row, 2, StringFormat("%d", row * 10).c_str());
            report.SetItemData(row, static_cast<DWORD_PTR>(7 - row));
        }
        uitest::ProcessEvents();
    }
    void TearDown() override
    {
        host.DestroyWindow();
        uitest::ProcessEvents();
    }
    std::vector<bool> Checks()
    {
        std::vector<bool> checks;
        for (int row = 0; row < report.GetItemCount(); ++row) checks.push_back(report.GetCheck(row) > 0);
        return checks;
    }
    std::vector<int> Selected()
    {
        std::vector<int> rows;
        for (int row = report.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = report.GetNextItem(row, LVNI_SELECTED)) rows.push_back(row);
        return rows;
    }
    ReportHost host;
    CReportCtrl report;
};

// An editor that records its hooks.
class RecordingEditor : public CEditReportItem {
public:
    std::vector<std::string>* log = nullptr;
    void OnBeginEdit() override { log->push_back(StringFormat("begin %d,%d", EditRow(), EditColumn())); }
    void OnEndEdit(bool commit) override { log->push_back(commit ? "end commit" : "end cancel"); }
};

// An editor that has the list replace it from inside its own end of edit, then goes on using
// itself, as an editor whose handler rebuilds the list does.
class SelfReplacingEditor : public CEditReportItem {
public:
    CReportCtrl* list = nullptr;
    bool* destroyed = nullptr;
    int ends = 0;
    ~SelfReplacingEditor() override { *destroyed = true; }
    void OnEndEdit(bool) override
    {
        if (list != nullptr) list->SetEditor(std::make_unique<CEditReportItem>());
        ++ends;
    }
};

}  // namespace

TEST_F(ReportCtrlTest, AnEditorReplacedInsideItsOwnHandlersLivesUntilTheLoopRunsAgain)
{
    report.EnableEditing(true);
    struct Case {
        const char* name;
        bool fromParent;  // replaced in the parent's answer to the edit instead
    } cases[] = {{"own end of edit", false}, {"parent's answer", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool destroyed = false;
        auto editor = std::make_unique<SelfReplacingEditor>();
        editor->list = &report;
        editor->destroyed = &destroyed;
        SelfReplacingEditor* old = editor.get();
        if (c.fromParent) {
            editor->list = nullptr;
            host.onMessage = [&](const ReportMessage&) { report.SetEditor(std::make_unique<CEditReportItem>()); };
        }
        report.SetEditor(std::move(editor));
        ASSERT_TRUE(report.BeginEdit(2, 1));
        uitest::TypeText(report.GetEditor(), c.fromParent ? "parent" : "own");
        uitest::PressEnter(report.GetEditor());
        EXPECT_FALSE(report.IsEditing());
        EXPECT_EQ(report.GetItemText(2, 1), c.fromParent ? "parent" : "own") << "the text still reached its cell";
        EXPECT_NE(report.GetEditor(), old);
        EXPECT_EQ(old->ends, 1);
        EXPECT_FALSE(destroyed) << "not while its handler may still run";
        EXPECT_FALSE(old->IsWindowVisible());
        uitest::ProcessEvents();
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(report.GetRetiredEditorCount(), 0u);
        host.onMessage = nullptr;
        host.messages.clear();

        // The new editor serves the next edit.
        ASSERT_TRUE(report.BeginEdit(1, 1));
        EXPECT_TRUE(report.GetEditor()->IsWindowVisible());
        report.EndEdit(false);
    }
}

TEST_F(ReportCtrlTest, StylesAreForcedWhateverTheListWasMadeWith)
{
    const DWORD style = report.GetStyle();
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(style & 0x2202u, 0u);
    EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL | WS_VISIBLE | WS_CHILD), WS_HSCROLL | WS_VSCROLL | WS_VISIBLE | WS_CHILD);
    EXPECT_EQ(report.GetExtendedStyle(), 0x22u) << "full-row select and sub-item images";
    report.SetCheckMode(CReportCtrl::None);
    EXPECT_EQ(report.GetExtendedStyle(), 0x22u) << "mode None shows no boxes";
    EXPECT_EQ(report.GetCheck(0), -1);
    report.SetCheckMode(CReportCtrl::Multiple);
    EXPECT_EQ(report.GetExtendedStyle(), 0x26u);
    EXPECT_EQ(report.GetCheck(0), 0);
    report.SetCheckMode(7);
    EXPECT_EQ(report.GetCheckMode(), CReportCtrl::Multiple) << "an unknown mode is ignored";

    // Created by code with the styles the forced style removes, over the parent's whole area.
    CReportCtrl made;
    ASSERT_TRUE(made.Create(&host, 1060, nullptr, LVS_EDITLABELS | LVS_NOSCROLL | LVS_SMALLICON | WS_BORDER));
    EXPECT_EQ(made.GetStyle() & 0x2202u, 0u);
    EXPECT_EQ(made.GetStyle() & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(made.IsWindowVisible());
    CRect client;
    CRect area;
    host.GetClientRect(&client);
    made.GetWindowRect(&area);
    EXPECT_EQ(area.Width(), client.Width());
    EXPECT_EQ(area.Height(), client.Height());
    made.DestroyWindow();
}

TEST_F(ReportCtrlTest, CheckBoxClicksFollowTheMode)
{
    struct Case {
        int mode;
        std::vector<bool> before;
        int row;
        std::vector<bool> after;
        bool told;
    };
    const Case cases[] = {
        {CReportCtrl::Multiple, {false, true, false, false}, 2, {false, true, true, false}, true},
        {CReportCtrl::Multiple, {false, true, false, false}, 1, {false, false, false, false}, true},
        {CReportCtrl::Single, {false, true, false, false}, 3, {false, false, false, true}, true},
        {CReportCtrl::Single, {false, true, false, false}, 1, {false, false, false, false}, true},
        {CReportCtrl::Disabled, {false, true, false, false}, 2, {false, true, false, false}, false},
        {CReportCtrl::Disabled, {false, true, false, false}, 1, {false, true, false, false}, false},
        {CReportCtrl::None, {false, true, false, false}, 2, {false, true, true, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " row " << c.row);
        report.SetCheckMode(CReportCtrl::Multiple);  // shows the boxes, for mode None too
        report.SetCheckMode(c.mode);
        for (int row = 0; row < 4; ++row) report.SetItemStates(row, (c.before[static_cast<std::size_t>(row)] ? CReportCtrl::Checked : CReportCtrl::Unchecked) | CReportCtrl::Unselected);
        host.messages.clear();
        uitest::ClickAt(&report, CheckBoxOf(report, c.row));
        EXPECT_EQ(Checks(), c.after);
        if (c.told) {
            EXPECT_EQ(host.messages, (std::vector<ReportMessage>{{WM_REPORTCTRL_SELECT, static_cast<WPARAM>(c.row), WM_LBUTTONDOWN}}));
            EXPECT_EQ(Selected(), std::vector<int>{c.row});
            EXPECT_EQ(report.GetItemStates(c.row) & CReportCtrl::Focused, CReportCtrl::Focused);
        } else {
            EXPECT_TRUE(host.messages.empty());
        }
    }

    // A click on a row's text changes no box and tells nobody.
    report.SetCheckMode(CReportCtrl::Multiple);
    host.messages.clear();
    uitest::ClickAt(&report, CellCentre(report, 2, 1));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Selected(), std::vector<int>{2});

    // A double click on a box toggles it twice, each reported with its own message.
    host.messages.clear();
    const std::vector<bool> before = Checks();
    uitest::DoubleClickAt(&report, CheckBoxOf(report, 0));
    EXPECT_EQ(Checks(), before);
    EXPECT_EQ(host.messages, (std::vector<ReportMessage>{{WM_REPORTCTRL_SELECT, 0, WM_LBUTTONDOWN}, {WM_REPORTCTRL_SELECT, 0, WM_LBUTTONDBLCLK}}));
}

TEST_F(ReportCtrlTest, TheKeyboardNeverTogglesABox)
{
    report.SetCheckMode(CReportCtrl::Multiple);
    uitest::ClickAt(&report, CellCentre(report, 1, 1));
    report.SetFocus();
    host.messages.clear();
    uitest::Key(&report, VK_SPACE);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReportCtrlTest, ASecondClickOnASelectedRowOpensTheEditor)
{
    report.EnableEditing(true);
    report.SetColumnReadOnly(0);
    uitest::ClickAt(&report, CellCentre(report, 2, 1));
    EXPECT_FALSE(report.IsEditing()) << "the first click only selects";
    uitest::ClickAt(&report, CellCentre(report, 2, 1));
    ASSERT_TRUE(report.IsEditing());
    EXPECT_EQ(report.GetEditRow(), 2);
    EXPECT_EQ(report.GetEditColumn(), 1);
    EXPECT_TRUE(report.GetEditor()->IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), report.GetEditor());
    CString shown;
    report.GetEditor()->GetWindowText(shown);
    EXPECT_EQ(shown, "net2");
    ASSERT_TRUE(uitest::RenderToPng(&host, uitest::OutputPath("widgets_reportlist/editing.png")));

    // A click while editing only closes the editor, even on an editable cell.
    uitest::ClickAt(&report, CellCentre(report, 2, 2));
    EXPECT_FALSE(report.IsEditing());
    EXPECT_FALSE(report.GetEditor()->IsWindowVisible());
    // The read-only column refuses; a right click never edits.
    uitest::ClickAt(&report, CellCentre(report, 2, 0));
    EXPECT_FALSE(report.IsEditing());
    uitest::RightClickAt(&report, CellCentre(report, 2, 1));
    EXPECT_FALSE(report.IsEditing());
    // Editing disabled: the second click selects and nothing more.
    report.EnableEditing(false);
    uitest::ClickAt(&report, CellCentre(report, 2, 1));
    EXPECT_FALSE(report.IsEditing());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReportCtrlTest, EditorKeysCommitCancelAndMove)
{
    report.EnableEditing(true);
    auto open = [&](int row, int column) {
        ASSERT_TRUE(report.BeginEdit(row, column));
        ASSERT_TRUE(report.IsEditing());
    };

    open(1, 1);
    uitest::TypeText(report.GetEditor(), "clock");
    uitest::PressEscape(report.GetEditor());
    EXPECT_FALSE(report.IsEditing());
    EXPECT_EQ(report.GetItemText(1, 1), "net1");
    EXPECT_TRUE(host.IsWindowVisible()) << "Esc ends the edit, not the dialog";

    open(1, 1);
    uitest::PressEnter(report.GetEditor());
    EXPECT_FALSE(report.IsEditing());
    EXPECT_TRUE(host.messages.empty()) << "an unchanged text is not an edit";

    open(1, 1);
    uitest::TypeText(report.GetEditor(), "Такт");
    uitest::PressEnter(report.GetEditor());
    EXPECT_EQ(report.GetItemText(1, 1), "Такт");
    EXPECT_EQ(host.messages, (std::vector<ReportMessage>{{WM_REPORTCTRL_EDITED, 1, 1}}));
    EXPECT_EQ(CWnd::GetFocus(), &report) << "the list takes the focus back";

    // Tab walks the columns and wraps to column 0 of the same row.
    host.messages.clear();
    open(3, 2);
    uitest::Key(report.GetEditor(), VK_TAB);
    EXPECT_EQ(report.GetEditRow(), 3);
    EXPECT_EQ(report.GetEditColumn(), 0);
    report.SetColumnReadOnly(1);
    uitest::Key(report.GetEditor(), VK_TAB);
    EXPECT_FALSE(report.IsEditing()) << "a read-only column ends the walk";

    // Up and Down move the editor between rows; at the ends they are the editor's own keys.
    open(1, 2);
    uitest::Key(report.GetEditor(), VK_UP);
    EXPECT_EQ(report.GetEditRow(), 0);
    uitest::Key(report.GetEditor(), VK_UP);
    EXPECT_EQ(report.GetEditRow(), 0);
    EXPECT_TRUE(report.IsEditing());
    for (int i = 0; i < 5; ++i) uitest::Key(report.GetEditor(), VK_DOWN);
    EXPECT_EQ(report.GetEditRow(), 3);
    EXPECT_EQ(report.GetEditColumn(), 2);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    report.EndEdit(false);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReportCtrlTest, ChangesToTheListEndAnEditFirst)
{
    report.EnableEditing(true);
    ASSERT_TRUE(report.BeginEdit(2, 1));
    uitest::TypeText(report.GetEditor(), "data");
    report.InsertItem(0, "B7");
    EXPECT_FALSE(report.IsEditing());
    EXPECT_EQ(report.GetItemText(3, 1), "data") << "committed to its row before the rows moved";

    ASSERT_TRUE(report.BeginEdit(1, 1));
    uitest::TypeText(report.GetEditor(), "lost");
    EXPECT_EQ(report.DeleteAllItems(), 5);
    EXPECT_FALSE(report.IsEditing());
    EXPECT_EQ(host.messages.size(), 1u) << "deleting everything cancels the edit";
    EXPECT_FALSE(report.BeginEdit(0, 1));
}

TEST_F(ReportCtrlTest, TheParentMayChangeTheListInItsAnswer)
{
    report.EnableEditing(true);
    report.SetCheckMode(CReportCtrl::Multiple);
    // Rebuilds the list on every message, as a window refreshing its table would.
    host.onMessage = [&](const ReportMessage&) {
        report.DeleteAllItems();
        report.InsertItem(0, "B0");
        report.SetItemText(0, 1, "x");
    };
    ASSERT_TRUE(report.BeginEdit(3, 1));
    uitest::TypeText(report.GetEditor(), "renamed");
    uitest::PressEnter(report.GetEditor());
    EXPECT_EQ(report.GetItemCount(), 1);
    EXPECT_FALSE(report.IsEditing());

    report.InsertItem(1, "B1");
    report.InsertItem(2, "B2");
    uitest::ClickAt(&report, CheckBoxOf(report, 2));
    EXPECT_EQ(report.GetItemCount(), 1);
    EXPECT_EQ(host.messages.size(), 2u);
    host.onMessage = nullptr;
}

TEST_F(ReportCtrlTest, TheHostCanReplaceTheEditorEvenMidEdit)
{
    report.EnableEditing(true);
    std::vector<std::string> log;
    auto first = std::make_unique<RecordingEditor>();
    first->log = &log;
    report.SetEditor(std::move(first));
    ASSERT_TRUE(report.BeginEdit(0, 1));
    uitest::TypeText(report.GetEditor(), "typed");

    auto second = std::make_unique<RecordingEditor>();
    second->log = &log;
    report.SetEditor(std::move(second));
    EXPECT_EQ(log, (std::vector<std::string>{"begin 0,1", "end commit"}));
    EXPECT_EQ(report.GetItemText(0, 1), "typed") << "what the user typed is kept";
    EXPECT_FALSE(report.IsEditing());

    ASSERT_TRUE(report.BeginEdit(1, 2));
    EXPECT_EQ(log.back(), "begin 1,2");
    EXPECT_TRUE(report.GetEditor()->IsWindowVisible());
    uitest::PressEscape(report.GetEditor());
    EXPECT_EQ(log.back(), "end cancel");

    report.SetEditor(nullptr);
    EXPECT_FALSE(report.BeginEdit(1, 1)) << "no editor, no editing";
}

TEST_F(ReportCtrlTest, RowDataColoursAndStates)
{
    EXPECT_EQ(report.GetItemData(1), 6u);
    EXPECT_NE(report.CListCtrl::GetItemData(1), 6u) << "the platform item data holds the row's colours";
    EXPECT_EQ(report.GetItemBkColor(2, 0), GetSysColor(COLOR_WINDOW));
    report.SetItemBkColor(2, 0, RGB(255, 128, 128));
    report.SetItemTextColor(-1, 2, RGB(0, 0, 255));  // every column of row 2
    report.InsertColumn(0, "№", LVCFMT_LEFT, 20);
    EXPECT_EQ(report.GetItemBkColor(2, 1), RGB(255, 128, 128)) << "colours move with their column";
    EXPECT_EQ(report.GetItemBkColor(2, 0), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(report.GetItemTextColor(2, 3), RGB(0, 0, 255));
    EXPECT_EQ(report.GetItemTextColor(1, 3), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(report.GetItemTextColor(9, 0), GetSysColor(COLOR_WINDOWTEXT)) << "no row, default colours";

    EXPECT_TRUE(report.DeleteItem(0));
    EXPECT_EQ(report.GetItemData(0), 6u);
    EXPECT_FALSE(report.DeleteItem(3));
    EXPECT_FALSE(report.SetItemData(3, 1));

    ReportRowData data;
    data.InsertColumn(0, 1, 2);
    EXPECT_THROW(data.TextColor(1), CInvalidArgException);
    EXPECT_THROW(data.InsertColumn(2, 1, 2), CInvalidArgException);

    report.SetCheckMode(CReportCtrl::Multiple);
    EXPECT_EQ(report.ApplyStatesToRows(0, CReportCtrl::Checked), 0) << "an empty mask matches nothing";
    EXPECT_EQ(report.ApplyStatesToRows(CReportCtrl::Any, CReportCtrl::Checked | CReportCtrl::Selected), 3);
    EXPECT_EQ(report.ApplyStatesToRows(CReportCtrl::Checked | CReportCtrl::Selected, CReportCtrl::Unchecked), 3);
    EXPECT_EQ(report.FindFirstChecked(), -1);
    report.SetItemStates(1, CReportCtrl::Checked | CReportCtrl::Focused);
    EXPECT_EQ(report.GetItemStates(1), CReportCtrl::Selected | CReportCtrl::Checked | CReportCtrl::Focused);
    EXPECT_EQ(report.GetItemStates(5), 0);
    EXPECT_EQ(report.FindFirstChecked(), 1);

    // Single mode keeps one box checked whichever row code checks.
    report.SetCheckMode(CReportCtrl::Single);
    report.SetCheck(2, TRUE);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
    report.SetCheck(0, TRUE);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(report.ApplyStatesToRows(CReportCtrl::Any, CReportCtrl::Checked), 3);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));
}

TEST_F(ReportCtrlTest, AStretchedColumnTakesTheRestButNeverLessThanNothing)
{
    CRect client;
    report.GetClientRect(&client);
    report.StretchColumnToClient(1);
    EXPECT_EQ(report.GetColumnWidth(0) + report.GetColumnWidth(1) + report.GetColumnWidth(2), client.Width());
    report.SetColumnWidth(0, client.Width() + 50);
    report.StretchColumnToClient(1);
    EXPECT_EQ(report.GetColumnWidth(1), 0);

    EXPECT_EQ(report.GetHeaderText(2), "Значение");
    EXPECT_EQ(report.GetHeaderText(3), "");
}
