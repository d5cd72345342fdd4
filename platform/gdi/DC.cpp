#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPainterPath>

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <numbers>

using namespace gdi;

namespace {

// --- DC handles ----------------------------------------------------------------------------------

struct DCTable {
    std::mutex mutex;
    std::map<HDC, CDC*> dcs;
    HDC next = 0x40000;
};

DCTable& Dcs()
{
    static DCTable table;
    return table;
}

HDC RegisterDC(CDC* dc)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    for (;;) {
        const HDC h = t.next++;
        if (t.next >= 0x7FFFFFF0u) t.next = 0x40000;
        if (t.dcs.emplace(h, dc).second) return h;
    }
}

void UnregisterDC(HDC h)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    t.dcs.erase(h);
}

// --- Pens ------------------------------------------------------------------------------------------

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
    PixelLine(Sink& sink, const std::vector<double>& pattern, const QRect& bounds)
        : sink_(sink), pattern_(pattern), bounds_(bounds)
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
        if (pattern_.empty()) {
            sink_.Put(x, y, true);
            return;
        }
        sink_.Put(x, y, index_ % 2 == 0);
        if (--left_ <= 0) Next();
    }

    Sink& sink_;
    std::vector<double> pattern_;  // empty: solid
    QRect bounds_;
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

Qt::PenJoinStyle JoinOf(const PenData& pen)
{
    switch (pen.join) {
    case PS_JOIN_BEVEL: return Qt::BevelJoin;
    case PS_JOIN_MITER: return Qt::MiterJoin;
    default: return Qt::RoundJoin;
    }
}

QImage HatchImage(int hatch, COLORREF color, bool opaque, COLORREF bk)
{
    QImage img(8, 8, QImage::Format_ARGB32);
    const QRgb fg = ToRgb(color);
    const QRgb bg = opaque ? ToRgb(bk) : 0u;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            bool set = false;
            switch (hatch) {
            case HS_HORIZONTAL: set = y == 0; break;
            case HS_VERTICAL: set = x == 0; break;
            case HS_FDIAGONAL: set = x == y; break;
            case HS_BDIAGONAL: set = x + y == 7; break;
            case HS_CROSS: set = x == 0 || y == 0; break;
            case HS_DIAGCROSS: set = x == y || x + y == 7; break;
            default: break;
            }
            img.setPixel(x, y, set ? fg : bg);
        }
    }
    return img;
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

