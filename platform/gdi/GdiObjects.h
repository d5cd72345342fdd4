#pragma once
// Pens, brushes, fonts, bitmaps and regions.
//
// Every object lives in one process-wide table and is known by a 32-bit handle, so a handle can
// be printed with "0x%X", parsed back and looked up; an unknown or deleted handle is simply not
// found (calls given one fail or draw nothing). A C++ wrapper owns the object it created and
// deletes it when destroyed; wrappers handed out by FromHandle belong to the table.

#include "platform/gdi/GdiConstants.h"
#include "platform/gdi/GdiTypes.h"

#include <string>
#include <vector>

using HGDIOBJ = DWORD;
using HDC = DWORD;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;
using HPALETTE = HGDIOBJ;
using HICON = HGDIOBJ;  // icons live in the same table
using HCURSOR = HICON;

// Kind of object behind a handle.
enum class GdiObjectKind { None, Pen, Brush, Font, Bitmap, Region, Icon };

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    std::uintptr_t lbHatch;
};

struct LOGFONT {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];  // UTF-8, at most 31 bytes, cut on a character boundary
};

// Copies a face name into a LOGFONT field, cut to 31 bytes without splitting a UTF-8 character.
void SetLogFontFaceName(LOGFONT& lf, const char* face);

struct TEXTMETRIC {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    char tmFirstChar;
    char tmLastChar;
    char tmDefaultChar;
    char tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;  // the pixels of a DIB section, null for other bitmaps
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: rows stored bottom-up; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];  // the palette of an 8-bit image follows the header
};

// --- Handle-level functions ------------------------------------------------------------------

GdiObjectKind GetObjectKind(HGDIOBJ object);
// Deletes an object; stock objects and unknown handles are left alone. An object still selected
// into a DC stays usable by that DC until it is deselected.
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
int GetObject(HGDIOBJ object, int size, void* out);  // LOGPEN, LOGBRUSH, LOGFONT or BITMAP

HPEN CreatePen(int style, int width, COLORREF color);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH GetSysColorBrush(int index);
HFONT CreateFontIndirect(const LOGFONT* font);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A 32-bit DIB section (top byte free for alpha) or an 8-bit one with a palette of up to 256
// entries. *bits receives the pixels, laid out as the header says (bottom-up for positive height),
// rows padded to 4 bytes; they stay valid until the bitmap is deleted.
HBITMAP CreateDIBSection(const BITMAPINFO* info, UINT usage, void** bits);
// The Windows form; the DC and the file-mapping section are not used (always pass 0).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset);
// A bitmap to draw on and copy to `dc` (0: the screen). For a window or picture of a
// high-density screen it holds several pixels for each logical one, so that what is drawn on it
// stays as sharp on that screen as the controls beside it; its callers still address it, measure
// it and read it in logical pixels.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A top-down 32-bit DIB section of width x height logical pixels holding ratio x ratio pixels for
// each (see CDC::GetPixelRatio): *bits receives (width * ratio) x (height * ratio) words, rows
// of width * ratio words. For code that works on the pixels of a DC at the DC's own fineness.
HBITMAP CreateScaledDIBSection(int width, int height, int ratio, void** bits);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, RECT* box);
BOOL EqualRgn(HRGN a, HRGN b);

COLORREF GetSysColor(int index);

// Test support: the objects alive in the handle table, stock objects not counted.
std::size_t GdiObjectCount();

// --- Icons ---------------------------------------------------------------------------------------

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;   // white where the screen shows through, black where the icon draws
    HBITMAP hbmColor;  // 32-bit; a non-zero reserved byte anywhere makes it an alpha icon
};

inline constexpr UINT DI_MASK = 0x0001;
inline constexpr UINT DI_IMAGE = 0x0002;
inline constexpr UINT DI_NORMAL = 0x0003;

// Copies both bitmaps; a missing mask means every pixel draws. An icon's hotspot is its centre.
HICON CreateIconIndirect(const ICONINFO* info);
// Fills info with new copies of the icon's bitmaps (32-bit DIB sections) that the caller deletes.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
// Images read from files: a bitmap (BMP, PNG...) as a 32-bit bottom-up DIB section, an icon
// (ICO, or any image with transparency) at the size nearest cx x cy (0: as stored). 0 on failure.
HBITMAP LoadBitmapFromFile(const char* path);
HICON LoadIconFromFile(const char* path, int cx, int cy);

// --- Wrappers ------------------------------------------------------------------------------------

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = 0;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    BOOL CreateStockObject(int index);
    int GetObject(int size, void* out) const { return ::GetObject(m_hObject, size, out); }

    // The wrapper of any handle (a temporary one owned by the table when the handle was not
    // created through a wrapper); null for unknown handles.
    static CGdiObject* FromHandle(HGDIOBJ object);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr);
    BOOL CreatePenIndirect(const LOGPEN* pen);
    int GetLogPen(LOGPEN* pen) const { return GetObject(sizeof(LOGPEN), pen); }
    static CPen* FromHandle(HPEN pen);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int hatch, COLORREF color);
    BOOL CreateBrushIndirect(const LOGBRUSH* brush);
    BOOL CreateSysColorBrush(int index);
    int GetLogBrush(LOGBRUSH* brush) const { return GetObject(sizeof(LOGBRUSH), brush); }
    static CBrush* FromHandle(HBRUSH brush);
};

class CDC;

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONT* font);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, const char* face);
    // Size in tenths of a point; the height becomes -round(size * LOGPIXELSY / 720) of the DC
    // (of the screen, 96 dpi, without one).
    BOOL CreatePointFont(int pointSize, const char* face, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* font, CDC* dc = nullptr);
    int GetLogFont(LOGFONT* font) const { return GetObject(sizeof(LOGFONT), font); }
    static CFont* FromHandle(HFONT font);
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }
    CSize GetBitmapDimension() const;
    // Copies up to count bytes of the 32-bit pixels, top row first; returns the bytes copied.
    DWORD GetBitmapBits(DWORD count, void* bits) const;
    DWORD SetBitmapBits(DWORD count, const void* bits);
    static CBitmap* FromHandle(HBITMAP bitmap);
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT* rect);
    BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse);
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);
    int CombineRgn(const CRgn* src1, const CRgn* src2, int mode);
    int CopyRgn(const CRgn* src);
    int OffsetRgn(int dx, int dy);
    int OffsetRgn(POINT p) { return OffsetRgn(p.x, p.y); }
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
    int GetRgnBox(RECT* box) const;
    BOOL EqualRgn(const CRgn* other) const;
    static CRgn* FromHandle(HRGN region);
};
