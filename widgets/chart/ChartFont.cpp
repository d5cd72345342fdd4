#include "widgets/chart/ChartFont.h"

ChartFontDescription::Target ChartFontDescription::TargetOf(CDC* dc)
{
    Target t;
    if (dc == nullptr) return t;
    t.dc = dc->GetSafeHdc();
    t.dpi = dc->GetDeviceCaps(LOGPIXELSY);
    t.mapMode = dc->GetMapMode();
    t.windowCy = dc->GetWindowExt().cy;
    t.viewportCy = dc->GetViewportExt().cy;
    return t;
}

void ChartFontDescription::Select(CDC* dc)
{
    if (dc == nullptr) return;
    const Target target = TargetOf(dc);
    // A font made for the screen would come out far too small (or large) on a printer page.
    if (m_bStale || !(target == m_Target) || m_Font.GetSafeHandle() == 0) {
        m_Font.DeleteObject();
        LOGFONT lf{};
        lf.lfHeight = m_iPointSize;
        lf.lfWeight = m_bBold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = m_bItalic ? 1 : 0;
        lf.lfUnderline = m_bUnderline ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        if (m_bVertical) {
            lf.lfEscapement = 900;
            lf.lfOrientation = 900;
        }
        SetLogFontFaceName(lf, m_strFaceName.c_str());
        m_Font.CreatePointFontIndirect(&lf, dc);
        m_Target = target;
        m_bStale = false;
    }
    m_pOldFont = dc->SelectObject(&m_Font);
}

void ChartFontDescription::Restore(CDC* dc)
{
    if (dc == nullptr || m_pOldFont == nullptr) return;
    dc->SelectObject(m_pOldFont);
    m_pOldFont = nullptr;
}
