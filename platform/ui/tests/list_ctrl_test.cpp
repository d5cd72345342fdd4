// The report-view list: cells, check boxes, custom draw, hit tests, header clicks.

#include "platform/ui/Dialog.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QImage>
#include <QScrollBar>

namespace {

class ListHost : public CDialog {
public:
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override
    {
        auto* h = reinterpret_cast<NMHDR*>(l);
        if (h->code == NM_CUSTOMDRAW) {
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(l);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT || cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                *result = CDRF_NOTIFYSUBITEMDRAW;
            } else {
                if (cd->iSubItem == 0 && cd->nmcd.dwItemSpec == 1) cd->clrTextBk = RGB(0, 0, 255);
                *result = CDRF_DODEFAULT;
            }
            return TRUE;
        }
        codes.push_back(h->code);
        if (h->code == LVN_ITEMCHANGED) changes.push_back(*reinterpret_cast<NMLISTVIEW*>(l));
        if (h->code == LVN_COLUMNCLICK) clickedColumn = reinterpret_cast<NMLISTVIEW*>(l)->iSubItem;
        if (h->code == NM_CLICK) clicked = *reinterpret_cast<NMITEMACTIVATE*>(l);
        return CDialog::OnNotify(w, l, result);
    }
    std::vector<UINT> codes;
    std::vector<NMLISTVIEW> changes;
    NMITEMACTIVATE clicked;
    int clickedColumn = -1;
};

class ListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        DialogTemplate t;
        t.id = 9700;
        t.caption = "Маркеры";
        t.rect = CRect(0, 0, 200, 120);
        t.items = {{"SysListView32", 1108, "", WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT, 0, CRect(5, 5, 195, 115)}};
        ASSERT_TRUE(host.CreateIndirect(t));
        host.ShowWindow(SW_SHOW);
        list = static_cast<CListCtrl*>(host.GetDlgItem(1108));
        ASSERT_NE(list, nullptr);
        list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        EXPECT_EQ(list->InsertColumn(0, "Маркер", LVCFMT_LEFT, 90), 0);
        EXPECT_EQ(list->InsertColumn(1, "Значение", LVCFMT_RIGHT, 120), 1);
        for (int i = 0; i < 3; ++i) {
            list->InsertItem(i, StringFormat("M%d", i + 1).c_str());
            list->SetItemText(i, 1, StringFormat("%d мВ", (i + 1) * 100).c_str());
            list->SetItemData(i, static_cast<DWORD_PTR>(10 + i));
        }
        uitest::ProcessEvents();
    }
    void TearDown() override
    {
        host.DestroyWindow();
        uitest::ProcessEvents();
    }
    ListHost host;
    CListCtrl* list = nullptr;
};

}  // namespace

