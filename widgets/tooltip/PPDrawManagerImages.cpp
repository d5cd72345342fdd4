// Images through a transparent colour, their grey/darker/lighter variants, drop shadows and icons.

#include "widgets/tooltip/PPDrawManager.h"

#include "widgets/tooltip/PPDrawPixels.h"

#include <algorithm>

using ppdraw::Pixels;
using ppdraw::Surface;

namespace {

// COLORREF (0x00BBGGRR) as a pixel word (0x00RRGGBB).
std::uint32_t Word(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kMaxBlur = 255;

// The filtered copy and whether the source had alpha bits.
Pixels Filter(const Pixels& source, DWORD flags, bool useMask, COLORREF maskColor, COLORREF solidColor, bool& alpha)
{
    Pixels out = source;
    alpha = false;
    const std::uint32_t mask = Word(maskColor);
    const std::uint32_t solid = Word(solidColor);
    for (std::uint32_t& c : out.words) {
        const std::uint32_t top = c & 0xFF000000u;
        if (top != 0) alpha = true;
        std::uint32_t d;
        if (useMask && c == mask) {
            d = 0;
        } else {
            int r = static_cast<int>((c >> 16) & 0xFF), g = static_cast<int>((c >> 8) & 0xFF), b = static_cast<int>(c & 0xFF);
            if (flags & CPPDrawManager::IMAGE_EFFECT_GRAYEN) {
                const int level = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
                r = g = b = level;
            }
            if (flags & CPPDrawManager::IMAGE_EFFECT_DARKEN) {
                r = r * 3 / 4;
                g = g * 3 / 4;
                b = b * 3 / 4;
            }
            if (flags & CPPDrawManager::IMAGE_EFFECT_LIGHTEN) {
                r = std::min(255, r * 5 / 4);
                g = std::min(255, g * 5 / 4);
                b = std::min(255, b * 5 / 4);
            }
            d = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
            if (flags & CPPDrawManager::IMAGE_EFFECT_MONOCHROME) d = solid;
        }
        if (flags & CPPDrawManager::IMAGE_EFFECT_INVERT) d = ~d & 0x00FFFFFFu;
        c = top | d;
    }
    return out;
}

constexpr DWORD kShadowFlags = CPPDrawManager::IMAGE_EFFECT_SHADOW | CPPDrawManager::IMAGE_EFFECT_GRADIENT_SHADOW;
constexpr DWORD kMaskFlags = CPPDrawManager::IMAGE_EFFECT_INVERT | CPPDrawManager::IMAGE_EFFECT_MONOCHROME;

// Puts a filtered image on the DC: blended by its alpha, or through its mask.
void PutImage(CPPDrawManager& manager, CDC* dc, int x, int y, const Pixels& image, const Pixels& mask, bool alpha)
{
    Surface img;
    if (!img.Create(image)) return;
    if (alpha) {
        manager.BlendAlphaChannel(dc->GetSafeHdc(), x, y, image.width, image.height, img.Handle());
        return;
    }
    Surface msk;
    if (!msk.Create(mask)) return;
    dc->BitBlt(x, y, image.width, image.height, msk.DC(), 0, 0, SRCAND);
    dc->BitBlt(x, y, image.width, image.height, img.DC(), 0, 0, SRCPAINT);
}

}  // namespace

HBITMAP CPPDrawManager::FilterBitmap(HBITMAP bitmap, int width, int height, DWORD flags, BOOL useMask,
                                     COLORREF maskColor, COLORREF solidColor)
{
    Pixels source = ppdraw::ReadBitmap(bitmap);
    if (source.Empty() || !ppdraw::SizeOk(width, height)) return 0;
    if (source.width != width || source.height != height) source = ppdraw::Scale(source, width, height);
    bool alpha = false;
    const Pixels out = Filter(source, flags, useMask != FALSE, maskColor, solidColor, alpha);
    if (alpha) m_bIsAlpha = TRUE;
    else m_bIsAlpha = FALSE;
    return ppdraw::MakeBitmap(out);
}

namespace {

struct ShadowSpec {
    bool room;
    int dx, dy, blurX, blurY;
    COLORREF color;
};

}  // namespace

// The common tail of bitmaps and strip frames: `copy` is the picture at its drawn size.
static void DrawMaskedPixels(CPPDrawManager& manager, const Pixels& copy, HDC hdc, int x, int y, bool useMask,
                             COLORREF maskColor, DWORD flags, const ShadowSpec& shadow, bool& alphaOut)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || copy.Empty()) return;
    bool alpha = false;
    const Pixels mask = Filter(copy, kMaskFlags, useMask, maskColor, kWhite, alpha);
    const Pixels image = Filter(copy, flags, useMask, maskColor, shadow.color, alpha);
    alphaOut = alpha;
    int ix = x, iy = y;
    if (shadow.room) {
        if (flags & kShadowFlags) {
            bool unused = false;
            const Pixels shadowMask = Filter(copy, kMaskFlags, useMask, maskColor, ~shadow.color & 0xFFFFFFu, unused);
            const HBITMAP hMask = ppdraw::MakeBitmap(shadowMask);
            if (hMask != 0) {
                manager.CastShadow(hdc, x + shadow.dx, y + shadow.dy, copy.width, copy.height, hMask,
                                   (flags & CPPDrawManager::IMAGE_EFFECT_GRADIENT_SHADOW) != 0, shadow.blurX,
                                   shadow.blurY);
                DeleteObject(hMask);
            }
        } else {
            // Without its shadow the image sits where the shadow would be: it looks pressed in.
            ix += shadow.dx;
            iy += shadow.dy;
        }
    }
    PutImage(manager, dc, ix, iy, image, mask, alpha);
}

