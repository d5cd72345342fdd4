// Background fills, frames, rules, tiling and opacity blending.

#include "widgets/tooltip/PPDrawManager.h"

#include "widgets/tooltip/PPDrawPixels.h"

#include "platform/gdi/Rand15.h"

#include <algorithm>
#include <cmath>

using ppdraw::Surface;

namespace {

// Gradients are drawn as this many solid bands: smooth enough on a tip, and cheap.
constexpr int kGradientBands = 64;
// Strokes scratched into the metal texture.
constexpr int kMetalStrokes = 200;

int Channel(int from, int to, int k) { return (from * (kGradientBands - k) + to * k) / kGradientBands; }

// Noise of the textures: 0..2a - a from the 15-bit generator they are tuned for.
int Noise(int a, int m) { return Rand15() / (RAND15_MAX / m) - a; }

int Cube(int s) { return s * s * s; }

}  // namespace

CPPDrawManager::CPPDrawManager() = default;
CPPDrawManager::~CPPDrawManager() = default;

void CPPDrawManager::FillGradient(HDC hdc, const RECT& rect, COLORREF from, COLORREF to, bool horizontal)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr) return;
    const int size = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
    if (size <= 0) return;
    for (int k = 0; k < kGradientBands; ++k) {
        const int a = static_cast<int>(static_cast<long long>(k) * size / kGradientBands);
        const int b = static_cast<int>(static_cast<long long>(k + 1) * size / kGradientBands);
        if (b <= a) continue;
        const CRect band = horizontal ? CRect(rect.left + a, rect.top, rect.left + b, rect.bottom)
                                      : CRect(rect.left, rect.top + a, rect.right, rect.top + b);
        CBrush brush(RGB(Channel(GetRValue(from), GetRValue(to), k), Channel(GetGValue(from), GetGValue(to), k),
                         Channel(GetBValue(from), GetBValue(to), k)));
        dc->FillRect(&band, &brush);
    }
}

void CPPDrawManager::PaintBackground(HDC hdc, const RECT* rect, int effect, COLORREF color1, COLORREF color2,
                                     COLORREF color3, int granularity, int blendPercent)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || rect == nullptr || IsRectEmpty(rect)) return;
    const CRect r(*rect);
    const int halfW = r.Width() / 2;
    const int halfH = r.Height() / 2;
    switch (effect) {
    case EFFECT_HGRADIENT: FillGradient(hdc, r, color1, color3, true); break;
    case EFFECT_VGRADIENT: FillGradient(hdc, r, color1, color3, false); break;
    case EFFECT_HCGRADIENT:
        FillGradient(hdc, CRect(r.left, r.top, r.left + halfW, r.bottom), color1, color3, true);
        FillGradient(hdc, CRect(r.left + halfW, r.top, r.right, r.bottom), color3, color1, true);
        break;
    case EFFECT_VCGRADIENT:
        FillGradient(hdc, CRect(r.left, r.top, r.right, r.top + halfH), color1, color3, false);
        FillGradient(hdc, CRect(r.left, r.top + halfH, r.right, r.bottom), color3, color1, false);
        break;
    case EFFECT_3HGRADIENT:
        FillGradient(hdc, CRect(r.left, r.top, r.left + halfW, r.bottom), color1, color2, true);
        FillGradient(hdc, CRect(r.left + halfW, r.top, r.right, r.bottom), color2, color3, true);
        break;
    case EFFECT_3VGRADIENT:
        FillGradient(hdc, CRect(r.left, r.top, r.right, r.top + halfH), color1, color2, false);
        FillGradient(hdc, CRect(r.left, r.top + halfH, r.right, r.bottom), color2, color3, false);
        break;
    case EFFECT_NOISE:
    case EFFECT_DIAGSHADE:
    case EFFECT_HSHADE:
    case EFFECT_VSHADE:
    case EFFECT_HBUMP:
    case EFFECT_VBUMP:
    case EFFECT_SOFTBUMP:
    case EFFECT_HARDBUMP:
    case EFFECT_METAL:
        PaintTexture(hdc, r, effect, color1, color2, color3, granularity, blendPercent);
        break;
    default: {
        CBrush brush(color1);
        dc->FillRect(&r, &brush);
        break;
    }
    }
}

