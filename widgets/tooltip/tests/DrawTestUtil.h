#pragma once
// Surfaces for the drawing tests: a memory DC on a 32-bit bitmap filled with one colour, whose
// pixels a test reads back.

#include "platform/gdi/DC.h"

#include <cstdint>

namespace drawtest {

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
        dc.CreateCompatibleDC(nullptr);
        old_ = dc.SelectObject(static_cast<HGDIOBJ>(bitmap_));
        dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~Canvas()
    {
        dc.SelectObject(old_);
        dc.DeleteDC();
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    HDC Hdc() const { return dc.GetSafeHdc(); }
    HBITMAP Bitmap() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels that differ from `color`.
    int CountNot(COLORREF color) const
    {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) != color ? 1 : 0;
        return n;
    }

    CDC dc;

private:
    int width_;
    int height_;
    HBITMAP bitmap_ = 0;
    HGDIOBJ old_ = 0;
};

// A 32-bit bitmap of one colour (0x00BBGGRR), optionally with a different centre pixel.
inline HBITMAP SolidBitmap(int width, int height, COLORREF color)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP h = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    auto* words = static_cast<std::uint32_t*>(bits);
    const std::uint32_t word = (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    for (int i = 0; i < width * height; ++i) words[i] = word;
    return h;
}

}  // namespace drawtest
