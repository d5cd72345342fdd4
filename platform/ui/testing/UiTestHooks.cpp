// Test hooks into the layer's state: timers, application activation, GDI object counts.

#include "platform/ui/testing/UiTest.h"

#include "platform/gdi/DC.h"
#include "platform/ui/WndImpl.h"

#include <QTimer>
#include <QWindow>

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

CSize SmallestClientSize(CWnd* wnd)
{
    QWidget* w = uiimpl::WidgetOf(wnd);
    if (w == nullptr) return CSize(0, 0);
    const QWindow* window = w->window()->windowHandle();
    const QSize smallest = window != nullptr ? window->minimumSize() : w->window()->minimumSize();
    return CSize(smallest.width(), smallest.height());
}

std::size_t LiveGdiCount() { return GdiObjectCount() + LiveDCCount(); }

}  // namespace uitest