QRect NormalRect(int l, int t, int r, int b)
{
    l = Coord(l);
    t = Coord(t);
    r = Coord(r);
    b = Coord(b);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
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

// --- Impl helpers ------------------------------------------------------------------------------------

QSize CDC::Impl::DeviceSize() const
{
    if (external != nullptr) return QSize(externalWidth, externalHeight);
    if (const BitmapData* b = Bitmap()) return b->image.size();
    return QSize();
}

bool CDC::Impl::IdentityMapping() const
{
    if (s.windowOrg != CPoint() || s.viewportOrg != CPoint()) return false;
    return s.mapMode == MM_TEXT || (s.windowExt == s.viewportExt);
}

QTransform CDC::Impl::Mapping() const
{
    QTransform t;
    t.translate(s.viewportOrg.x, s.viewportOrg.y);
    if (s.mapMode == MM_ANISOTROPIC && s.windowExt.cx != 0 && s.windowExt.cy != 0)
        t.scale(static_cast<double>(s.viewportExt.cx) / s.windowExt.cx, static_cast<double>(s.viewportExt.cy) / s.windowExt.cy);
    t.translate(-s.windowOrg.x, -s.windowOrg.y);
    return t;
}

QRect CDC::Impl::ToDevice(const QRect& logical) const
{
    if (IdentityMapping()) return logical;
    const QRectF r = Mapping().mapRect(QRectF(logical.x(), logical.y(), logical.width(), logical.height()));
    return QRect(QPoint(static_cast<int>(std::lround(r.left())), static_cast<int>(std::lround(r.top()))),
                 QPoint(static_cast<int>(std::lround(r.right())) - 1, static_cast<int>(std::lround(r.bottom())) - 1));
}

GdiRecord CDC::Impl::MakeRecord(const char* op) const
{
    GdiRecord r;
    r.op = op;
    if (s.pen) {
        r.penStyle = s.pen->pen.style;
        r.penGeometric = s.pen->pen.geometric;
        r.penWidth = s.pen->pen.width;
        r.penColor = s.pen->pen.color;
        r.penDashes = s.pen->pen.dashes;
    }
    if (s.brush) {
        r.brushStyle = s.brush->brush.style;
        r.brushColor = s.brush->brush.color;
        r.brushHatch = s.brush->brush.hatch;
    }
    if (s.font) r.font = s.font->font.lf;
    r.textColor = s.textColor;
    r.bkColor = s.bkColor;
    r.bkMode = s.bkMode;
    r.textAlign = s.textAlign;
    return r;
}

void CDC::Impl::Record(GdiRecord record) const
{
    if (recording != nullptr) recording->push_back(std::move(record));
}

// --- PaintScope ------------------------------------------------------------------------------------

PaintScope::PaintScope(const CDC::Impl& dc) : dc_(dc)
{
    if (dc.external != nullptr) usable_ = true;
    else if (BitmapData* b = dc.Bitmap()) usable_ = b->image.format() == QImage::Format_RGB32;
}

QPainter* PaintScope::Get()
{
    if (begun_) return painter_;
    begun_ = true;
    QTransform base;
    if (dc_.external != nullptr) {
        painter_ = dc_.external;
        painter_->save();
        base = painter_->transform();
    } else if (BitmapData* b = dc_.Bitmap(); b != nullptr && usable_ && own_.begin(&b->image)) {
        painter_ = &own_;
        if (b->bottomUp) {
            base.translate(0, b->image.height());
            base.scale(1, -1);
        }
    } else {
        // Nothing to draw on: a painter without a device ignores every call.
        painter_ = &own_;
        return painter_;
    }
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setOpacity(1.0);
    painter_->setTransform(base);
    if (dc_.s.hasClip) {
        if (dc_.external != nullptr && painter_->hasClipping())
            painter_->setClipRegion(dc_.s.clip, Qt::IntersectClip);
        else
            painter_->setClipRegion(dc_.s.clip);
    }
    painter_->setTransform(dc_.Mapping() * base);
    return painter_;
}

void PaintScope::Touch(const QRect& logical)
{
    touched_ = touched_.united(logical);
}

PaintScope::~PaintScope()
{
    if (!begun_ || painter_ == nullptr || !painter_->isActive()) return;
    const QTransform t = painter_->transform();
    if (painter_ == dc_.external) {
        painter_->restore();
        return;
    }
    own_.end();
    // GDI leaves the reserved byte of the pixels it draws at zero; only DIB sections show it.
    BitmapData* b = dc_.Bitmap();
    if (b == nullptr || !b->dibSection || touched_.isEmpty()) return;
    QRect area = t.mapRect(QRectF(touched_).adjusted(-1, -1, 1, 1)).toAlignedRect().intersected(b->image.rect());
    if (dc_.s.hasClip && !b->bottomUp) area = area.intersected(dc_.s.clip.boundingRect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(b->image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) row[x] &= 0x00FFFFFFu;
    }
}

void gdi::FillRuns(const CDC::Impl& dc, PaintScope& p, const std::vector<QRect>& rects, COLORREF color)
{
    if (rects.empty()) return;
    BitmapData* b = dc.Bitmap();
    if (b == nullptr || !dc.IdentityMapping() || b->image.format() != QImage::Format_RGB32) {
        FillPixelRects(*p, rects, color);
        return;
    }
    QImage& img = b->image;
    const int h = img.height();
    // A DIB section's reserved byte is left at zero, a device bitmap's is kept opaque for Qt.
    const std::uint32_t word = (b->dibSection ? 0u : 0xFF000000u) | (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto fill = [&](const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const int row = b->bottomUp ? h - 1 - y : y;
            auto* line = reinterpret_cast<std::uint32_t*>(bits + row * bpl);
            for (int x = r.left(); x <= r.right(); ++x) line[x] = word;
        }
    };
    const QRect bounds = img.rect();
    if (!dc.s.hasClip || dc.s.clip.rectCount() <= 1) {
        const QRect limit = dc.s.hasClip ? dc.s.clip.boundingRect().intersected(bounds) : bounds;
        if (dc.s.hasClip && dc.s.clip.isEmpty()) return;
        for (const QRect& r : rects) fill(r.intersected(limit));
        return;
    }
    for (const QRect& clipRect : dc.s.clip) {
        const QRect limit = clipRect.intersected(bounds);
        for (const QRect& r : rects) fill(r.intersected(limit));
    }
}

QBrush gdi::MakeQBrush(const BrushData& br, int bkMode, COLORREF bkColor)
{
    if (br.style == BS_HATCHED) return QBrush(HatchImage(br.hatch, br.color, bkMode == OPAQUE, bkColor));
    return QBrush(ToQColor(br.color));
}

void gdi::FillPixelRects(QPainter& p, const std::vector<QRect>& rects, COLORREF color)
{
    if (rects.empty()) return;
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawRects(rects.data(), static_cast<int>(rects.size()));
}

// --- Drawing helpers used by the shapes --------------------------------------------------------------

namespace {

bool IsNullPen(const ObjectPtr& pen) { return !pen || pen->pen.style == PS_NULL; }
bool IsNullBrush(const ObjectPtr& brush) { return !brush || brush->brush.style == BS_NULL; }

bool IsThin(const CDC::Impl& dc)
{
    return dc.s.pen && dc.s.pen->pen.width <= 1 && dc.IdentityMapping();
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
        const QSize size = dc.DeviceSize();
        const QRect bounds(QPoint(0, 0), size.isValid() ? size : QSize(0, 0));
        const std::vector<double> pattern = DashPattern(pen, true);
        const bool styled = pen.style != PS_SOLID && pen.style != PS_INSIDEFRAME;
        const bool gaps = styled && !pen.geometric && dc.s.bkMode == OPAQUE;
        BitmapData* b = dc.Bitmap();
        if (b != nullptr && b->image.format() == QImage::Format_RGB32) {
            DirectSink sink;
            sink.bits = b->image.bits();
            sink.bpl = b->image.bytesPerLine();
            sink.height = b->image.height();
            sink.bottomUp = b->bottomUp;
            sink.limit = bounds;
            if (dc.s.hasClip) {
                sink.limit = dc.s.clip.boundingRect().intersected(bounds);
                if (dc.s.clip.rectCount() > 1) sink.region = &dc.s.clip;
                if (dc.s.clip.isEmpty()) return;
            }
            const std::uint32_t alpha = b->dibSection ? 0u : 0xFF000000u;
            sink.onWord = alpha | (ToRgb(pen.color) & 0x00FFFFFFu);
            sink.offWord = alpha | (ToRgb(dc.s.bkColor) & 0x00FFFFFFu);
            sink.drawOff = gaps;
            PixelLine<DirectSink> line(sink, pattern, bounds);
            for (std::size_t i = 0; i + 1 < pts.size(); ++i) line.Segment(pts[i], pts[i + 1]);
            return;
        }
        RunSink runs;
        PixelLine<RunSink> line(runs, pattern, bounds);
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) line.Segment(pts[i], pts[i + 1]);
        if (gaps) FillPixelRects(*p, runs.off, dc.s.bkColor);
        FillPixelRects(*p, runs.on, pen.color);
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

// Fills with the selected brush (nothing for a null one).
template <typename Fill>
void WithBrush(const CDC::Impl& dc, PaintScope& p, Fill fill)
{
    if (IsNullBrush(dc.s.brush)) return;
    const BrushData& br = dc.s.brush->brush;
    p->setPen(Qt::NoPen);
    p->setBrush(MakeQBrush(br, dc.s.bkMode, dc.s.bkColor));
    fill();
}

QBrush QBrushOf(const CDC::Impl& dc, const ObjectPtr& brush)
{
    return MakeQBrush(brush->brush, dc.s.bkMode, dc.s.bkColor);
}

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

// --- CDC basics --------------------------------------------------------------------------------------

CDC::CDC() : d(std::make_unique<Impl>())
{
    m_hDC = RegisterDC(this);
    d->s.hPen = ::GetStockObject(BLACK_PEN);
    d->s.pen = FindObject(d->s.hPen);
    d->s.hBrush = ::GetStockObject(WHITE_BRUSH);
    d->s.brush = FindObject(d->s.hBrush);
    d->s.hFont = ::GetStockObject(SYSTEM_FONT);
    d->s.font = FindObject(d->s.hFont);
}

CDC::~CDC()
{
    if (d->docStarted) AbortDoc();
    UnregisterDC(m_hDC);
}

std::size_t LiveDCCount()
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    return t.dcs.size();
}

CDC* CDC::FromHandle(HDC dc)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    auto it = t.dcs.find(dc);
    return it != t.dcs.end() ? it->second : nullptr;
}

