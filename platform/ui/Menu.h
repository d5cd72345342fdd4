#pragma once
// Menus. The only menu the system uses is a window's own menu (the "system menu" of the
// original), which carries the About entry; here it opens as the window's context menu and
// its entries arrive as WM_SYSCOMMAND with their command ids.

#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

#include <vector>

class CWnd;

class CMenu {
public:
    struct Item {
        UINT flags = 0;
        UINT_PTR id = 0;
        CString text;
    };

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT idOrPosition, CString& text, UINT flags) const;
    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;
};
