#include "widgets/tabs/TabPageSSL.h"

BOOL CTabPageSSL::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const BOOL handled = CDialog::OnCommand(wParam, lParam);
    CWnd* parent = GetParent();
    if (!m_bRouteCommand || parent == nullptr) return handled;
    return parent->SendMessage(WM_COMMAND, wParam, lParam) != 0 ? TRUE : FALSE;
}

BOOL CTabPageSSL::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const BOOL handled = CDialog::OnNotify(wParam, lParam, result);
    CWnd* parent = GetParent();
    if (!m_bRouteNotify || parent == nullptr) return handled;
    const LRESULT answer = parent->SendMessage(WM_NOTIFY, wParam, lParam);
    if (result != nullptr) *result = answer;
    return TRUE;
}
