#pragma once
// CWnd: the system's window object. A window (HWND) lives in the window table of the UI layer
// and is backed by a Qt widget; a CWnd object is attached to it and receives its messages
// through WindowProc and the message map. A window can exist without an object of its own
// (controls of a dialog template nobody binds); GetDlgItem then hands out an object of the
// control's class that the window owns.

#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/CString.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/UiTypes.h"

#include <string>

class CDataExchange;
class CDC;
class CFont;
class CMenu;
class CScrollBar;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Places in the z-order for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // ---- handles ----
    // The object attached to hwnd, or a temporary object of the window's class when nobody
    // attached one; null for a handle that names no live window.
    static CWnd* FromHandle(HWND hwnd);
    // Only the object explicitly attached to hwnd (null otherwise).
    static CWnd* FromHandlePermanent(HWND hwnd);
    // Unlike the original, calling this on a null pointer is not allowed: check the pointer.
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // ---- creation and destruction ----
    // className: "Button", "Static", "Edit", "ListBox", "ComboBox", "SysTreeView32",
    // "msctls_updown32", "msctls_progress32", "ScrollBar", or a class registered with
    // AfxRegisterWndClass / RegisterWindowClass (a plain window painted by its object).
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* context = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id, void* context = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  int x, int y, int cx, int cy, HWND parent, HMENU idOrMenu, void* context = nullptr);
    virtual BOOL DestroyWindow();

    // ---- window tree ----
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    CWnd* GetWindow(UINT cmd) const;
    CWnd* GetNextWindow(UINT cmd = GW_HWNDNEXT) const { return GetWindow(cmd); }
    BOOL IsChild(const CWnd* wnd) const;
    // Child whose rectangle holds point (client coordinates); hidden children count unless
    // CWP_SKIPINVISIBLE. The window itself when no child holds it; null outside the window.
    CWnd* ChildWindowFromPoint(POINT point, UINT flags = CWP_ALL) const;
    // Deepest visible, enabled window under a screen point.
    static CWnd* WindowFromPoint(POINT point);

    // ---- styles ----
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

    // ---- geometry ----
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // ---- state ----
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL SetForegroundWindow();
    static CWnd* GetActiveWindow();
    static CWnd* GetDesktopWindow();

    // ---- text ----
    void SetWindowText(const char* text);
    void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
    int GetWindowText(char* buffer, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    // Checks id and unchecks the other buttons from first to last, without notifications.
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;

    // ---- fonts and icons ----
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    // The window's icon (big and small); kept for GetIcon.
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const;

    // Shapes the window (a copy of the region is kept; null restores the rectangle).
    int SetWindowRgn(HRGN region, BOOL redraw);

    // ---- painting ----
    // RDW_INVALIDATE schedules a repaint, RDW_UPDATENOW paints at once.
    BOOL RedrawWindow(const RECT* rect = nullptr, void* region = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void UpdateWindow();
    void SetRedraw(BOOL redraw = TRUE);
    // A device context on the client area, valid until ReleaseDC. It reaches the screen only
    // while the window paints; elsewhere it draws on a scratch surface (measuring text works).
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);

    // ---- timers ----
    // Timers post WM_TIMER to this window; they keep firing inside nested modal loops.
    // A second SetTimer with the same id restarts it; KillTimer of a stopped timer is harmless.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void (*timerProc)(HWND, UINT, UINT_PTR, DWORD) = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // ---- messages ----
    // Synchronous: the window procedure runs before SendMessage returns. Called from another
    // thread, the message is handed to the UI thread and 0 is returned without waiting.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queued for the UI thread; safe from any thread.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The message whose handler is running on this thread (null outside a handler).
    static const MSG* GetCurrentMessage();
    // The default processing of the message being handled.
    LRESULT Default();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND: reflection to the sending control first, then this window's map.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: reflection to the sending control first, then this window's map.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification this control sent to its parent, offered back to the control's own map.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Sees input messages before they are dispatched, for the target window first and then
    // for each parent (a popup's parent is its owner). TRUE consumes the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void PreSubclassWindow();
    virtual void PostNcDestroy();

    // ---- mouse ----
    CWnd* SetCapture();
    static CWnd* GetCapture();

    // ---- menus ----
    // The window's own menu, reachable through the context menu of the window; its commands
    // arrive as WM_SYSCOMMAND. revert TRUE returns null.
    CMenu* GetSystemMenu(BOOL revert);

    // ---- message boxes ----
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // ---- modal loops ----
    // Runs a nested event loop until EndModalLoop; the window is shown modal meanwhile.
    int RunModalLoop(DWORD flags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);

    // ---- data exchange ----
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

public:
    // Default message handlers: each does the default processing of its message.
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnMButtonDown(UINT flags, CPoint point);
    afx_msg void OnMButtonUp(UINT flags, CPoint point);
    afx_msg void OnMButtonDblClk(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT key, UINT repeat, UINT flags);

protected:
    // The message-map walk for one message; used by OnWndMsg and by reflection.
    BOOL DispatchToMap(UINT message, UINT code, UINT id, AfxMsgCall& call);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    int modalResult_ = -1;
    bool inModalLoop_ = false;
    bool modalEndPending_ = false;

private:
    explicit CWnd(HWND place);
    friend struct WndAccess;
    void* modalLoop_ = nullptr;
};

