// CWnd: window regions, invalidation and redrawing.

#include "platform/ui/Wnd.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/WndImpl.h"

using namespace uiimpl;

int CWnd::SetWindowRgn(HRGN region, BOOL redraw)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return 0;
    if (region == 0) {
        w->clearMask();
    } else {
        auto obj = gdi::FindObject(region, GdiObjectKind::Region);
        if (obj == nullptr) return 0;
        w->setMask(obj->region.region);
    }
    if (redraw) w->update();
    return 1;
}

BOOL CWnd::RedrawWindow(const RECT* rect, void*, UINT flags)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    if ((flags & RDW_INVALIDATE) != 0) InvalidateRect(rect, (flags & RDW_ERASE) != 0);
    if ((flags & RDW_UPDATENOW) != 0 && w->isVisible()) w->repaint();
    return TRUE;
}

void CWnd::Invalidate(BOOL)
{
    if (QWidget* w = WidgetOf(m_hWnd)) w->update();
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return;
    if (rect == nullptr) {
        Invalidate(erase);
        return;
    }
    w->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
}

void CWnd::UpdateWindow()
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w != nullptr && w->isVisible()) w->repaint();
}

void CWnd::SetRedraw(BOOL redraw)
{
    if (QWidget* w = WidgetOf(m_hWnd)) {
        w->setUpdatesEnabled(redraw != FALSE);
    }
}
