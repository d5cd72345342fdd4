// Block transfers between DCs and pattern fills.
//
// Between two memory DCs the pixels are combined here, word by word, so that raster operations
// are exact and a DIB section's reserved byte travels with its pixels; a window DC (or a
// scaled mapping) goes through the painter instead.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <cmath>
#include <cstring>

using namespace gdi;

namespace {

bool IsPatternRop(DWORD rop)
{
    return rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS;
}

bool KnownSourceRop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY: case SRCAND: case SRCPAINT: case SRCINVERT: case SRCERASE:
    case NOTSRCCOPY: case NOTSRCERASE: case MERGEPAINT: return true;
    default: return false;
    }
}

inline std::uint32_t Combine(DWORD rop, std::uint32_t s, std::uint32_t dst)
{
    switch (rop) {
    case SRCCOPY: return s;
    case SRCAND: return s & dst;
    case SRCPAINT: return s | dst;
    case SRCINVERT: return s ^ dst;
    case SRCERASE: return s & ~dst;
    case NOTSRCCOPY: return ~s;
    case NOTSRCERASE: return ~(s | dst);
    case MERGEPAINT: return ~s | dst;
    default: return dst;
    }
}

QPainter::CompositionMode ModeOf(DWORD rop)
{
    switch (rop) {
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

// The source pixel as GDI sees it: 0x00RRGGBB for device bitmaps and palette images, the whole
// word (reserved byte included) for 32-bit DIB sections.
inline std::uint32_t SourcePixel(const BitmapData& b, int x, int y)
{
    const int row = b.bottomUp ? b.image.height() - 1 - y : y;
    if (b.image.format() == QImage::Format_Indexed8) {
        const uchar index = b.image.constScanLine(row)[x];
        return b.image.color(index) & 0x00FFFFFFu;
    }
    const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(b.image.constScanLine(row))[x];
    return b.dibSection ? v : (v & 0x00FFFFFFu);
}

// Copies a top-down, opaque picture of a source area for drawing through a painter.
QImage SourcePicture(const BitmapData& b, const QRect& area)
{
    if (!b.dibSection && !b.bottomUp && b.image.format() == QImage::Format_RGB32 && b.image.rect().contains(area)) {
        QImage out = b.image.copy(area);
        out.setDevicePixelRatio(1.0);
        for (int y = 0; y < out.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) row[x] |= 0xFF000000u;
        }
        return out;
    }
    const QRect r = area.intersected(b.image.rect());
    QImage out(area.size(), QImage::Format_RGB32);
    out.fill(0xFF000000u);
    if (r.isEmpty()) return out;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y - area.top()));
        for (int x = r.left(); x <= r.right(); ++x) row[x - area.left()] = SourcePixel(b, x, y) | 0xFF000000u;
    }
    return out;
}

// One-to-one copy of 32-bit words with a raster operation, row by row.
template <typename Op>
void CopyWords(const BitmapData& from, BitmapData& to, const QRect& dest, int dx, int dy, Op op)
{
    const std::uint32_t srcMask = from.dibSection ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const std::uint32_t destSet = to.dibSection ? 0u : 0xFF000000u;
    const int fromH = from.image.height();
    const int toH = to.image.height();
    for (int y = dest.top(); y <= dest.bottom(); ++y) {
        const int sy = y + dy;
        const auto* src = reinterpret_cast<const std::uint32_t*>(from.image.constScanLine(from.bottomUp ? fromH - 1 - sy : sy));
        auto* dst = reinterpret_cast<std::uint32_t*>(to.image.scanLine(to.bottomUp ? toH - 1 - y : y));
        for (int x = dest.left(); x <= dest.right(); ++x) dst[x] = op(src[x + dx] & srcMask, dst[x]) | destSet;
    }
}

