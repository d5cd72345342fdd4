// CDC: pens, lines, polylines, curves and polygons.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <cmath>

using namespace gdi;

namespace {

// Pixel patterns of the cosmetic styles, on/off alternating, starting with on.
const std::vector<int>* CosmeticPattern(int style)
{
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    static const std::vector<int> alternate{1, 1};
    switch (style) {
    case PS_DASH: return &dash;
    case PS_DOT: return &dot;
    case PS_DASHDOT: return &dashDot;
    case PS_DASHDOTDOT: return &dashDotDot;
    case PS_ALTERNATE: return &alternate;
    default: return nullptr;
    }
}

// On/off lengths of a pen, or empty for a solid one. `pixels` asks for the whole-pixel form
// of a one-pixel pen, where caps widen each dash by one pixel taken from the following gap.
std::vector<double> DashPattern(const PenData& pen, bool pixels)
{
    std::vector<double> out;
    const double w = std::max(pen.width, 1);
    const bool caps = pen.geometric && pen.cap != PS_ENDCAP_FLAT;
    if (pen.style == PS_USERSTYLE) {
        double total = 0;
        for (DWORD d : pen.dashes) {
            out.push_back(static_cast<double>(std::min<DWORD>(d, 100000)));
            total += out.back();
        }
        if (out.size() % 2 == 1) out.push_back(0);
        if (total <= 0) return {};
        if (pixels && caps) {
            for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
                const double cycle = out[i] + out[i + 1];
                const double on = std::min(out[i] + 1, cycle);
                out[i] = on;
                out[i + 1] = cycle - on;
            }
        }
        return out;
    }
    const std::vector<int>* base = CosmeticPattern(pen.style);
    if (base == nullptr) return {};
    if (!pen.geometric || pixels) {
        for (int v : *base) out.push_back(v);
        return out;
    }
    // Geometric styles scale with the width; each dash's caps count towards its length.
    static const std::vector<int> dash{3, 1};
    static const std::vector<int> dot{1, 1};
    static const std::vector<int> dashDot{3, 1, 1, 1};
    static const std::vector<int> dashDotDot{3, 1, 1, 1, 1, 1};
    const std::vector<int>* units = pen.style == PS_DASH ? &dash : pen.style == PS_DOT ? &dot
                                    : pen.style == PS_DASHDOT ? &dashDot : pen.style == PS_DASHDOTDOT ? &dashDotDot : &dot;
    for (std::size_t i = 0; i < units->size(); ++i) {
        double len = (*units)[i] * w;
        if (i % 2 == 0 && caps) {
            out.push_back(std::max(0.0, len - w));
        } else {
            out.push_back(i % 2 == 1 && caps ? len + w : len);
        }
    }
    return out;
}

// Whole-pixel lines: the pixels of one-pixel pens, gathered into horizontal runs.
// Gathers the pixels of a line into horizontal runs, for drawing through a painter.
struct RunSink {
    std::vector<QRect> on;
    std::vector<QRect> off;

    void Put(int x, int y, bool isOn) { Add(isOn ? on : off, x, y); }

    static void Add(std::vector<QRect>& rects, int x, int y)
    {
        if (!rects.empty()) {
            QRect& last = rects.back();
            if (last.top() == y && last.height() == 1) {
                if (last.right() + 1 == x) { last.setRight(x); return; }
                if (last.left() - 1 == x) { last.setLeft(x); return; }
            }
        }
        rects.emplace_back(x, y, 1, 1);
    }
};

// Writes the pixels of a line straight into a memory DC's 32-bit image.
struct DirectSink {
    uchar* bits = nullptr;
    qsizetype bpl = 0;
    int height = 0;
    bool bottomUp = false;
    QRect limit;                       // image and simple clip
    const QRegion* region = nullptr;   // a clip of several rectangles
    std::uint32_t onWord = 0;
    std::uint32_t offWord = 0;
    bool drawOff = false;

    void Put(int x, int y, bool isOn)
    {
        if (!isOn && !drawOff) return;
        if (x < limit.left() || x > limit.right() || y < limit.top() || y > limit.bottom()) return;
        if (region != nullptr && !region->contains(QPoint(x, y))) return;
        auto* line = reinterpret_cast<std::uint32_t*>(bits + (bottomUp ? height - 1 - y : y) * bpl);
        line[x] = isOn ? onWord : offWord;
    }
};

