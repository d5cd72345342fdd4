// CDC: rectangle and region fills, frames, edges, gradients and pixels.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

using namespace gdi;

void CDC::FillRect(const RECT* rect, CBrush* brush)
{
    if (rect == nullptr || brush == nullptr) return;
    ObjectPtr b = FindObject(brush->m_hObject, GdiObjectKind::Brush);
    GdiRecord r = d->MakeRecord("FillRect");
    r.rect = *rect;
    if (b) {
        r.brushStyle = b->brush.style;
        r.brushColor = b->brush.color;
        r.brushHatch = b->brush.hatch;
    }
    d->Record(std::move(r));
    if (!b || b->brush.style == BS_NULL) return;
    PaintScope p(*d);
    if (!p.ok()) return;
    const QRect box = NormalRect(rect->left, rect->top, rect->right, rect->bottom);
    if (box.isEmpty()) return;
    p.Touch(box);
    p->fillRect(box, QBrushOf(*d, b));
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    if (rect == nullptr) return;
    const int l = Coord(rect->left), t = Coord(rect->top);
    FillSolidRect(l, t, Coord(rect->right) - l, Coord(rect->bottom) - t, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const int right = Coord(static_cast<long long>(x) + cx);
    const int bottom = Coord(static_cast<long long>(y) + cy);
    x = Coord(x);
    y = Coord(y);
    GdiRecord r = d->MakeRecord("FillSolidRect");
    r.rect = CRect(x, y, right, bottom);
    r.color = color & 0x00FFFFFF;
    d->Record(std::move(r));
    // The fill goes through the background colour and leaves it set, which drawing code that
    // follows a FillSolidRect with opaque text relies on.
    d->s.bkColor = color & 0x00FFFFFF;
    PaintScope p(*d);
    const QRect box = NormalRect(x, y, right, bottom);
    if (!p.ok() || box.isEmpty()) return;
    p.Touch(box);
    p->fillRect(box, ToQColor(color));
}

void CDC::FrameRect(const RECT* rect, CBrush* brush)
{
    if (rect == nullptr || brush == nullptr) return;
    ObjectPtr b = FindObject(brush->m_hObject, GdiObjectKind::Brush);
    GdiRecord r = d->MakeRecord("FrameRect");
    r.rect = *rect;
    d->Record(std::move(r));
    if (!b || b->brush.style == BS_NULL) return;
    PaintScope p(*d);
    const QRect box = NormalRect(rect->left, rect->top, rect->right, rect->bottom);
    if (!p.ok() || box.isEmpty()) return;
    p.Touch(box);
    const QBrush qb = QBrushOf(*d, b);
    p->fillRect(QRect(box.left(), box.top(), box.width(), 1), qb);
    p->fillRect(QRect(box.left(), box.bottom(), box.width(), 1), qb);
    p->fillRect(QRect(box.left(), box.top(), 1, box.height()), qb);
    p->fillRect(QRect(box.right(), box.top(), 1, box.height()), qb);
}

void CDC::InvertRect(const RECT* rect)
{
    if (rect == nullptr) return;
    GdiRecord r = d->MakeRecord("InvertRect");
    r.rect = *rect;
    d->Record(std::move(r));
    const int l = Coord(rect->left), t = Coord(rect->top);
    PatBlt(l, t, Coord(rect->right) - l, Coord(rect->bottom) - t, DSTINVERT);
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (rect == nullptr) return;
    const int l = Coord(rect->left), t = Coord(rect->top);
    Draw3dRect(l, t, Coord(rect->right) - l, Coord(rect->bottom) - t, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    x = Coord(x);
    y = Coord(y);
    cx = Coord(cx);
    cy = Coord(cy);
    GdiRecord r = d->MakeRecord("Draw3dRect");
    r.rect = CRect(x, y, x + cx, y + cy);
    r.color = topLeft;
    d->Record(std::move(r));
    const auto saved = d->recording;
    d->recording = nullptr;
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx, y, -1, cy, bottomRight);
    FillSolidRect(x, y + cy, cx, -1, bottomRight);
    d->recording = saved;
}

void CDC::DrawFocusRect(const RECT* rect)
{
    if (rect == nullptr) return;
    GdiRecord r = d->MakeRecord("DrawFocusRect");
    r.rect = *rect;
    d->Record(std::move(r));
    PaintScope p(*d);
    const QRect box = NormalRect(rect->left, rect->top, rect->right, rect->bottom);
    if (!p.ok() || box.isEmpty()) return;
    p.Touch(box);
    // Every other pixel of the frame is inverted.
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    std::vector<QRect> dots;
    for (int x = box.left(); x <= box.right(); x += 2) {
        dots.emplace_back(x, box.top(), 1, 1);
        if (box.bottom() != box.top()) dots.emplace_back(x, box.bottom(), 1, 1);
    }
    for (int y = box.top() + 2; y < box.bottom(); y += 2) {
        dots.emplace_back(box.left(), y, 1, 1);
        if (box.right() != box.left()) dots.emplace_back(box.right(), y, 1, 1);
    }
    FillPixelRects(*p, dots, RGB(255, 255, 255));
}

BOOL CDC::DrawEdge(RECT* rect, UINT edge, UINT flags)
{
    if (rect == nullptr) return FALSE;
    GdiRecord rec = d->MakeRecord("DrawEdge");
    rec.rect = *rect;
    rec.flags = (edge << 16) | (flags & 0xFFFF);
    d->Record(std::move(rec));
    const auto saved = d->recording;
    d->recording = nullptr;
    const COLORREF bk = d->s.bkColor;
    CRect r(*rect);
    // Each of the two borders draws its top-left and bottom-right colours, outer one first.
    struct Border { UINT raised; UINT sunken; int tlRaised; int brRaised; int tlSunken; int brSunken; };
    const Border borders[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    for (const Border& b : borders) {
        if ((edge & (b.raised | b.sunken)) == 0) continue;
        if (r.IsRectEmpty()) break;
        const bool raised = (edge & b.raised) != 0;
        COLORREF tl = GetSysColor(raised ? b.tlRaised : b.tlSunken);
        COLORREF br = GetSysColor(raised ? b.brRaised : b.brSunken);
        if (flags & BF_MONO) { tl = br = GetSysColor(COLOR_WINDOWFRAME); }
        else if (flags & BF_FLAT) { tl = br = GetSysColor(COLOR_BTNSHADOW); }
        if (flags & BF_TOP) FillSolidRect(r.left, r.top, r.Width(), 1, tl);
        if (flags & BF_LEFT) FillSolidRect(r.left, r.top, 1, r.Height(), tl);
        if (flags & BF_BOTTOM) FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, br);
        if (flags & BF_RIGHT) FillSolidRect(r.right - 1, r.top, 1, r.Height(), br);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    }
    if ((flags & BF_MIDDLE) && !r.IsRectEmpty()) FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    if (flags & BF_ADJUST) *rect = r;
    d->s.bkColor = bk;
    d->recording = saved;
    return TRUE;
}

BOOL CDC::GradientFill(const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount, ULONG mode)
{
    if (vertices == nullptr || mesh == nullptr || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return FALSE;
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG m = 0; m < meshCount; ++m) {
        if (rects[m].UpperLeft >= vertexCount || rects[m].LowerRight >= vertexCount) return FALSE;
    }
    GdiRecord rec = d->MakeRecord("GradientFill");
    for (ULONG i = 0; i < vertexCount && i < 64; ++i) rec.points.emplace_back(vertices[i].x, vertices[i].y);
    rec.flags = mode;
    if (meshCount > 0) {
        const TRIVERTEX& a = vertices[rects[0].UpperLeft];
        const TRIVERTEX& b = vertices[rects[0].LowerRight];
        rec.rect = CRect(a.x, a.y, b.x, b.y);
        rec.color = RGB(a.Red >> 8, a.Green >> 8, a.Blue >> 8);
    }
    d->Record(std::move(rec));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    for (ULONG m = 0; m < meshCount; ++m) {
        const TRIVERTEX* a = &vertices[rects[m].UpperLeft];
        const TRIVERTEX* b = &vertices[rects[m].LowerRight];
        const int ax = Coord(a->x), ay = Coord(a->y), bx = Coord(b->x), by = Coord(b->y);
        QRect box(QPoint(std::min(ax, bx), std::min(ay, by)), QPoint(std::max(ax, bx) - 1, std::max(ay, by) - 1));
        if (box.isEmpty()) continue;
        // The colour runs from the vertex on the left (top) to the one on the right (bottom).
        const bool horizontal = mode == GRADIENT_FILL_RECT_H;
        if ((horizontal && a->x > b->x) || (!horizontal && a->y > b->y)) std::swap(a, b);
        const QSize dev = d->DeviceSize();
        const QRect limit = d->ToDevice(box).intersected(QRect(QPoint(-1, -1), dev + QSize(2, 2)));
        if (limit.isEmpty() && d->IdentityMapping()) continue;
        p.Touch(box);
        const int n = horizontal ? box.width() : box.height();
        const int from = horizontal ? std::max(box.left(), limit.left()) - box.left() : std::max(box.top(), limit.top()) - box.top();
        const int to = horizontal ? std::min(box.right(), limit.right()) - box.left() : std::min(box.bottom(), limit.bottom()) - box.top();
        p->setPen(Qt::NoPen);
        for (int i = std::max(from, 0); i <= std::min(to, n - 1); ++i) {
            auto channel = [&](COLOR16 c0, COLOR16 c1) {
                const long long v = c0 + (static_cast<long long>(c1) - c0) * i / n;
                return static_cast<int>(v >> 8);
            };
            const QColor c(channel(a->Red, b->Red), channel(a->Green, b->Green), channel(a->Blue, b->Blue));
            if (horizontal) p->fillRect(QRect(box.left() + i, box.top(), 1, box.height()), c);
            else p->fillRect(QRect(box.left(), box.top() + i, box.width(), 1), c);
        }
    }
    return TRUE;
}

BOOL CDC::FillRgn(CRgn* region, CBrush* brush)
{
    ObjectPtr r = region != nullptr ? FindObject(region->m_hObject, GdiObjectKind::Region) : nullptr;
    ObjectPtr b = brush != nullptr ? FindObject(brush->m_hObject, GdiObjectKind::Brush) : nullptr;
    if (!r || !b) return FALSE;
    GdiRecord rec = d->MakeRecord("FillRgn");
    const QRect box = r->region.region.boundingRect();
    rec.rect = CRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    rec.brushStyle = b->brush.style;
    rec.brushColor = b->brush.color;
    d->Record(std::move(rec));
    if (b->brush.style == BS_NULL) return TRUE;
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    p.Touch(box);
    const QBrush qb = QBrushOf(*d, b);
    for (const QRect& rc : r->region.region) p->fillRect(rc, qb);
    return TRUE;
}

BOOL CDC::FrameRgn(CRgn* region, CBrush* brush, int width, int height)
{
    ObjectPtr r = region != nullptr ? FindObject(region->m_hObject, GdiObjectKind::Region) : nullptr;
    ObjectPtr b = brush != nullptr ? FindObject(brush->m_hObject, GdiObjectKind::Brush) : nullptr;
    if (!r || !b || width < 0 || height < 0) return FALSE;
    GdiRecord rec = d->MakeRecord("FrameRgn");
    const QRect box = r->region.region.boundingRect();
    rec.rect = CRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    rec.brushColor = b->brush.color;
    rec.points = {CPoint(width, height)};
    d->Record(std::move(rec));
    if (b->brush.style == BS_NULL) return TRUE;
    // The frame is the region less the region shrunk by the frame's width and height.
    const QRegion& in = r->region.region;
    QRegion shrunk = in;
    for (int i = 1; i <= std::min(width, 4096); ++i) shrunk = shrunk.intersected(in.translated(i, 0)).intersected(in.translated(-i, 0));
    for (int i = 1; i <= std::min(height, 4096); ++i) shrunk = shrunk.intersected(in.translated(0, i)).intersected(in.translated(0, -i));
    const QRegion frame = in.subtracted(shrunk);
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    p.Touch(box);
    const QBrush qb = QBrushOf(*d, b);
    for (const QRect& rc : frame) p->fillRect(rc, qb);
    return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    x = Coord(x);
    y = Coord(y);
    GdiRecord r = d->MakeRecord("SetPixel");
    r.points = {CPoint(x, y)};
    r.color = color & 0x00FFFFFF;
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return CLR_INVALID;
    p.Touch(QRect(x, y, 1, 1));
    p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
    return color & 0x00FFFFFF;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const BitmapData* b = d->Bitmap();
    if (b == nullptr) return CLR_INVALID;
    const QPoint dev = d->Mapping().map(QPoint(x, y));
    if (!QRect(QPoint(0, 0), LogicalSize(*b)).contains(dev)) return CLR_INVALID;
    if (d->s.hasClip && !d->s.clip.contains(dev)) return CLR_INVALID;
    // On a finer grid a logical pixel reads as the top-left pixel of its block.
    const QPoint fine = dev * b->ratio;
    const int row = b->bottomUp ? b->image.height() - 1 - fine.y() : fine.y();
    return FromRgb(b->image.pixel(fine.x(), row));
}
