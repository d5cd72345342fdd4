#pragma once
// What the report list keeps for each row besides its texts: the caller's item data and one text
// and one back colour per column.

#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/Exceptions.h"
#include "platform/ui/UiTypes.h"

#include <vector>

struct ReportRowData {
    // What callers see as the row's item data.
    DWORD_PTR userData = 0;
    std::vector<COLORREF> textColors;
    std::vector<COLORREF> backColors;

    // Column indexes outside the arrays raise CInvalidArgException.
    COLORREF TextColor(int column) const { return textColors[Checked(column, textColors.size())]; }
    COLORREF BackColor(int column) const { return backColors[Checked(column, backColors.size())]; }
    void SetTextColor(int column, COLORREF color) { textColors[Checked(column, textColors.size())] = color; }
    void SetBackColor(int column, COLORREF color) { backColors[Checked(column, backColors.size())] = color; }
    // A column inserted at index (0..size) moves the later entries up.
    void InsertColumn(int index, COLORREF text, COLORREF back)
    {
        textColors.insert(textColors.begin() + static_cast<long>(Checked(index, textColors.size() + 1)), text);
        backColors.insert(backColors.begin() + static_cast<long>(Checked(index, backColors.size() + 1)), back);
    }
    bool HasColumn(int column) const
    {
        return column >= 0 && static_cast<std::size_t>(column) < textColors.size() &&
               static_cast<std::size_t>(column) < backColors.size();
    }

private:
    static std::size_t Checked(int index, std::size_t size)
    {
        if (index < 0 || static_cast<std::size_t>(index) >= size) AfxThrowInvalidArgException();
        return static_cast<std::size_t>(index);
    }
};