void CPPDrawManager::PaintTexture(HDC hdc, const RECT& rect, int effect, COLORREF color1, COLORREF color2,
                                  COLORREF color3, int granularity, int blendPercent)
{
    const int W = rect.right - rect.left;
    const int H = rect.bottom - rect.top;
    if (effect == EFFECT_METAL && (W < 2 || H < 2)) return;
    if (!m_dib.Create(W, H)) return;

    const int a = std::clamp(granularity, 0, 255);
    const int t = 255 - 2 * a;
    const int m = a == 0 ? 1 : 2 * a;

    // Two ramps: colour 3 up to colour 2 in entries 0..128, colour 2 up to colour 1 in 128..255.
    RGBQUAD* pal = m_dib.GetPalette();
    auto mix = [](COLORREF x, COLORREF y, int f, int n) {
        return RGBQUAD{static_cast<BYTE>((GetBValue(x) * (n - f) + GetBValue(y) * f) / n),
                       static_cast<BYTE>((GetGValue(x) * (n - f) + GetGValue(y) * f) / n),
                       static_cast<BYTE>((GetRValue(x) * (n - f) + GetRValue(y) * f) / n), 0};
    };
    for (int i = 0; i <= 128; ++i) pal[i] = mix(color3, color2, i, 128);
    for (int f = 1; f <= 128; ++f) pal[127 + f] = mix(color2, color1, f, 128);
    m_dib.BlendPalette(blendPercent, color1);

    BYTE* bits = m_dib.GetBits();
    const int stride = m_dib.GetLineWidth();
    // Pixel values wrap modulo 256 like the bytes they are stored in.
    auto put = [&](int row, int col, int v) { bits[static_cast<std::size_t>(row) * stride + col] = static_cast<BYTE>(v); };
    auto get = [&](int row, int col) { return static_cast<int>(bits[static_cast<std::size_t>(row) * stride + col]); };

    switch (effect) {
    case EFFECT_NOISE:
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, 128 + Noise(a, m));
        break;
    case EFFECT_DIAGSHADE:
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, r * (t / 2) / H + (W - j) * (t / 2) / W + a + Noise(a, m));
        break;
    case EFFECT_HSHADE:
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, a + r * t / H + Noise(a, m));
        break;
    case EFFECT_VSHADE:
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, a + t * (W - j) / W + Noise(a, m));
        break;
    case EFFECT_HBUMP:
        for (int r = 0; r < H; ++r) {
            const int v = (Cube(255 * r / H - 127) / 16384 * (128 - a)) / 128 + 128;
            for (int j = 0; j < W; ++j) put(r, j, v + Noise(a, m));
        }
        break;
    case EFFECT_VBUMP:
        for (int j = 0; j < W; ++j) {
            const int v = (Cube(255 * (W - j) / W - 127) / 16384 * (128 - a)) / 128 + 128;
            for (int r = 0; r < H; ++r) put(r, j, v + Noise(a, m));
        }
        break;
    case EFFECT_SOFTBUMP:
        for (int r = 0; r < H; ++r) {
            const int rowCube = Cube(255 * r / H - 127) / 16384;
            for (int j = 0; j < W; ++j) {
                const int colCube = Cube(255 * (W - j) / W - 127) / 16384;
                int v = (rowCube + colCube) * (128 - a) / 128 + 128;
                v = std::max(a, std::min(255 - a, v));
                put(r, j, v + Noise(a, m));
            }
        }
        break;
    case EFFECT_HARDBUMP: {
        for (int r = 0; r < H; ++r) {
            const int v = Cube(255 * r / H - 127) / 16384 * (64 - a) * 2 / 128 + 128;
            for (int j = 0; j < W; ++j) put(r, j, v + Noise(a, m));
        }
        // A raised elliptical rim: lit on the upper left, shaded on the lower right.
        const int edge = std::min(W / 6, 16);
        if (edge > 0) {
            const double rx = W / 2.0, ry = H / 2.0;
            for (int r = 0; r < H; ++r) {
                for (int j = 0; j < W; ++j) {
                    const double dx = (j + 0.5 - rx) / rx, dy = (r + 0.5 - ry) / ry;
                    const double dist = std::sqrt(dx * dx + dy * dy);  // 1 on the ellipse
                    const double inner = 1.0 - static_cast<double>(edge) / std::min(rx, ry);
                    if (dist > 1.0 || dist < inner) continue;
                    const int ramp = static_cast<int>((dist - inner) / (1.0 - inner) * 64.0);
                    // Rows count from the bottom, so dy > 0 is the upper half.
                    put(r, j, (dy - dx > 0) ? a + ramp : 255 - a - ramp);
                }
            }
        }
        break;
    }
    case EFFECT_METAL: {
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, 0);
        const int maxRun = std::max(1, std::min(W, H) / 2);
        for (int s = 0; s < kMetalStrokes; ++s) {
            const int x0 = Rand15() % W;
            const int y0 = Rand15() % H;
            const int length = Rand15() % maxRun + 1;
            const int value = Rand15() / 819;
            for (int i = 0; i < length; ++i) {
                const int x = x0 + i, y = y0 + i;
                if (x >= W || y >= H) break;
                put(y, x, value);
                if (x + 1 < W) put(y, x + 1, value);
            }
        }
        for (int r = 0; r < H; ++r)
            for (int j = 0; j < W; ++j) put(r, j, get(r, j) + (t - 40) / 2 * j / W + Rand15() / (RAND15_MAX / m));
        break;
    }
    default: break;
    }
    m_dib.Draw(hdc, rect.left, rect.top);
}