template <typename Sink>
class PixelLine {
public:
    // `bounds` is the device area worth walking; pixels outside it are skipped (but still
    // advance the dash pattern), so a line reaching far off the surface costs no more than
    // its visible part.
    // `thickness` pixels are put across the line at each step (to the right of or below it),
    // for a line on a surface of several pixels per logical one.
    PixelLine(Sink& sink, const std::vector<double>& pattern, const QRect& bounds, int thickness = 1)
        : sink_(sink), pattern_(pattern), bounds_(bounds), thickness_(thickness)
    {
        for (double v : pattern_) cycle_ += static_cast<long long>(v);
        if (cycle_ <= 0) {
            pattern_.clear();
            return;
        }
        index_ = pattern_.size() - 1;
        Next();
    }

    // From a to b, leaving out b.
    void Segment(QPoint a, QPoint b)
    {
        const long long dx = std::llabs(static_cast<long long>(b.x()) - a.x());
        const long long dy = std::llabs(static_cast<long long>(b.y()) - a.y());
        const int sx = b.x() > a.x() ? 1 : -1;
        const int sy = b.y() > a.y() ? 1 : -1;
        const bool xMajor = dx >= dy;
        xMajor_ = xMajor;
        const long long major = xMajor ? dx : dy;
        const long long minor = xMajor ? dy : dx;
        const long long steps = major;
        if (steps == 0) return;
        // The part of the segment inside the bounds, as a range of steps.
        double t0 = 0, t1 = 1;
        const double ax = a.x(), ay = a.y(), ddx = static_cast<double>(b.x()) - a.x(), ddy = static_cast<double>(b.y()) - a.y();
        auto clip = [&](double p, double q) {
            if (p == 0) return q >= 0;
            const double r = q / p;
            if (p < 0) { if (r > t1) return false; t0 = std::max(t0, r); }
            else { if (r < t0) return false; t1 = std::min(t1, r); }
            return true;
        };
        const double l = bounds_.left() - 1.0, r = bounds_.right() + 1.0, t = bounds_.top() - 1.0, bt = bounds_.bottom() + 1.0;
        if (!(clip(-ddx, ax - l) && clip(ddx, r - ax) && clip(-ddy, ay - t) && clip(ddy, bt - ay))) {
            Advance(steps);
            return;
        }
        const long long first = std::clamp(static_cast<long long>(std::floor(t0 * steps)) - 1, 0LL, steps);
        const long long last = std::clamp(static_cast<long long>(std::ceil(t1 * steps)) + 1, 0LL, steps);
        Advance(first);
        // Bresenham from step `first`: minor steps taken so far and the error term there.
        long long m = 0;
        long long err = 0;
        if (first > 0) {
            const __int128 acc = static_cast<__int128>(2) * first * minor;
            m = acc > major ? static_cast<long long>((acc - major + 2 * major - 1) / (2 * major)) : 0;
            err = static_cast<long long>(acc - static_cast<__int128>(2) * m * major);
        }
        long long x = a.x() + (xMajor ? sx * first : sx * m);
        long long y = a.y() + (xMajor ? sy * m : sy * first);
        for (long long i = first; i < last; ++i) {
            Plot(static_cast<int>(x), static_cast<int>(y));
            if (xMajor) {
                x += sx;
                err += 2 * minor;
                if (err > major) { y += sy; err -= 2 * major; }
            } else {
                y += sy;
                err += 2 * minor;
                if (err > major) { x += sx; err -= 2 * major; }
            }
        }
        Advance(steps - last);
    }

private:
    // Moves the dash pattern on by n pixels without drawing them.
    void Advance(long long n)
    {
        if (pattern_.empty() || n <= 0) return;
        n %= cycle_;
        while (n > 0) {
            const long long step = std::min(n, left_);
            left_ -= step;
            n -= step;
            if (left_ == 0) Next();
        }
    }

    void Next()
    {
        // Entries of length zero (a dot made by the caps in the whole-pixel form is never
        // zero long) are skipped.
        for (std::size_t guard = 0; guard <= pattern_.size(); ++guard) {
            index_ = (index_ + 1) % pattern_.size();
            left_ = static_cast<long long>(pattern_[index_]);
            if (left_ > 0) return;
        }
    }

    void Plot(int x, int y)
    {
        const bool on = pattern_.empty() || index_ % 2 == 0;
        for (int k = 0; k < thickness_; ++k) sink_.Put(xMajor_ ? x : x + k, xMajor_ ? y + k : y, on);
        if (!pattern_.empty() && --left_ <= 0) Next();
    }

