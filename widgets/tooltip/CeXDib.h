#pragma once
// An 8-bit palettised bottom-up image, the surface the drawing manager builds its textures on:
// the texture is written as palette indices and drawn through a palette of two colour ramps.

#include "platform/gdi/DC.h"

#include <cstdint>
#include <memory>
#include <vector>

class CCeXDib {
public:
    CCeXDib();
    virtual ~CCeXDib();
    CCeXDib(const CCeXDib&) = delete;
    CCeXDib& operator=(const CCeXDib&) = delete;

    // Releases the old image and makes a width x height one with a 256-entry palette; false
    // (and no image) for an empty or too large size or a failed allocation.
    BOOL Create(int width, int height);
    void Release();

    int GetWidth() const { return m_header.biWidth; }
    int GetHeight() const { return m_header.biHeight; }
    // Bytes per row, rows padded to 4 bytes.
    int GetLineWidth() const { return m_lineWidth; }
    int GetPaletteSize() const { return m_paletteSize; }
    // Row 0 is the bottom row. Null without an image.
    BYTE* GetBits() { return m_pixels.empty() ? nullptr : m_pixels.data(); }
    RGBQUAD* GetPalette() { return m_palette.empty() ? nullptr : m_palette.data(); }
    const RGBQUAD* GetPalette() const { return m_palette.empty() ? nullptr : m_palette.data(); }

    // Palette channel = (colour channel * percent + channel * (100 - percent)) / 100; percent
    // limited to 0..100.
    void BlendPalette(int percent, COLORREF color);
    // Copies the image to the DC at (x, y), width x height.
    void Draw(HDC hdc, int x, int y);

    // The largest side accepted, so a texture never asks for more than a few megabytes.
    static constexpr int kMaxSide = 4096;

private:
    BITMAPINFOHEADER m_header{};
    int m_lineWidth = 0;
    int m_paletteSize = 0;
    std::vector<RGBQUAD> m_palette;
    std::vector<BYTE> m_pixels;
    // The DIB section and its memory DC, made on the first Draw of an image.
    HBITMAP m_hSection = 0;
    std::unique_ptr<CDC> m_dc;
    HGDIOBJ m_oldBitmap = 0;
    void* m_sectionBits = nullptr;
};
