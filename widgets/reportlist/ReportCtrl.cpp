// The report list: creation, columns, rows, their data and colours, check states.

#include "widgets/reportlist/ReportCtrl.h"

#include <algorithm>

namespace {

// Bits every report list loses and gains, whatever it was created with: no LVS_NOSCROLL, no
// label editing, not the small-icon view; a visible child with scroll bars in report view.
constexpr DWORD kStyleRemoved = 0x2202;
constexpr DWORD kStyleAdded = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | LVS_REPORT;
constexpr DWORD kExStyle = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
constexpr DWORD kExStyleChecks = kExStyle | LVS_EX_CHECKBOXES;
// Room beside a text in a column, as the callers' column widths have it.
constexpr int kAutoSizeMargin = 15;
constexpr int kFitMargin = 10;
constexpr int kAutoSizeCheckRoom = 10;
constexpr int kFitCheckRoom = 20;
// The middle button's double click (WM_MBUTTONDBLCLK).
constexpr UINT kMiddleDoubleClick = 0x0209;

}  // namespace

BEGIN_MESSAGE_MAP(CReportCtrl, CListCtrl)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_LBUTTONDOWN, &CReportCtrl::OnButtonDown)
    ON_MESSAGE(WM_LBUTTONDBLCLK, &CReportCtrl::OnButtonDown)
    ON_MESSAGE(WM_RBUTTONDOWN, &CReportCtrl::OnButtonDown)
    ON_MESSAGE(WM_RBUTTONDBLCLK, &CReportCtrl::OnButtonDown)
    ON_MESSAGE(WM_MBUTTONDOWN, &CReportCtrl::OnButtonDown)
    ON_MESSAGE(kMiddleDoubleClick, &CReportCtrl::OnButtonDown)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CReportCtrl::OnCustomDraw)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, &CReportCtrl::OnColumnClick)
    ON_MESSAGE(CReportCtrl::kFreeRetiredEditors, &CReportCtrl::OnFreeRetiredEditors)
END_MESSAGE_MAP()

CReportCtrl::CReportCtrl() : editor_(std::make_unique<CEditReportItem>()) {}

CReportCtrl::~CReportCtrl() = default;

// ---- creation ----

void CReportCtrl::ApplyForcedStyle() { ModifyStyle(kStyleRemoved, kStyleAdded); }

BOOL CReportCtrl::Create(CWnd* parent, UINT id, LPCRECT rect, DWORD style)
{
    if (parent == nullptr || m_hWnd != nullptr) return FALSE;
    CRect area;
    if (rect != nullptr) area = *rect;
    else parent->GetClientRect(&area);
    return CListCtrl::Create((style & ~kStyleRemoved) | kStyleAdded, area, parent, id);
}

void CReportCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    ApplyForcedStyle();
    SetExtendedStyle(kExStyle);
}

int CReportCtrl::OnCreate(LPCREATESTRUCT cs)
{
    if (CListCtrl::OnCreate(cs) == -1) return -1;
    ApplyForcedStyle();
    SetExtendedStyle(GetExtendedStyle() | kExStyle);
    return 0;
}

void CReportCtrl::OnDestroy()
{
    EndEdit(false);
    DeleteAllItems();
    if (editor_ != nullptr) editor_->DestroyWindow();
    FreeRetiredEditors();
    CListCtrl::OnDestroy();
}

void CReportCtrl::FitToParent()
{
    CWnd* parent = GetParent();
    if (parent == nullptr) return;
    CRect client;
    parent->GetClientRect(&client);
    MoveWindow(&client, TRUE);
}

BOOL CReportCtrl::DisableSorting()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if ((GetStyle() & LVS_NOCOLUMNHEADER) != 0 || header == nullptr) return FALSE;
    header->ModifyStyle(HDS_BUTTONS, 0);
    ResetSort();
    header->RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    return TRUE;
}

BOOL CReportCtrl::CanSortByHeader() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if ((GetStyle() & LVS_NOCOLUMNHEADER) != 0 || header == nullptr) return FALSE;
    return (header->GetStyle() & HDS_BUTTONS) != 0;
}

void CReportCtrl::SetCheckMode(int mode)
{
    if (mode < None || mode > Disabled) return;
    checkMode_ = mode;
    EndEdit(true);
    KeepSingleCheck(-1);
    // Mode None shows no boxes; a list that already shows them keeps them.
    SetExtendedStyle(GetExtendedStyle() | (mode == None ? kExStyle : kExStyleChecks));
}

void CReportCtrl::ResetSort()
{
    sortColumn_ = -1;
    sortAscending_ = true;
}

// ---- columns ----

