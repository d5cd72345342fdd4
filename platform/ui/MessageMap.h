#pragma once
// Message maps: each window class lists the messages it handles in a static table, and a
// message walks the tables from the most derived class to CWnd; the first matching entry wins.
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_BN_CLICKED(1000, &CMyDlg::OnConnect)
//       ON_WM_TIMER()
//   END_MESSAGE_MAP()
//
// The entries call the handler through a small generated thunk, so each handler keeps its own
// signature and a wrong one is a compile error rather than a crash.

#include "platform/ui/UiTypes.h"

class CWnd;
class CScrollBar;
class CDC;

#define afx_msg

// The message being matched and the result its handler leaves.
struct AfxMsgCall {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
};

// nMessage: the window message (WM_COMMAND/WM_NOTIFY for control notifications, plus
// WM_REFLECT_BASE for notifications reflected to the control itself); nCode and the id range
// are matched only for WM_COMMAND and WM_NOTIFY. handler null ends the table.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    bool (*handler)(CWnd* self, AfxMsgCall& call);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Helpers the entry thunks use, defined with the window classes.
CScrollBar* AfxScrollBarFromHandle(HWND hwnd);
CWnd* AfxWndFromHandle(HWND hwnd);
CDC* AfxDCFromParam(WPARAM wParam);

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    const AFX_MSGMAP* GetMessageMap() const override;      \
                                                           \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                               \
        using ThisClass = theClass;                                                 \
        using TheBaseClass = baseClass;                                             \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

// For class templates: BEGIN_TEMPLATE_MESSAGE_MAP(COptionsDialog, (S, C), CDialog) with the
// template parameters in parentheses.
#define VELKARO_UNPAREN(...) __VA_ARGS__
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, typeNames, baseClass)                              \
    template <typename VELKARO_UNPAREN typeNames>                                               \
    const AFX_MSGMAP* theClass<VELKARO_UNPAREN typeNames>::GetMessageMap() const                \
    {                                                                                           \
        return GetThisMessageMap();                                                             \
    }                                                                                           \
    template <typename VELKARO_UNPAREN typeNames>                                               \
    const AFX_MSGMAP* theClass<VELKARO_UNPAREN typeNames>::GetThisMessageMap()                  \
    {                                                                                           \
        using ThisClass = theClass<VELKARO_UNPAREN typeNames>;                                  \
        using TheBaseClass = baseClass;                                                         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                               \
        {0, 0, 0, 0, nullptr}};                                                         \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                             \
    }

#define VELKARO_SELF static_cast<ThisClass*>(self)

// ---- commands and control notifications ----
#define ON_COMMAND(id, memberFxn)                                                               \
    {WM_COMMAND, 0u, static_cast<UINT>(id), static_cast<UINT>(id),                              \
     [](CWnd* self, AfxMsgCall&) -> bool { (VELKARO_SELF->*(memberFxn))(); return true; }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                 \
    {WM_COMMAND, 0u, static_cast<UINT>(id), static_cast<UINT>(idLast),                          \
     [](CWnd* self, AfxMsgCall& c) -> bool { (VELKARO_SELF->*(memberFxn))(LOWORD(c.wParam)); return true; }},
#define ON_CONTROL(code, id, memberFxn)                                                         \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),        \
     [](CWnd* self, AfxMsgCall&) -> bool { (VELKARO_SELF->*(memberFxn))(); return true; }},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                           \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast),    \
     [](CWnd* self, AfxMsgCall& c) -> bool { (VELKARO_SELF->*(memberFxn))(LOWORD(c.wParam)); return true; }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)

// Handler: void f(NMHDR* header, LRESULT* result).
#define ON_NOTIFY(code, id, memberFxn)                                                          \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),         \
     [](CWnd* self, AfxMsgCall& c) -> bool {                                                    \
         (VELKARO_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(c.lParam), &c.result);           \
         return true;                                                                           \
     }},
// Handler: void f(UINT id, NMHDR* header, LRESULT* result).
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                            \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast),     \
     [](CWnd* self, AfxMsgCall& c) -> bool {                                                    \
         auto* h = reinterpret_cast<NMHDR*>(c.lParam);                                          \
         (VELKARO_SELF->*(memberFxn))(static_cast<UINT>(h->idFrom), h, &c.result);              \
         return true;                                                                           \
     }},

