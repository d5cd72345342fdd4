// The report list's in-place editing, and the mouse clicks and keys that drive it.

#include "widgets/reportlist/ReportCtrl.h"

namespace {

// The editor window: single line, bordered, scrolling sideways, keeping its selection shown.
constexpr DWORD kEditorStyle = WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL;
// For a column other than the first whose cell shows an image, the editor starts beside it.
constexpr int kCellImageWidth = 16;

}  // namespace

bool CReportCtrl::IsEditing() const
{
    return editor_ != nullptr && ValidRow(editRow_) && ValidColumn(editColumn_);
}

// The replaced editor may be the very object whose handler asked for the replacement (its end
// of edit, its text change, the parent's answer to the edit message): it is only hidden here and
// retired, and destroyed once control is back in the message loop.
void CReportCtrl::SetEditor(std::unique_ptr<CEditReportItem> editor)
{
    EndEdit(true);
    if (editor_ != nullptr) {
        if (editor_->m_hWnd != nullptr) editor_->ShowWindow(SW_HIDE);
        retired_.push_back(std::move(editor_));
        // Without a window of the list no editor can be at work.
        if (m_hWnd == nullptr || !PostMessage(kFreeRetiredEditors)) FreeRetiredEditors();
    }
    editor_ = std::move(editor);
}

LRESULT CReportCtrl::OnFreeRetiredEditors(WPARAM, LPARAM)
{
    FreeRetiredEditors();
    return 0;
}

void CReportCtrl::FreeRetiredEditors()
{
    // Taken out first: a destroyed editor's window may still send its last notifications.
    std::vector<std::unique_ptr<CEditReportItem>> retired;
    retired.swap(retired_);
    for (auto& editor : retired)
        if (editor->m_hWnd != nullptr) editor->DestroyWindow();
}

BOOL CReportCtrl::BeginEdit(int row, int column)
{
    if (!editEnabled_ || editor_ == nullptr || !ValidRow(row) || !ValidColumn(column) || IsColumnReadOnly(column))
        return FALSE;
    if (IsEditing() && editRow_ == row && editColumn_ == column) return TRUE;
    EndEdit(true);
    if (!ValidRow(row) || !ValidColumn(column) || editor_ == nullptr) return FALSE;
    editRow_ = row;
    editColumn_ = column;

    for (int other = GetNextItem(-1, LVNI_SELECTED); other >= 0; other = GetNextItem(other, LVNI_SELECTED))
        CListCtrl::SetItemState(other, 0, LVIS_SELECTED);
    CListCtrl::SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    DWORD alignment = ES_LEFT;
    if (CHeaderCtrl* header = GetHeaderCtrl()) {
        HDITEM item;
        item.mask = HDI_FORMAT;
        if (header->GetItem(column, &item)) alignment = (item.fmt & HDF_CENTER) != 0 ? ES_CENTER : (item.fmt & HDF_RIGHT) != 0 ? ES_RIGHT : ES_LEFT;
    }
    if (alignment != editorAlignment_) {
        editorAlignment_ = alignment;
        if (editor_->m_hWnd != nullptr) editor_->DestroyWindow();
    }
    if (editor_->m_hWnd == nullptr && !editor_->Create(alignment | kEditorStyle, CRect(0, 0, 1, 1), this, 0)) {
        editRow_ = editColumn_ = -1;
        return FALSE;
    }

    editor_->SetFont(GetFont());
    CRect cell;
    GetSubItemRect(row, column, LVIR_LABEL, cell);
    if (column != 0 && (GetExtendedStyle() & LVS_EX_SUBITEMIMAGES) != 0) {
        LVITEM item;
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iSubItem = column;
        const CImageList* images = GetImageList(LVSIL_SMALL);
        if (images != nullptr && GetItem(&item) && item.iImage >= 0 && item.iImage < images->GetImageCount())
            cell.left += kCellImageWidth;
    }
    editor_->MoveWindow(&cell);
    editor_->SetWindowText(GetItemText(row, column).c_str());
    editor_->ShowWindow(SW_SHOW);
    editor_->SetSel(0, -1);
    editor_->SendMessage(EM_SCROLLCARET);
    editor_->SetFocus();
    editor_->row_ = row;
    editor_->column_ = column;
    editor_->editing_ = true;
    editor_->OnBeginEdit();
    return TRUE;
}

