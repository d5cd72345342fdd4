// Controls: user actions notify the parent, changes from code do not.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Note {
    int id;
    UINT code;
    bool operator==(const Note& o) const { return id == o.id && code == o.code; }
};

class Panel : public CDialog {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        notes.push_back({LOWORD(wParam), HIWORD(wParam)});
        senders.push_back(reinterpret_cast<HWND>(lParam));
        return CDialog::OnCommand(wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        auto* h = reinterpret_cast<NMHDR*>(lParam);
        notes.push_back({static_cast<int>(h->idFrom), h->code});
        if (h->code == NM_DBLCLK || h->code == NM_RCLICK) {
            CPoint p;
            GetCursorPos(&p);
            auto* tree = static_cast<CTreeCtrl*>(GetDlgItem(static_cast<int>(h->idFrom)));
            tree->ScreenToClient(&p);
            hit = tree->HitTest(p);
        }
        return CDialog::OnNotify(wParam, lParam, result);
    }
    void OnOK() override {}
    void OnCancel() override {}
    std::vector<Note> notes;
    std::vector<HWND> senders;
    HTREEITEM hit = nullptr;
};

DialogTemplate PanelTemplate()
{
    DialogTemplate t;
    t.id = 9100;
    t.caption = "Элементы";
    t.rect = CRect(0, 0, 260, 200);
    t.items = {
        {"Button", 10, "Включен", BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 80, 17)},
        {"Button", 11, "Ручной", BS_CHECKBOX | WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 20, 80, 32)},
        {"Button", 20, "A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP | WS_VISIBLE, 0, CRect(90, 5, 130, 17)},
        {"Button", 21, "B", BS_AUTORADIOBUTTON | WS_VISIBLE, 0, CRect(90, 20, 130, 32)},
        {"Button", 22, "X", BS_AUTORADIOBUTTON | WS_GROUP | WS_VISIBLE, 0, CRect(140, 5, 180, 17)},
        {"Button", 23, "Y", BS_AUTORADIOBUTTON | WS_VISIBLE, 0, CRect(140, 20, 180, 32)},
        {"ListBox", 30, "", LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_VISIBLE, 0, CRect(5, 40, 100, 100)},
        {"ComboBox", 40, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_VISIBLE, 0, CRect(110, 40, 200, 120)},
        {"Edit", 50, "", WS_BORDER | ES_AUTOHSCROLL | WS_VISIBLE, 0, CRect(110, 60, 200, 72)},
        {"SysTreeView32", 60, "", WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | WS_VISIBLE, 0, CRect(5, 105, 120, 195)},
        {"ScrollBar", 70, "", SBS_HORZ | WS_VISIBLE, 0, CRect(130, 180, 250, 190)},
        {"msctls_progress32", 80, "", WS_VISIBLE, 0, CRect(130, 160, 250, 170)},
    };
    return t;
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(panel.CreateIndirect(PanelTemplate()));
        panel.ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        panel.DestroyWindow();
        uitest::ProcessEvents();
    }
    Panel panel;
};

}  // namespace

TEST_F(Controls, ButtonsNotifyOnClicksButNotOnSetCheck)
{
    auto* check = static_cast<CButton*>(panel.GetDlgItem(10));
    check->SetCheck(BST_CHECKED);
    panel.CheckDlgButton(11, BST_CHECKED);
    EXPECT_TRUE(panel.notes.empty());
    EXPECT_EQ(check->GetCheck(), BST_CHECKED);

    uitest::Click(check);
    EXPECT_EQ(check->GetCheck(), BST_UNCHECKED) << "an automatic check box toggles itself";
    ASSERT_EQ(panel.notes.size(), 1u);
    EXPECT_EQ(panel.notes[0], (Note{10, BN_CLICKED}));
    EXPECT_EQ(panel.senders[0], check->m_hWnd);

    uitest::Click(panel.GetDlgItem(11));
    EXPECT_EQ(panel.IsDlgButtonChecked(11), static_cast<UINT>(BST_CHECKED)) << "a plain check box waits for the program";
    EXPECT_EQ(panel.notes.back(), (Note{11, BN_CLICKED}));
}