void CPPDrawManager::BlendBitmap(HDC hdcSrc, HDC hdcDest, int x, int y, int width, int height, int percent)
{
    CDC* dest = CDC::FromHandle(hdcDest);
    CDC* src = CDC::FromHandle(hdcSrc);
    if (dest == nullptr || src == nullptr || width <= 0 || height <= 0 || percent <= 0) return;
    if (percent >= 100) {
        dest->BitBlt(x, y, width, height, src, 0, 0, SRCCOPY);
        return;
    }
    // Blended at the destination's own fineness, so a picture of a high-density screen keeps it.
    const int ratio = dest->GetPixelRatio();
    Surface s, d;
    if (!s.CopyFrom(hdcSrc, 0, 0, width, height, ratio) || !d.CopyFrom(hdcDest, x, y, width, height, ratio)) return;
    const auto mix = [percent](std::uint32_t a, std::uint32_t b, int shift) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        return static_cast<std::uint32_t>((ca * percent + cb * (100 - percent)) / 100) << shift;
    };
    const std::size_t n = static_cast<std::size_t>(d.Width()) * d.Height();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t a = s.Bits()[i], b = d.Bits()[i];
        d.Bits()[i] = mix(a, b, 0) | mix(a, b, 8) | mix(a, b, 16);
    }
    dest->BitBlt(x, y, width, height, d.DC(), 0, 0, SRCCOPY);
}

void CPPDrawManager::BlendAlphaChannel(HDC hdcDest, int x, int y, int width, int height, HDC hdcSrc)
{
    CDC* dest = CDC::FromHandle(hdcDest);
    if (dest == nullptr || width <= 0 || height <= 0) return;
    const int ratio = dest->GetPixelRatio();
    Surface s, d;
    if (!s.CopyFrom(hdcSrc, 0, 0, width, height, ratio) || !d.CopyFrom(hdcDest, x, y, width, height, ratio)) return;
    const std::size_t n = static_cast<std::size_t>(d.Width()) * d.Height();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t a = s.Bits()[i], b = d.Bits()[i];
        const std::uint32_t alpha = a >> 24;
        std::uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
            out |= ((ca * alpha + cb * (255 - alpha)) / 255) << shift;
        }
        d.Bits()[i] = out;
    }
    dest->BitBlt(x, y, width, height, d.DC(), 0, 0, SRCCOPY);
}

namespace {
int PenStyleOf(int borderStyle)
{
    switch (borderStyle) {
    case CPPDrawManager::BORDER_DASH: return PS_DASH;
    case CPPDrawManager::BORDER_DOT: return PS_DOT;
    case CPPDrawManager::BORDER_DASHDOT: return PS_DASHDOT;
    case CPPDrawManager::BORDER_DASHDOTDOT: return PS_DASHDOTDOT;
    default: return PS_SOLID;
    }
}
}  // namespace

void CPPDrawManager::DrawFrame(HDC hdc, int left, int top, int right, int bottom, COLORREF lightColor,
                               COLORREF darkColor, int borderStyle, int width)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || width <= 0) return;
    CPen light(PenStyleOf(borderStyle), width, lightColor);
    CPen dark(PenStyleOf(borderStyle), width, darkColor);
    const int passes = borderStyle == BORDER_DOUBLE ? 2 : 1;
    CPen* old = dc->SelectObject(&light);
    for (int pass = 0; pass < passes; ++pass) {
        // The pen runs along the middle of its band, so the frame lies inside the rectangle.
        const int inset = width / 2 + pass * 2 * width;
        const int l = left + inset, t = top + inset;
        const int r = right - 1 - inset, b = bottom - 1 - inset;
        if (r < l || b < t) break;
        dc->SelectObject(&light);
        dc->MoveTo(l, b);
        dc->LineTo(l, t);
        dc->LineTo(r, t);
        dc->SelectObject(&dark);
        dc->MoveTo(r, t);
        dc->LineTo(r, b);
        dc->LineTo(l, b);
    }
    dc->SelectObject(old);
}

void CPPDrawManager::DrawRule(HDC hdc, int width, int x1, int y1, int x2, int y2, COLORREF color, int borderStyle)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || width <= 0) return;
    CPen pen(PenStyleOf(borderStyle), width, color);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
    if (borderStyle == BORDER_DOUBLE) {
        const bool horizontal = y1 == y2;
        const int dx = horizontal ? 0 : 2 * width, dy = horizontal ? 2 * width : 0;
        dc->MoveTo(x1 + dx, y1 + dy);
        dc->LineTo(x2 + dx, y2 + dy);
    }
    dc->SelectObject(old);
}

void CPPDrawManager::TileBitmap(HDC hdc, int x, int y, int width, int height, HDC hdcImage, int imageWidth,
                                int imageHeight)
{
    CDC* dc = CDC::FromHandle(hdc);
    CDC* image = CDC::FromHandle(hdcImage);
    if (dc == nullptr || image == nullptr || width <= 0 || height <= 0 || imageWidth <= 0 || imageHeight <= 0) return;
    // Tiles of one pixel would take millions of copies on a big area; nobody draws those.
    if (static_cast<long long>(width / imageWidth + 1) * (height / imageHeight + 1) > 65536) return;
    for (int ty = 0; ty < height; ty += imageHeight)
        for (int tx = 0; tx < width; tx += imageWidth)
            dc->BitBlt(x + tx, y + ty, std::min(imageWidth, width - tx), std::min(imageHeight, height - ty), image, 0, 0,
                       SRCCOPY);
}
