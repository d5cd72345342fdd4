#include "widgets/tabs/TabCtrlSSL.h"

#include <algorithm>

namespace {

// A page keeps this far from the display area's edges.
constexpr int kPageMargin = 4;

}  // namespace

BEGIN_MESSAGE_MAP(CTabCtrlSSL, CTabCtrl)
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_NOTIFY_REFLECT(TCN_SELCHANGING, &CTabCtrlSSL::OnSelChanging)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, &CTabCtrlSSL::OnSelChange)
END_MESSAGE_MAP()

CTabCtrlSSL::~CTabCtrlSSL()
{
    // Destroyed while its window lives, the control never sees its WM_DESTROY: the pages it was
    // given go now, without the hooks of a derived class that is already gone.
    ReleasePages(false);
}

CTabPageSSL* CTabCtrlSSL::GetPage(int index) const { return ValidPage(index) ? pages_[static_cast<std::size_t>(index)].page : nullptr; }

int CTabCtrlSSL::AddPage(const char* title, int pageId, CTabPageSSL* page, int deleteOnDestroy)
{
    const int index = GetItemCount();
    if (index < 0 || InsertItem(TCIF_TEXT, index, title, -1, 0) != index) return -1;
    if (page == nullptr || page->m_hWnd == nullptr || !::IsWindow(page->m_hWnd)) {
        DeleteItem(index);
        return -1;
    }
    pages_.push_back(TabDelete{page, deleteOnDestroy});
    pageIds_.push_back(pageId);
    page->SetParent(this);
    CRect client;
    GetClientRect(&client);
    if (!client.IsRectEmpty()) LayoutPage(index, client.Width(), client.Height());

    CWnd* focus = nullptr;
    if (OnPageInit(index, pageId)) focus = page->GetWindow(GW_CHILD);
    else focus = CWnd::GetFocus();
    focusWindows_.push_back(focus != nullptr ? focus->m_hWnd : nullptr);

    if (index == 0) page->ShowWindow(SW_SHOW);
    else if (index != GetCurSel()) page->ShowWindow(SW_HIDE);
    return index;
}

BOOL CTabCtrlSSL::SetActivePage(int index)
{
    if (!ValidPage(index) || index >= GetItemCount()) return FALSE;
    const int current = GetCurSel();
    if (index == current) return TRUE;
    if (ValidPage(current)) {
        RememberFocus(current);
        pages_[static_cast<std::size_t>(current)].page->ShowWindow(SW_HIDE);
    }
    SetCurSel(index);
    ShowPage(index);
    return TRUE;
}

BOOL CTabCtrlSSL::OnPageInit(int, int) { return TRUE; }
void CTabCtrlSSL::OnPageActivate(int, int) {}
void CTabCtrlSSL::OnPageDeactivate(int, int) {}
void CTabCtrlSSL::OnPageDestroy(int, int) {}

void CTabCtrlSSL::LayoutPage(int index, int cx, int cy)
{
    if (!ValidPage(index)) return;
    CRect item;
    if (!GetItemRect(index, &item)) return;
    const int rows = GetRowCount();
    const DWORD style = GetStyle();
    int x = kPageMargin;
    int y = kPageMargin;
    int width = 0;
    int height = 0;
    if ((style & TCS_VERTICAL) != 0) {
        const int band = rows * item.Width();
        if ((style & TCS_RIGHT) == 0) x = band + kPageMargin;
        width = cx - band - 2 * kPageMargin;
        height = cy - 2 * kPageMargin;
    } else {
        const int band = rows * item.Height();
        if ((style & TCS_BOTTOM) == 0) y = band + kPageMargin;
        width = cx - 2 * kPageMargin;
        height = cy - band - 2 * kPageMargin;
    }
    pages_[static_cast<std::size_t>(index)].page->SetWindowPos(nullptr, x, y, std::max(0, width), std::max(0, height), SWP_NOZORDER);
}

void CTabCtrlSSL::LayoutPage(int index)
{
    CRect client;
    GetClientRect(&client);
    LayoutPage(index, client.Width(), client.Height());
}

void CTabCtrlSSL::RememberFocus(int index)
{
    if (!ValidPage(index)) return;
    CWnd* focus = CWnd::GetFocus();
    focusWindows_[static_cast<std::size_t>(index)] = focus != nullptr ? focus->m_hWnd : nullptr;
}

CWnd* CTabCtrlSSL::FocusTarget(int index) const
{
    CTabPageSSL* page = pages_[static_cast<std::size_t>(index)].page;
    const HWND stored = focusWindows_[static_cast<std::size_t>(index)];
    if (stored != nullptr && ::IsWindow(stored)) {
        CWnd* wnd = CWnd::FromHandle(stored);
        if (wnd != nullptr && page->IsChild(wnd)) return wnd;
    }
    if (CWnd* first = page->GetWindow(GW_CHILD)) return first;
    return page;
}

void CTabCtrlSSL::ShowPage(int index)
{
    if (!ValidPage(index)) return;
    LayoutPage(index);
    pages_[static_cast<std::size_t>(index)].page->ShowWindow(SW_SHOW);
    // A hidden window cannot take the focus: it goes to the page once it shows.
    FocusTarget(index)->SetFocus();
}

void CTabCtrlSSL::OnSelChanging(NMHDR*, LRESULT* result)
{
    *result = 0;
    const int current = GetCurSel();
    if (!ValidPage(current)) return;
    OnPageDeactivate(current, pageIds_[static_cast<std::size_t>(current)]);
    if (!ValidPage(current)) return;
    RememberFocus(current);
    pages_[static_cast<std::size_t>(current)].page->ShowWindow(SW_HIDE);
}

void CTabCtrlSSL::OnSelChange(NMHDR*, LRESULT* result)
{
    *result = 0;
    const int current = GetCurSel();
    if (!ValidPage(current)) return;
    ShowPage(current);
    OnPageActivate(current, pageIds_[static_cast<std::size_t>(current)]);
}

void CTabCtrlSSL::OnSetFocus(CWnd* oldWnd)
{
    CTabCtrl::OnSetFocus(oldWnd);
    const int current = GetCurSel();
    if (ValidPage(current)) FocusTarget(current)->SetFocus();
}

void CTabCtrlSSL::OnKillFocus(CWnd* newWnd)
{
    CTabCtrl::OnKillFocus(newWnd);
    RememberFocus(GetCurSel());
}

BOOL CTabCtrlSSL::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CWnd* parent = GetParent();
    return parent != nullptr && parent->SendMessage(WM_COMMAND, wParam, lParam) != 0 ? TRUE : FALSE;
}

BOOL CTabCtrlSSL::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* parent = GetParent();
    const LRESULT answer = parent != nullptr ? parent->SendMessage(WM_NOTIFY, wParam, lParam) : 0;
    if (result != nullptr) *result = answer;
    return TRUE;
}

void CTabCtrlSSL::ReleasePages(bool callHooks)
{
    for (int index = GetPageCount() - 1; index >= 0; --index) {
        if (index >= GetPageCount()) continue;  // a hook may have released pages already
        const TabDelete entry = pages_[static_cast<std::size_t>(index)];
        if (callHooks) OnPageDestroy(index, pageIds_[static_cast<std::size_t>(index)]);
        if (entry.page == nullptr) continue;
        entry.page->DestroyWindow();
        if (entry.deleteOnDestroy == 1) delete entry.page;
    }
    pages_.clear();
    focusWindows_.clear();
    pageIds_.clear();
}

void CTabCtrlSSL::OnDestroy()
{
    ReleasePages(true);
    CTabCtrl::OnDestroy();
}