void CPPDrawManager::DrawMaskedBitmap(int width, int height, HDC hdc, int x, int y, HBITMAP bitmap, BOOL useMask,
                                      COLORREF maskColor, DWORD flags, BOOL shadowRoom, int shadowDx, int shadowDy,
                                      int blurX, int blurY, COLORREF shadowColor)
{
    if (!ppdraw::SizeOk(width, height)) return;
    const Pixels source = ppdraw::ReadBitmap(bitmap);
    if (source.Empty()) return;
    const Pixels copy = ppdraw::Scale(source, width, height);
    bool alpha = false;
    DrawMaskedPixels(*this, copy, hdc, x, y, useMask != FALSE, maskColor, flags,
                     ShadowSpec{shadowRoom != FALSE, shadowDx, shadowDy, blurX, blurY, shadowColor}, alpha);
    m_bIsAlpha = alpha ? TRUE : FALSE;
}

void CPPDrawManager::DrawStripFrame(HDC hdc, int x, int y, int width, int height, HBITMAP strip, int index,
                                    int frameWidth, int frameHeight, BOOL useMask, COLORREF maskColor, DWORD flags,
                                    BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                                    COLORREF shadowColor)
{
    if (frameWidth <= 0 || frameHeight <= 0 || index < 0 || !ppdraw::SizeOk(width, height)) return;
    const Pixels source = ppdraw::ReadBitmap(strip);
    if (source.Empty()) return;
    const int columns = source.width / frameWidth;
    const int rows = source.height / frameHeight;
    if (columns <= 0 || rows <= 0 || index >= columns * rows) return;
    Pixels frame;
    if (!frame.Allocate(frameWidth, frameHeight)) return;
    const int fx = index % columns * frameWidth, fy = index / columns * frameHeight;
    for (int yy = 0; yy < frameHeight; ++yy)
        for (int xx = 0; xx < frameWidth; ++xx) frame.At(xx, yy) = source.At(fx + xx, fy + yy);
    bool alpha = false;
    DrawMaskedPixels(*this, ppdraw::Scale(frame, width, height), hdc, x, y, useMask != FALSE, maskColor, flags,
                     ShadowSpec{shadowRoom != FALSE, shadowDx, shadowDy, blurX, blurY, shadowColor}, alpha);
    m_bIsAlpha = alpha ? TRUE : FALSE;
}

