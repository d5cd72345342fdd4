// Test hooks into the layer's state: timers, application activation, GDI object counts.

#include "platform/ui/testing/UiTest.h"

#include "platform/gdi/DC.h"
#include "platform/ui/WndImpl.h"

#include <QTimer>

namespace uitest {

int TimerPeriod(CWnd* wnd, UINT_PTR id)
{
    uiimpl::Record* r = wnd != nullptr ? uiimpl::Find(wnd->m_hWnd) : nullptr;
    if (r == nullptr) return 0;
    auto it = r->timers.find(id);
    if (it == r->timers.end() || it->second == nullptr || !it->second->isActive()) return 0;
    return it->second->interval();
}

bool FireTimer(CWnd* wnd, UINT_PTR id)
{
    if (TimerPeriod(wnd, id) == 0) return false;
    uiimpl::Send(wnd->m_hWnd, WM_TIMER, id, 0);
    return true;
}

void SetApplicationActive(bool active) { uiimpl::ApplicationActivationChanged(active); }

std::size_t LiveGdiCount() { return GdiObjectCount() + LiveDCCount(); }

}  // namespace uitest

#include <QApplication>
#include <QMouseEvent>

namespace uitest {

void MiddleClickAt(CWnd* wnd, CPoint p, bool doubleClick)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    QPoint local(p.x, p.y);
    if (QWidget* child = w->childAt(local)) {
        local = child->mapFrom(w, local);
        w = child;
    }
    const QPointF global = w->mapToGlobal(QPointF(local));
    const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(local), global, Qt::MiddleButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    const HWND h = wnd->m_hWnd;
    send(QEvent::MouseButtonPress, Qt::MiddleButton);
    if (uiimpl::WidgetOf(h) == nullptr) return;
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (!doubleClick || uiimpl::WidgetOf(h) == nullptr) return;
    send(QEvent::MouseButtonDblClick, Qt::MiddleButton);
    if (uiimpl::WidgetOf(h) == nullptr) return;
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

}  // namespace uitest