TEST_F(Controls, RadioGroupsFollowWsGroupNotTheParent)
{
    panel.CheckRadioButton(20, 21, 20);
    panel.CheckRadioButton(22, 23, 23);
    EXPECT_TRUE(panel.notes.empty());
    uitest::Click(panel.GetDlgItem(21));
    EXPECT_EQ(panel.GetCheckedRadioButton(20, 21), 21);
    EXPECT_EQ(panel.GetCheckedRadioButton(22, 23), 23) << "the other group is untouched";
    EXPECT_EQ(panel.notes.back(), (Note{21, BN_CLICKED}));
}

// The arrows on a radio button stay within its group, round from the last control to the first,
// and check the automatic radio button they reach as a click would; a group may hold other
// controls too, which take the focus and nothing else.
TEST_F(Controls, ArrowKeysWalkARadioGroupAndCheckWhatTheyReach)
{
    panel.CheckRadioButton(20, 21, 20);
    panel.CheckRadioButton(22, 23, 22);
    CWnd* a = panel.GetDlgItem(20);
    CWnd* b = panel.GetDlgItem(21);
    a->SetFocus();
    uitest::ProcessEvents();
    ASSERT_EQ(CWnd::GetFocus(), a);

    uitest::Key(a, VK_DOWN);
    EXPECT_EQ(CWnd::GetFocus(), b);
    EXPECT_EQ(panel.GetCheckedRadioButton(20, 21), 21) << "Down checks the button it reaches";
    ASSERT_EQ(panel.notes.size(), 1u);
    EXPECT_EQ(panel.notes[0], (Note{21, BN_CLICKED}));
    EXPECT_EQ(panel.senders[0], b->m_hWnd);

    uitest::Key(b, VK_DOWN);
    EXPECT_EQ(CWnd::GetFocus(), a) << "from the last of the group back to its first, not on to the next group";
    EXPECT_EQ(panel.GetCheckedRadioButton(20, 21), 20);
    uitest::Key(a, VK_UP);
    EXPECT_EQ(CWnd::GetFocus(), b);
    uitest::Key(b, VK_LEFT);
    EXPECT_EQ(CWnd::GetFocus(), a);
    uitest::Key(a, VK_RIGHT);
    EXPECT_EQ(CWnd::GetFocus(), b);
    EXPECT_EQ(panel.GetCheckedRadioButton(22, 23), 22) << "the other group is untouched";

    // A disabled button is passed over: alone in its group, the focus stays and nothing changes.
    uitest::Click(a);
    b->EnableWindow(FALSE);
    a->SetFocus();
    uitest::ProcessEvents();
    panel.notes.clear();
    uitest::Key(a, VK_DOWN);
    EXPECT_EQ(CWnd::GetFocus(), a);
    EXPECT_EQ(panel.GetCheckedRadioButton(20, 21), 20);
    EXPECT_TRUE(panel.notes.empty());

    // The second group runs on to the list box, the next control without WS_GROUP before it.
    CWnd* y = panel.GetDlgItem(23);
    y->SetFocus();
    uitest::ProcessEvents();
    uitest::Key(y, VK_DOWN);
    EXPECT_EQ(CWnd::GetFocus(), panel.GetDlgItem(30));
    EXPECT_EQ(panel.GetCheckedRadioButton(22, 23), 22) << "a list box reached checks nothing";
}