BOOL CReportCtrl::EndEdit(bool commit)
{
    if (!IsEditing()) {
        editRow_ = editColumn_ = -1;
        return FALSE;
    }
    const int row = editRow_;
    const int column = editColumn_;
    CEditReportItem* editor = editor_.get();
    // The edit is over before anybody hears of it: a parent that changes the list in answer to
    // the message finds no edit left to end again.
    editRow_ = editColumn_ = -1;
    editor->editing_ = false;
    editor->OnEndEdit(commit);
    CString text;
    if (editor->m_hWnd != nullptr) {
        editor->GetWindowText(text);
        const bool hadFocus = CWnd::GetFocus() == editor;
        editor->ShowWindow(SW_HIDE);
        if (hadFocus) SetFocus();
    }
    editor->row_ = editor->column_ = -1;
    if (!commit || !ValidRow(row) || !ValidColumn(column) || text == GetItemText(row, column)) return FALSE;
    CListCtrl::SetItemText(row, column, text.c_str());
    ResetSort();
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_REPORTCTRL_EDITED, static_cast<WPARAM>(row), static_cast<LPARAM>(column));
    return TRUE;
}

// ---- mouse ----

LRESULT CReportCtrl::OnButtonDown(WPARAM, LPARAM point)
{
    const MSG* current = GetCurrentMessage();
    const UINT message = current != nullptr ? current->message : WM_LBUTTONDOWN;
    const HWND self = m_hWnd;
    LVHITTESTINFO hit;
    hit.pt = CPoint(GET_X_LPARAM(point), GET_Y_LPARAM(point));
    const int row = SubItemHitTest(&hit);
    const int column = hit.iSubItem;
    const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    const bool wasChecked = row >= 0 && GetCheck(row) > 0;
    const bool wasEditing = IsEditing();
    const bool wasCurrent = left && row >= 0 && GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED) == (LVIS_SELECTED | LVIS_FOCUSED);

    EndEdit(true);
    if (!::IsWindow(self)) return 0;
    Default();  // where the platform list toggles a check box under the pointer
    if (!::IsWindow(self)) return 0;
    const bool isChecked = row >= 0 && GetCheck(row) > 0;
    const int changed = OnCheckChanged(row, wasChecked, isChecked, message);
    if (!::IsWindow(self)) return 0;
    if (left && editEnabled_ && changed == 0 && !wasEditing && wasCurrent) BeginEdit(row, column);
    return 0;
}

int CReportCtrl::OnCheckChanged(int row, bool wasChecked, bool isChecked, UINT message)
{
    if (!ValidRow(row) || checkMode_ == None || wasChecked == isChecked) return 0;
    if (checkMode_ == Disabled) {
        CListCtrl::SetCheck(row, wasChecked ? TRUE : FALSE);
        return 1;
    }
    if (checkMode_ == Single && isChecked) {
        ApplyStatesToRows(Checked, Unchecked);
        CListCtrl::SetCheck(row, TRUE);
        KeepSingleCheck(row);
    }
    for (int other = GetNextItem(-1, LVNI_SELECTED); other >= 0; other = GetNextItem(other, LVNI_SELECTED))
        CListCtrl::SetItemState(other, 0, LVIS_SELECTED);
    CListCtrl::SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_REPORTCTRL_SELECT, static_cast<WPARAM>(row), static_cast<LPARAM>(message));
    return 1;
}

// ---- keys ----

BOOL CReportCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN) return CListCtrl::PreTranslateMessage(msg);
    const int key = static_cast<int>(msg->wParam);
    if (!IsEditing()) return key == VK_SPACE ? TRUE : CListCtrl::PreTranslateMessage(msg);
    const int row = editRow_;
    const int column = editColumn_;
    switch (key) {
    case VK_TAB:
        EndEdit(true);
        BeginEdit(row, column + 1 < GetColumnCount() ? column + 1 : 0);
        return TRUE;
    case VK_RETURN:
        EndEdit(true);
        return TRUE;
    case VK_ESCAPE:
        EndEdit(false);
        return TRUE;
    case VK_UP:
        if (row <= 0) break;
        EndEdit(true);
        // Scrolled first, so that the editor opens over the cell where it now shows.
        EnsureVisible(row - 1, FALSE);
        BeginEdit(row - 1, column);
        return TRUE;
    case VK_DOWN:
        if (row >= GetItemCount() - 1) break;
        EndEdit(true);
        // Scrolled first, so that the editor opens over the cell where it now shows.
        EnsureVisible(row + 1, FALSE);
        BeginEdit(row + 1, column);
        return TRUE;
    default: break;
    }
    return CListCtrl::PreTranslateMessage(msg);
}
