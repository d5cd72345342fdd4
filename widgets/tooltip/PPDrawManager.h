#pragma once
// The pixel effects behind the tooltip and its HTML drawer: background fills (solid, banded
// gradients, noise and relief textures), images drawn through a transparent colour with grey,
// darker or lighter variants and a soft drop shadow, a shadow caster with a box blur, opacity
// blending, and frames and rules with dashed, dotted or double pens.
//
// Every operation works on 32-bit DIB sections copied out of a DC and back with one block copy.
// Nothing is reported: an empty area, a missing DC or bitmap, or a failed allocation makes the
// operation (or the rest of it) do nothing.

#include "widgets/tooltip/CeXDib.h"

#include "platform/gdi/DC.h"

class CPPDrawManager {
public:
    // Background effect numbers of PaintBackground; anything else (0 included) is solid colour 1.
    enum {
        EFFECT_SOLID = 0,
        EFFECT_HGRADIENT = 1,
        EFFECT_VGRADIENT = 2,
        EFFECT_HCGRADIENT = 3,
        EFFECT_VCGRADIENT = 4,
        EFFECT_3HGRADIENT = 5,
        EFFECT_3VGRADIENT = 6,
        EFFECT_NOISE = 7,
        EFFECT_DIAGSHADE = 8,
        EFFECT_HSHADE = 9,
        EFFECT_VSHADE = 10,
        EFFECT_HBUMP = 11,
        EFFECT_VBUMP = 12,
        EFFECT_SOFTBUMP = 13,
        EFFECT_HARDBUMP = 14,
        EFFECT_METAL = 15,
    };

    // Image style flags.
    enum : DWORD {
        IMAGE_EFFECT_GRAYEN = 0x0001,
        IMAGE_EFFECT_DARKEN = 0x0002,
        IMAGE_EFFECT_LIGHTEN = 0x0004,
        IMAGE_EFFECT_MONOCHROME = 0x0008,  // every drawn pixel takes the given solid colour
        IMAGE_EFFECT_SHADOW = 0x0100,
        IMAGE_EFFECT_GRADIENT_SHADOW = 0x0200,
        IMAGE_EFFECT_INVERT = 0x8000,
    };

    // Border styles of DrawFrame and DrawRule.
    enum { BORDER_NONE = 0, BORDER_SOLID = 1, BORDER_DASH = 2, BORDER_DOT = 3, BORDER_DASHDOT = 4,
           BORDER_DASHDOTDOT = 5, BORDER_DOUBLE = 6 };

    CPPDrawManager();
    virtual ~CPPDrawManager();
    CPPDrawManager(const CPPDrawManager&) = delete;
    CPPDrawManager& operator=(const CPPDrawManager&) = delete;

    // Fills rect by the effect with colours 1..3. Textures (7..15) use granularity (noise amount,
    // 0..255) and blend their palette `blendPercent` towards colour 1.
    void PaintBackground(HDC hdc, const RECT* rect, int effect, COLORREF color1, COLORREF color2, COLORREF color3,
                         int granularity = 0, int blendPercent = 0);

    // Destination area = source * p + destination * (1 - p), p = percent / 100 (>= 100: a copy,
    // <= 0: unchanged).
    void BlendBitmap(HDC hdcSrc, HDC hdcDest, int x, int y, int width, int height, int percent);
    // Per pixel by the source's alpha byte: source * a / 255 + destination * (1 - a / 255).
    void BlendAlphaChannel(HDC hdcDest, int x, int y, int width, int height, HDC hdcSrc);
    // A new 32-bit DIB section (the caller deletes it), 0 on failure; sets IsAlpha().
    HBITMAP FilterBitmap(HBITMAP bitmap, int width, int height, DWORD flags, BOOL useMask, COLORREF maskColor,
                         COLORREF solidColor);

    void DrawMaskedBitmap(int width, int height, HDC hdc, int x, int y, HBITMAP bitmap, BOOL useMask, COLORREF maskColor,
                          DWORD flags, BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                          COLORREF shadowColor);
    void DrawIconImage(DWORD flags, int width, int height, HDC hdc, int x, int y, HICON icon, BOOL shadowRoom,
                       int shadowDx, int shadowDy, int blurX, int blurY, COLORREF shadowColor);
    // Frame `index` (row by row) of a strip of frameWidth x frameHeight frames.
    void DrawStripFrame(HDC hdc, int x, int y, int width, int height, HBITMAP strip, int index, int frameWidth,
                        int frameHeight, BOOL useMask, COLORREF maskColor, DWORD flags, BOOL shadowRoom, int shadowDx,
                        int shadowDy, int blurX, int blurY, COLORREF shadowColor);

    // Darkens the DC area at (x, y) by the first colour byte of the mask (255 leaves a pixel,
    // 0 blackens it); with gradient the mask is shrunk by the blur and box-blurred first.
    void CastShadow(HDC hdc, int x, int y, int width, int height, HBITMAP shadowMask, BOOL gradient, int blurX,
                    int blurY);

    void DrawFrame(HDC hdc, int left, int top, int right, int bottom, COLORREF lightColor, COLORREF darkColor,
                   int borderStyle, int width);
    void DrawRule(HDC hdc, int width, int x1, int y1, int x2, int y2, COLORREF color, int borderStyle);
    void TileBitmap(HDC hdc, int x, int y, int width, int height, HDC hdcImage, int imageWidth, int imageHeight);
    // A new icon of width x height (the caller destroys it); 0 on failure.
    HICON StretchIcon(HICON icon, int width, int height);

    // Whether the last FilterBitmap found alpha bits in its source.
    BOOL IsAlpha() const { return m_bIsAlpha; }

private:
    void FillGradient(HDC hdc, const RECT& rect, COLORREF from, COLORREF to, bool horizontal);
    void PaintTexture(HDC hdc, const RECT& rect, int effect, COLORREF color1, COLORREF color2, COLORREF color3,
                      int granularity, int blendPercent);

    CCeXDib m_dib;
    BOOL m_bIsAlpha = FALSE;
};