BOOL CDC::CreateCompatibleDC(CDC* /*dc*/)
{
    DetachPainter();
    d->memory = true;
    d->s.hBitmap = StockBitmapHandle();
    d->s.bitmap = FindObject(d->s.hBitmap, GdiObjectKind::Bitmap);
    return d->s.bitmap ? TRUE : FALSE;
}

BOOL CDC::DeleteDC()
{
    if (!d->memory && d->external == nullptr) return FALSE;
    DetachPainter();
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->saved.clear();
    return TRUE;
}

void CDC::AttachPainter(QPainter* painter, int width, int height)
{
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->external = painter;
    d->externalWidth = width;
    d->externalHeight = height;
}

void CDC::DetachPainter()
{
    d->external = nullptr;
    d->externalWidth = d->externalHeight = 0;
}

bool CDC::HasSurface() const { return d->HasSurface(); }

void CDC::AttachPrinter(QPagedPaintDevice* device, void (*abort)(void*), void* context, void (*name)(void*, const char*))
{
    d->printerName = name;
    if (d->docStarted) AbortDoc();
    DetachPainter();
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->printer = device;
    d->printerAbort = abort;
    d->printerContext = context;
}

int CDC::StartDoc(const DOCINFO* info)
{
    return StartDoc(info != nullptr ? info->lpszDocName : nullptr);
}

