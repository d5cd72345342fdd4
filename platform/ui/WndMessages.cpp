// CWnd: sending, posting and routing messages, and the default message handlers.

#include "platform/ui/Wnd.h"

#include "platform/ui/Menu.h"
#include "platform/ui/WndImpl.h"

using namespace uiimpl;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return uiimpl::Send(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) { return ::PostMessage(m_hWnd, message, wParam, lParam); }

const MSG* CWnd::GetCurrentMessage()
{
    CurrentMessage* f = TopMessage();
    return f != nullptr ? &f->msg : nullptr;
}

LRESULT CWnd::Default()
{
    CurrentMessage* f = TopMessage();
    if (f == nullptr) return 0;
    f->defaultCalled = true;
    if (f->msg.hwnd == m_hWnd) DeliverPendingInput(*f);
    return DefWindowProc(f->msg.message, f->msg.wParam, f->msg.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? DefaultProc(*r, message, wParam, lParam) : 0;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT dummy = 0;
    if (result == nullptr) result = &dummy;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        *result = r;
        return TRUE;
    }
    AfxMsgCall call{message, wParam, lParam, 0};
    if (!DispatchToMap(message, 0, 0, call)) return FALSE;
    *result = call.result;
    return TRUE;
}

BOOL CWnd::DispatchToMap(UINT message, UINT code, UINT id, AfxMsgCall& call)
{
    const bool command = message == WM_COMMAND || message == WM_NOTIFY;
    const bool reflected = message == WM_COMMAND + WM_REFLECT_BASE || message == WM_NOTIFY + WM_REFLECT_BASE;
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e != nullptr && e->handler != nullptr; ++e) {
            if (e->nMessage != message) continue;
            if (command && (e->nCode != code || id < e->nID || id > e->nLastID)) continue;
            if (reflected && e->nCode != code) continue;
            return e->handler(this, call) ? TRUE : FALSE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr) {
        if (CWnd* child = FromHandlePermanent(control)) {
            LRESULT ignored = 0;
            if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
        }
    }
    AfxMsgCall call{WM_COMMAND, wParam, lParam, 0};
    return DispatchToMap(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), call);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr) return FALSE;
    if (CWnd* child = FromHandlePermanent(header->hwndFrom)) {
        if (child->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return TRUE;
    }
    AfxMsgCall call{WM_NOTIFY, wParam, lParam, 0};
    if (!DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), call)) return FALSE;
    if (result != nullptr) *result = call.result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    AfxMsgCall call{message, wParam, lParam, 0};
    if (message == WM_COMMAND) return DispatchToMap(WM_COMMAND + WM_REFLECT_BASE, HIWORD(wParam), 0, call);
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header == nullptr) return FALSE;
        if (!DispatchToMap(WM_NOTIFY + WM_REFLECT_BASE, header->code, 0, call)) return FALSE;
        if (result != nullptr) *result = call.result;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

CMenu* CWnd::GetSystemMenu(BOOL revert)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || revert) return nullptr;
    if (r->systemMenu == nullptr) r->systemMenu = std::make_unique<CMenu>();
    return r->systemMenu.get();
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return 0; }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record* r = Find(hwnd);
    return r != nullptr ? DefaultProc(*r, message, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return uiimpl::Send(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (QCoreApplication::instance() == nullptr) return FALSE;
    PostToUi([hwnd, message, wParam, lParam] { uiimpl::Send(hwnd, message, wParam, lParam); });
    return TRUE;
}
