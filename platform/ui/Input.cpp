// Keyboard state, the mouse pointer position and pointer shapes, and the window's own menu.

#include "platform/ui/Menu.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndImpl.h"

#include <QCursor>

using namespace uiimpl;

BOOL GetCursorPos(LPPOINT point)
{
    if (point == nullptr) return FALSE;
    *point = CursorPosition();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    QCursor::setPos(x, y);
    TrackCursor(QPoint(x, y));
    return TRUE;
}

short GetAsyncKeyState(int virtualKey) { return IsKeyDown(virtualKey) ? static_cast<short>(0x8000) : 0; }
short GetKeyState(int virtualKey) { return GetAsyncKeyState(virtualKey); }

namespace {
HCURSOR currentCursor = 32512;

Qt::CursorShape ShapeOf(HCURSOR cursor)
{
    switch (cursor) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32649: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}
}  // namespace

HCURSOR LoadCursor(void*, const char* cursorId)
{
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(cursorId));
    if (id < 32512 || id > 32650) return 0;
    return id;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR old = currentCursor;
    currentCursor = cursor;
    // The pointer shape belongs to the window whose mouse message is being handled.
    const MSG* msg = CWnd::GetCurrentMessage();
    QWidget* w = msg != nullptr ? WidgetOf(msg->hwnd) : nullptr;
    if (w != nullptr) {
        if (cursor == 0) w->setCursor(Qt::BlankCursor);
        else w->setCursor(ShapeOf(cursor));
    }
    return old;
}

HCURSOR GetCursor() { return currentCursor; }

// ---- CMenu ----

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text)
{
    Item item;
    item.flags = flags;
    item.id = id;
    item.text = CString(text != nullptr ? text : "");
    items_.push_back(item);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    if ((flags & MF_BYPOSITION) != 0) {
        if (position >= items_.size()) return FALSE;
        items_.erase(items_.begin() + position);
        return TRUE;
    }
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->id == position && (it->flags & MF_SEPARATOR) == 0) {
            items_.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

UINT CMenu::GetMenuItemID(int position) const
{
    if (position < 0 || position >= static_cast<int>(items_.size())) return static_cast<UINT>(-1);
    const Item& item = items_[static_cast<std::size_t>(position)];
    return (item.flags & MF_SEPARATOR) != 0 ? 0 : static_cast<UINT>(item.id);
}

int CMenu::GetMenuString(UINT idOrPosition, CString& text, UINT flags) const
{
    text.Empty();
    if ((flags & MF_BYPOSITION) != 0) {
        if (idOrPosition >= items_.size()) return 0;
        text = items_[idOrPosition].text;
        return text.GetLength();
    }
    for (const Item& item : items_) {
        if (item.id == idOrPosition && (item.flags & MF_SEPARATOR) == 0) {
            text = item.text;
            return text.GetLength();
        }
    }
    return 0;
}
