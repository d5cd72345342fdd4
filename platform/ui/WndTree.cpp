// CWnd: objects and handles, creation and destruction, and the tree of windows.

#include "platform/ui/Wnd.h"

#include "platform/ui/WndImpl.h"

#include <QScreen>

#include <algorithm>

using namespace uiimpl;

// ---- helpers used by message-map thunks ----

CWnd* AfxWndFromHandle(HWND hwnd) { return CWnd::FromHandle(hwnd); }
CDC* AfxDCFromParam(WPARAM wParam) { return reinterpret_cast<CDC*>(wParam); }
const MSG* AfxGetCurrentMessage() { return CWnd::GetCurrentMessage(); }

// ---- CWnd ----

CWnd::CWnd() = default;

CWnd::CWnd(HWND place) : m_hWnd(place) {}

namespace {
// The z-order places are no windows: their objects never touch the window table.
bool IsPlace(HWND h) { return h == HWND_BOTTOM || h == HWND_TOPMOST || h == HWND_NOTOPMOST; }
}  // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd()
{
    if (m_hWnd == nullptr || IsPlace(m_hWnd)) return;
    Record* r = Find(m_hWnd);
    if (r != nullptr && r->wnd == this) {
        // The derived parts are gone: the window's last messages go to the default handling.
        r->wnd = nullptr;
        DestroyRecord(m_hWnd);
    }
    m_hWnd = nullptr;
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!OnUiThread()) return nullptr;
    Record* r = Find(hwnd);
    if (r == nullptr) return nullptr;
    if (r->wnd != nullptr) return r->wnd;
    if (r->temporary == nullptr) {
        r->temporary.reset(MakeTemporaryFor(*r));
        r->temporary->m_hWnd = hwnd;
    }
    return r->temporary.get();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    Record* r = Find(hwnd);
    return r != nullptr ? r->wnd : nullptr;
}

BOOL CWnd::Attach(HWND hwnd)
{
    Record* r = Find(hwnd);
    if (r == nullptr || m_hWnd != nullptr || (r->wnd != nullptr && r->wnd != this)) return FALSE;
    r->wnd = this;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (Record* r = Find(h); r != nullptr && r->wnd == this) r->wnd = nullptr;
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (parent == nullptr) return FALSE;
    CWnd* item = parent->GetDlgItem(static_cast<int>(id));
    return item != nullptr && SubclassWindow(item->m_hWnd);
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* context)
{
    return CreateEx(0, className, windowName, style, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void*)
{
    if (m_hWnd != nullptr || className == nullptr || !OnUiThread()) return FALSE;
    CreateParams p;
    p.className = className;
    p.text = windowName != nullptr ? windowName : "";
    p.style = style;
    p.exStyle = exStyle;
    p.rect = CRect(rect);
    p.parent = parent != nullptr ? parent->m_hWnd : nullptr;
    p.ctrlId = static_cast<int>(id);
    return CreateWindowRecord(p, this) != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU idOrMenu, void* context)
{
    const CRect rect(x, y, x + cx, y + cy);
    return CreateEx(exStyle, className, windowName, style, rect, FromHandle(parent),
                    static_cast<UINT>(HandleToId(idOrMenu)), context);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr || Find(m_hWnd) == nullptr) return FALSE;
    DestroyRecord(m_hWnd);
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? FromHandle(r->parent) : nullptr;
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    CWnd* old = GetParent();
    const HWND np = newParent != nullptr ? newParent->m_hWnd : nullptr;
    if (Record* op = Find(r->parent)) {
        auto& list = op->children;
        list.erase(std::remove(list.begin(), list.end(), m_hWnd), list.end());
    }
    r->parent = np;
    Record* nr = Find(np);
    if ((r->style & WS_CHILD) != 0 && nr != nullptr) {
        nr->children.push_back(m_hWnd);
        if (r->widget != nullptr) {
            const bool visible = !r->widget->isHidden();
            r->widget->setParent(nr->widget);
            r->widget->setVisible(visible);
        }
    }
    return old;
}

CWnd* CWnd::GetOwner() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr && (r->style & WS_CHILD) == 0 ? FromHandle(r->parent) : GetParent();
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    for (Record* r = Find(h); r != nullptr && (r->style & WS_CHILD) != 0; r = Find(h)) h = r->parent;
    return FromHandle(h);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    for (HWND c : r->children)
        if (Record* cr = Find(c); cr != nullptr && cr->ctrlId == id) return FromHandle(c);
    return nullptr;
}

