// CWnd: rectangles, coordinates, positions and screen metrics.

#include "platform/ui/Wnd.h"

#include "platform/ui/WndImpl.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

using namespace uiimpl;

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (rect == nullptr) return;
    *rect = RECT{0, 0, 0, 0};
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return;
    QWidget* w = r->widget;
    QRect g;
    if (w->isWindow()) g = OuterRect(w);
    else g = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    *rect = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CWnd::GetClientRect(LPRECT rect) const
{
    if (rect == nullptr) return;
    *rect = RECT{0, 0, 0, 0};
    if (const Record* r = Find(m_hWnd); r != nullptr && r->behaviour != nullptr && r->behaviour->ClientRect(*r, *rect))
        return;
    QWidget* w = WidgetOf(m_hWnd);
    if (w != nullptr) *rect = RECT{0, 0, w->width(), w->height()};
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr || point == nullptr) return;
    const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    if (rect == nullptr) return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ScreenToClient(&a);
    ScreenToClient(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr || point == nullptr) return;
    const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    if (rect == nullptr) return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ClientToScreen(&a);
    ClientToScreen(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

namespace uiimpl {

namespace {

// The smallest frame that still shows a caption's buttons and a little of its title.
constexpr int kMinTrackWidth = 136;
constexpr int kMinTrackHeight = 39;

// The frames a window manager draws, by the kind of window (caption, thick frame): until a
// window's own frame is known, it is taken to get the frame its kind gets, as the window
// manager answered when asked before the first window of the kind was shown, or as it drew
// around the last one. Code that works out an outer size from the client area it wants then
// gets the client area it wanted, in the first window of a kind too. A kind the window manager
// could not be asked about has no entry until a window of it is framed.
std::map<DWORD, std::optional<QMargins>>& FramesDrawn()
{
    static auto* frames = new std::map<DWORD, std::optional<QMargins>>();
    return *frames;
}

DWORD FrameKind(const QWidget* window)
{
    const Record* r = FindByWidget(window);
    return r != nullptr ? r->style & (WS_CAPTION | WS_THICKFRAME) : 0;
}

// The frame the window system reports around the window now: none before a window manager has
// framed it, and none without one. While the window manager is still framing the window, Qt on
// X11 may work the frame out from a frame window not yet grown round it, and report negative
// margins as wide as the window: no frame is known yet then.
QMargins ReportedFrame(const QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (handle == nullptr) return QMargins();
    const QMargins frame = handle->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return QMargins();
    return frame;
}

QSize Shrunk(QSize outer, QMargins frame)
{
    return QSize(std::max(0, outer.width() - frame.left() - frame.right()), std::max(0, outer.height() - frame.top() - frame.bottom()));
}

// A window with a thick frame tells the window system how small its user may make it: the
// smallest outer size it answers WM_GETMINMAXINFO with, less the frame. The window manager
// then refuses smaller frames instead of the window fighting them afterwards.
void FollowMinimum(Record& r)
{
    if (r.widget == nullptr || (r.style & (WS_CHILD | WS_THICKFRAME)) != WS_THICKFRAME) return;
    MINMAXINFO info;
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = POINT{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    const HWND h = r.HandleValue();
    Send(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    Record* still = Find(h);
    if (still == nullptr || still->widget == nullptr) return;
    QWidget* w = still->widget;
    const QSize smallest = Shrunk(QSize(std::max(0, info.ptMinTrackSize.x), std::max(0, info.ptMinTrackSize.y)), FrameMargins(w));
    if (w->minimumSize() != smallest) w->setMinimumSize(smallest);
}

}  // namespace

QMargins FrameMargins(const QWidget* window)
{
    if (window == nullptr || !window->isWindow()) return QMargins();
    const QMargins reported = ReportedFrame(window);
    if (!reported.isNull()) return reported;
    const DWORD kind = FrameKind(window);
    auto it = FramesDrawn().find(kind);
    if (it == FramesDrawn().end()) {
        if ((kind & WS_CAPTION) != WS_CAPTION) return QMargins();
        it = FramesDrawn().emplace(kind, AskFrameExtents(kind)).first;
    }
    return it->second.value_or(QMargins());
}

QRect OuterRect(const QWidget* window)
{
    const QMargins frame = FrameMargins(window);
    QPoint corner = window->frameGeometry().topLeft();
    if (const Record* r = FindByWidget(window); r != nullptr && r->widget == window && r->outerCornerWhileHidden && !window->isVisible())
        corner = *r->outerCornerWhileHidden;
    return QRect(corner, window->size().grownBy(frame));
}

void FollowSizeRule(Record& r)
{
    QWidget* w = r.widget;
    if (w == nullptr || (r.style & WS_CHILD) != 0) return;
    const bool fixed = (r.style & WS_THICKFRAME) == 0;
    if (fixed) {
        w->setMinimumSize(w->size());
        w->setMaximumSize(w->size());
    } else if (r.fixedSize) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    r.fixedSize = fixed;
    FollowMinimum(r);
    TellFrameFunctions(r);
}

void ResizeOuter(Record& r, QSize outer)
{
    QWidget* w = r.widget;
    if (w == nullptr) return;
    const QMargins frame = FrameMargins(w);
    r.frameSeen = frame;
    // Without its own frame yet the window may still get another one than assumed: the size is
    // put right once it does.
    r.wantedOuterSize = ReportedFrame(w).isNull() ? outer : QSize();
    ResizeWindow(r, Shrunk(outer, frame));
    r.clientWhileUnframed = w->size();
}

void FrameMayHaveChanged(Record& r)
{
    QWidget* w = r.widget;
    if (w == nullptr || !w->isWindow() || (r.style & WS_CHILD) != 0) return;
    const QMargins reported = ReportedFrame(w);
    if (!reported.isNull()) FramesDrawn()[FrameKind(w)] = reported;
    const QMargins frame = FrameMargins(w);
    if (!reported.isNull() && r.wantedOuterSize.isValid()) {
        const QSize outer = r.wantedOuterSize;
        r.wantedOuterSize = QSize();
        // The frame turned out other than assumed: the outer size is kept, unless someone has
        // resized the window since.
        if (frame != r.frameSeen && w->size() == r.clientWhileUnframed) {
            const bool wasPositioning = positioning;
            positioning = true;
            ResizeWindow(r, Shrunk(outer, frame));
            positioning = wasPositioning;
        }
    }
    if (frame == r.frameSeen) return;
    r.frameSeen = frame;
    FollowMinimum(r);
}

void ResizeWindow(Record& r, QSize size)
{
    QWidget* w = r.widget;
    if (w == nullptr) return;
    if (!r.fixedSize) {
        w->resize(size);
        return;
    }
    // Loosened first and fixed again after, so that the window goes straight to its new size
    // (a bound moved before the other would pass through a size between the two).
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->resize(size);
    w->setMinimumSize(size);
    w->setMaximumSize(size);
}

}  // namespace uiimpl

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0u : SWP_NOREDRAW));
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    if (rect != nullptr) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    QWidget* w = r->widget;
    const bool top = w->isWindow();
    const QRect frame = top ? OuterRect(w) : w->geometry();

    WINDOWPOS pos;
    pos.hwnd = m_hWnd;
    pos.hwndInsertAfter = insertAfter != nullptr ? insertAfter->m_hWnd : nullptr;
    pos.x = (flags & SWP_NOMOVE) != 0 ? frame.x() : x;
    pos.y = (flags & SWP_NOMOVE) != 0 ? frame.y() : y;
    pos.cx = (flags & SWP_NOSIZE) != 0 ? frame.width() : cx;
    pos.cy = (flags & SWP_NOSIZE) != 0 ? frame.height() : cy;
    pos.flags = flags;
    SendMessage(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    w = r->widget;
    positioning = true;
    if ((pos.flags & SWP_NOMOVE) == 0) {
        w->move(pos.x, pos.y);
        if (top && !w->isVisible()) r->outerCornerWhileHidden = QPoint(pos.x, pos.y);
    }
    if ((pos.flags & SWP_NOSIZE) == 0) {
        if (top) ResizeOuter(*r, QSize(std::max(0, pos.cx), std::max(0, pos.cy)));
        else ResizeWindow(*r, QSize(std::max(0, pos.cx), std::max(0, pos.cy)));
    }
    positioning = false;
    if ((pos.flags & SWP_NOZORDER) == 0) {
        const HWND place = insertAfter != nullptr ? insertAfter->m_hWnd : HWND_TOP;
        if (place == HWND_BOTTOM) {
            if (top) LowerWindow(w);
            else w->lower();
        } else if (place == HWND_TOP || place == HWND_TOPMOST) {
            if (top) RaiseWindow(w);
            else w->raise();
        }
    }
    if ((pos.flags & SWP_SHOWWINDOW) != 0) ShowWindow((pos.flags & SWP_NOACTIVATE) != 0 ? SW_SHOWNA : SW_SHOW);
    if ((pos.flags & SWP_HIDEWINDOW) != 0) ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    CRect mine;
    GetWindowRect(&mine);
    CRect area;
    CWnd* owner = alternateOwner != nullptr ? alternateOwner : GetOwner();
    if (owner != nullptr && owner->IsWindowVisible()) owner->GetWindowRect(&area);
    else GetDesktopWindow()->GetWindowRect(&area);
    const int x = area.left + (area.Width() - mine.Width()) / 2;
    const int y = area.top + (area.Height() - mine.Height()) / 2;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int GetSystemMetrics(int index)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
    case SM_CXSCREEN: return screen != nullptr ? screen->geometry().width() : 1920;
    case SM_CYSCREEN: return screen != nullptr ? screen->geometry().height() : 1080;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        // The thickness the lists' and edits' own scroll bars take, so that room made for one
        // is exactly what it uses.
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
                   ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                   : 17;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXMINTRACK: return kMinTrackWidth;
    case SM_CYMINTRACK: return kMinTrackHeight;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN: {
        // The union of every screen's rectangle.
        QRect all;
        for (QScreen* s : QGuiApplication::screens()) all = all.united(s->geometry());
        if (all.isEmpty()) all = QRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        if (index == SM_XVIRTUALSCREEN) return all.left();
        if (index == SM_YVIRTUALSCREEN) return all.top();
        return index == SM_CXVIRTUALSCREEN ? all.width() : all.height();
    }
    case SM_CMONITORS: return std::max(1, static_cast<int>(QGuiApplication::screens().size()));
    default: return 0;
    }
}
