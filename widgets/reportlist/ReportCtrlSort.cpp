// The report list's sort by a column's texts.

#include "widgets/reportlist/ReportCtrl.h"
#include "widgets/reportlist/ReportSort.h"

#include <string>

void CReportCtrl::OnColumnClick(NMHDR* header, LRESULT* result)
{
    const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    if (nm == nullptr) return;
    const int column = nm->iSubItem;
    SortItems(column, !(column == sortColumn_ && sortAscending_));
}

BOOL CReportCtrl::SortItems(int column, bool ascending)
{
    EndEdit(true);
    if (!ValidColumn(column) || !CanSortByHeader()) return FALSE;
    sortColumn_ = column;
    sortAscending_ = ascending;
    SortRange(0, GetItemCount() - 1, column, ascending);
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_REPORTCTRL_SORTED, static_cast<WPARAM>(column), ascending ? 1 : 0);
    return TRUE;
}

namespace {

// Everything a row shows and holds, taken out before the rows are written back in order.
struct CapturedRow {
    int states = 0;
    DWORD_PTR data = 0;
    std::vector<int> images;
    std::vector<CString> texts;
};

}  // namespace

void CReportCtrl::SortRange(int first, int last, int column, bool ascending)
{
    if (first < 0 || last >= GetItemCount() || first >= last) return;
    std::vector<std::string> keys;
    std::vector<int> order;
    for (int row = first; row <= last; ++row) {
        keys.push_back(GetItemText(row, column));
        order.push_back(row - first);
    }
    reportsort::QuickSort(
        order, [&keys](int a, int b) { return reportsort::CompareTexts(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]); },
        ascending);

    const int columns = GetColumnCount();
    std::vector<CapturedRow> captured;
    for (int index : order) {
        const int row = first + index;
        CapturedRow c;
        c.states = GetItemStates(row);
        c.data = CListCtrl::GetItemData(row);
        for (int col = 0; col < columns; ++col) {
            LVITEM item;
            item.mask = LVIF_IMAGE;
            item.iItem = row;
            item.iSubItem = col;
            c.images.push_back(GetItem(&item) ? item.iImage : -1);
            c.texts.push_back(GetItemText(row, col));
        }
        captured.push_back(std::move(c));
    }
    for (std::size_t i = 0; i < captured.size(); ++i) {
        const int row = first + static_cast<int>(i);
        const CapturedRow& c = captured[i];
        SetItemStates(row, c.states);
        CListCtrl::SetItemData(row, c.data);
        for (int col = 0; col < columns; ++col) {
            LVITEM item;
            item.mask = LVIF_IMAGE | LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = col;
            item.iImage = c.images[static_cast<std::size_t>(col)];
            item.pszText = const_cast<char*>(c.texts[static_cast<std::size_t>(col)].c_str());
            SetItem(&item);
        }
    }
}
