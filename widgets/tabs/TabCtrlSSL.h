#pragma once
// CTabCtrlSSL: a tab control that carries one page (a CTabPageSSL child dialog) per tab. Exactly
// one page shows: the current tab's, placed in the control's display area. Switching away from a
// page remembers the window that had the focus in it, and switching back gives it the focus again.
//
// The control handles its own TCN_SELCHANGING / TCN_SELCHANGE; commands and notifications that
// reach it (from pages that route them) go on to its parent. Pages are handed over created; at
// WM_DESTROY the control destroys their windows and deletes the page objects flagged for it.

#include "platform/ui/Controls.h"
#include "widgets/tabs/TabPageSSL.h"

#include <vector>

class CTabCtrlSSL : public CTabCtrl {
public:
    CTabCtrlSSL() = default;
    ~CTabCtrlSSL() override;

    // Appends a tab titled title for a page whose window exists; deleteOnDestroy 1 makes the
    // control delete the page object at its WM_DESTROY. The tab's index, or -1 (and no tab).
    int AddPage(const char* title, int pageId, CTabPageSSL* page, int deleteOnDestroy = 1);
    // Makes a tab current without the page hooks; FALSE for an index that is not a tab.
    BOOL SetActivePage(int index);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CTabPageSSL* GetPage(int index) const;

protected:
    // When a page is added: TRUE gives its first child the focus when it first shows, FALSE
    // keeps the window that has the focus now.
    virtual BOOL OnPageInit(int index, int pageId);
    // The user changed the tab: after the new page shows, and before the old one hides.
    virtual void OnPageActivate(int index, int pageId);
    virtual void OnPageDeactivate(int index, int pageId);
    // At WM_DESTROY, for each page from the last to the first, before its window goes.
    virtual void OnPageDestroy(int index, int pageId);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnDestroy();
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnSelChanging(NMHDR* header, LRESULT* result);
    afx_msg void OnSelChange(NMHDR* header, LRESULT* result);

private:
    struct TabDelete {
        CTabPageSSL* page = nullptr;
        int deleteOnDestroy = 0;
    };

    bool ValidPage(int index) const { return index >= 0 && index < GetPageCount() && pages_[static_cast<std::size_t>(index)].page != nullptr; }
    void LayoutPage(int index, int cx, int cy);
    void LayoutPage(int index);
    // The window that had the focus, kept for the page.
    void RememberFocus(int index);
    // The page's remembered window while it still lies in the page, else its first child, else
    // the page itself.
    CWnd* FocusTarget(int index) const;
    void ShowPage(int index);
    void ReleasePages(bool callHooks);

    std::vector<TabDelete> pages_;
    std::vector<HWND> focusWindows_;
    std::vector<int> pageIds_;
};