int CReportCtrl::InsertColumn(int index, const char* title, int format, int width)
{
    EndEdit(true);
    const int column = CListCtrl::InsertColumn(index, title, format, width);
    if (column >= 0) InsertColumnColors(column);
    return column;
}

void CReportCtrl::InsertColumnColors(int column)
{
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    for (int row = 0; row < GetItemCount(); ++row) {
        ReportRowData* data = RowData(row);
        if (data == nullptr) continue;
        const int at = std::min<int>(column, static_cast<int>(data->textColors.size()));
        data->InsertColumn(at, text, back);
    }
}

int CReportCtrl::GetColumnCount() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    return header != nullptr ? std::max(0, header->GetItemCount()) : 0;
}

CString CReportCtrl::GetHeaderText(int column) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header == nullptr || (GetStyle() & LVS_NOCOLUMNHEADER) != 0) return CString();
    char text[256] = {};
    HDITEM item;
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!header->GetItem(column, &item)) return CString();
    return CString(text);
}

void CReportCtrl::SetColumnReadOnly(int column)
{
    if (!IsColumnReadOnly(column)) readOnlyColumns_.push_back(column);
}

bool CReportCtrl::IsColumnReadOnly(int column) const
{
    return std::find(readOnlyColumns_.begin(), readOnlyColumns_.end(), column) != readOnlyColumns_.end();
}

void CReportCtrl::AutoSizeColumn(int column)
{
    if (!ValidColumn(column)) return;
    int width = GetStringWidth(GetHeaderText(column).c_str()) + kAutoSizeMargin;
    for (int row = 0; row < GetItemCount(); ++row)
        width = std::max(width, GetStringWidth(GetItemText(row, column).c_str()) + kAutoSizeMargin);
    if (column == 0 && checkMode_ != None) width += kAutoSizeCheckRoom;
    SetColumnWidth(column, width);
}

void CReportCtrl::FitColumnToText(int column, const char* text)
{
    if (!ValidColumn(column)) return;
    int width = std::max(GetStringWidth(GetHeaderText(column).c_str()) + kFitMargin,
                         GetStringWidth(text != nullptr ? text : "") + kFitMargin);
    if (column == 0 && checkMode_ != None) width += kFitCheckRoom;
    SetColumnWidth(column, width);
}

void CReportCtrl::StretchColumnToClient(int column)
{
    if (!ValidColumn(column)) return;
    CRect client;
    GetClientRect(&client);
    int others = 0;
    for (int c = 0; c < GetColumnCount(); ++c)
        if (c != column) others += GetColumnWidth(c);
    SetColumnWidth(column, std::max(0, client.Width() - others));
}

// ---- rows ----

ReportRowData* CReportCtrl::RowData(int row) const
{
    if (!ValidRow(row)) return nullptr;
    const auto* data = reinterpret_cast<const ReportRowData*>(CListCtrl::GetItemData(row));
    const auto it = rows_.find(data);
    return it != rows_.end() ? it->second.get() : nullptr;
}

void CReportCtrl::InitRowData(int row)
{
    auto data = std::make_unique<ReportRowData>();
    const int columns = GetColumnCount();
    data->textColors.assign(static_cast<std::size_t>(columns), GetSysColor(COLOR_WINDOWTEXT));
    data->backColors.assign(static_cast<std::size_t>(columns), GetSysColor(COLOR_WINDOW));
    ReportRowData* raw = data.get();
    rows_.emplace(raw, std::move(data));
    CListCtrl::SetItemData(row, reinterpret_cast<DWORD_PTR>(raw));
}

void CReportCtrl::FreeRowData(int row)
{
    ReportRowData* data = RowData(row);
    CListCtrl::SetItemData(row, 0);
    if (data != nullptr) rows_.erase(data);
}

int CReportCtrl::InsertItem(int index, const char* text)
{
    EndEdit(true);
    ResetSort();
    const int row = CListCtrl::InsertItem(index, text);
    if (row >= 0) InitRowData(row);
    return row;
}

BOOL CReportCtrl::DeleteItem(int row)
{
    if (!ValidRow(row)) return FALSE;
    EndEdit(true);
    if (!ValidRow(row)) return FALSE;  // the parent's answer to the edit may have changed the rows
    FreeRowData(row);
    return CListCtrl::DeleteItem(row);
}

int CReportCtrl::DeleteAllItems()
{
    EndEdit(false);
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) FreeRowData(row);
    rows_.clear();  // rows deleted behind our back leave nothing behind either
    CListCtrl::DeleteAllItems();
    return count;
}

BOOL CReportCtrl::SetItemText(int row, int column, const char* text)
{
    EndEdit(true);
    ResetSort();
    return CListCtrl::SetItemText(row, column, text);
}

