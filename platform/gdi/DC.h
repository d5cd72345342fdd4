#pragma once
// The device context every window, image and test draws through.
//
// A CDC draws either on a memory bitmap (CreateCompatibleDC, then SelectObject of a bitmap) or,
// for the window layer, on a painter that the window attaches for the time of a paint. The
// Windows pixel rules hold on both: lines leave out their last pixel, Rectangle, Ellipse and
// FillRect leave out the right column and the bottom row, a width-0 pen is one pixel wide, and
// clip rectangles leave out their right and bottom edges too. Coordinates are pinned to
// +-2^27 (the range Windows accepts), so no call can overflow on extreme input.
//
// Pixels of 32-bit bitmaps are words 0x00RRGGBB in Windows byte order. Drawing leaves the top
// byte of a DIB section's pixels at zero, and block copies carry a DIB section's top byte
// (alpha) along; copies from other bitmaps arrive with it at zero.

#include "platform/gdi/GdiConstants.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/CString.h"

#include <memory>
#include <string>
#include <vector>

class QPainter;
class QImage;
class QPagedPaintDevice;

struct TRIVERTEX {
    LONG x;
    LONG y;
    COLOR16 Red;
    COLOR16 Green;
    COLOR16 Blue;
    COLOR16 Alpha;
};

struct GRADIENT_RECT {
    ULONG UpperLeft;
    ULONG LowerRight;
};

struct DOCINFO {
    int cbSize;
    const char* lpszDocName;
    const char* lpszOutput;
    const char* lpszDatatype;
    DWORD fwType;
};

inline constexpr int SP_ERROR = -1;