TEST_F(Controls, ListBoxSelectionNotifiesOnlyForTheUser)
{
    auto* list = static_cast<CListBox*>(panel.GetDlgItem(30));
    EXPECT_EQ(list->AddString("первый"), 0);
    EXPECT_EQ(list->AddString("второй"), 1);
    EXPECT_EQ(list->AddString("третий"), 2);
    EXPECT_EQ(list->GetCurSel(), LB_ERR);
    EXPECT_EQ(list->SetCurSel(1), 1);
    EXPECT_TRUE(panel.notes.empty());

    uitest::SelectListItem(list, 2);
    EXPECT_EQ(list->GetCurSel(), 2);
    ASSERT_EQ(panel.notes.size(), 1u);
    EXPECT_EQ(panel.notes[0], (Note{30, LBN_SELCHANGE}));

    uitest::DoubleClickListItem(list, 0);
    EXPECT_EQ(panel.notes.back(), (Note{30, LBN_DBLCLK}));

    CString text;
    EXPECT_EQ(list->GetText(1, text), static_cast<int>(std::string("второй").size()));
    EXPECT_EQ(text, "второй");
    EXPECT_EQ(list->GetText(3, text), LB_ERR);
    EXPECT_EQ(list->DeleteString(0), 2);
    EXPECT_EQ(list->DeleteString(5), LB_ERR);
    EXPECT_EQ(list->GetCount(), 2);
    list->SetHorizontalExtent(900);
    EXPECT_EQ(list->GetHorizontalExtent(), 900);
}

TEST_F(Controls, ComboBoxKeepsItemDataAndReportsCbErr)
{
    auto* combo = static_cast<CComboBox*>(panel.GetDlgItem(40));
    EXPECT_EQ(combo->GetCurSel(), CB_ERR);
    combo->AddString("115200");
    combo->AddString("1000000");
    combo->InsertString(0, "2000000");
    EXPECT_EQ(combo->GetCurSel(), CB_ERR) << "adding items selects nothing";
    combo->SetItemData(2, 1000000);
    EXPECT_EQ(combo->GetItemData(2), 1000000u);
    EXPECT_EQ(combo->GetItemData(7), static_cast<DWORD_PTR>(CB_ERR));
    EXPECT_EQ(combo->SetCurSel(9), CB_ERR);
    EXPECT_EQ(combo->FindStringExact(-1, "115200"), 1);
    combo->SetCurSel(0);
    EXPECT_TRUE(panel.notes.empty());

    uitest::SelectComboItem(combo, 2);
    EXPECT_EQ(combo->GetCurSel(), 2);
    ASSERT_FALSE(panel.notes.empty());
    EXPECT_EQ(panel.notes.back(), (Note{40, CBN_SELCHANGE}));
    CString text;
    combo->GetLBText(2, text);
    EXPECT_EQ(text, "1000000");
}

TEST_F(Controls, EditRaisesChangeForTypingAndForSetWindowText)
{
    CWnd* edit = panel.GetDlgItem(50);
    edit->SetWindowText("12");
    ASSERT_EQ(panel.notes.size(), 1u);
    EXPECT_EQ(panel.notes[0], (Note{50, EN_CHANGE}));
    uitest::TypeText(edit, "77");
    CString text;
    edit->GetWindowText(text);
    EXPECT_EQ(text, "77");
    EXPECT_EQ(panel.notes.back(), (Note{50, EN_CHANGE}));

    auto* e = static_cast<CEdit*>(edit);
    e->SetSel(0, -1);
    int a = -1;
    int b = -1;
    e->GetSel(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 2);
}

