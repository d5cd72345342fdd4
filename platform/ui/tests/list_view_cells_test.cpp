// The list view's check boxes under the mouse and Space, cell images, header item rectangles,
// sideways scrolling and owner draw.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <set>

namespace {

class DrawnList : public CListCtrl {
public:
    std::vector<UINT> drawn;
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        drawn.push_back(dis->itemID);
        CDC* dc = CDC::FromHandle(dis->hDC);
        ASSERT_NE(dc, nullptr);
        dc->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) != 0 ? RGB(0, 0, 200) : RGB(0, 200, 0));
    }
};

class Host : public CDialog {
public:
    std::vector<NMLISTVIEW> changes;
    bool drawsItself = false;
    int drawItemCalls = 0;
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override
    {
        auto* h = reinterpret_cast<NMHDR*>(l);
        if (h->code == LVN_ITEMCHANGED) changes.push_back(*reinterpret_cast<NMLISTVIEW*>(l));
        return CDialog::OnNotify(w, l, result);
    }
    BOOL OnWndMsg(UINT message, WPARAM w, LPARAM l, LRESULT* result) override
    {
        if (message == WM_DRAWITEM && drawsItself) {
            ++drawItemCalls;
            *result = TRUE;
            return TRUE;
        }
        return CDialog::OnWndMsg(message, w, l, result);
    }
};

DialogTemplate ListTemplate(DWORD style)
{
    DialogTemplate t;
    t.id = 9710;
    t.rect = CRect(0, 0, 160, 90);
    t.items = {{"SysListView32", 1108, "", WS_VISIBLE | WS_BORDER | LVS_REPORT | style, 0, CRect(5, 5, 155, 85)}};
    return t;
}

HICON SolidIcon(QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return gdi::CreateIconFromImage(image);
}

}  // namespace

TEST(ListViewCells, BoxesToggleAtThePressAndWithSpace)
{
    uitest::EnsureApplication();
    Host host;
    ASSERT_TRUE(host.CreateIndirect(ListTemplate(0)));
    host.ShowWindow(SW_SHOW);
    auto* list = static_cast<CListCtrl*>(host.GetDlgItem(1108));
    list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    list->InsertColumn(0, "Линия", LVCFMT_LEFT, 100);
    list->InsertItem(0, "A0");
    list->InsertItem(1, "A1");
    uitest::ProcessEvents();
    CRect row;
    list->GetSubItemRect(1, 0, LVIR_BOUNDS, row);
    const CPoint box(row.left + 9, row.CenterPoint().y);

    uitest::MouseDown(list, box);
    EXPECT_EQ(list->GetCheck(1), 1) << "toggled at the press, as the parent's button-down handler expects";
    uitest::MouseUp(list, box);
    EXPECT_EQ(list->GetCheck(1), 1) << "the release does not toggle again";
    const auto toggled = std::find_if(host.changes.begin(), host.changes.end(), [](const NMLISTVIEW& nm) { return nm.uNewState == INDEXTOSTATEIMAGEMASK(2); });
    ASSERT_NE(toggled, host.changes.end());
    EXPECT_EQ(toggled->iItem, 1);

    uitest::RightClickAt(list, box);
    EXPECT_EQ(list->GetCheck(1), 1) << "only the left button toggles";

    list->SetFocus();
    host.changes.clear();
    uitest::Key(list, VK_SPACE);
    EXPECT_EQ(list->GetCheck(1), 0) << "Space toggles the focused row";
    ASSERT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.changes[0].iItem, 1);
    host.DestroyWindow();
}

