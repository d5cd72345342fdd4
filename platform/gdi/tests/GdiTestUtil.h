#pragma once
// A white memory DC of a given size and pixel queries for the drawing tests.

#include "platform/gdi/DC.h"

#include <memory>
#include <ostream>
#include <string>

struct TestCanvas {
    CDC dc;
    CBitmap bitmap;
    int width;
    int height;

    TestCanvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : width(w), height(h)
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, w, h, fill);
    }

    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }

    // Bounding box of every pixel that differs from `background` (empty rect if none).
    CRect Ink(COLORREF background = RGB(255, 255, 255)) const
    {
        CRect box(width, height, -1, -1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box.right < 0 ? CRect() : box;
    }

    int Count(COLORREF color) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) == color) ++n;
        return n;
    }

    // The row as a string: '#' for `ink`, '.' for anything else.
    std::string Row(int y, COLORREF ink = 0) const
    {
        std::string s;
        for (int x = 0; x < width; ++x) s += At(x, y) == ink ? '#' : '.';
        return s;
    }
};

inline void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline void PrintTo(const CPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const CSize& s, std::ostream* os) { *os << "[" << s.cx << " x " << s.cy << "]"; }
