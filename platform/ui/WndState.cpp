// CWnd: styles, showing, enabling, focus, activation and mouse capture.

#include "platform/ui/Wnd.h"

#include "platform/ui/WndImpl.h"

using namespace uiimpl;

DWORD CWnd::GetStyle() const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    DWORD style = r->style & ~(WS_VISIBLE | WS_DISABLED);
    if (r->widget != nullptr && (!r->widget->isHidden() || r->showDeferred)) style |= WS_VISIBLE;
    if (r->widget != nullptr && r->widget->testAttribute(Qt::WA_ForceDisabled)) style |= WS_DISABLED;
    return style;
}

DWORD CWnd::GetExStyle() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->exStyle : 0;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    const DWORD old = GetStyle();  // visibility and enabling as they are now
    r->style = (old & ~remove) | add;
    if ((r->style & WS_VISIBLE) == 0) r->showDeferred = false;
    if (((old ^ r->style) & WS_VISIBLE) != 0 && r->widget != nullptr) r->widget->setVisible((r->style & WS_VISIBLE) != 0);
    if (((old ^ r->style) & WS_DISABLED) != 0 && r->widget != nullptr) r->widget->setEnabled((r->style & WS_DISABLED) == 0);
    if (((old ^ r->style) & (WS_THICKFRAME | WS_CHILD)) != 0) FollowSizeRule(*r);
    if (old != r->style) r->behaviour->StyleChanged(*r);
    return old != r->style;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    const DWORD old = r->exStyle;
    r->exStyle = (r->exStyle & ~remove) | add;
    return old != r->exStyle;
}

namespace {

void ShowNow(QWidget* w, int command)
{
    switch (command) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->show();
        break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: w->showMinimized(); break;
    case SW_RESTORE: w->showNormal(); break;
    default:
        w->show();
        if (w->isWindow() && !w->testAttribute(Qt::WA_ShowWithoutActivating)) RaiseWindow(w);
        break;
    }
}

// A window manager keeps an owned window above its owner only when the owner is one of its
// windows already as it maps the owned one; one mapped first floats free of it for good. The
// tool windows a main window restores while it sets itself up are shown before the main
// window is, so a window whose owner is hidden is shown at the next turn of the event loop,
// by which time an owner being set up has been shown. An owner that stays hidden holds
// nothing back for longer than that.
bool DeferUntilOwnerShown(Record& r, int command)
{
    QWidget* w = r.widget;
    if (r.showDeferred) {
        r.deferredShow = command;
        return true;
    }
    if (!w->isWindow() || !w->isHidden() || w->parentWidget() == nullptr) return false;
    if (!w->parentWidget()->window()->isHidden()) return false;
    r.showDeferred = true;
    r.deferredShow = command;
    const HWND h = r.HandleValue();
    PostToUi([h] {
        Record* later = Find(h);
        if (later == nullptr || !later->showDeferred || later->widget == nullptr) return;
        later->showDeferred = false;
        QWidget* window = later->widget;
        ShowNow(window, later->deferredShow);
        // The keyboard stays with the owner, which took it when it was shown.
        if (QWidget* owner = window->parentWidget(); owner != nullptr && owner->window()->isVisible())
            owner->window()->activateWindow();
    });
    return true;
}

}  // namespace

BOOL CWnd::ShowWindow(int command)
{
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, command] {
            if (CWnd* w = FromHandle(h)) w->ShowWindow(command);
        });
        return FALSE;
    }
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    QWidget* w = r->widget;
    const BOOL wasVisible = !w->isHidden() || r->showDeferred;
    if (command == SW_HIDE) r->showDeferred = false;
    else if (DeferUntilOwnerShown(*r, command)) return wasVisible;
    ShowNow(w, command);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    return r->widget->isVisible() || r->showDeferred;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, enable] {
            if (CWnd* w = FromHandle(h)) w->EnableWindow(enable);
        });
        return FALSE;
    }
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    const BOOL wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && !w->testAttribute(Qt::WA_ForceDisabled);
}

BOOL CWnd::IsIconic() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && w->isMinimized();
}

BOOL CWnd::IsZoomed() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && w->isMaximized();
}

CWnd* CWnd::SetFocus()
{
    CWnd* old = GetFocus();
    if (QWidget* w = WidgetOf(m_hWnd)) {
        if (QWidget* top = w->window(); top != nullptr && top->isVisible()) top->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
    }
    return old;
}

CWnd* CWnd::GetFocus()
{
    QWidget* w = QApplication::focusWidget();
    // Without a window system that activates windows, the focus is the one of the window on top.
    if (w == nullptr) {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr) top = QApplication::activeWindow();
        if (top != nullptr) w = top->focusWidget();
    }
    Record* r = FindByWidget(w);
    return r != nullptr ? FromHandle(r->HandleValue()) : nullptr;
}

BOOL CWnd::SetForegroundWindow()
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    RaiseWindow(w->window());
    w->window()->activateWindow();
    return TRUE;
}

CWnd* CWnd::GetActiveWindow()
{
    Record* r = FindByWidget(QApplication::activeWindow());
    return r != nullptr ? FromHandle(r->HandleValue()) : nullptr;
}

CWnd* CWnd::SetCapture()
{
    CWnd* old = GetCapture();
    SetCaptureWindow(m_hWnd);
    return old;
}

CWnd* CWnd::GetCapture() { return FromHandle(CaptureWindow()); }

BOOL ReleaseCapture()
{
    const HWND old = CaptureWindow();
    SetCaptureWindow(nullptr);
    if (old != nullptr) uiimpl::Send(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}