    Sink& sink_;
    std::vector<double> pattern_;  // empty: solid
    QRect bounds_;
    int thickness_ = 1;
    bool xMajor_ = true;
    long long cycle_ = 0;
    std::size_t index_ = 0;
    long long left_ = 0;
};

// Splits a polyline into the dashes of a pattern (lengths in logical units). Only the part of
// each segment inside `bounds` is cut into dashes; elsewhere the pattern just moves on, so a
// line running far off the surface costs no more than its visible part.
std::vector<std::pair<QPointF, QPointF>> Dashes(const std::vector<QPoint>& pts, const std::vector<double>& pattern,
                                               const QRectF& bounds)
{
    std::vector<std::pair<QPointF, QPointF>> out;
    double cycle = 0;
    for (double v : pattern) cycle += v;
    if (cycle <= 0 || pts.size() < 2) return out;
    std::size_t index = 0;
    double left = pattern[0];
    bool open = false;  // a dash has started and not ended yet
    QPointF dashStart;
    // Moves the pattern on by a distance without drawing.
    auto skip = [&](double distance) {
        distance = std::fmod(distance, cycle);
        for (std::size_t guard = 0; guard < 2 * pattern.size() + 2; ++guard) {
            if (distance < left) {
                left -= distance;
                return;
            }
            distance -= left;
            index = (index + 1) % pattern.size();
            left = pattern[index];
        }
    };
    for (std::size_t seg = 0; seg + 1 < pts.size(); ++seg) {
        const QPointF a = pts[seg];
        const QPointF b = pts[seg + 1];
        const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
        auto at = [&](double t) { return len > 0 ? a + (b - a) * (t / len) : a; };
        // Visible range [s0, s1] of the segment.
        double t0 = 0, t1 = 1;
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        auto clip = [&](double p, double q) {
            if (p == 0) return q >= 0;
            const double r = q / p;
            if (p < 0) { if (r > t1) return false; t0 = std::max(t0, r); }
            else { if (r < t0) return false; t1 = std::min(t1, r); }
            return true;
        };
        const bool visible = clip(-dx, a.x() - bounds.left()) && clip(dx, bounds.right() - a.x()) &&
                             clip(-dy, a.y() - bounds.top()) && clip(dy, bounds.bottom() - a.y());
        const double s0 = visible ? t0 * len : len;
        const double s1 = visible ? t1 * len : len;
        if (s0 > 0) {
            if (open) out.emplace_back(dashStart, a);
            open = false;
            skip(s0);
        }
        double t = s0;
        for (int guard = 0; guard < 1000000 && t < s1; ++guard) {
            const bool on = index % 2 == 0;
            if (on && !open) { dashStart = at(t); open = true; }
            if (t + left > s1) {
                left -= s1 - t;
                t = s1;
                break;
            }
            t += left;
            if (on) out.emplace_back(dashStart, at(t));
            open = false;
            index = (index + 1) % pattern.size();
            left = pattern[index];
        }
        // Zero-length entries at the very end of the visible part still make their dots.
        while (t >= s1 && left == 0 && s1 > s0) {
            if (index % 2 == 0) out.emplace_back(at(t), at(t));
            index = (index + 1) % pattern.size();
            left = pattern[index];
            if (index == 0) break;
        }
        if (s1 < len) {
            if (open) out.emplace_back(dashStart, at(s1));
            open = false;
            skip(len - s1);
        }
    }
    if (open) out.emplace_back(dashStart, QPointF(pts.back()));
    return out;
}

Qt::PenCapStyle CapOf(const PenData& pen)
{
    switch (pen.cap) {
    case PS_ENDCAP_SQUARE: return Qt::SquareCap;
    case PS_ENDCAP_FLAT: return Qt::FlatCap;
    default: return Qt::RoundCap;
    }
}

QPolygon ToPolygon(const POINT* points, int count)
{
    QPolygon poly;
    if (points == nullptr || count <= 0) return poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i) poly << QPoint(Coord(points[i].x), Coord(points[i].y));
    return poly;
}

std::vector<CPoint> ToCPoints(const POINT* points, int count)
{
    std::vector<CPoint> out;
    if (points == nullptr || count <= 0) return out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) out.emplace_back(points[i]);
    return out;
}

