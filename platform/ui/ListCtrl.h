#pragma once
// The list control in report view (columns, rows of cells, check boxes) and its header.
//
// User actions notify the parent: NM_CLICK / NM_DBLCLK / NM_RCLICK (NMITEMACTIVATE with the row
// and column under the mouse), LVN_ITEMCHANGED when the user changes a row's check box or
// selection, LVN_COLUMNCLICK on a header click while the header has HDS_BUTTONS. Changes made
// from code notify nobody. Every cell is painted after NM_CUSTOMDRAW: CDDS_PREPAINT and
// CDDS_ITEMPREPAINT ask whether to go on (CDRF_NOTIFYITEMDRAW / CDRF_NOTIFYSUBITEMDRAW), then
// CDDS_ITEMPREPAINT | CDDS_SUBITEM lets the handler set clrText and clrTextBk of the cell.
// Selected rows keep the highlight.
//
// Check boxes toggle as on Windows: at the press (and the double click) of the left button on a
// row's box, and with Space on the focused row. A list with LVS_OWNERDRAWFIXED draws nothing of
// its rows itself: each row goes to WM_DRAWITEM (see DRAWITEMSTRUCT), in the list's client
// coordinates. Cells show images of the small image list: column 0 always, the other columns
// with LVS_EX_SUBITEMIMAGES.

#include "platform/ui/Controls.h"
#include "platform/ui/ImageList.h"

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const;
    BOOL GetItem(int index, HDITEM* item) const;
    BOOL SetItem(int index, HDITEM* item);
    // The item's rectangle in the header's coordinates: unscrolled, so a list scrolled
    // sideways by s pixels shows the item at left - s.
    BOOL GetItemRect(int index, LPRECT rect) const;
};

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);
    CHeaderCtrl* GetHeaderCtrl() const;

    int InsertItem(int item, const char* text);
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL SetItemText(int item, int subItem, const char* text);
    CString GetItemText(int item, int subItem) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;

    // -1 without check boxes (no state image), else 0 or 1.
    BOOL GetCheck(int item) const;
    BOOL SetCheck(int item, BOOL check = TRUE);
    // LVIS_SELECTED, LVIS_FOCUSED and the state image (INDEXTOSTATEIMAGEMASK(1) unchecked,
    // (2) checked) under the mask.
    UINT GetItemState(int item, UINT mask) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    int GetNextItem(int start, UINT flags) const;
    int GetSelectionMark() const;

    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD exStyle);

    // Point in client coordinates; fills row and column; the row, or -1.
    int SubItemHitTest(LVHITTESTINFO* info) const;
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    BOOL GetSubItemRect(int item, int subItem, int area, CRect& rect) const;
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
    BOOL EnsureVisible(int item, BOOL partialOk);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    int GetStringWidth(const char* text) const;

    // LVIF_TEXT, LVIF_IMAGE (any cell), LVIF_PARAM and LVIF_STATE (the row, iSubItem 0).
    BOOL GetItem(LVITEM* item) const;
    BOOL SetItem(const LVITEM* item);
    // LVSIL_SMALL only; the previous list.
    CImageList* SetImageList(CImageList* list, int kind);
    CImageList* GetImageList(int kind) const;
    // SB_HORZ: how far the rows are scrolled sideways, in pixels; SB_VERT: the top row.
    int GetScrollPos(int bar) const;

    // Owner draw: one call per visible row. The default draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
