#pragma once
// CReportCtrl: the report-view list of the tool windows. On top of the platform list it keeps a
// text and a back colour per cell, check boxes in one of four modes, sorting by a column's texts
// (numbers, dates, then text) and in-place editing of cells through a CEditReportItem. It tells
// its parent of a check box the user changed, a finished sort and a committed edit by the three
// WM_REPORTCTRL_* messages, sent (not posted), so the parent handles them before the list goes on.
//
// Whatever style a list is created or subclassed with, it becomes a visible report view with
// scroll bars; rows and columns given out of range make an operation fail or do nothing.

#include "platform/ui/ListCtrl.h"
#include "widgets/reportlist/EditReportItem.h"
#include "widgets/reportlist/ReportRowData.h"

#include <map>
#include <memory>
#include <vector>

// wParam: the row; lParam: the mouse message that changed its check box.
inline constexpr UINT WM_REPORTCTRL_SELECT = WM_APP + 10000;
// wParam: the sort column; lParam: 1 ascending, 0 descending.
inline constexpr UINT WM_REPORTCTRL_SORTED = WM_APP + 10001;
// wParam: the row; lParam: the column of an edit committed with a changed text.
inline constexpr UINT WM_REPORTCTRL_EDITED = WM_APP + 10002;

class CReportCtrl : public CListCtrl {
public:
    enum ReportCheckMode { None = 0, Multiple = 1, Single = 2, Disabled = 3 };
    enum ReportItemState {
        Any = 0x01,
        Selected = 0x02,
        Unselected = 0x04,
        Checked = 0x08,
        Unchecked = 0x10,
        Focused = 0x20,
        Unfocused = 0x40,
    };

    CReportCtrl();
    ~CReportCtrl() override;

    // A null rect covers the parent's client area.
    virtual BOOL Create(CWnd* parent, UINT id, LPCRECT rect = nullptr, DWORD style = WS_BORDER | WS_TABSTOP);
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    void FitToParent();
    BOOL DisableSorting();
    BOOL CanSortByHeader() const;
    void SetCheckMode(int mode);
    int GetCheckMode() const { return checkMode_; }

    // ---- columns ----
    int InsertColumn(int index, const char* title, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const;
    CString GetHeaderText(int column) const;
    void SetColumnReadOnly(int column);
    bool IsColumnReadOnly(int column) const;
    void AutoSizeColumn(int column);
    void FitColumnToText(int column, const char* text);
    void StretchColumnToClient(int column);

    // ---- rows ----
    int InsertItem(int index, const char* text);
    BOOL DeleteItem(int row);
    int DeleteAllItems();
    BOOL SetItemText(int row, int column, const char* text);
    // The caller's data of the row (not the platform item data, which holds the row's colours).
    BOOL SetItemData(int row, DWORD_PTR value);
    DWORD_PTR GetItemData(int row) const;
    BOOL SetCheck(int row, BOOL checked = TRUE);

    // ---- row states (ReportItemState bits) ----
    int GetItemStates(int row) const;
    BOOL SetItemStates(int row, int bits);
    int ApplyStatesToRows(int mask, int bits);
    int FindFirstChecked() const;
    void KeepSingleCheck(int row);

    // ---- colours: a row or column out of range means every row or column ----
    void SetItemTextColor(int column, int row, COLORREF color);
    void SetItemBkColor(int row, int column, COLORREF color);
    // The colours a cell is drawn with (the defaults for a cell without colours).
    COLORREF GetItemTextColor(int row, int column) const;
    COLORREF GetItemBkColor(int row, int column) const;

    // ---- editing ----
    void EnableEditing(bool enable) { editEnabled_ = enable; }
    bool IsEditingEnabled() const { return editEnabled_; }
    BOOL BeginEdit(int row, int column);
    BOOL EndEdit(bool commit);
    bool IsEditing() const;
    int GetEditRow() const { return editRow_; }
    int GetEditColumn() const { return editColumn_; }
    CEditReportItem* GetEditor() const { return editor_.get(); }
    // Takes over another editor in place of the current one. An edit in progress is committed
    // first; the former editor is hidden at once and destroyed when the list next runs its
    // posted messages, so an editor may be replaced from inside its own handlers. A null editor
    // leaves the list without in-place editing.
    void SetEditor(std::unique_ptr<CEditReportItem> editor);
    // Editors replaced but not destroyed yet.
    std::size_t GetRetiredEditorCount() const { return retired_.size(); }

    // ---- sorting ----
    BOOL SortItems(int column, bool ascending);
    int GetSortColumn() const { return sortColumn_; }
    bool IsSortAscending() const { return sortAscending_; }

    // Owner draw, for a list created with LVS_OWNERDRAWFIXED.
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

protected:
    DECLARE_MESSAGE_MAP()

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnButtonDown(WPARAM flags, LPARAM point);
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    afx_msg void OnColumnClick(NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnFreeRetiredEditors(WPARAM, LPARAM);

private:
    ReportRowData* RowData(int row) const;
    void InitRowData(int row);
    // SetItemStates without the single-check rule.
    BOOL ApplyStates(int row, int bits);
    void InsertColumnColors(int column);
    void FreeRowData(int row);
    void ResetSort();
    void ApplyForcedStyle();
    // The check-change step of a mouse click; 1 when it acted on a changed check box.
    int OnCheckChanged(int row, bool wasChecked, bool isChecked, UINT message);
    void SortRange(int first, int last, int column, bool ascending);
    bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }
    bool ValidColumn(int column) const { return column >= 0 && column < GetColumnCount(); }

    // Posted to itself after an editor was replaced.
    static constexpr UINT kFreeRetiredEditors = WM_APP + 10003;
    void FreeRetiredEditors();

    std::unique_ptr<CEditReportItem> editor_;
    std::vector<std::unique_ptr<CEditReportItem>> retired_;
    bool editEnabled_ = false;
    int editRow_ = -1;
    int editColumn_ = -1;
    int checkMode_ = Multiple;
    DWORD editorAlignment_ = ES_LEFT;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    std::vector<int> readOnlyColumns_;
    // Every row's data, owned here; a row's platform item data points into this map, and only
    // pointers found here are ever followed.
    std::map<const ReportRowData*, std::unique_ptr<ReportRowData>> rows_;
};