int CWnd::GetDlgCtrlID() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->ctrlId : 0;
}

int CWnd::SetDlgCtrlID(int id)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    const int old = r->ctrlId;
    r->ctrlId = id;
    return old;
}

CWnd* CWnd::GetWindow(UINT cmd) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    switch (cmd) {
    case GW_CHILD:
        return r->children.empty() ? nullptr : FromHandle(r->children.front());
    case GW_OWNER:
        return (r->style & WS_CHILD) == 0 ? FromHandle(r->parent) : nullptr;
    case GW_HWNDFIRST:
    case GW_HWNDLAST:
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        Record* p = Find(r->parent);
        if (p == nullptr || (r->style & WS_CHILD) == 0) return nullptr;
        const auto& list = p->children;
        auto it = std::find(list.begin(), list.end(), m_hWnd);
        if (it == list.end()) return nullptr;
        if (cmd == GW_HWNDFIRST) return FromHandle(list.front());
        if (cmd == GW_HWNDLAST) return FromHandle(list.back());
        if (cmd == GW_HWNDNEXT) return ++it == list.end() ? nullptr : FromHandle(*it);
        return it == list.begin() ? nullptr : FromHandle(*--it);
    }
    default:
        return nullptr;
    }
}

BOOL CWnd::IsChild(const CWnd* wnd) const
{
    if (wnd == nullptr) return FALSE;
    HWND h = wnd->m_hWnd;
    for (Record* r = Find(h); r != nullptr && (r->style & WS_CHILD) != 0; r = Find(h)) {
        h = r->parent;
        if (h == m_hWnd) return TRUE;
    }
    return FALSE;
}

CWnd* CWnd::ChildWindowFromPoint(POINT point, UINT flags) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return nullptr;
    if (!QRect(0, 0, r->widget->width(), r->widget->height()).contains(point.x, point.y)) return nullptr;
    for (HWND c : r->children) {
        Record* cr = Find(c);
        if (cr == nullptr || cr->widget == nullptr) continue;
        if ((flags & CWP_SKIPINVISIBLE) != 0 && cr->widget->isHidden()) continue;
        if ((flags & CWP_SKIPDISABLED) != 0 && !cr->widget->isEnabled()) continue;
        if (cr->widget->geometry().contains(point.x, point.y)) return FromHandle(c);
    }
    return const_cast<CWnd*>(this);
}

CWnd* CWnd::WindowFromPoint(POINT point)
{
    const QPoint global(point.x, point.y);
    QWidget* top = QApplication::widgetAt(global);
    // widgetAt ignores hidden widgets; disabled windows pass the point to their parent.
    for (QWidget* w = top; w != nullptr; w = w->parentWidget()) {
        Record* r = FindByWidget(w);
        if (r == nullptr) return nullptr;
        if (r->widget != nullptr && r->widget->isEnabled()) return FromHandle(r->HandleValue());
        w = r->widget;
        if (w == nullptr) return nullptr;
    }
    // Off-screen platforms do not always know which window lies on top: search our own.
    for (HWND h : TopLevelWindows()) {
        Record* r = Find(h);
        if (r == nullptr || r->widget == nullptr || !r->widget->isVisible()) continue;
        if (!r->widget->geometry().contains(global)) continue;
        HWND found = h;
        bool descended = true;
        while (descended) {
            descended = false;
            Record* fr = Find(found);
            for (auto it = fr->children.rbegin(); it != fr->children.rend(); ++it) {
                Record* cr = Find(*it);
                if (cr == nullptr || cr->widget == nullptr || !cr->widget->isVisible() || !cr->widget->isEnabled()) continue;
                if (QRect(cr->widget->mapToGlobal(QPoint(0, 0)), cr->widget->size()).contains(global)) {
                    found = *it;
                    descended = true;
                    break;
                }
            }
        }
        return FromHandle(found);
    }
    return nullptr;
}

namespace {
// The desktop: a window object whose rectangle is the primary screen's.
class DesktopWnd : public CWnd {};
}  // namespace

CWnd* CWnd::GetDesktopWindow()
{
    static DesktopWnd* desktop = nullptr;
    if (desktop == nullptr) {
        desktop = new DesktopWnd();
        CreateParams p;
        p.className = "#32770";
        p.isDialog = false;
        p.style = WS_POPUP;
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect g = screen != nullptr ? screen->geometry() : QRect(0, 0, 1920, 1080);
        p.rect = CRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
        p.isDialog = true;
        CreateWindowRecord(p, desktop);
    }
    return desktop;
}