TEST(ListViewCells, ImagesHeaderRectanglesAndItems)
{
    uitest::EnsureApplication();
    Host host;
    ASSERT_TRUE(host.CreateIndirect(ListTemplate(0)));
    host.ShowWindow(SW_SHOW);
    auto* list = static_cast<CListCtrl*>(host.GetDlgItem(1108));
    list->InsertColumn(0, "Линия", LVCFMT_LEFT, 90);
    list->InsertColumn(1, "Имя", LVCFMT_LEFT, 90);
    list->InsertItem(0, "A0");
    list->SetItemText(0, 1, "Такт");

    auto images = std::make_unique<CImageList>();
    ASSERT_TRUE(images->Create(16, 16, ILC_COLOR32, 2, 2));
    const HICON red = SolidIcon(QColor(255, 0, 0));
    EXPECT_EQ(images->Add(red), 0);
    DestroyIcon(red);
    EXPECT_EQ(images->GetImageCount(), 1);
    EXPECT_EQ(list->SetImageList(images.get(), LVSIL_SMALL), nullptr);
    EXPECT_EQ(list->GetImageList(LVSIL_SMALL), images.get());

    CRect plain;
    list->GetSubItemRect(0, 0, LVIR_LABEL, plain);
    for (int column : {0, 1}) {
        LVITEM item;
        item.mask = LVIF_IMAGE;
        item.iItem = 0;
        item.iSubItem = column;
        item.iImage = 0;
        EXPECT_TRUE(list->SetItem(&item));
    }
    CRect label;
    list->GetSubItemRect(0, 0, LVIR_LABEL, label);
    EXPECT_EQ(label.left, plain.left + 16) << "the label starts beside the image";

    LVITEM read;
    char text[5];
    read.mask = LVIF_IMAGE | LVIF_TEXT;
    read.iItem = 0;
    read.iSubItem = 1;
    read.pszText = text;
    read.cchTextMax = sizeof text;
    ASSERT_TRUE(list->GetItem(&read));
    EXPECT_EQ(read.iImage, 0);
    EXPECT_STREQ(text, "Та") << "cut on a character boundary";
    read.iSubItem = 2;
    EXPECT_FALSE(list->GetItem(&read));

    // The header's items, unscrolled, in the header's coordinates.
    CRect first;
    CRect second;
    ASSERT_TRUE(list->GetHeaderCtrl()->GetItemRect(0, &first));
    ASSERT_TRUE(list->GetHeaderCtrl()->GetItemRect(1, &second));
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(second.left, 90);
    EXPECT_EQ(second.Width(), 90);
    EXPECT_FALSE(list->GetHeaderCtrl()->GetItemRect(2, &second));

    // Column 0 shows its image always, the others only with sub-item images.
    uitest::ProcessEvents();
    auto imagePixel = [&](int column) {
        const std::string path = uitest::OutputPath("platform_ui/list_images.png");
        EXPECT_TRUE(uitest::RenderToPng(list, path));
        const QImage shot(QString::fromStdString(path));
        CRect cell;
        list->GetSubItemRect(0, column, LVIR_BOUNDS, cell);
        if (column == 1) list->GetSubItemRect(0, 1, LVIR_LABEL, cell);
        int reds = 0;
        for (int x = cell.left; x < cell.left + 30; ++x)
            if (shot.pixelColor(x, cell.CenterPoint().y) == QColor(255, 0, 0)) ++reds;
        return reds;
    };
    EXPECT_GT(imagePixel(0), 8);
    EXPECT_EQ(imagePixel(1), 0);
    list->SetExtendedStyle(LVS_EX_SUBITEMIMAGES);
    EXPECT_GT(imagePixel(1), 8);

    // A destroyed image list leaves the cells bare instead of dangling.
    images.reset();
    EXPECT_EQ(list->GetImageList(LVSIL_SMALL), nullptr);
    EXPECT_EQ(imagePixel(0), 0);
    host.DestroyWindow();
}

TEST(ListViewCells, OwnerDrawnRowsGoToTheParentFirstThenToTheList)
{
    uitest::EnsureApplication();
    Host host;
    ASSERT_TRUE(host.CreateIndirect(ListTemplate(LVS_OWNERDRAWFIXED)));
    host.ShowWindow(SW_SHOW);
    DrawnList list;
    ASSERT_TRUE(list.SubclassDlgItem(1108, &host));
    list.InsertColumn(0, "Линия", LVCFMT_LEFT, 90);
    list.InsertColumn(1, "Имя", LVCFMT_LEFT, 200);
    for (int i = 0; i < 3; ++i) list.InsertItem(i, "x");
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    uitest::ProcessEvents();

    const std::string path = uitest::OutputPath("platform_ui/list_owner_draw.png");
    ASSERT_TRUE(uitest::RenderToPng(&list, path));
    EXPECT_EQ(std::set<UINT>(list.drawn.begin(), list.drawn.end()), (std::set<UINT>{0, 1, 2}));
    const QImage shot(QString::fromStdString(path));
    CRect row;
    list.GetSubItemRect(1, 0, LVIR_BOUNDS, row);
    EXPECT_EQ(shot.pixelColor(row.left + 5, row.CenterPoint().y), QColor(0, 0, 200));
    list.GetSubItemRect(2, 0, LVIR_BOUNDS, row);
    EXPECT_EQ(shot.pixelColor(row.left + 5, row.CenterPoint().y), QColor(0, 200, 0));

    // Scrolled sideways by the user (a click on the bar, below the client area), the rows
    // start left of the client area.
    CRect window;
    list.GetWindowRect(&window);
    uitest::ClickAt(&list, CPoint(window.Width() - 30, window.Height() - 5));
    EXPECT_GT(list.GetScrollPos(SB_HORZ), 0);

    list.drawn.clear();
    host.drawsItself = true;
    ASSERT_TRUE(uitest::RenderToPng(&list, path));
    EXPECT_TRUE(list.drawn.empty()) << "a parent that draws the rows keeps them";
    EXPECT_GE(host.drawItemCalls, 3);
    host.DestroyWindow();
}