// Window-class registration for custom windows ("ChartCtrl", "BufferDraw", ...). Registering a
// known name again changes nothing. Class style CS_DBLCLKS makes double clicks arrive as
// WM_xBUTTONDBLCLK; without it a double click is a second button-down.
inline constexpr UINT CS_VREDRAW = 0x1;
inline constexpr UINT CS_HREDRAW = 0x2;
inline constexpr UINT CS_DBLCLKS = 0x8;
// Kept for classes that ask for it; windows here are always repainted from their own state.
inline constexpr UINT CS_SAVEBITS = 0x800;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
// Only style and the name matter here: the window procedure is always the object's WindowProc
// and the object paints its own background; the other fields are kept for code that fills them.
struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    void* hInstance = nullptr;
    HICON hIcon = 0;
    HCURSOR hCursor = 0;
    HBRUSH hbrBackground = 0;
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
};
BOOL AfxRegisterClass(const WNDCLASS* wndClass);
// True (and the class's data filled) when the class is known.
BOOL AfxGetClassInfo(const char* className, WNDCLASS* wndClass);
inline BOOL GetClassInfo(void*, const char* className, WNDCLASS* wndClass) { return AfxGetClassInfo(className, wndClass); }
inline void* AfxGetInstanceHandle() { return nullptr; }
inline void* AfxGetResourceHandle() { return nullptr; }
// Registers (once) a class with these attributes and returns its generated name.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = 0, HBRUSH background = 0, HICON icon = 0);
// The default processing of a message for a window, whatever object is attached to it.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Plain-function forms for code that holds handles.
BOOL IsWindow(HWND hwnd);
// The window's class name ("Button", "ComboBox", a registered name ...), cut to fit; its length.
int GetClassName(HWND hwnd, char* name, int maxCount);
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL ReleaseCapture();
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);
// Bit 15 set while the key is down now; keyboard modifiers and mouse buttons are tracked from
// the input events the UI thread has seen.
short GetAsyncKeyState(int virtualKey);
short GetKeyState(int virtualKey);

// Desktop and system metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
// The smallest frame a user can drag a window with a thick frame to.
inline constexpr int SM_CXMINTRACK = 34;
inline constexpr int SM_CYMINTRACK = 35;
// The virtual screen: the rectangle holding every screen, and the number of screens.
inline constexpr int SM_XVIRTUALSCREEN = 76;
inline constexpr int SM_YVIRTUALSCREEN = 77;
inline constexpr int SM_CXVIRTUALSCREEN = 78;
inline constexpr int SM_CYVIRTUALSCREEN = 79;
inline constexpr int SM_CMONITORS = 80;
int GetSystemMetrics(int index);

// Cursors. The standard ids are the documented resource numbers.
inline const char* const IDC_ARROW = reinterpret_cast<const char*>(32512);
inline const char* const IDC_IBEAM = reinterpret_cast<const char*>(32513);
inline const char* const IDC_WAIT = reinterpret_cast<const char*>(32514);
inline const char* const IDC_CROSS = reinterpret_cast<const char*>(32515);
inline const char* const IDC_SIZEWE = reinterpret_cast<const char*>(32644);
inline const char* const IDC_SIZENS = reinterpret_cast<const char*>(32645);
inline const char* const IDC_SIZEALL = reinterpret_cast<const char*>(32646);
inline const char* const IDC_HAND = reinterpret_cast<const char*>(32649);
HCURSOR LoadCursor(void* instance, const char* cursorId);
// Sets the pointer shape over the window under the mouse; null hides the pointer.
// Returns the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The current message of this thread, as stored by the dispatcher.
const MSG* AfxGetCurrentMessage();
