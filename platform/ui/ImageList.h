#pragma once
// An image list: images of one size, addressed by index, that list views draw in their cells.
// The list keeps copies of the icons it is given. A list view holds the list's handle, not the
// object, so an image list destroyed first leaves the cells without images instead of dangling.

#include "platform/gdi/GdiObjects.h"
#include "platform/ui/UiTypes.h"

#include <vector>

struct HIMAGELIST__;
using HIMAGELIST = HIMAGELIST__*;

inline constexpr UINT ILC_MASK = 0x0001;
inline constexpr UINT ILC_COLOR32 = 0x0020;

class CImageList {
public:
    CImageList() = default;
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    // The image list behind a handle; null for an unknown or destroyed one.
    static CImageList* FromHandle(HIMAGELIST list);

    // Images of cx x cy pixels; the flags, the initial count and the growth step are accepted as
    // the callers give them (the list grows as needed).
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    // A copy of the icon (drawn at the list's size); its index, or -1.
    int Add(HICON icon);
    int GetImageCount() const;
    // The image's icon (owned by the list), or 0 for an index outside the list.
    HICON GetIcon(int index) const;
    int Width() const { return cx_; }
    int Height() const { return cy_; }

private:
    int cx_ = 0;
    int cy_ = 0;
    std::vector<HICON> icons_;
};