void CPPDrawManager::DrawIconImage(DWORD flags, int width, int height, HDC hdc, int x, int y, HICON icon,
                                   BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                                   COLORREF shadowColor)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || !ppdraw::SizeOk(width, height)) return;
    ICONINFO info{};
    if (GetObjectKind(icon) != GdiObjectKind::Icon || !GetIconInfo(icon, &info)) return;
    const Pixels colorBits = ppdraw::Scale(ppdraw::ReadBitmap(info.hbmColor), width, height);
    const Pixels maskBits = ppdraw::Scale(ppdraw::ReadBitmap(info.hbmMask), width, height);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (colorBits.Empty() || maskBits.Empty()) return;

    // The icon's mask words carry no alpha; compare its colour part only.
    Pixels mask = maskBits;
    for (std::uint32_t& w : mask.words) w &= 0x00FFFFFFu;
    bool alpha = false;
    const Pixels image = (flags & IMAGE_EFFECT_MONOCHROME) ? Filter(mask, flags, true, kWhite, shadowColor, alpha)
                                                           : Filter(colorBits, flags, true, 0x000000, shadowColor, alpha);
    if (flags & IMAGE_EFFECT_MONOCHROME) {
        bool colorAlpha = false;
        Filter(colorBits, 0, false, 0, 0, colorAlpha);
        alpha = colorAlpha;
    }
    m_bIsAlpha = alpha ? TRUE : FALSE;

    int ix = x, iy = y;
    if (shadowRoom) {
        if (flags & kShadowFlags) {
            bool unused = false;
            const Pixels shadowMask = Filter(mask, kMaskFlags, true, kWhite, ~shadowColor & 0xFFFFFFu, unused);
            const HBITMAP hMask = ppdraw::MakeBitmap(shadowMask);
            if (hMask != 0) {
                CastShadow(hdc, x + shadowDx, y + shadowDy, width, height, hMask,
                           (flags & IMAGE_EFFECT_GRADIENT_SHADOW) != 0, blurX, blurY);
                DeleteObject(hMask);
            }
        } else {
            ix += shadowDx;
            iy += shadowDy;
        }
    }
    if (alpha && !(flags & IMAGE_EFFECT_MONOCHROME)) {
        Surface img;
        if (img.Create(image)) BlendAlphaChannel(hdc, ix, iy, width, height, img.Handle());
        return;
    }
    PutImage(*this, dc, ix, iy, image, mask, false);
}