TEST_F(Controls, TreeItemsKeepDataAndParentsAndDoubleClicksNotify)
{
    auto* tree = static_cast<CTreeCtrl*>(panel.GetDlgItem(60));
    HTREEITEM root = tree->InsertItem("FTDI");
    tree->SetItemData(root, 2);
    HTREEITEM dev = tree->InsertItem("FTDI0: Description=Velkaro SerialNumber=A1", root);
    tree->SetItemData(dev, 0);
    tree->Expand(root, TVE_EXPAND);
    EXPECT_EQ(tree->GetParentItem(dev), root);
    EXPECT_EQ(tree->GetParentItem(root), nullptr);
    EXPECT_EQ(tree->GetItemData(root), 2u);
    EXPECT_EQ(tree->GetChildItem(root), dev);
    EXPECT_EQ(tree->GetItemText(dev), "FTDI0: Description=Velkaro SerialNumber=A1");
    EXPECT_EQ(tree->GetCount(), 2u);
    EXPECT_EQ(tree->GetItemData(IdToHandle<HTREEITEM>(12345)), 0u) << "an unknown item has no data";
    uitest::ProcessEvents();

    uitest::DoubleClickTreeItem(tree, dev);
    ASSERT_FALSE(panel.notes.empty());
    EXPECT_EQ(panel.notes.back(), (Note{60, NM_DBLCLK}));
    EXPECT_EQ(panel.hit, dev);

    uitest::RightClickTreeItem(tree, root);
    EXPECT_EQ(panel.notes.back(), (Note{60, NM_RCLICK}));
    EXPECT_EQ(panel.hit, root);

    CRect client;
    tree->GetClientRect(&client);
    EXPECT_EQ(tree->HitTest(CPoint(client.right - 2, client.bottom - 2)), nullptr);
    EXPECT_TRUE(tree->DeleteItem(root));
    EXPECT_EQ(tree->GetCount(), 0u);
    EXPECT_EQ(tree->GetItemText(dev), "") << "children go with their parent";
}

TEST_F(Controls, ScrollBarKeepsThePositionWithinMaxMinusPagePlusOne)
{
    auto* bar = static_cast<CScrollBar*>(panel.GetDlgItem(70));
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = 99;
    info.nPage = 10;
    info.nPos = 200;
    bar->SetScrollInfo(&info);
    EXPECT_EQ(bar->GetScrollPos(), 90);
    EXPECT_EQ(bar->GetScrollLimit(), 90);
    bar->SetScrollPos(-5);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    SCROLLINFO out;
    bar->GetScrollInfo(&out);
    EXPECT_EQ(out.nMax, 99);
    EXPECT_EQ(out.nPage, 10u);
    EXPECT_TRUE(panel.notes.empty());
}

// The thumb a user sees stands where the position puts it: at the left end at the least, in the
// middle halfway, at the right end at the most; and it stands out from its groove to be seen.
TEST_F(Controls, ScrollBarsDrawTheirThumbWhereThePositionIs)
{
    auto* bar = static_cast<CScrollBar*>(panel.GetDlgItem(70));
    QWidget* widget = uitest::WidgetOf(bar);
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = 99;
    info.nPage = 10;
    info.nPos = 0;
    bar->SetScrollInfo(&info);
    uitest::ProcessEvents();
    // Between the arrows, which are as long as the bar is thick.
    const int first = widget->height();
    const int last = widget->width() - widget->height() - 1;
    const int middle = (first + last) / 2;
    constexpr int kNear = 3;

    const std::pair<int, int> left = uitest::DrawnThumb(widget);
    ASSERT_GE(left.first, 0) << "no thumb to be seen";
    EXPECT_LE(left.first - first, kNear);
    EXPECT_LT(left.second, middle);
    bar->SetScrollPos(45);
    const std::pair<int, int> centre = uitest::DrawnThumb(widget);
    EXPECT_LE(std::abs((centre.first + centre.second) / 2 - middle), kNear);
    bar->SetScrollPos(90);
    const std::pair<int, int> right = uitest::DrawnThumb(widget);
    EXPECT_LE(last - right.second, kNear);
    EXPECT_GT(right.first, middle);
    EXPECT_NEAR(right.second - right.first, left.second - left.first, 1) << "the thumb keeps its length";
}

TEST_F(Controls, ProgressBarClampsItsPosition)
{
    auto* bar = static_cast<CProgressCtrl*>(panel.GetDlgItem(80));
    bar->SetRange32(0, 50000);
    EXPECT_EQ(bar->SetPos(20000), 0);
    EXPECT_EQ(bar->GetPos(), 20000);
    bar->SetPos(90000);
    EXPECT_EQ(bar->GetPos(), 50000);
    int lo = -1;
    int hi = -1;
    bar->GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 50000);
}