// Points along a cubic curve, enough for every pixel to be reached.
void Flatten(QPointF p0, QPointF p1, QPointF p2, QPointF p3, std::vector<QPoint>& out)
{
    const double len = std::hypot(p1.x() - p0.x(), p1.y() - p0.y()) + std::hypot(p2.x() - p1.x(), p2.y() - p1.y()) +
                       std::hypot(p3.x() - p2.x(), p3.y() - p2.y());
    const int steps = std::clamp(static_cast<int>(len / 3), 4, 1000);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double u = 1 - t;
        const QPointF q = p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
        const QPoint r(Coord(std::llround(q.x())), Coord(std::llround(q.y())));
        if (out.empty() || out.back() != r) out.push_back(r);
    }
}

QRect Bounds(const std::vector<QPoint>& pts, int extra)
{
    if (pts.empty()) return QRect();
    int l = pts[0].x(), r = l, t = pts[0].y(), b = t;
    for (const QPoint& p : pts) {
        l = std::min(l, p.x()); r = std::max(r, p.x());
        t = std::min(t, p.y()); b = std::max(b, p.y());
    }
    return QRect(QPoint(l, t), QPoint(r, b)).adjusted(-extra, -extra, extra, extra);
}

}  // namespace

namespace gdi {

Qt::PenJoinStyle JoinOf(const PenData& pen)
{
    switch (pen.join) {
    case PS_JOIN_BEVEL: return Qt::BevelJoin;
    case PS_JOIN_MITER: return Qt::MiterJoin;
    default: return Qt::RoundJoin;
    }
}

// Strokes a path of points with the selected pen. `closed` joins the last point to the first;
// an open path leaves out its last pixel, as every GDI line does.
void StrokePath(const CDC::Impl& dc, PaintScope& p, std::vector<QPoint> pts, bool closed)
{
    if (IsNullPen(dc.s.pen) || pts.empty()) return;
    const PenData& pen = dc.s.pen->pen;
    if (closed) pts.push_back(pts.front());
    p.Touch(Bounds(pts, pen.width + 1));
    if (IsThin(dc)) {
        // On a surface of several pixels per logical one the line is walked on the surface's own
        // grid, as wide as a logical pixel (as thick as the lines of the controls beside it), so
        // its steps are as fine as the screen shows; its dashes and ends keep their logical
        // lengths. One pixel per logical one is the plain GDI line.
        const int ratio = dc.Ratio();
        const QSize size = dc.DeviceSize();
        const QRect bounds(QPoint(0, 0), size.isValid() ? size * ratio : QSize(0, 0));
        // Steps just above or left of the surface still reach it with their width.
        const QRect walk = bounds.adjusted(1 - ratio, 1 - ratio, 0, 0);
        std::vector<double> pattern = DashPattern(pen, true);
        if (ratio > 1) {
            for (double& v : pattern) v *= ratio;
            for (QPoint& q : pts) q *= ratio;
        }
        const bool styled = pen.style != PS_SOLID && pen.style != PS_INSIDEFRAME;
        const bool gaps = styled && !pen.geometric && dc.s.bkMode == OPAQUE;
        BitmapData* b = dc.Bitmap();
        if (b != nullptr && b->image.format() == QImage::Format_RGB32) {
            const QRegion clip = dc.s.hasClip ? ScaleRegion(dc.s.clip, ratio) : QRegion();
            DirectSink sink;
            sink.bits = b->image.bits();
            sink.bpl = b->image.bytesPerLine();
            sink.height = b->image.height();
            sink.bottomUp = b->bottomUp;
            sink.limit = bounds;
            if (dc.s.hasClip) {
                sink.limit = clip.boundingRect().intersected(bounds);
                if (clip.rectCount() > 1) sink.region = &clip;
                if (clip.isEmpty()) return;
            }
            const std::uint32_t alpha = b->dibSection ? 0u : 0xFF000000u;
            sink.onWord = alpha | (ToRgb(pen.color) & 0x00FFFFFFu);
            sink.offWord = alpha | (ToRgb(dc.s.bkColor) & 0x00FFFFFFu);
            sink.drawOff = gaps;
            PixelLine<DirectSink> line(sink, pattern, walk, ratio);
            for (std::size_t i = 0; i + 1 < pts.size(); ++i) line.Segment(pts[i], pts[i + 1]);
            return;
        }
        RunSink runs;
        PixelLine<RunSink> line(runs, pattern, walk, ratio);
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) line.Segment(pts[i], pts[i + 1]);
        // The runs are in the surface's pixels.
        const QTransform logical = p->transform();
        if (ratio > 1) p->setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio), true);
        if (gaps) FillPixelRects(*p, runs.off, dc.s.bkColor);
        FillPixelRects(*p, runs.on, pen.color);
        p->setTransform(logical);
        return;
    }
    QPen qpen(ToQColor(pen.color));
    qpen.setWidth(pen.width <= 1 ? 0 : pen.width);
    qpen.setCosmetic(pen.width <= 1);
    qpen.setCapStyle(pen.width <= 1 ? Qt::FlatCap : CapOf(pen));
    qpen.setJoinStyle(JoinOf(pen));
    p->setBrush(Qt::NoBrush);
    p->setPen(qpen);
    const std::vector<double> pattern = DashPattern(pen, false);
    if (pattern.empty()) {
        QPolygon poly;
        for (const QPoint& q : pts) poly << q;
        p->drawPolyline(poly);
        return;
    }
    // Dashes are cut only where they can show: the surface plus the pen's reach, in logical
    // units (the whole plane under a scaled mapping).
    QRectF bounds(-1e12, -1e12, 2e12, 2e12);
    if (dc.IdentityMapping()) {
        const QSize size = dc.DeviceSize();
        bounds = QRectF(0, 0, std::max(size.width(), 0), std::max(size.height(), 0)).adjusted(-pen.width - 2, -pen.width - 2, pen.width + 2, pen.width + 2);
    }
    for (const auto& [a, b] : Dashes(pts, pattern, bounds)) {
        if (a == b) p->drawPoint(a);
        else p->drawLine(a, b);
    }
}

}  // namespace gdi