int CDC::StartDoc(const char* documentName)
{
    if (d->printer == nullptr || d->docStarted) return SP_ERROR;
    // The job carries the document's name, as the print queue shows it.
    const char* name = documentName != nullptr ? documentName : "";
    if (d->printerName != nullptr) d->printerName(d->printerContext, name);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(d->printer)) pdf->setTitle(QString::fromUtf8(name));
    d->printPainter = std::make_unique<QPainter>();
    if (!d->printPainter->begin(d->printer)) {
        d->printPainter.reset();
        return SP_ERROR;
    }
    d->external = d->printPainter.get();
    d->externalWidth = d->printer->width();
    d->externalHeight = d->printer->height();
    d->docStarted = true;
    d->pagesStarted = 0;
    return 1;
}

int CDC::StartPage()
{
    if (!d->docStarted || d->pageOpen) return SP_ERROR;
    if (d->pagesStarted > 0 && !d->printer->newPage()) return SP_ERROR;
    ++d->pagesStarted;
    d->pageOpen = true;
    return 1;
}

int CDC::EndPage()
{
    if (!d->docStarted || !d->pageOpen) return SP_ERROR;
    d->pageOpen = false;
    return 1;
}

int CDC::EndDoc()
{
    if (!d->docStarted) return SP_ERROR;
    const bool ok = d->printPainter->end();
    d->printPainter.reset();
    d->external = nullptr;
    d->docStarted = false;
    d->pageOpen = false;
    return ok ? 1 : SP_ERROR;
}

int CDC::AbortDoc()
{
    if (!d->docStarted) return SP_ERROR;
    // The painter ends first, so the hook can discard whatever it left behind.
    if (d->printPainter->isActive()) d->printPainter->end();
    if (d->printerAbort != nullptr) d->printerAbort(d->printerContext);
    d->printPainter.reset();
    d->external = nullptr;
    d->docStarted = false;
    d->pageOpen = false;
    return 1;
}

BOOL CDC::IsPrinting() const { return d->printer != nullptr ? TRUE : FALSE; }

QImage* CDC::GetSurfaceImage() const
{
    BitmapData* b = d->Bitmap();
    return b != nullptr ? &b->image : nullptr;
}

void CDC::SetRecording(std::vector<GdiRecord>* sink) { d->recording = sink; }

// --- Objects ---------------------------------------------------------------------------------------

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

// --- Clipping --------------------------------------------------------------------------------------

namespace {

int KindOf(const QRegion& r)
{
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    GdiRecord rec = d->MakeRecord("IntersectClipRect");
    rec.rect = CRect(left, top, right, bottom);
    d->Record(std::move(rec));
    const QRect rect = d->ToDevice(NormalRect(left, top, right, bottom));
    const QRegion r = rect.isValid() ? QRegion(rect) : QRegion();
    if (d->s.hasClip) {
        d->s.clip = d->s.clip.intersected(r);
    } else {
        const QSize size = d->DeviceSize();
        d->s.clip = r.intersected(QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0)));
        d->s.hasClip = true;
    }
    return KindOf(d->s.clip);
}