void CopyWords(const BitmapData& from, BitmapData& to, const QRect& dest, int dx, int dy, DWORD rop)
{
    if (rop == SRCCOPY && from.dibSection == to.dibSection) {
        // Same kind of bitmap: the words go across unchanged.
        const std::size_t bytes = static_cast<std::size_t>(dest.width()) * 4;
        for (int y = dest.top(); y <= dest.bottom(); ++y) {
            const int sy = y + dy;
            const uchar* src = from.image.constScanLine(from.bottomUp ? from.image.height() - 1 - sy : sy);
            uchar* dst = to.image.scanLine(to.bottomUp ? to.image.height() - 1 - y : y);
            std::memmove(dst + static_cast<std::size_t>(dest.left()) * 4, src + static_cast<std::size_t>(dest.left() + dx) * 4, bytes);
        }
        return;
    }
    switch (rop) {
    case SRCCOPY: CopyWords(from, to, dest, dx, dy, [](std::uint32_t s, std::uint32_t) { return s; }); break;
    case SRCAND: CopyWords(from, to, dest, dx, dy, [](std::uint32_t s, std::uint32_t d) { return s & d; }); break;
    case SRCPAINT: CopyWords(from, to, dest, dx, dy, [](std::uint32_t s, std::uint32_t d) { return s | d; }); break;
    case SRCINVERT: CopyWords(from, to, dest, dx, dy, [](std::uint32_t s, std::uint32_t d) { return s ^ d; }); break;
    default: CopyWords(from, to, dest, dx, dy, [rop](std::uint32_t s, std::uint32_t d) { return Combine(rop, s, d); }); break;
    }
}

}  // namespace

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    // Both ends pinned to the coordinate range, so a huge area still covers the surface.
    const int x2 = Coord(static_cast<long long>(x) + width);
    const int y2 = Coord(static_cast<long long>(y) + height);
    x = Coord(x);
    y = Coord(y);
    width = x2 - x;
    height = y2 - y;
    GdiRecord rec = d->MakeRecord("PatBlt");
    rec.rect = CRect(x, y, x + width, y + height);
    rec.flags = rop;
    d->Record(std::move(rec));
    if (!IsPatternRop(rop)) return FALSE;
    QRect box(QPoint(std::min(x, x + width), std::min(y, y + height)), QSize(std::abs(width), std::abs(height)));
    if (box.isEmpty()) return TRUE;
    BitmapData* b = d->Bitmap();
    if (rop == DSTINVERT && b != nullptr && d->IdentityMapping() && b->image.format() == QImage::Format_RGB32 &&
        b->ratio == 1) {
        QRegion area = QRegion(box).intersected(b->image.rect());
        if (d->s.hasClip) area = area.intersected(d->s.clip);
        for (const QRect& rc : area) {
            for (int yy = rc.top(); yy <= rc.bottom(); ++yy) {
                const int row = b->bottomUp ? b->image.height() - 1 - yy : yy;
                auto* line = reinterpret_cast<std::uint32_t*>(b->image.scanLine(row));
                for (int xx = rc.left(); xx <= rc.right(); ++xx) line[xx] ^= 0x00FFFFFFu;
            }
        }
        return TRUE;
    }
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    p.Touch(box);
    switch (rop) {
    case BLACKNESS: p->fillRect(box, Qt::black); break;
    case WHITENESS: p->fillRect(box, Qt::white); break;
    case DSTINVERT:
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(box, Qt::black);
        break;
    default: {
        if (!d->s.brush || d->s.brush->brush.style == BS_NULL) return TRUE;
        const BrushData& br = d->s.brush->brush;
        if (rop == PATINVERT) p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p->fillRect(box, MakeQBrush(br, d->s.bkMode, d->s.bkColor));
        break;
    }
    }
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop)
{
    if (IsPatternRop(rop)) return PatBlt(x, y, width, height, rop);
    return StretchBlt(x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int widthSrc, int heightSrc,
                     DWORD rop)
{
    x = Coord(x);
    y = Coord(y);
    width = Coord(width);
    height = Coord(height);
    xSrc = Coord(xSrc);
    ySrc = Coord(ySrc);
    widthSrc = Coord(widthSrc);
    heightSrc = Coord(heightSrc);
    GdiRecord rec = d->MakeRecord(width == widthSrc && height == heightSrc ? "BitBlt" : "StretchBlt");
    rec.rect = CRect(x, y, x + width, y + height);
    rec.points = {CPoint(xSrc, ySrc), CPoint(widthSrc, heightSrc)};
    rec.flags = rop;
    d->Record(std::move(rec));
    if (IsPatternRop(rop)) return PatBlt(x, y, width, height, rop);
    if (src == nullptr || !KnownSourceRop(rop)) return FALSE;
    const BitmapData* sb = src->d->Bitmap();
    if (sb == nullptr || !src->d->IdentityMapping()) return FALSE;
    if (width == 0 || height == 0 || widthSrc == 0 || heightSrc == 0) return TRUE;
    // Guard the per-pixel loops against absurd sizes.
    if (std::abs(static_cast<long long>(width)) > 65536 || std::abs(static_cast<long long>(height)) > 65536) return FALSE;

    BitmapData* db = d->Bitmap();
    const QRect destBox(QPoint(std::min(x, x + width), std::min(y, y + height)), QSize(std::abs(width), std::abs(height)));

    if (db != nullptr && d->IdentityMapping() && db->image.format() == QImage::Format_RGB32) {
        // The copy works on the pictures' own pixels: one to one on the same grid, else each
        // destination pixel takes the source pixel under its centre (words whole, so a DIB
        // section's alpha travels as it does between pictures of one pixel per unit).
        const int ratio = db->ratio;
        // A copy of the same logical size between grids of different fineness takes, for each
        // pixel of the destination, the one at the same place in the source's block (the
        // top-left one of a block going to a coarser grid, as GetPixel reads it).
        const bool regrid = ratio != sb->ratio && std::abs(width) == std::abs(widthSrc) && std::abs(height) == std::abs(heightSrc);
        const int toRatio = ratio;
        const int fromRatio = sb->ratio;
        for (int* v : {&x, &y, &width, &height}) *v *= ratio;
        for (int* v : {&xSrc, &ySrc, &widthSrc, &heightSrc}) *v *= sb->ratio;
        const auto pick = [&](int i, int count, int sourceCount) {
            if (regrid) return (i / toRatio) * fromRatio + (i % toRatio) * fromRatio / toRatio;
            return static_cast<int>((static_cast<long long>(i) * 2 + 1) * sourceCount / (2LL * count));
        };
        const int aw = std::abs(width);
        const int ah = std::abs(height);
        const int asw = std::abs(widthSrc);
        const int ash = std::abs(heightSrc);
        QRegion area = QRegion(ScaleRect(destBox, ratio)).intersected(db->image.rect());
        if (d->s.hasClip) area = area.intersected(ScaleRegion(d->s.clip, ratio));
        const bool sameImage = sb == db;
        // Reading and writing one image: work from a copy of the source.
        BitmapData copy;
        const BitmapData* from = sb;
        if (sameImage) {
            copy.image = sb->image.copy();
            copy.dibSection = sb->dibSection;
            copy.bottomUp = sb->bottomUp;
            from = &copy;
        }
        const QRect srcRect = from->image.rect();
        if (width == widthSrc && height == heightSrc && width > 0 && height > 0 &&
            from->image.format() == QImage::Format_RGB32) {
            // One to one: only the part whose source exists is copied.
            const QRect reachable = srcRect.translated(x - xSrc, y - ySrc);
            for (const QRect& rc : area) {
                const QRect part = rc.intersected(reachable);
                if (!part.isEmpty()) CopyWords(*from, *db, part, xSrc - x, ySrc - y, rop);
            }
            return TRUE;
        }
        for (const QRect& rc : area) {
            for (int dy = rc.top(); dy <= rc.bottom(); ++dy) {
                // Index of this row within the destination box, then the source row it shows.
                const int i = height > 0 ? dy - y : y - 1 - dy;
                const int j = pick(i, ah, ash);
                const int sy = heightSrc > 0 ? ySrc + j : ySrc - 1 - j;
                if (sy < srcRect.top() || sy > srcRect.bottom()) continue;
                const int row = db->bottomUp ? db->image.height() - 1 - dy : dy;
                auto* line = reinterpret_cast<std::uint32_t*>(db->image.scanLine(row));
                for (int dx = rc.left(); dx <= rc.right(); ++dx) {
                    const int k = width > 0 ? dx - x : x - 1 - dx;
                    const int m = pick(k, aw, asw);
                    const int sx = widthSrc > 0 ? xSrc + m : xSrc - 1 - m;
                    if (sx < srcRect.left() || sx > srcRect.right()) continue;
                    std::uint32_t v = Combine(rop, SourcePixel(*from, sx, sy), line[dx]);
                    if (!db->dibSection) v |= 0xFF000000u;
                    line[dx] = v;
                }
            }
        }
        return TRUE;
    }

    // Through a painter: a window DC or a scaled mapping. The source's own pixels go in, and the
    // painter puts them on the destination's grid (one to one where the two agree).
    const QRect srcArea = ScaleRect(QRect(QPoint(std::min(xSrc, xSrc + widthSrc), std::min(ySrc, ySrc + heightSrc)),
                                          QSize(std::abs(widthSrc), std::abs(heightSrc))),
                                    sb->ratio);
    if (static_cast<long long>(srcArea.width()) * srcArea.height() > (64LL << 20)) return FALSE;
    QImage picture = SourcePicture(*sb, srcArea);
    const bool mirrorX = (width > 0) != (widthSrc > 0);
    const bool mirrorY = (height > 0) != (heightSrc > 0);
    if (mirrorX || mirrorY) picture = picture.mirrored(mirrorX, mirrorY);
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    p.Touch(destBox);
    p->setCompositionMode(ModeOf(rop));
    if (rop == SRCCOPY && d->external != nullptr && d->external->device() != nullptr &&
        std::abs(width) == std::abs(widthSrc) && std::abs(height) == std::abs(heightSrc)) {
        // A picture whose fineness the window's screen does not show in whole pixels (a screen
        // of 1.5 pixels per logical pixel, or one coarser than the picture) is resampled
        // smoothly rather than by dropping or repeating some of its pixels.
        const qreal scale = d->external->device()->devicePixelRatio() / sb->ratio;
        if (std::abs(scale - std::round(scale)) > 1e-3) p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    }
    p->drawImage(destBox, picture);
    return TRUE;
}