struct GdiRecord;

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = 0;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    // The CDC behind a handle; null for an unknown or deleted one.
    static CDC* FromHandle(HDC dc);

    // A memory DC holding a 1x1 bitmap until a bitmap is selected into it. The reference DC
    // only supplies the resolution and pixel ratio; it may be null (the screen).
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // Window layer only: draw through `painter` (owned by the caller, active on a device of
    // width x height pixels) until DetachPainter. The painter's own state is saved and restored
    // around every call.
    void AttachPainter(QPainter* painter, int width, int height);
    void DetachPainter();
    // Window layer only: make this a printer DC for `device` (a QPrinter or a PDF writer, owned
    // by the caller and outliving the document). `abort` is called by AbortDoc once the page
    // painting has ended, `name` by StartDoc with the document's name (a PDF writer takes the
    // name as its title without one).
    void AttachPrinter(QPagedPaintDevice* device, void (*abort)(void* context) = nullptr, void* context = nullptr,
                       void (*name)(void* context, const char* documentName) = nullptr);
    bool HasSurface() const;
    // Pixels of the surface for each logical pixel along a side: 1, but on a window or picture
    // of a high-density screen (see CreateCompatibleBitmap) where the drawing calls still take
    // logical coordinates and every pixel rule holds for logical pixels.
    int GetPixelRatio() const;
    // The ratio of the bitmaps CreateCompatibleBitmap makes for this DC: its window's, its
    // selected bitmap's, or for a memory DC still holding its first 1x1 bitmap the one of the DC
    // it was made compatible with (the screen's for none).
    int GetCompatiblePixelRatio() const;
    // Platform code only: the pixels of a memory DC's selected bitmap (null for a window DC).
    QImage* GetSurfaceImage() const;

    // --- Objects and state ----------------------------------------------------------------------
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region);  // the region becomes the clip region; returns its kind
    HGDIOBJ SelectObject(HGDIOBJ object);
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // Saves pen, brush, font, colours, modes, alignment, position, clipping and mapping; returns
    // the level (1 for the first) or 0. RestoreDC(-1) restores the last saved state.
    int SaveDC();
    BOOL RestoreDC(int savedDC);

    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const;
    int SetArcDirection(int direction);
    int GetArcDirection() const;
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const;
    int SetStretchBltMode(int mode);
    int SetTextJustification(int breakExtra, int breakCount);

    // Mapping: MM_TEXT (pixels) or MM_ANISOTROPIC with window and viewport extents and origins.
    int SetMapMode(int mode);
    int GetMapMode() const;
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(SIZE s) { return SetWindowExt(s.cx, s.cy); }
    CSize GetWindowExt() const;
    CSize GetViewportExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(SIZE s) { return SetViewportExt(s.cx, s.cy); }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
    CPoint OffsetViewportOrg(int dx, int dy);

    int GetDeviceCaps(int index) const;

    // --- Printing (printer DCs only) ---------------------------------------------------------
    // StartDoc returns a positive job number, the others a positive value, all SP_ERROR when
    // out of order or not a printer DC. Each StartPage after the first begins a new sheet.
    int StartDoc(const DOCINFO* info);
    int StartDoc(const char* documentName);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();
    BOOL IsPrinting() const;

    // --- Clipping ---------------------------------------------------------------------------
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const RECT* rect);
    int ExcludeClipRect(int left, int top, int right, int bottom);
    int ExcludeClipRect(const RECT* rect);
    // A null region removes the clipping. The region is copied.
    int SelectClipRgn(CRgn* region);
    int SelectClipRgn(CRgn* region, int mode);
    int GetClipBox(RECT* rect) const;
    BOOL PtVisible(int x, int y) const;

    // --- Lines and shapes -------------------------------------------------------------------
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const POINT* points, int count);
    BOOL PolyBezier(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT* rect);
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT* rect);
    BOOL RoundRect(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse);
    BOOL RoundRect(const RECT* rect, POINT ellipse);
    BOOL Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    BOOL Arc(const RECT* rect, POINT start, POINT end);

    void FillRect(const RECT* rect, CBrush* brush);
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FrameRect(const RECT* rect, CBrush* brush);
    void InvertRect(const RECT* rect);
    void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    void DrawFocusRect(const RECT* rect);
    BOOL DrawEdge(RECT* rect, UINT edge, UINT flags);
    BOOL GradientFill(const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount, ULONG mode);
    BOOL FillRgn(CRgn* region, CBrush* brush);
    BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);

    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    // The pixel's colour, or CLR_INVALID outside the surface or the clip region.
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }

    // Draws an icon at its own size (DrawIcon) or at cx x cy (0: its own size).
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawIcon(POINT p, HICON icon) { return DrawIcon(p.x, p.y, icon); }
    BOOL DrawIconEx(int x, int y, HICON icon, int cx, int cy, UINT flags = DI_NORMAL);

    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int widthSrc,
                    int heightSrc, DWORD rop);

    // --- Text -----------------------------------------------------------------------------------
    BOOL TextOut(int x, int y, const char* text, int length);
    BOOL TextOut(int x, int y, const std::string& text);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT length, const int* dx);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const std::string& text, const int* dx);
    // Returns the height of the text (0 on failure); with DT_CALCRECT only measures, widening
    // or narrowing rect to the text.
    int DrawText(const char* text, int length, RECT* rect, UINT format);
    int DrawText(const std::string& text, RECT* rect, UINT format);
    // Width and height of the text in the selected font, as if it were not rotated.
    CSize GetTextExtent(const char* text, int length) const;
    CSize GetTextExtent(const std::string& text) const;
    CSize GetOutputTextExtent(const std::string& text) const { return GetTextExtent(text); }
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;
    // The path shortened in its middle with "..." so that it fits `width` in the selected
    // font, keeping its last component ("/home/.../capture.csv"); unchanged when it fits.
    std::string CompactPath(const std::string& path, int width) const;
    int GetTextFace(int count, char* face) const;

    // Test support: every drawing call is reported here while recording is on.
    void SetRecording(std::vector<GdiRecord>* sink);

    struct Impl;

protected:
    std::unique_ptr<Impl> d;
};

// Test support: the device contexts alive now.
std::size_t LiveDCCount();

// Handle-level forms of the DC calls, for code written against HDCs. A DC made by
// CreateCompatibleDC here belongs to its handle and goes with DeleteDC; the others act on the
// CDC behind the handle and fail (0) for an unknown one.
HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc, int heightSrc,
                DWORD rop);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format);
BOOL TextOut(HDC dc, int x, int y, const char* text, int length);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
int GetDeviceCaps(HDC dc, int index);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// Copies rows of a bitmap as 32-bit pixels into `bits`, laid out as info's header asks
// (bottom-up for a positive height; rows numbered from the bottom then). With null bits only
// fills in the header. Returns the rows copied, 0 on failure. Only 32-bit output is offered.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
// Shortens a path in place to fit `width` pixels in the DC's font, like CDC::CompactPath, but
// never makes it longer than it was (the buffer holds no more).
BOOL PathCompactPath(HDC dc, char* path, UINT width);
// Replaces palette entries of the 8-bit DIB section selected into a memory DC; returns the
// number of entries set (0 when the DC holds no palette image).
UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors);

BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags);

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
inline constexpr int HALFTONE = 4;
inline constexpr int COLORONCOLOR = 3;
