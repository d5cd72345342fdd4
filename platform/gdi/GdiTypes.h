#pragma once
// Colours and the integer geometry every drawing call is expressed in.
//
// Rectangles follow the Windows convention: right and bottom lie just outside the rectangle,
// so Width() = right - left and an empty rectangle has right <= left or bottom <= top.

#include "platform/kernel/WinTypes.h"

#include <algorithm>
#include <cstdint>

// 0x00BBGGRR, as stored in configuration files and passed between windows.
using COLORREF = DWORD;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// Colour channel of a gradient vertex: the 8-bit value lives in the high byte.
using COLOR16 = std::uint16_t;

// a * b / c with a 64-bit intermediate product, rounded half away from zero; -1 when c is 0
// or the result does not fit in 32 bits.
int MulDiv(int number, int numerator, int denominator);

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

class CPoint : public POINT {
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(int x_, int y_) : POINT{x_, y_} {}
    constexpr CPoint(POINT p) : POINT(p) {}

    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(POINT p) { Offset(p.x, p.y); }
    void SetPoint(int x_, int y_) { x = x_; y = y_; }

    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
    CPoint operator-(POINT p) const { return CPoint(x - p.x, y - p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
    CPoint& operator+=(POINT p) { Offset(p); return *this; }
    CPoint& operator-=(POINT p) { x -= p.x; y -= p.y; return *this; }
};

class CSize : public SIZE {
public:
    constexpr CSize() : SIZE{0, 0} {}
    constexpr CSize(int cx_, int cy_) : SIZE{cx_, cy_} {}
    constexpr CSize(SIZE s) : SIZE(s) {}

    void SetSize(int cx_, int cy_) { cx = cx_; cy = cy_; }
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE& s) const { return !(*this == s); }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
};

class CRect : public RECT {
public:
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}
    constexpr CRect(POINT topLeft, SIZE size)
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    constexpr CRect(POINT topLeft, POINT bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(const RECT* r) { if (r != nullptr) *static_cast<RECT*>(this) = *r; }
    BOOL EqualRect(const RECT* r) const
    {
        return r != nullptr && left == r->left && top == r->top && right == r->right && bottom == r->bottom;
    }

    void InflateRect(int dx, int dy) { left -= dx; top -= dy; right += dx; bottom += dy; }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void InflateRect(const RECT* r) { if (r != nullptr) InflateRect(r->left, r->top, r->right, r->bottom); }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void DeflateRect(const RECT* r) { if (r != nullptr) DeflateRect(r->left, r->top, r->right, r->bottom); }
    void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void MoveToX(int x) { right += x - left; left = x; }
    void MoveToY(int y) { bottom += y - top; top = y; }
    void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
    void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }

    // Intersection of two rectangles; an empty result is the null rectangle and returns FALSE.
    BOOL IntersectRect(const RECT* a, const RECT* b)
    {
        if (a == nullptr || b == nullptr) { SetRectEmpty(); return FALSE; }
        CRect r(std::max(a->left, b->left), std::max(a->top, b->top),
                std::min(a->right, b->right), std::min(a->bottom, b->bottom));
        if (r.IsRectEmpty()) { SetRectEmpty(); return FALSE; }
        *this = r;
        return TRUE;
    }
    // Smallest rectangle holding both; empty inputs are ignored.
    BOOL UnionRect(const RECT* a, const RECT* b)
    {
        const CRect ra = a != nullptr ? CRect(*a) : CRect();
        const CRect rb = b != nullptr ? CRect(*b) : CRect();
        if (ra.IsRectEmpty()) { *this = rb.IsRectEmpty() ? CRect() : rb; return !IsRectEmpty(); }
        if (rb.IsRectEmpty()) { *this = ra; return TRUE; }
        SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top),
                std::max(ra.right, rb.right), std::max(ra.bottom, rb.bottom));
        return TRUE;
    }

    bool operator==(const RECT& r) const { return EqualRect(&r) != 0; }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    operator RECT*() { return this; }
    operator const RECT*() const { return this; }
};

// Free-function forms of the rectangle helpers, for code written against plain RECTs.
inline BOOL PtInRect(const RECT* r, POINT p) { return r != nullptr && CRect(*r).PtInRect(p); }
inline BOOL IsRectEmpty(const RECT* r) { return r == nullptr || CRect(*r).IsRectEmpty(); }
inline BOOL SetRect(RECT* r, int l, int t, int rt, int b)
{
    if (r == nullptr) return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}
inline BOOL InflateRect(RECT* r, int dx, int dy)
{
    if (r == nullptr) return FALSE;
    r->left -= dx; r->top -= dy; r->right += dx; r->bottom += dy;
    return TRUE;
}
inline BOOL OffsetRect(RECT* r, int dx, int dy)
{
    if (r == nullptr) return FALSE;
    r->left += dx; r->right += dx; r->top += dy; r->bottom += dy;
    return TRUE;
}
inline BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b)
{
    if (out == nullptr) return FALSE;
    CRect r;
    const BOOL ok = r.IntersectRect(a, b);
    *out = r;
    return ok;
}