TEST_F(Controls, GetDlgItemHandsOutObjectsOfTheControlsClass)
{
    EXPECT_NE(dynamic_cast<CButton*>(panel.GetDlgItem(10)), nullptr);
    EXPECT_NE(dynamic_cast<CListBox*>(panel.GetDlgItem(30)), nullptr);
    EXPECT_NE(dynamic_cast<CComboBox*>(panel.GetDlgItem(40)), nullptr);
    EXPECT_NE(dynamic_cast<CTreeCtrl*>(panel.GetDlgItem(60)), nullptr);
    EXPECT_EQ(panel.GetDlgItem(4242), nullptr);
    // Template order is the child order.
    EXPECT_EQ(panel.GetWindow(GW_CHILD)->GetDlgCtrlID(), 10);
    EXPECT_EQ(panel.GetWindow(GW_CHILD)->GetWindow(GW_HWNDNEXT)->GetDlgCtrlID(), 11);
}

TEST_F(Controls, MultiLineEditsShowLinesAndGiveThemBackWithCrLf)
{
    CEdit log;
    ASSERT_TRUE(log.CreateEx(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL,
                             CRect(5, 5, 200, 80), &panel, 90));
    log.SetWindowText("первая\r\nвторая");
    EXPECT_EQ(log.GetLineCount(), 2);
    CString text;
    log.GetWindowText(text);
    EXPECT_EQ(text, "первая\r\nвторая");
    // The usual way to append: caret to the end, then replace the empty selection.
    const int end = log.GetWindowTextLength();
    log.SetSel(end, end);
    log.ReplaceSel("\r\nтретья");
    log.GetWindowText(text);
    EXPECT_EQ(text, "первая\r\nвторая\r\nтретья");
    EXPECT_EQ(log.GetLineCount(), 3);
}

TEST_F(Controls, DialogItemIntegersAreParsedStrictly)
{
    BOOL ok = TRUE;
    panel.SetDlgItemText(50, " -17 ");
    EXPECT_EQ(static_cast<int>(panel.GetDlgItemInt(50, &ok)), -17);
    EXPECT_TRUE(ok);
    EXPECT_EQ(panel.GetDlgItemInt(50, &ok, FALSE), 0u);
    EXPECT_FALSE(ok) << "a negative number is no unsigned one";
    panel.SetDlgItemText(50, "12abc");
    panel.GetDlgItemInt(50, &ok);
    EXPECT_FALSE(ok);
    panel.SetDlgItemInt(50, 4000000000u, FALSE);
    EXPECT_EQ(panel.GetDlgItemInt(50, &ok, FALSE), 4000000000u);
    EXPECT_TRUE(ok);
}

TEST(ControlVisibility, ControlsWithoutWsVisibleStayHiddenWhenTheDialogShows)
{
    uitest::EnsureApplication();
    DialogTemplate t;
    t.id = 9110;
    t.rect = CRect(0, 0, 100, 40);
    t.items = {{"Button", 1061, "Сервис", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 50, 19)}};
    t.items[0].style &= ~WS_VISIBLE;
    t.items.push_back({"Button", 1062, "Математика", WS_VISIBLE | WS_TABSTOP, 0, CRect(55, 5, 95, 19)});
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_FALSE(dlg.GetDlgItem(1061)->IsWindowVisible());
    EXPECT_TRUE(dlg.GetDlgItem(1062)->IsWindowVisible());
    dlg.GetDlgItem(1061)->ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.GetDlgItem(1061)->IsWindowVisible());
}