// Notifications handled by the control itself rather than by its parent. A reflected
// notification handled here no longer reaches the parent's map.
#define ON_CONTROL_REFLECT(code, memberFxn)                                                     \
    {WM_COMMAND + WM_REFLECT_BASE, static_cast<UINT>(code), 0u, 0u,                            \
     [](CWnd* self, AfxMsgCall&) -> bool { (VELKARO_SELF->*(memberFxn))(); return true; }},
// Handler returns BOOL: FALSE lets the parent handle the notification too.
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                  \
    {WM_COMMAND + WM_REFLECT_BASE, static_cast<UINT>(code), 0u, 0u,                            \
     [](CWnd* self, AfxMsgCall&) -> bool { return (VELKARO_SELF->*(memberFxn))() != 0; }},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                      \
    {WM_NOTIFY + WM_REFLECT_BASE, static_cast<UINT>(code), 0u, 0u,                             \
     [](CWnd* self, AfxMsgCall& c) -> bool {                                                    \
         (VELKARO_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(c.lParam), &c.result);           \
         return true;                                                                           \
     }},
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                   \
    {WM_NOTIFY + WM_REFLECT_BASE, static_cast<UINT>(code), 0u, 0u,                             \
     [](CWnd* self, AfxMsgCall& c) -> bool {                                                    \
         return (VELKARO_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(c.lParam), &c.result) != 0; \
     }},

// Handler: LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                          \
    {static_cast<UINT>(message), 0u, 0u, 0u,                                                    \
     [](CWnd* self, AfxMsgCall& c) -> bool { c.result = (VELKARO_SELF->*(memberFxn))(c.wParam, c.lParam); return true; }},

// ---- window messages with their fixed handler names ----
#define VELKARO_ON_WM(msg, body)                                                                \
    {msg, 0u, 0u, 0u, [](CWnd* self, AfxMsgCall& c) -> bool { (void)c; body; return true; }},

#define ON_WM_CREATE() VELKARO_ON_WM(WM_CREATE, c.result = VELKARO_SELF->OnCreate(reinterpret_cast<LPCREATESTRUCT>(c.lParam)))
#define ON_WM_DESTROY() VELKARO_ON_WM(WM_DESTROY, VELKARO_SELF->OnDestroy())
#define ON_WM_CLOSE() VELKARO_ON_WM(WM_CLOSE, VELKARO_SELF->OnClose())
#define ON_WM_PAINT() VELKARO_ON_WM(WM_PAINT, VELKARO_SELF->OnPaint())
#define ON_WM_ERASEBKGND() VELKARO_ON_WM(WM_ERASEBKGND, c.result = VELKARO_SELF->OnEraseBkgnd(AfxDCFromParam(c.wParam)))
#define ON_WM_TIMER() VELKARO_ON_WM(WM_TIMER, VELKARO_SELF->OnTimer(static_cast<UINT_PTR>(c.wParam)))
#define ON_WM_SIZE() VELKARO_ON_WM(WM_SIZE, VELKARO_SELF->OnSize(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)))
#define ON_WM_SHOWWINDOW() VELKARO_ON_WM(WM_SHOWWINDOW, VELKARO_SELF->OnShowWindow(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam)))
#define ON_WM_HSCROLL() VELKARO_ON_WM(WM_HSCROLL, VELKARO_SELF->OnHScroll(LOWORD(c.wParam), HIWORD(c.wParam), AfxScrollBarFromHandle(reinterpret_cast<HWND>(c.lParam))))
#define ON_WM_VSCROLL() VELKARO_ON_WM(WM_VSCROLL, VELKARO_SELF->OnVScroll(LOWORD(c.wParam), HIWORD(c.wParam), AfxScrollBarFromHandle(reinterpret_cast<HWND>(c.lParam))))
#define ON_WM_SYSCOMMAND() VELKARO_ON_WM(WM_SYSCOMMAND, VELKARO_SELF->OnSysCommand(static_cast<UINT>(c.wParam), c.lParam))
#define ON_WM_WINDOWPOSCHANGING() VELKARO_ON_WM(WM_WINDOWPOSCHANGING, VELKARO_SELF->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(c.lParam)))
#define ON_WM_GETMINMAXINFO() VELKARO_ON_WM(WM_GETMINMAXINFO, VELKARO_SELF->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(c.lParam)))
#define ON_WM_SETCURSOR() VELKARO_ON_WM(WM_SETCURSOR, c.result = VELKARO_SELF->OnSetCursor(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam)))
#define ON_WM_QUERYDRAGICON() VELKARO_ON_WM(WM_QUERYDRAGICON, c.result = static_cast<LRESULT>(VELKARO_SELF->OnQueryDragIcon()))
#define ON_WM_SETFOCUS() VELKARO_ON_WM(WM_SETFOCUS, VELKARO_SELF->OnSetFocus(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam))))
#define ON_WM_KILLFOCUS() VELKARO_ON_WM(WM_KILLFOCUS, VELKARO_SELF->OnKillFocus(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam))))
#define ON_WM_CONTEXTMENU() VELKARO_ON_WM(WM_CONTEXTMENU, VELKARO_SELF->OnContextMenu(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam)), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))))
#define ON_WM_CAPTURECHANGED() VELKARO_ON_WM(WM_CAPTURECHANGED, VELKARO_SELF->OnCaptureChanged(AfxWndFromHandle(reinterpret_cast<HWND>(c.lParam))))