void CPPDrawManager::CastShadow(HDC hdc, int x, int y, int width, int height, HBITMAP shadowMask, BOOL gradient,
                                int blurX, int blurY)
{
    if (!ppdraw::SizeOk(width, height)) return;
    const Pixels mask = ppdraw::ReadBitmap(shadowMask);
    if (mask.Empty()) return;

    // factor source: the mask's first colour byte over the area, 255 where the mask does not reach.
    Pixels level;
    if (!level.Allocate(width, height, 255)) return;
    int bx = 1, by = 1;
    if (gradient) {
        bx = std::clamp(blurX, 1, kMaxBlur);
        by = std::clamp(blurY, 1, kMaxBlur);
        if (bx % 2 == 0) ++bx;
        if (by % 2 == 0) ++by;
        // A blur as wide as the area leaves no room for the shrunk mask: no shadow.
        const int w = width - bx, h = height - by;
        if (w <= 0 || h <= 0) return;
        const Pixels shrunk = ppdraw::Scale(mask, w, h);
        if (shrunk.Empty()) return;
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx) level.At(xx + bx / 2, yy + by / 2) = shrunk.At(xx, yy) & 0xFF;
    } else {
        for (int yy = 0; yy < std::min(height, mask.height); ++yy)
            for (int xx = 0; xx < std::min(width, mask.width); ++xx) level.At(xx, yy) = mask.At(xx, yy) & 0xFF;
    }

    // The shadow is worked out per logical pixel and laid on the DC's own pixels, so what lies
    // under it keeps the fineness of a high-density screen's picture.
    CDC* dc = CDC::FromHandle(hdc);
    const int ratio = dc != nullptr ? dc->GetPixelRatio() : 1;
    Surface area;
    if (!area.CopyFrom(hdc, x, y, width, height, ratio)) return;
    // Darkens the block of logical pixel (xx, yy) by scale(channel) for each colour channel.
    const auto darken = [&area, ratio](int xx, int yy, auto scale) {
        for (int fy = yy * ratio; fy < (yy + 1) * ratio; ++fy) {
            std::uint32_t* line = &area.At(0, fy);
            for (int fx = xx * ratio; fx < (xx + 1) * ratio; ++fx) {
                const std::uint32_t p = line[fx];
                line[fx] = (p & 0xFF000000u) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
            }
        }
    };

    if (gradient) {
        // Box blur by running sums: along each row, then down the columns with one running sum
        // per column, so both passes walk the pixels in memory order. Outside the area counts
        // as 255.
        const int hx = bx / 2, hy = by / 2;
        std::vector<int> rowSums(static_cast<std::size_t>(width) * height);
        for (int yy = 0; yy < height; ++yy) {
            int sum = 0;
            for (int k = -hx; k <= hx; ++k) sum += (k < 0 || k >= width) ? 255 : static_cast<int>(level.At(k, yy));
            int* out = &rowSums[static_cast<std::size_t>(yy) * width];
            for (int xx = 0; xx < width; ++xx) {
                out[xx] = sum;
                const int o = xx - hx, i = xx + hx + 1;
                sum -= (o < 0 || o >= width) ? 255 : static_cast<int>(level.At(o, yy));
                sum += (i < 0 || i >= width) ? 255 : static_cast<int>(level.At(i, yy));
            }
        }
        const int edge = 255 * bx;  // a row of the window outside the area
        const long long divisor = 255LL * bx * by;
        // The factor in 16-bit fixed point by a reciprocal rounded up, so a window of full
        // brightness keeps the pixel exactly; sums never exceed the divisor.
        const auto d64 = static_cast<unsigned long long>(divisor);
        const unsigned long long reciprocal = ((1ULL << 40) + d64 - 1) / d64;
        auto rowAt = [&](int row) -> const int* {
            return (row < 0 || row >= height) ? nullptr : &rowSums[static_cast<std::size_t>(row) * width];
        };
        std::vector<long long> columnSums(static_cast<std::size_t>(width), 0);
        for (int k = -hy; k <= hy; ++k) {
            const int* r = rowAt(k);
            for (int xx = 0; xx < width; ++xx) columnSums[static_cast<std::size_t>(xx)] += r != nullptr ? r[xx] : edge;
        }
        for (int yy = 0; yy < height; ++yy) {
            for (int xx = 0; xx < width; ++xx) {
                const std::uint32_t f = std::min<std::uint32_t>(
                    static_cast<std::uint32_t>(
                        static_cast<unsigned long long>(columnSums[static_cast<std::size_t>(xx)]) * reciprocal >> 24),
                    1u << 16);
                darken(xx, yy, [f](std::uint32_t c) { return c * f >> 16; });
            }
            const int* gone = rowAt(yy - hy);
            const int* come = rowAt(yy + hy + 1);
            for (int xx = 0; xx < width; ++xx)
                columnSums[static_cast<std::size_t>(xx)] += (come != nullptr ? come[xx] : edge) - (gone != nullptr ? gone[xx] : edge);
        }
    } else {
        for (int yy = 0; yy < height; ++yy) {
            for (int xx = 0; xx < width; ++xx) {
                const std::uint32_t f = level.At(xx, yy);
                darken(xx, yy, [f](std::uint32_t c) { return c * f / 255; });
            }
        }
    }
    if (dc != nullptr) dc->BitBlt(x, y, width, height, area.DC(), 0, 0, SRCCOPY);
}

HICON CPPDrawManager::StretchIcon(HICON icon, int width, int height)
{
    if (!ppdraw::SizeOk(width, height) || width > 2048 || height > 2048) return 0;
    ICONINFO info{};
    if (GetObjectKind(icon) != GdiObjectKind::Icon || !GetIconInfo(icon, &info)) return 0;
    const HBITMAP color = ppdraw::MakeBitmap(ppdraw::Scale(ppdraw::ReadBitmap(info.hbmColor), width, height));
    const HBITMAP mask = ppdraw::MakeBitmap(ppdraw::Scale(ppdraw::ReadBitmap(info.hbmMask), width, height));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    HICON result = 0;
    if (color != 0 && mask != 0) {
        ICONINFO made{};
        made.fIcon = TRUE;
        made.hbmColor = color;
        made.hbmMask = mask;
        result = CreateIconIndirect(&made);
    }
    DeleteObject(color);
    DeleteObject(mask);
    return result;
}
