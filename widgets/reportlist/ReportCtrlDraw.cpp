// The report list's cell colours: through the platform's custom draw, or drawn whole by the list
// itself when it was created owner-drawn.

#include "widgets/reportlist/ReportCtrl.h"

#include "platform/gdi/DC.h"

namespace {

// The text keeps this far from a drawn cell's left and right edges.
constexpr int kTextInset = 4;

}  // namespace

void CReportCtrl::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    *result = CDRF_DODEFAULT;
    if (cd == nullptr) return;
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT: *result = CDRF_NOTIFYSUBITEMDRAW; return;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(cd->nmcd.dwItemSpec);
        cd->clrText = GetItemTextColor(row, cd->iSubItem);
        cd->clrTextBk = GetItemBkColor(row, cd->iSubItem);
        return;
    }
    default: return;
    }
}

void CReportCtrl::DrawItem(LPDRAWITEMSTRUCT drawItem)
{
    if (drawItem == nullptr) return;
    CDC* dc = CDC::FromHandle(drawItem->hDC);
    CHeaderCtrl* header = GetHeaderCtrl();
    const int row = static_cast<int>(drawItem->itemID);
    if (dc == nullptr || header == nullptr || !ValidRow(row)) return;
    const bool selected = (drawItem->itemState & ODS_SELECTED) != 0;
    const int scroll = GetScrollPos(SB_HORZ);
    const int saved = dc->SaveDC();
    dc->SetBkMode(TRANSPARENT);
    for (int column = 0; column < header->GetItemCount(); ++column) {
        CRect cell;
        if (!header->GetItemRect(column, &cell)) continue;
        cell.left -= scroll;
        cell.right -= scroll;
        cell.top = drawItem->rcItem.top;
        cell.bottom = drawItem->rcItem.bottom;
        const COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : GetItemBkColor(row, column);
        const COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetItemTextColor(row, column);
        CPen pen(PS_SOLID, 1, back);
        CBrush brush(back);
        CPen* oldPen = dc->SelectObject(&pen);
        CBrush* oldBrush = dc->SelectObject(&brush);
        dc->Rectangle(&cell);
        dc->SelectObject(oldPen);
        dc->SelectObject(oldBrush);
        CRect label = cell;
        label.DeflateRect(kTextInset, 0);
        dc->SetTextColor(text);
        dc->DrawText(GetItemText(row, column).c_str(), &label, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
    dc->RestoreDC(saved);
}