#define VELKARO_MOUSE_ARGS static_cast<UINT>(c.wParam), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))
#define ON_WM_MOUSEMOVE() VELKARO_ON_WM(WM_MOUSEMOVE, VELKARO_SELF->OnMouseMove(VELKARO_MOUSE_ARGS))
#define ON_WM_LBUTTONDOWN() VELKARO_ON_WM(WM_LBUTTONDOWN, VELKARO_SELF->OnLButtonDown(VELKARO_MOUSE_ARGS))
#define ON_WM_LBUTTONUP() VELKARO_ON_WM(WM_LBUTTONUP, VELKARO_SELF->OnLButtonUp(VELKARO_MOUSE_ARGS))
#define ON_WM_LBUTTONDBLCLK() VELKARO_ON_WM(WM_LBUTTONDBLCLK, VELKARO_SELF->OnLButtonDblClk(VELKARO_MOUSE_ARGS))
#define ON_WM_RBUTTONDOWN() VELKARO_ON_WM(WM_RBUTTONDOWN, VELKARO_SELF->OnRButtonDown(VELKARO_MOUSE_ARGS))
#define ON_WM_RBUTTONUP() VELKARO_ON_WM(WM_RBUTTONUP, VELKARO_SELF->OnRButtonUp(VELKARO_MOUSE_ARGS))
#define ON_WM_RBUTTONDBLCLK() VELKARO_ON_WM(WM_RBUTTONDBLCLK, VELKARO_SELF->OnRButtonDblClk(VELKARO_MOUSE_ARGS))
#define ON_WM_MBUTTONDOWN() VELKARO_ON_WM(WM_MBUTTONDOWN, VELKARO_SELF->OnMButtonDown(VELKARO_MOUSE_ARGS))
#define ON_WM_MBUTTONUP() VELKARO_ON_WM(WM_MBUTTONUP, VELKARO_SELF->OnMButtonUp(VELKARO_MOUSE_ARGS))
#define ON_WM_MBUTTONDBLCLK() VELKARO_ON_WM(WM_MBUTTONDBLCLK, VELKARO_SELF->OnMButtonDblClk(VELKARO_MOUSE_ARGS))
// The wheel's point is in screen coordinates, as on Windows.
#define ON_WM_MOUSEWHEEL() VELKARO_ON_WM(WM_MOUSEWHEEL, c.result = VELKARO_SELF->OnMouseWheel(LOWORD(c.wParam), GET_WHEEL_DELTA_WPARAM(c.wParam), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))))

#define VELKARO_KEY_ARGS static_cast<UINT>(c.wParam), static_cast<UINT>(c.lParam & 0xFFFF), static_cast<UINT>((c.lParam >> 16) & 0xFFFF)
#define ON_WM_KEYDOWN() VELKARO_ON_WM(WM_KEYDOWN, VELKARO_SELF->OnKeyDown(VELKARO_KEY_ARGS))
#define ON_WM_KEYUP() VELKARO_ON_WM(WM_KEYUP, VELKARO_SELF->OnKeyUp(VELKARO_KEY_ARGS))
#define ON_WM_SYSKEYDOWN() VELKARO_ON_WM(WM_SYSKEYDOWN, VELKARO_SELF->OnSysKeyDown(VELKARO_KEY_ARGS))
#define ON_WM_CHAR() VELKARO_ON_WM(WM_CHAR, VELKARO_SELF->OnChar(VELKARO_KEY_ARGS))

// Run-time class information is not needed: these expand to nothing.
#define DECLARE_DYNAMIC(theClass)
#define IMPLEMENT_DYNAMIC(theClass, baseClass)
#define DECLARE_DYNCREATE(theClass)
#define IMPLEMENT_DYNCREATE(theClass, baseClass)
