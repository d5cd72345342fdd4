// Icons: a colour bitmap and a mask with a hotspot, drawn by mask-and-xor or, when the colour
// bitmap carries alpha, by blending.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <QImageReader>

#include <cstring>

using namespace gdi;

namespace {

bool HasAlpha(const QImage& color)
{
    for (int y = 0; y < color.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(color.constScanLine(y));
        for (int x = 0; x < color.width(); ++x)
            if ((row[x] >> 24) != 0) return true;
    }
    return false;
}

// A top-down copy of a bitmap's logical pixels as RGB32 words (reserved byte kept for DIB
// sections).
QImage Words(const BitmapData& fine)
{
    const BitmapData b = LogicalView(fine);
    QImage out(b.image.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < out.height(); ++y) {
        const int row = b.bottomUp ? b.image.height() - 1 - y : y;
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (b.image.format() == QImage::Format_Indexed8) {
            const uchar* src = b.image.constScanLine(row);
            for (int x = 0; x < out.width(); ++x) dst[x] = b.image.color(src[x]) & 0x00FFFFFFu;
        } else {
            const auto* src = reinterpret_cast<const QRgb*>(b.image.constScanLine(row));
            for (int x = 0; x < out.width(); ++x) dst[x] = b.dibSection ? src[x] : (src[x] & 0x00FFFFFFu);
        }
    }
    return out;
}

HBITMAP DibFromWords(const QImage& words)
{
    auto o = std::make_shared<ObjectData>();
    o->kind = GdiObjectKind::Bitmap;
    o->bitmap.dibSection = true;
    o->bitmap.image = words.copy();
    if (o->bitmap.image.isNull()) return 0;
    return AddObject(o);
}

HICON AddIcon(IconData icon)
{
    if (icon.color.isNull() || icon.mask.isNull()) return 0;
    auto o = std::make_shared<ObjectData>();
    o->kind = GdiObjectKind::Icon;
    o->icon = std::move(icon);
    return AddObject(o);
}

// Nearest-pixel scaling that keeps every word as it is.
QImage ScaleWords(const QImage& in, int cx, int cy)
{
    if (in.width() == cx && in.height() == cy) return in;
    QImage out(cx, cy, QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < cy; ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * in.height() / (2LL * cy));
        const auto* src = reinterpret_cast<const QRgb*>(in.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < cx; ++x) dst[x] = src[(2LL * x + 1) * in.width() / (2LL * cx)];
    }
    return out;
}

}  // namespace