CPoint CDC::MoveTo(int x, int y)
{
    GdiRecord r = d->MakeRecord("MoveTo");
    r.points = {CPoint(x, y)};
    d->Record(std::move(r));
    return std::exchange(d->s.position, CPoint(x, y));
}

CPoint CDC::GetCurrentPosition() const { return d->s.position; }

BOOL CDC::LineTo(int x, int y)
{
    const CPoint from = d->s.position;
    GdiRecord r = d->MakeRecord("LineTo");
    r.points = {from, CPoint(x, y)};
    d->Record(std::move(r));
    d->s.position = CPoint(x, y);
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    StrokePath(*d, p, {QPoint(Coord(from.x), Coord(from.y)), QPoint(Coord(x), Coord(y))}, false);
    return TRUE;
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    if (points == nullptr || count < 2) return FALSE;
    GdiRecord r = d->MakeRecord("Polyline");
    r.points = ToCPoints(points, count);
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QPolygon poly = ToPolygon(points, count);
    StrokePath(*d, p, std::vector<QPoint>(poly.begin(), poly.end()), false);
    return TRUE;
}

BOOL CDC::PolyBezier(const POINT* points, int count)
{
    if (points == nullptr || count < 4 || (count - 1) % 3 != 0) return FALSE;
    GdiRecord r = d->MakeRecord("PolyBezier");
    r.points = ToCPoints(points, count);
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    std::vector<QPoint> pts{QPoint(Coord(points[0].x), Coord(points[0].y))};
    for (int i = 0; i + 3 < count; i += 3) {
        Flatten(QPointF(points[i].x, points[i].y), QPointF(points[i + 1].x, points[i + 1].y),
                QPointF(points[i + 2].x, points[i + 2].y), QPointF(points[i + 3].x, points[i + 3].y), pts);
    }
    // A curve ends on its last point.
    const QPoint last = pts.back();
    StrokePath(*d, p, pts, false);
    if (IsThin(*d) && !IsNullPen(d->s.pen) && d->s.pen->pen.style == PS_SOLID)
        FillRuns(*d, p, {QRect(last, QSize(1, 1))}, d->s.pen->pen.color);
    return TRUE;
}

BOOL CDC::Polygon(const POINT* points, int count)
{
    if (points == nullptr || count < 2) return FALSE;
    GdiRecord r = d->MakeRecord("Polygon");
    r.points = ToCPoints(points, count);
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QPolygon poly = ToPolygon(points, count);
    p.Touch(poly.boundingRect());
    WithBrush(*d, p, [&] {
        p->drawPolygon(poly, d->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    });
    StrokePath(*d, p, std::vector<QPoint>(poly.begin(), poly.end()), true);
    return TRUE;
}