TEST_F(ListCtrlTest, CellsDataAndChecksFromCodeAreSilent)
{
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(1, 1), "200 мВ");
    EXPECT_EQ(list->GetItemText(1, 5), "");
    EXPECT_EQ(list->GetItemData(2), 12u);
    EXPECT_EQ(list->GetCheck(0), 0);
    list->SetCheck(0, TRUE);
    EXPECT_EQ(list->GetCheck(0), 1);
    EXPECT_EQ(list->GetItemState(0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    list->SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_TRUE(host.codes.empty());

    // Inserting a column in front moves the cells right.
    list->InsertColumn(0, "№", LVCFMT_LEFT, 30);
    EXPECT_EQ(list->GetItemText(1, 1), "M2");
    EXPECT_EQ(list->GetItemText(1, 2), "200 мВ");
    char text[32];
    HDITEM item;
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(list->GetHeaderCtrl()->GetItem(2, &item));
    EXPECT_STREQ(text, "Значение");
    EXPECT_EQ(item.fmt, HDF_RIGHT);
    EXPECT_EQ(list->GetHeaderCtrl()->GetItemCount(), 3);
    EXPECT_FALSE(list->DeleteItem(7));
}

TEST_F(ListCtrlTest, ClicksOnTheBoxToggleItAndTellTheParent)
{
    CRect cell;
    ASSERT_TRUE(list->GetSubItemRect(1, 0, LVIR_BOUNDS, cell));
    LVHITTESTINFO hit;
    hit.pt = CPoint(cell.left + 8, (cell.top + cell.bottom) / 2);
    EXPECT_EQ(list->SubItemHitTest(&hit), 1);
    EXPECT_EQ(hit.flags, LVHT_ONITEMSTATEICON);
    CRect value;
    ASSERT_TRUE(list->GetSubItemRect(1, 1, LVIR_LABEL, value));
    hit.pt = value.CenterPoint();
    EXPECT_EQ(list->SubItemHitTest(&hit), 1);
    EXPECT_EQ(hit.iSubItem, 1);

    uitest::ClickAt(list, value.CenterPoint());
    EXPECT_EQ(host.clicked.iItem, 1);
    EXPECT_EQ(host.clicked.iSubItem, 1);
    ASSERT_FALSE(host.changes.empty());
    EXPECT_EQ(host.changes.back().iItem, 1);
    EXPECT_EQ(host.changes.back().uNewState, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(host.changes.back().lParam, 11);

    host.changes.clear();
    uitest::ClickAt(list, CPoint(cell.left + 10, (cell.top + cell.bottom) / 2));
    EXPECT_EQ(list->GetCheck(1), 1);
    ASSERT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.changes[0].uOldState, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(host.changes[0].uNewState, INDEXTOSTATEIMAGEMASK(2));
}

TEST_F(ListCtrlTest, CustomDrawColoursCellsAndHeaderClicksNeedButtons)
{
    const std::string path = uitest::OutputPath("platform_ui/list.png");
    ASSERT_TRUE(uitest::RenderToPng(list, path));
    QImage image(QString::fromStdString(path));
    CRect cell;
    ASSERT_TRUE(list->GetSubItemRect(1, 0, LVIR_LABEL, cell));
    EXPECT_EQ(image.pixelColor(cell.right - 3, cell.top + 2), QColor(0, 0, 255));
    ASSERT_TRUE(list->GetSubItemRect(0, 0, LVIR_LABEL, cell));
    EXPECT_NE(image.pixelColor(cell.right - 3, cell.top + 2), QColor(0, 0, 255));

    CWnd* header = list->GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    CRect h;
    header->GetClientRect(&h);
    uitest::ClickAt(header, CPoint(list->GetColumnWidth(0) + 10, h.Height() / 2));
    EXPECT_EQ(host.clickedColumn, 1);
    host.clickedColumn = -1;
    header->ModifyStyle(HDS_BUTTONS, 0);
    uitest::ClickAt(header, CPoint(10, h.Height() / 2));
    EXPECT_EQ(host.clickedColumn, -1);
}

// Grid lines run under each row and along each column's right edge, and only when asked for.
TEST_F(ListCtrlTest, GridLinesFollowTheExtendedStyle)
{
    const QColor grid = [] {
        const COLORREF c = GetSysColor(COLOR_3DFACE);
        return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
    }();
    struct Case {
        DWORD exStyle;
        bool lines;
        const char* file;
    } cases[] = {
        {LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, true, "platform_ui/list_grid.png"},
        {LVS_EX_FULLROWSELECT, false, "platform_ui/list_no_grid.png"},
    };
    CRect cell;
    ASSERT_TRUE(list->GetSubItemRect(2, 0, LVIR_BOUNDS, cell));
    cell.right = cell.left + list->GetColumnWidth(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        list->SetExtendedStyle(c.exStyle);
        uitest::ProcessEvents();
        const std::string path = uitest::OutputPath(c.file);
        ASSERT_TRUE(uitest::RenderToPng(list, path));
        QImage image(QString::fromStdString(path));
        // The rendering may sit a frame's width off the client coordinates: look near the edges.
        auto lineNear = [&](int x0, int x1, int y0, int y1) {
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    if (image.pixelColor(x, y) == grid) return true;
            return false;
        };
        const int midX = (cell.left + cell.right) / 2;
        const int midY = (cell.top + cell.bottom) / 2;
        EXPECT_EQ(lineNear(midX, midX, cell.top, cell.bottom + 3), c.lines) << "under the row";
        EXPECT_EQ(lineNear(cell.right - 3, cell.right + 3, midY, midY), c.lines) << "right of the column";
        // Inside a cell, away from the text, there is never a line.
        EXPECT_FALSE(lineNear(cell.right - 8, cell.right - 6, cell.top + 4, cell.top + 4));
    }
}

// The client area is what shows the header and rows: a window is sized from it, so columns that
// add up to its width must not bring a sideways scroll bar, and one pixel more must.
TEST_F(ListCtrlTest, ClientAreaLeavesOutTheBorderAndTheShownScrollBars)
{
    auto* view = qobject_cast<QAbstractScrollArea*>(uitest::WidgetOf(list));
    ASSERT_NE(view, nullptr);
    CRect window;
    list->GetWindowRect(&window);
    const auto client = [&] {
        CRect r;
        list->GetClientRect(&r);
        return r;
    };
    const CRect whole = client();
    EXPECT_EQ(whole.TopLeft(), CPoint(0, 0));
    EXPECT_LT(whole.Width(), window.Width()) << "the border is not client area";
    EXPECT_LT(whole.Height(), window.Height());

    list->SetColumnWidth(1, whole.Width() - list->GetColumnWidth(0));
    uitest::ProcessEvents();
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible()) << "columns as wide as the client area fit";
    EXPECT_EQ(client(), whole);

    list->SetColumnWidth(1, list->GetColumnWidth(1) + 1);
    uitest::ProcessEvents();
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(client().Width(), whole.Width());
    EXPECT_EQ(client().Height(), whole.Height() - view->horizontalScrollBar()->height());

    // Rows past the bottom bring the vertical bar, which the client area leaves out too.
    for (int i = 3; i < 30; ++i) list->InsertItem(i, "M");
    uitest::ProcessEvents();
    ASSERT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_EQ(client().Width(), whole.Width() - view->verticalScrollBar()->width());
}