HICON gdi::CreateIconFromImage(const QImage& image)
{
    if (image.isNull()) return 0;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    IconData icon;
    icon.color = QImage(argb.size(), QImage::Format_RGB32);
    icon.mask = QImage(argb.size(), QImage::Format_RGB32);
    if (icon.color.isNull() || icon.mask.isNull()) return 0;
    const bool alpha = argb.hasAlphaChannel() && image.hasAlphaChannel();
    for (int y = 0; y < argb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* c = reinterpret_cast<QRgb*>(icon.color.scanLine(y));
        auto* m = reinterpret_cast<QRgb*>(icon.mask.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb a = qAlpha(src[x]);
            const bool transparent = alpha && a == 0;
            c[x] = transparent ? 0u : ((alpha ? a << 24 : 0u) | (src[x] & 0x00FFFFFFu));
            m[x] = transparent ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    icon.hotspot = QPoint(argb.width() / 2, argb.height() / 2);
    return AddIcon(std::move(icon));
}

QImage gdi::IconToImage(HICON handle)
{
    ObjectPtr o = FindObject(handle, GdiObjectKind::Icon);
    if (!o) return QImage();
    const IconData& icon = o->icon;
    const bool alpha = HasAlpha(icon.color);
    QImage out(icon.color.size(), QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto* c = reinterpret_cast<const QRgb*>(icon.color.constScanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(icon.mask.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (alpha) dst[x] = c[x];
            else dst[x] = (m[x] & 0x00FFFFFFu) != 0 ? 0u : (0xFF000000u | (c[x] & 0x00FFFFFFu));
        }
    }
    return out;
}

HICON CreateIconIndirect(const ICONINFO* info)
{
    if (info == nullptr) return 0;
    ObjectPtr color = FindObject(info->hbmColor, GdiObjectKind::Bitmap);
    ObjectPtr mask = FindObject(info->hbmMask, GdiObjectKind::Bitmap);
    if (!color && !mask) return 0;
    IconData icon;
    icon.isIcon = info->fIcon != 0;
    if (color) icon.color = Words(color->bitmap);
    if (mask) {
        icon.mask = Words(mask->bitmap);
        if (!color) {
            // A monochrome icon: the mask's lower half is the image.
            const int h = icon.mask.height() / 2;
            icon.color = icon.mask.copy(0, h, icon.mask.width(), h);
            icon.mask = icon.mask.copy(0, 0, icon.mask.width(), h);
        }
    } else {
        icon.mask = QImage(icon.color.size(), QImage::Format_RGB32);
        icon.mask.fill(0xFF000000u);
    }
    if (icon.mask.size() != icon.color.size()) icon.mask = ScaleWords(icon.mask, icon.color.width(), icon.color.height());
    icon.hotspot = icon.isIcon ? QPoint(icon.color.width() / 2, icon.color.height() / 2)
                               : QPoint(static_cast<int>(info->xHotspot), static_cast<int>(info->yHotspot));
    return AddIcon(std::move(icon));
}

BOOL GetIconInfo(HICON handle, ICONINFO* info)
{
    ObjectPtr o = FindObject(handle, GdiObjectKind::Icon);
    if (!o || info == nullptr) return FALSE;
    ICONINFO out{};
    out.fIcon = o->icon.isIcon ? TRUE : FALSE;
    out.xHotspot = static_cast<DWORD>(o->icon.hotspot.x());
    out.yHotspot = static_cast<DWORD>(o->icon.hotspot.y());
    out.hbmColor = DibFromWords(o->icon.color);
    out.hbmMask = DibFromWords(o->icon.mask);
    if (out.hbmColor == 0 || out.hbmMask == 0) {
        DeleteObject(out.hbmColor);
        DeleteObject(out.hbmMask);
        return FALSE;
    }
    *info = out;
    return TRUE;
}

HICON CopyIcon(HICON handle)
{
    ObjectPtr o = FindObject(handle, GdiObjectKind::Icon);
    if (!o) return 0;
    IconData copy = o->icon;
    copy.color = o->icon.color.copy();
    copy.mask = o->icon.mask.copy();
    return AddIcon(std::move(copy));
}

BOOL DestroyIcon(HICON icon)
{
    if (GetObjectKind(icon) != GdiObjectKind::Icon) return FALSE;
    return DeleteObject(icon);
}

HBITMAP LoadBitmapFromFile(const char* path)
{
    if (path == nullptr) return 0;
    QImageReader reader(QString::fromUtf8(path));
    const QSize size = reader.size();
    if (size.isValid() && static_cast<long long>(size.width()) * size.height() > (64LL << 20)) return 0;
    const QImage image = reader.read();
    if (image.isNull()) return 0;
    const QImage argb = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = argb.width();
    info.bmiHeader.biHeight = argb.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP h = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    if (h == 0) return 0;
    auto* words = static_cast<std::uint32_t*>(bits);
    const bool alpha = image.hasAlphaChannel();
    for (int y = 0; y < argb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint32_t* dst = words + static_cast<std::size_t>(argb.height() - 1 - y) * static_cast<std::size_t>(argb.width());
        for (int x = 0; x < argb.width(); ++x) dst[x] = alpha ? src[x] : (src[x] & 0x00FFFFFFu);
    }
    return h;
}

HICON LoadIconFromFile(const char* path, int cx, int cy)
{
    if (path == nullptr || cx < 0 || cy < 0 || cx > 1024 || cy > 1024) return 0;
    QImageReader reader(QString::fromUtf8(path));
    // An icon file holds several sizes: take the one closest to the wanted width.
    QImage best;
    const int count = std::max(reader.imageCount(), 1);
    for (int i = 0; i < count && i < 64; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        QImage candidate = reader.read();
        if (candidate.isNull()) continue;
        if (best.isNull() || (cx > 0 && std::abs(candidate.width() - cx) < std::abs(best.width() - cx))) best = candidate;
        if (cx == 0) break;
    }
    if (best.isNull() || static_cast<long long>(best.width()) * best.height() > (16LL << 20)) return 0;
    if (cx > 0 && cy > 0 && best.size() != QSize(cx, cy))
        best = best.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return CreateIconFromImage(best);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) { return DrawIconEx(x, y, icon, 0, 0, DI_NORMAL); }

BOOL CDC::DrawIconEx(int x, int y, HICON handle, int cx, int cy, UINT flags)
{
    ObjectPtr o = FindObject(handle, GdiObjectKind::Icon);
    GdiRecord rec = d->MakeRecord("DrawIcon");
    rec.points = {CPoint(x, y)};
    rec.flags = handle;
    d->Record(std::move(rec));
    if (!o || (flags & DI_NORMAL) == 0) return FALSE;
    const IconData& icon = o->icon;
    if (cx <= 0) cx = icon.color.width();
    if (cy <= 0) cy = icon.color.height();
    if (cx > 4096 || cy > 4096) return FALSE;
    x = Coord(x);
    y = Coord(y);
    const QImage color = ScaleWords(icon.color, cx, cy);
    const QImage mask = ScaleWords(icon.mask, cx, cy);
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    const QRect box(x, y, cx, cy);
    p.Touch(box);
    auto opaque = [](QImage img) {
        for (int yy = 0; yy < img.height(); ++yy) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(yy));
            for (int xx = 0; xx < img.width(); ++xx) row[xx] |= 0xFF000000u;
        }
        return img;
    };
    if ((flags & DI_NORMAL) == DI_NORMAL && HasAlpha(color)) {
        QImage argb(color.size(), QImage::Format_ARGB32);
        std::memcpy(argb.bits(), color.constBits(), static_cast<std::size_t>(std::min(argb.sizeInBytes(), color.sizeInBytes())));
        p->drawImage(box, argb);
        return TRUE;
    }
    if (flags & DI_MASK) {
        p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p->drawImage(box, opaque(mask));
    }
    if (flags & DI_IMAGE) {
        p->setCompositionMode((flags & DI_MASK) ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_Source);
        p->drawImage(box, opaque(color));
    }
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon)
{
    CDC* target = CDC::FromHandle(dc);
    return target != nullptr && target->DrawIcon(x, y, icon);
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT /*step*/, HBRUSH /*flickerFree*/, UINT flags)
{
    CDC* target = CDC::FromHandle(dc);
    return target != nullptr && target->DrawIconEx(x, y, icon, cx, cy, flags);
}
