#pragma once
// The standard controls. Each wrapper is a CWnd without data of its own whose operations send
// the control's messages; so a control reached through GetDlgItem behaves exactly like one
// bound with DDX_Control. Changes made from code never notify the parent; only user actions do
// (with the one exception of an edit's text, whose every change raises EN_CHANGE).

#include "platform/ui/Wnd.h"

class CButton : public CWnd {
public:
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetState() const;
    void SetState(BOOL highlight);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    // Icon handles are kept and returned; the previous one is returned.
    HICON SetIcon(HICON icon);
    HICON GetIcon() const;
    HBITMAP SetBitmap(HBITMAP bitmap);
};

class CStatic : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    HICON SetIcon(HICON icon);
    HICON GetIcon() const;
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Character positions; end -1 selects to the end, start -1 removes the selection.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void SetSel(DWORD selection, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    DWORD GetSel() const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    void LimitText(int chars = 0);
    void SetLimitText(UINT chars) { LimitText(static_cast<int>(chars)); }
    int GetLineCount() const;
};

class CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int SetCurSel(int select);
    int GetCurSel() const;
    int GetText(int index, CString& text) const;
    int GetTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    void SetHorizontalExtent(int extent);
    int GetHorizontalExtent() const;
    int SetTopIndex(int index);
    int GetTopIndex() const;
    // Index of the item nearest to a client point; outside is set when the point lies below
    // the last item or outside the client area.
    UINT ItemFromPoint(CPoint point, BOOL& outside) const;
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int SetCurSel(int select);
    int GetCurSel() const;
    int GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    int FindStringExact(int startAfter, const char* text) const;
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
};

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM insertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const char* text);
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    HTREEITEM GetRootItem() const;
    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    BOOL ItemHasChildren(HTREEITEM item) const;
    UINT GetCount() const;
    BOOL Expand(HTREEITEM item, UINT code);
    BOOL SelectItem(HTREEITEM item);
    BOOL EnsureVisible(HTREEITEM item);
    // Item at a point in the control's client coordinates, null when none.
    HTREEITEM HitTest(CPoint point, UINT* flags = nullptr) const;
    BOOL GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const;
};

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetRange(short lower, short upper);
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    void GetRange32(int& lower, int& upper) const { GetRange(lower, upper); }
    int SetPos(int pos);
    // Both first take a number typed into the buddy window as the position, brought into the
    // range; for any other text they keep the position. Either way the buddy then shows the
    // position answered (with UDS_SETBUDDYINT). Text not taken as it stood, or no buddy, sets
    // GetPos32's *error. GetPos answers the signed low word alone.
    int GetPos() const;
    int SetPos32(int pos);
    int GetPos32(BOOL* error = nullptr) const;
    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const;
};

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetRange(short lower, short upper);
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);
    int GetPos() const;
    int OffsetPos(int delta);
    int SetStep(int step);
    int StepIt();
};

class CScrollBar : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Windows rules: the position is kept within [min, max - max(page - 1, 0)]. User actions
    // arrive at the parent as WM_HSCROLL / WM_VSCROLL; the thumb moves only when the program
    // sets the position (it follows the mouse while dragged).
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int pos, BOOL redraw = TRUE);
    int GetScrollPos() const;
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int* minPos, int* maxPos) const;
    void ShowScrollBar(BOOL show = TRUE);
    BOOL EnableScrollBar(UINT arrows = 0);
    int GetScrollLimit() const;
};

inline constexpr UINT ESB_ENABLE_BOTH = 0;
inline constexpr UINT ESB_DISABLE_BOTH = 3;

// Tab control: the tabs and the display area below (or beside) them; pages are windows the
// owner places inside AdjustRect. SetCurSel from code notifies nobody; a click on a tab sends
// TCN_SELCHANGING (a nonzero answer keeps the current tab) and then TCN_SELCHANGE.
class CTabCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    LONG InsertItem(int item, const char* text);
    LONG InsertItem(UINT mask, int item, const char* text, int image, LPARAM lParam);
    LONG InsertItem(int item, TCITEM* tabItem);
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // Rows of tabs: 1 with any tab, 0 without.
    int GetRowCount() const;
    int GetCurSel() const;
    int SetCurSel(int item);
    BOOL GetItem(int item, TCITEM* tabItem) const;
    BOOL SetItem(int item, TCITEM* tabItem);
    BOOL GetItemRect(int item, LPRECT rect) const;
    int HitTest(TCHITTESTINFO* info) const;
    // larger FALSE: the display area of a window rectangle; TRUE: the window for a display area.
    void AdjustRect(BOOL larger, LPRECT rect);
};

// Hot-key control: shows and edits one key with its modifiers (HOTKEYF_*; HOTKEYF_EXT marks the
// arrow and navigation cluster).
class CHotKeyCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetHotKey(WORD virtualKey, WORD modifiers);
    DWORD GetHotKey() const;
    void GetHotKey(WORD& virtualKey, WORD& modifiers) const;
};

// Fits a path into width pixels of the window's font by putting "..." in place of folders,
// always keeping the file name (shortened itself only when even it does not fit).
CString CompactPathToWidth(CWnd* wnd, const CString& path, int width);