BOOL CReportCtrl::SetItemData(int row, DWORD_PTR value)
{
    ReportRowData* data = RowData(row);
    if (data == nullptr) return FALSE;
    data->userData = value;
    return TRUE;
}

DWORD_PTR CReportCtrl::GetItemData(int row) const
{
    const ReportRowData* data = RowData(row);
    return data != nullptr ? data->userData : 0;
}

BOOL CReportCtrl::SetCheck(int row, BOOL checked)
{
    const BOOL done = CListCtrl::SetCheck(row, checked);
    if (done && checked) KeepSingleCheck(row);
    return done;
}

// ---- states ----

int CReportCtrl::GetItemStates(int row) const
{
    if (!ValidRow(row)) return 0;
    const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
    int bits = (state & LVIS_SELECTED) != 0 ? Selected : Unselected;
    bits |= GetCheck(row) > 0 ? Checked : Unchecked;
    bits |= (state & LVIS_FOCUSED) != 0 ? Focused : Unfocused;
    return bits;
}

BOOL CReportCtrl::SetItemStates(int row, int bits)
{
    const BOOL ok = ApplyStates(row, bits);
    if (ok && (bits & Checked) != 0) KeepSingleCheck(row);
    return ok;
}

BOOL CReportCtrl::ApplyStates(int row, int bits)
{
    if (!ValidRow(row)) return FALSE;
    bool ok = true;
    if ((bits & Selected) != 0) ok = CListCtrl::SetItemState(row, LVIS_SELECTED, LVIS_SELECTED) && ok;
    if ((bits & Unselected) != 0) ok = CListCtrl::SetItemState(row, 0, LVIS_SELECTED) && ok;
    if ((bits & Checked) != 0) ok = CListCtrl::SetCheck(row, TRUE) && ok;
    if ((bits & Unchecked) != 0) ok = CListCtrl::SetCheck(row, FALSE) && ok;
    if ((bits & Focused) != 0) ok = CListCtrl::SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED) && ok;
    if ((bits & Unfocused) != 0) ok = CListCtrl::SetItemState(row, 0, LVIS_FOCUSED) && ok;
    return ok ? TRUE : FALSE;
}

int CReportCtrl::ApplyStatesToRows(int mask, int bits)
{
    if (mask == 0) return 0;
    int changed = 0;
    for (int row = 0; row < GetItemCount(); ++row) {
        if ((mask & Any) == 0 && (GetItemStates(row) & mask) != mask) continue;
        if (ApplyStates(row, bits)) ++changed;
    }
    // Checking many rows in Single mode leaves the first of them.
    if ((bits & Checked) != 0 && checkMode_ == Single) KeepSingleCheck(-1);
    return changed;
}

int CReportCtrl::FindFirstChecked() const
{
    for (int row = 0; row < GetItemCount(); ++row)
        if (GetCheck(row) > 0) return row;
    return -1;
}

void CReportCtrl::KeepSingleCheck(int row)
{
    if (checkMode_ != Single) return;
    const int keep = row < 0 ? FindFirstChecked() : row;
    if (!ValidRow(keep)) return;
    // Every other row, before and after: one checked row is what this mode promises.
    for (int other = 0; other < GetItemCount(); ++other)
        if (other != keep && GetCheck(other) > 0) CListCtrl::SetCheck(other, FALSE);
}

// ---- colours ----

void CReportCtrl::SetItemTextColor(int column, int row, COLORREF color)
{
    for (int r = 0; r < GetItemCount(); ++r) {
        if (ValidRow(row) && r != row) continue;
        ReportRowData* data = RowData(r);
        if (data == nullptr) continue;
        for (int c = 0; c < GetColumnCount(); ++c)
            if ((!ValidColumn(column) || c == column) && data->HasColumn(c)) data->SetTextColor(c, color);
    }
    RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CReportCtrl::SetItemBkColor(int row, int column, COLORREF color)
{
    for (int r = 0; r < GetItemCount(); ++r) {
        if (ValidRow(row) && r != row) continue;
        ReportRowData* data = RowData(r);
        if (data == nullptr) continue;
        for (int c = 0; c < GetColumnCount(); ++c)
            if ((!ValidColumn(column) || c == column) && data->HasColumn(c)) data->SetBackColor(c, color);
    }
    RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

COLORREF CReportCtrl::GetItemTextColor(int row, int column) const
{
    const ReportRowData* data = RowData(row);
    return data != nullptr && data->HasColumn(column) ? data->TextColor(column) : GetSysColor(COLOR_WINDOWTEXT);
}

COLORREF CReportCtrl::GetItemBkColor(int row, int column) const
{
    const ReportRowData* data = RowData(row);
    return data != nullptr && data->HasColumn(column) ? data->BackColor(column) : GetSysColor(COLOR_WINDOW);
}
