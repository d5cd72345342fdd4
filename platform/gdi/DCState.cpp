// CDC: selected objects, saved states, attributes and mapping.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <QPagedPaintDevice>

using namespace gdi;

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    ObjectPtr o = FindObject(object);
    if (!o) return 0;
    HGDIOBJ previous = 0;
    switch (o->kind) {
    case GdiObjectKind::Pen:
        previous = d->s.hPen;
        d->s.hPen = object;
        d->s.pen = o;
        break;
    case GdiObjectKind::Brush:
        previous = d->s.hBrush;
        d->s.hBrush = object;
        d->s.brush = o;
        break;
    case GdiObjectKind::Font:
        previous = d->s.hFont;
        d->s.hFont = object;
        d->s.font = o;
        break;
    case GdiObjectKind::Bitmap:
        if (!d->memory) return 0;
        previous = d->s.hBitmap;
        d->s.hBitmap = object;
        d->s.bitmap = o;
        break;
    case GdiObjectKind::Region:
        return static_cast<HGDIOBJ>(SelectClipRgn(CRgn::FromHandle(object)));
    default: return 0;
    }
    return previous;
}

CPen* CDC::SelectObject(CPen* pen)
{
    if (pen == nullptr) return nullptr;
    return CPen::FromHandle(SelectObject(pen->m_hObject));
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    if (brush == nullptr) return nullptr;
    return CBrush::FromHandle(SelectObject(brush->m_hObject));
}

CFont* CDC::SelectObject(CFont* font)
{
    if (font == nullptr) return nullptr;
    return CFont::FromHandle(SelectObject(font->m_hObject));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (bitmap == nullptr) return nullptr;
    return CBitmap::FromHandle(SelectObject(bitmap->m_hObject));
}

int CDC::SelectObject(CRgn* region) { return SelectClipRgn(region); }

CGdiObject* CDC::SelectStockObject(int index)
{
    return CGdiObject::FromHandle(SelectObject(::GetStockObject(index)));
}

CPen* CDC::GetCurrentPen() const { return CPen::FromHandle(d->s.hPen); }
CBrush* CDC::GetCurrentBrush() const { return CBrush::FromHandle(d->s.hBrush); }
CFont* CDC::GetCurrentFont() const { return CFont::FromHandle(d->s.hFont); }
CBitmap* CDC::GetCurrentBitmap() const { return CBitmap::FromHandle(d->s.hBitmap); }

int CDC::SaveDC()
{
    if (d->saved.size() >= 4096) return 0;
    d->saved.push_back(d->s);
    return static_cast<int>(d->saved.size());
}

BOOL CDC::RestoreDC(int savedDC)
{
    const int count = static_cast<int>(d->saved.size());
    const int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
    if (level < 1 || level > count) return FALSE;
    const bool memory = d->memory;
    d->s = d->saved[static_cast<std::size_t>(level - 1)];
    d->saved.resize(static_cast<std::size_t>(level - 1));
    if (!memory) { d->s.bitmap.reset(); d->s.hBitmap = 0; }
    return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(d->s.textColor, color & 0x00FFFFFF); }
COLORREF CDC::GetTextColor() const { return d->s.textColor; }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(d->s.bkColor, color & 0x00FFFFFF); }
COLORREF CDC::GetBkColor() const { return d->s.bkColor; }
int CDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(d->s.bkMode, mode);
}
int CDC::GetBkMode() const { return d->s.bkMode; }
UINT CDC::SetTextAlign(UINT flags) { return std::exchange(d->s.textAlign, flags); }
UINT CDC::GetTextAlign() const { return d->s.textAlign; }
int CDC::SetArcDirection(int direction)
{
    if (direction != AD_CLOCKWISE && direction != AD_COUNTERCLOCKWISE) return 0;
    return std::exchange(d->s.arcDirection, direction);
}
int CDC::GetArcDirection() const { return d->s.arcDirection; }
int CDC::SetPolyFillMode(int mode)
{
    if (mode != ALTERNATE && mode != WINDING) return 0;
    return std::exchange(d->s.polyFillMode, mode);
}
int CDC::GetPolyFillMode() const { return d->s.polyFillMode; }
int CDC::SetStretchBltMode(int mode) { return std::exchange(d->s.stretchMode, mode); }
int CDC::SetTextJustification(int breakExtra, int breakCount)
{
    d->s.breakExtra = breakCount > 0 ? breakExtra : 0;
    d->s.breakCount = std::max(breakCount, 0);
    return TRUE;
}

int CDC::SetMapMode(int mode)
{
    if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
    return std::exchange(d->s.mapMode, mode);
}
int CDC::GetMapMode() const { return d->s.mapMode; }
CSize CDC::GetWindowExt() const { return d->s.windowExt; }
CSize CDC::GetViewportExt() const { return d->s.viewportExt; }
CSize CDC::SetWindowExt(int cx, int cy)
{
    if (d->s.mapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return d->s.windowExt;
    return std::exchange(d->s.windowExt, CSize(cx, cy));
}
CSize CDC::SetViewportExt(int cx, int cy)
{
    if (d->s.mapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return d->s.viewportExt;
    return std::exchange(d->s.viewportExt, CSize(cx, cy));
}
CPoint CDC::SetWindowOrg(int x, int y) { return std::exchange(d->s.windowOrg, CPoint(x, y)); }
CPoint CDC::SetViewportOrg(int x, int y) { return std::exchange(d->s.viewportOrg, CPoint(x, y)); }
CPoint CDC::OffsetViewportOrg(int dx, int dy)
{
    const CPoint old = d->s.viewportOrg;
    d->s.viewportOrg.Offset(dx, dy);
    return old;
}

int CDC::GetDeviceCaps(int index) const
{
    const QSize size = d->printer != nullptr ? QSize(d->printer->width(), d->printer->height()) : d->DeviceSize();
    switch (index) {
    case LOGPIXELSX: return d->printer != nullptr ? d->printer->logicalDpiX() : 96;
    case LOGPIXELSY: return d->printer != nullptr ? d->printer->logicalDpiY() : 96;
    case HORZRES: return size.width();
    case VERTRES: return size.height();
    case HORZSIZE: return static_cast<int>(size.width() * 254LL / (10LL * std::max(GetDeviceCaps(LOGPIXELSX), 1)));
    case VERTSIZE: return static_cast<int>(size.height() * 254LL / (10LL * std::max(GetDeviceCaps(LOGPIXELSY), 1)));
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    default: return 0;
    }
}
