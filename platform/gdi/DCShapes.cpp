// CDC: rectangles, ellipses, rounded rectangles and arcs.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <cmath>
#include <numbers>

using namespace gdi;

namespace {

// Points of an elliptic arc inside the box from angle a0 sweeping by `sweep` (radians,
// counter-clockwise on screen when positive).
std::vector<QPoint> ArcPoints(const QRectF& box, double a0, double sweep)
{
    std::vector<QPoint> pts;
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    const QPointF c = box.center();
    const int steps = std::clamp(static_cast<int>(std::abs(sweep) * std::max(rx, ry) / 2), 8, 2000);
    for (int i = 0; i <= steps; ++i) {
        const double a = a0 + sweep * i / steps;
        const QPoint q(static_cast<int>(std::lround(c.x() + rx * std::cos(a))),
                       static_cast<int>(std::lround(c.y() - ry * std::sin(a))));
        if (pts.empty() || pts.back() != q) pts.push_back(q);
    }
    return pts;
}

}  // namespace

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    GdiRecord r = d->MakeRecord("Rectangle");
    r.rect = CRect(left, top, right, bottom);
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.isEmpty()) return TRUE;
    p.Touch(box);
    const bool nullPen = IsNullPen(d->s.pen);
    // Without a pen the interior alone is filled, one pixel short on the right and bottom.
    const QRect fill = nullPen ? box.adjusted(0, 0, -1, -1) : box;
    WithBrush(*d, p, [&] { p->drawRect(fill); });
    if (nullPen) return TRUE;
    std::vector<QPoint> outline{box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()};
    if (IsThin(*d) || d->s.pen->pen.width <= 1) {
        StrokePath(*d, p, outline, true);
    } else {
        QPen qpen(ToQColor(d->s.pen->pen.color), d->s.pen->pen.width);
        qpen.setJoinStyle(JoinOf(d->s.pen->pen));
        p->setPen(qpen);
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    return TRUE;
}

BOOL CDC::Rectangle(const RECT* rect)
{
    return rect != nullptr && Rectangle(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom)
{
    GdiRecord r = d->MakeRecord("Ellipse");
    r.rect = CRect(left, top, right, bottom);
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.isEmpty()) return TRUE;
    p.Touch(box);
    const QRegion inside = RoundedRegion(box.left(), box.top(), box.right() + 1, box.bottom() + 1, box.width(), box.height());
    WithBrush(*d, p, [&] {
        for (const QRect& rc : inside) p->drawRect(rc);
    });
    if (IsNullPen(d->s.pen)) return TRUE;
    if (d->s.pen->pen.width <= 1 && d->IdentityMapping()) {
        // The outline is the set of inside pixels that touch the outside.
        const QRegion shrunk = inside.intersected(inside.translated(1, 0)).intersected(inside.translated(-1, 0))
                                   .intersected(inside.translated(0, 1)).intersected(inside.translated(0, -1));
        const QRegion ring = inside.subtracted(shrunk);
        std::vector<QRect> rects(ring.begin(), ring.end());
        FillRuns(*d, p, rects, d->s.pen->pen.color);
    } else {
        QPen qpen(ToQColor(d->s.pen->pen.color), std::max(d->s.pen->pen.width, 1));
        qpen.setCosmetic(d->s.pen->pen.width <= 1);
        p->setPen(qpen);
        p->setBrush(Qt::NoBrush);
        p->drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    return TRUE;
}

BOOL CDC::Ellipse(const RECT* rect)
{
    return rect != nullptr && Ellipse(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::RoundRect(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse)
{
    GdiRecord r = d->MakeRecord("RoundRect");
    r.rect = CRect(left, top, right, bottom);
    r.points = {CPoint(widthEllipse, heightEllipse)};
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.isEmpty()) return TRUE;
    p.Touch(box);
    const QRegion inside =
        RoundedRegion(box.left(), box.top(), box.right() + 1, box.bottom() + 1, widthEllipse, heightEllipse);
    WithBrush(*d, p, [&] {
        for (const QRect& rc : inside) p->drawRect(rc);
    });
    if (IsNullPen(d->s.pen)) return TRUE;
    const int w = std::max(d->s.pen->pen.width, 1);
    QRegion shrunk = inside;
    for (int i = 1; i <= w; ++i) {
        shrunk = shrunk.intersected(inside.translated(i, 0)).intersected(inside.translated(-i, 0))
                     .intersected(inside.translated(0, i)).intersected(inside.translated(0, -i));
    }
    const QRegion ring = inside.subtracted(shrunk);
    FillRuns(*d, p, std::vector<QRect>(ring.begin(), ring.end()), d->s.pen->pen.color);
    return TRUE;
}

BOOL CDC::RoundRect(const RECT* rect, POINT ellipse)
{
    return rect != nullptr && RoundRect(rect->left, rect->top, rect->right, rect->bottom, ellipse.x, ellipse.y);
}

BOOL CDC::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    GdiRecord r = d->MakeRecord("Arc");
    r.rect = CRect(x1, y1, x2, y2);
    r.points = {CPoint(x3, y3), CPoint(x4, y4)};
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QRect box = NormalRect(x1, y1, x2, y2);
    if (box.isEmpty()) return TRUE;
    const QRectF fbox(box.left(), box.top(), box.width() - 1, box.height() - 1);
    const QPointF c = fbox.center();
    const double a0 = std::atan2(-(y3 - c.y()) * std::max(fbox.width(), 1.0), (x3 - c.x()) * std::max(fbox.height(), 1.0));
    const double a1 = std::atan2(-(y4 - c.y()) * std::max(fbox.width(), 1.0), (x4 - c.x()) * std::max(fbox.height(), 1.0));
    double sweep = a1 - a0;
    const double twoPi = 2 * std::numbers::pi;
    if (d->s.arcDirection == AD_COUNTERCLOCKWISE) {
        while (sweep <= 0) sweep += twoPi;
    } else {
        while (sweep >= 0) sweep -= twoPi;
    }
    StrokePath(*d, p, ArcPoints(fbox, a0, sweep), false);
    return TRUE;
}

BOOL CDC::Arc(const RECT* rect, POINT start, POINT end)
{
    return rect != nullptr && Arc(rect->left, rect->top, rect->right, rect->bottom, start.x, start.y, end.x, end.y);
}
