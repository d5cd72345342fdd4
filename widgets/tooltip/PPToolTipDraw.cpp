// The tip on screen: the painted body with the text and border, laid over what lay behind the
// window with a soft shadow, at the current transparency.

#include "widgets/tooltip/PPToolTip.h"

#include "platform/ui/PaintDC.h"

#include <algorithm>

void CPPToolTip::OnPaint()
{
    CPaintDC dc(this);
    if (m_bmpBody.m_hObject == 0 || m_bmpBackground.m_hObject == 0) return;  // nothing prepared
    const int t = std::clamp(m_nPaintTransparency >= 0 ? m_nPaintTransparency : m_nTransparency, 0, 100);
    Compose(&dc, t);
}

void CPPToolTip::Compose(CDC* target, int transparency)
{
    const int width = m_rcTipArea.Width() - m_szShadowOffset.cx;
    const int height = m_rcTipArea.Height() - m_szShadowOffset.cy;
    if (width <= 0 || height <= 0) return;

    // The tip itself: body, text, border.
    CDC work;
    work.CreateCompatibleDC(target);
    CBitmap workBitmap;
    if (!workBitmap.CreateCompatibleBitmap(target, width, height)) return;
    CBitmap* oldWork = work.SelectObject(&workBitmap);
    {
        CDC body;
        body.CreateCompatibleDC(target);
        CBitmap* old = body.SelectObject(&m_bmpBody);
        work.BitBlt(0, 0, width, height, &body, 0, 0, SRCCOPY);
        body.SelectObject(old);
    }
    if (m_drawer.HasText()) m_drawer.DrawHtml(work.GetSafeHdc(), &m_rcContent);
    if (m_brBorder.m_hObject != 0 && m_nBorderWidth != 0 && m_nBorderHeight != 0) DrawBorder(&work, &m_rgnTip);

    // What lay behind the window.
    CDC composition;
    composition.CreateCompatibleDC(target);
    CBitmap compositionBitmap;
    if (!compositionBitmap.CreateCompatibleBitmap(target, m_rcTipArea.Width(), m_rcTipArea.Height())) {
        work.SelectObject(oldWork);
        return;
    }
    CBitmap* oldComposition = composition.SelectObject(&compositionBitmap);
    {
        CDC background;
        background.CreateCompatibleDC(target);
        CBitmap* old = background.SelectObject(&m_bmpBackground);
        composition.BitBlt(0, 0, m_rcTipArea.Width(), m_rcTipArea.Height(), &background, 0, 0, SRCCOPY);
        background.SelectObject(old);
    }

    // The shadow fades with the tip: its grey runs from the full darkness to white.
    if (m_szShadowOffset.cx != 0 || m_szShadowOffset.cy != 0) {
        CDC mask;
        mask.CreateCompatibleDC(target);
        CBitmap maskBitmap;
        if (maskBitmap.CreateCompatibleBitmap(target, width, height)) {
            CBitmap* old = mask.SelectObject(&maskBitmap);
            mask.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
            const int darkest = MulDiv(255, 100 - m_nShadowDarkness, 100);
            const int grey = darkest + (255 - darkest) * transparency / 100;
            CBrush brush(RGB(grey, grey, grey));
            mask.FillRgn(&m_rgnTip, &brush);
            mask.SelectObject(old);
            m_drawer.GetDrawManager().CastShadow(composition.GetSafeHdc(), m_szShadowOffset.cx, m_szShadowOffset.cy,
                                                 width, height, maskBitmap, m_bGradientShadow, m_szShadowDepth.cx,
                                                 m_szShadowDepth.cy);
        }
    }

    composition.SelectClipRgn(&m_rgnTip);
    m_drawer.GetDrawManager().BlendBitmap(work.GetSafeHdc(), composition.GetSafeHdc(), 0, 0, width, height,
                                          100 - transparency);
    composition.SelectClipRgn(nullptr);

    target->BitBlt(0, 0, m_rcTipArea.Width(), m_rcTipArea.Height(), &composition, 0, 0, SRCCOPY);
    composition.SelectObject(oldComposition);
    work.SelectObject(oldWork);
}
