#pragma once
// What a printing window knows about the job in progress: the pages and the area to draw in.

#include "platform/gdi/GdiTypes.h"

struct CPrintInfo {
    CRect m_rectDraw;            // the drawing area of the current page, in logical units
    UINT m_nCurPage = 1;
    BOOL m_bContinuePrinting = TRUE;
    BOOL m_bPreview = FALSE;
    void* m_lpUserData = nullptr;

    void SetMinPage(UINT page) { m_nMinPage = page; }
    void SetMaxPage(UINT page) { m_nMaxPage = page; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }

private:
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
};