namespace {
// A list that looks at its selection before and after the list's own handling of a click.
class WatchingList : public CListBox {
public:
    afx_msg void OnLButtonDown(UINT flags, CPoint point)
    {
        before = GetCurSel();
        CListBox::OnLButtonDown(flags, point);  // the default processing selects the row now
        after = GetCurSel();
    }
    int before = -2;
    int after = -2;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(WatchingList, CListBox)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()
}  // namespace

TEST_F(Controls, DefaultProcessingOfAClickHappensInsideTheHandler)
{
    WatchingList list;
    ASSERT_TRUE(list.SubclassDlgItem(30, &panel));
    list.AddString("один");
    list.AddString("два");
    uitest::ProcessEvents();
    uitest::SelectListItem(&list, 1);
    EXPECT_EQ(list.before, LB_ERR);
    EXPECT_EQ(list.after, 1);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(panel.notes.back(), (Note{30, LBN_SELCHANGE}));
}

TEST_F(Controls, AlignedScrollBarsTakeTheSystemThickness)
{
    CScrollBar bottom;
    ASSERT_TRUE(bottom.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ | SBS_BOTTOMALIGN, CRect(10, 10, 210, 110), &panel, 71));
    CRect r;
    bottom.GetWindowRect(&r);
    panel.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(10, 110 - GetSystemMetrics(SM_CYHSCROLL), 210, 110));
    CScrollBar left;
    ASSERT_TRUE(left.Create(WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_LEFTALIGN, CRect(10, 10, 210, 110), &panel, 72));
    left.GetWindowRect(&r);
    panel.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(10, 10, 10 + GetSystemMetrics(SM_CXVSCROLL), 110));
}

TEST_F(Controls, ADropDownComboHasItsEditFieldAsAChildWindow)
{
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | WS_VSCROLL, CRect(10, 150, 150, 250), &panel, 95));
    CWnd* edit = combo.GetWindow(GW_CHILD);
    ASSERT_NE(edit, nullptr);
    char name[16];
    EXPECT_EQ(GetClassName(edit->m_hWnd, name, sizeof name), 4);
    EXPECT_STREQ(name, "Edit");
    EXPECT_EQ(GetClassName(combo.m_hWnd, name, 6), 5);
    EXPECT_STREQ(name, "Combo") << "cut to the buffer";
    EXPECT_EQ(edit->GetParent(), &combo);
    EXPECT_EQ(combo.GetStyle() & 3, CBS_DROPDOWN);
    CRect r;
    edit->GetWindowRect(&r);
    EXPECT_EQ(CWnd::WindowFromPoint(r.CenterPoint()), edit);
    combo.SetWindowText("1000000");
    CString text;
    edit->GetWindowText(text);
    EXPECT_EQ(text, "1000000");
    const HWND editHandle = edit->m_hWnd;  // the object handed out for it goes with the window
    combo.DestroyWindow();
    EXPECT_FALSE(IsWindow(editHandle));
}

// The dialog layouts put their first row of controls just under a group box's title, which is
// only free when the frame runs through the title's middle rather than below the whole title.
TEST(ControlGroupBox, TheFrameRunsThroughTheMiddleOfTheTitle)
{
    uitest::EnsureApplication();
    DialogTemplate t;
    t.id = 9101;
    t.caption = "Рамка";
    t.rect = CRect(0, 0, 160, 80);
    t.items = {{"Button", 10, "Начало", BS_GROUPBOX | WS_VISIBLE, 0, CRect(5, 5, 150, 70)}};
    CDialog panel;
    ASSERT_TRUE(panel.CreateIndirect(t));
    panel.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();

    QWidget* box = uitest::WidgetOf(panel.GetDlgItem(10));
    ASSERT_NE(box, nullptr);
    const QImage image = box->grab().toImage();
    const QRgb background = image.pixel(image.width() / 2, image.height() / 2);
    // Down the middle of the box, right of the title: the first row that is not background is
    // the frame's top line.
    const int x = image.width() * 3 / 4;
    int frameTop = -1;
    for (int y = 0; y < image.height() / 2 && frameTop < 0; ++y)
        if (image.pixel(x, y) != background) frameTop = y;
    const int titleHeight = QFontMetrics(box->font()).height();
    EXPECT_GE(frameTop, titleHeight / 4);
    EXPECT_LE(frameTop, titleHeight * 3 / 4) << "the frame lies below the title, across the controls under it";

    panel.DestroyWindow();
    uitest::ProcessEvents();
}
