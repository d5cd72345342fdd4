// CWnd: timers.

#include "platform/ui/Wnd.h"

#include "platform/ui/WndImpl.h"

#include <QTimer>

using namespace uiimpl;

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void (*timerProc)(HWND, UINT, UINT_PTR, DWORD))
{
    if (!OnUiThread()) return 0;
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    QTimer*& timer = r->timers[id];
    if (timer == nullptr) {
        timer = new QTimer();
        const HWND h = m_hWnd;
        // The tick is handed on as a posted call rather than run inside the timer's own slot:
        // Qt does not fire a timer again while its slot runs, but a WM_TIMER handler may open a
        // modal loop in which this very timer must keep ticking. As with WM_TIMER, at most one
        // tick of a timer waits at a time.
        auto pending = std::make_shared<bool>(false);
        QObject::connect(timer, &QTimer::timeout, timer, [h, id, timerProc, pending] {
            if (*pending) return;
            *pending = true;
            PostToUi([h, id, timerProc, pending] {
                *pending = false;
                Record* r = Find(h);
                if (r == nullptr || r->timers.count(id) == 0) return;  // killed meanwhile
                if (timerProc != nullptr) timerProc(h, WM_TIMER, id, 0);
                else uiimpl::Send(h, WM_TIMER, id, 0);
            });
        });
    }
    timer->start(static_cast<int>(std::max<UINT>(1, elapseMs)));
    return id != 0 ? id : 1;
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    auto it = r->timers.find(id);
    if (it == r->timers.end()) return FALSE;
    it->second->stop();
    it->second->deleteLater();
    r->timers.erase(it);
    return TRUE;
}
