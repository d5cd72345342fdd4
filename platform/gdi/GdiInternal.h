#pragma once
// Platform-internal: the objects behind GDI handles, in Qt terms. Only platform/ includes this.
//
// What the window layer takes from here: FontOf() for a control's font, the QRegion of a region
// handle (FindObject(h, GdiObjectKind::Region)->region.region) for window shapes, and
// CreateIconFromImage()/IconToImage() to turn resource images into icon handles and back.
// Window DCs are CDCs given a painter with CDC::AttachPainter for the time of a paint.

#include "platform/gdi/GdiObjects.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>

#include <memory>
#include <vector>

namespace gdi {

struct PenData {
    int style = PS_SOLID;       // PS_SOLID ... PS_USERSTYLE
    bool geometric = false;
    int width = 0;              // 0 and 1 both draw one pixel
    COLORREF color = 0;
    int cap = PS_ENDCAP_ROUND;
    int join = PS_JOIN_ROUND;
    std::vector<DWORD> dashes;  // user style: on, off, on, off ... in logical units
};

struct BrushData {
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
};

struct FontData {
    LOGFONT lf{};
    // Fonts made by CreateFontIndirect are resolved at once; stock fonts on first use (they
    // exist before any application object). Read it through FontOf().
    QFont font;
    bool resolved = false;
};

// Pixels are 32-bit words 0x00RRGGBB (Windows byte order B, G, R, reserved) for every bitmap that
// GDI draws on; an 8-bit DIB section keeps its indices and palette in an indexed image.
// A bottom-up DIB section keeps its rows in memory order (bottom row first), as its callers
// address them; drawing on it flips the coordinates.
//
// A picture made for a high-density screen holds `ratio` x `ratio` pixels for every pixel its
// callers address (the image carries the same device pixel ratio, so a painter on it draws in
// the callers' units). Everything that hands pixels to callers (GetPixel, GetDIBits, GetObject,
// saving) shows it at its size in those units; only drawing and block copies use the finer grid.
struct BitmapData {
    QImage image;
    bool dibSection = false;
    bool bottomUp = false;
    int ratio = 1;
};

// The largest pixel ratio a picture is made with.
inline constexpr int kMaxPixelRatio = 4;

// The size of a bitmap in its callers' units.
inline QSize LogicalSize(const BitmapData& b)
{
    return b.ratio > 1 ? QSize(b.image.width() / b.ratio, b.image.height() / b.ratio) : b.image.size();
}
// The bitmap at one pixel per unit: the bitmap itself when it has no finer grid, else a copy
// taking the top-left pixel of each ratio x ratio block.
BitmapData LogicalView(const BitmapData& b);
// Pixels a picture for the screen holds per logical pixel: the highest device pixel ratio of the
// program's screens, rounded up (1 before there is an application object).
int ScreenPixelRatio();
// A whole-number pixel ratio for a device's ratio (rounded up, 1..kMaxPixelRatio).
int PixelRatioFor(qreal deviceRatio);
// A new device bitmap of width x height logical pixels at the pixel ratio, contents black.
HBITMAP CreateScaledBitmap(int width, int height, int ratio);

struct RegionData {
    QRegion region;
};

struct IconData {
    bool isIcon = true;
    QPoint hotspot;
    QImage color;  // RGB32 words, reserved byte = alpha
    QImage mask;   // RGB32, white = transparent
};

struct ObjectData {
    GdiObjectKind kind = GdiObjectKind::None;
    bool stock = false;
    PenData pen;
    BrushData brush;
    FontData font;
    BitmapData bitmap;
    RegionData region;
    IconData icon;
};

using ObjectPtr = std::shared_ptr<ObjectData>;

// Registers an object and returns its new handle (0 if the table is full).
HGDIOBJ AddObject(ObjectPtr object);
// The object behind a handle when it is of the wanted kind (None: any kind); null otherwise.
ObjectPtr FindObject(HGDIOBJ handle, GdiObjectKind kind = GdiObjectKind::None);
// Ties a wrapper to its handle so that FromHandle returns it.
void SetOwner(HGDIOBJ handle, CGdiObject* owner);

QColor ToQColor(COLORREF color);
inline QRgb ToRgb(COLORREF color)
{
    return 0xFF000000u | (static_cast<QRgb>(GetRValue(color)) << 16) | (static_cast<QRgb>(GetGValue(color)) << 8) |
           GetBValue(color);
}
inline COLORREF FromRgb(QRgb rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The Qt font a LOGFONT stands for (face mapped to an installed family, pixel size from the
// height; the escapement is applied by the drawing code, not here).
QFont MakeQFont(const LOGFONT& lf);
// The Qt font of a font object, made on first use. Text needs a GUI application object: when
// the program has none yet (a test of drawing code), one is made, on the offscreen platform
// when there is no display. A program that will show widgets needs a full QApplication: the
// window layer provides it by defining VelkaroEnsureApplication (below), which is then called
// instead.
const QFont& FontOf(FontData& font);
void EnsureGuiApplication();

// The family a Windows face name is drawn with.
QString MapFaceName(const QString& face);

// The 1x1 bitmap every memory DC starts with.
HGDIOBJ StockBitmapHandle();

// The pixels of a rectangle with rounded corners (an ellipse when the corners take the whole
// size); right and bottom excluded.
QRegion RoundedRegion(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse);

// Icons from and to Qt images (straight alpha, ARGB32).
HICON CreateIconFromImage(const QImage& image);
QImage IconToImage(HICON icon);

// A bitmap's picture top-down with every pixel opaque (the reserved byte of GDI pixels is not
// transparency), for writing to files.
QImage OpaquePicture(const BitmapData& bitmap);

// A new bitmap handle holding a copy of the image as 32-bit pixels. An image with a device pixel
// ratio above 1 (a picture of a high-density screen) keeps it, rounded to a whole number.
HBITMAP CreateBitmapFromImage(const QImage& image);

}  // namespace gdi

// Defined by the window layer when it is linked in: makes the program's application object.
extern "C" void VelkaroEnsureApplication() __attribute__((weak));