int CDC::IntersectClipRect(const RECT* rect)
{
    return rect != nullptr ? IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR_REGION;
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom)
{
    const QRect rect = d->ToDevice(NormalRect(left, top, right, bottom));
    if (!d->s.hasClip) {
        const QSize size = d->DeviceSize();
        d->s.clip = QRegion(QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0)));
        d->s.hasClip = true;
    }
    if (rect.isValid()) d->s.clip = d->s.clip.subtracted(rect);
    return KindOf(d->s.clip);
}

int CDC::ExcludeClipRect(const RECT* rect)
{
    return rect != nullptr ? ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR_REGION;
}

int CDC::SelectClipRgn(CRgn* region) { return SelectClipRgn(region, RGN_COPY); }

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    ObjectPtr r = region != nullptr ? FindObject(region->m_hObject, GdiObjectKind::Region) : nullptr;
    // Recorded with the region's bounding box; removing the clip records an empty rectangle.
    GdiRecord rec = d->MakeRecord("SelectClipRgn");
    if (r) {
        const QRect box = r->region.region.boundingRect();
        if (!box.isEmpty()) rec.rect = CRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    }
    rec.flags = static_cast<UINT>(mode);
    d->Record(std::move(rec));
    if (r == nullptr) {
        if (mode != RGN_COPY) return ERROR_REGION;
        d->s.hasClip = false;
        d->s.clip = QRegion();
        return SIMPLEREGION;
    }
    const QRegion& in = r->region.region;
    if (mode == RGN_COPY || !d->s.hasClip) {
        const QSize size = d->DeviceSize();
        QRegion current = QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0));
        if (d->s.hasClip) current = d->s.clip;
        switch (mode) {
        case RGN_COPY: d->s.clip = in; break;
        case RGN_AND: d->s.clip = current.intersected(in); break;
        case RGN_OR: d->s.clip = current.united(in); break;
        case RGN_XOR: d->s.clip = current.xored(in); break;
        case RGN_DIFF: d->s.clip = current.subtracted(in); break;
        default: return ERROR_REGION;
        }
    } else {
        switch (mode) {
        case RGN_AND: d->s.clip = d->s.clip.intersected(in); break;
        case RGN_OR: d->s.clip = d->s.clip.united(in); break;
        case RGN_XOR: d->s.clip = d->s.clip.xored(in); break;
        case RGN_DIFF: d->s.clip = d->s.clip.subtracted(in); break;
        default: return ERROR_REGION;
        }
    }
    d->s.hasClip = true;
    return KindOf(d->s.clip);
}

int CDC::GetClipBox(RECT* rect) const
{
    if (rect == nullptr) return ERROR_REGION;
    const QSize size = d->DeviceSize();
    QRegion visible = QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0));
    if (d->s.hasClip) visible = visible.intersected(d->s.clip);
    QRect box = visible.boundingRect();
    if (!d->IdentityMapping() && !visible.isEmpty()) {
        bool invertible = false;
        const QTransform inv = d->Mapping().inverted(&invertible);
        if (invertible) box = inv.mapRect(QRectF(box)).toAlignedRect();
    }
    *rect = visible.isEmpty() ? RECT{0, 0, 0, 0} : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    return KindOf(visible);
}

BOOL CDC::PtVisible(int x, int y) const
{
    const QPoint p = d->Mapping().map(QPoint(x, y));
    const QSize size = d->DeviceSize();
    if (p.x() < 0 || p.y() < 0 || p.x() >= size.width() || p.y() >= size.height()) return FALSE;
    return !d->s.hasClip || d->s.clip.contains(p) ? TRUE : FALSE;
}

// --- Lines -----------------------------------------------------------------------------------------

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

// --- Shapes ----------------------------------------------------------------------------------------

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

// --- Fills -----------------------------------------------------------------------------------------

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
    if (!b->image.rect().contains(dev)) return CLR_INVALID;
    if (d->s.hasClip && !d->s.clip.contains(dev)) return CLR_INVALID;
    const int row = b->bottomUp ? b->image.height() - 1 - dev.y() : dev.y();
    return FromRgb(b->image.pixel(dev.x(), row));
}
