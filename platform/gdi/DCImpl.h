#pragma once
// Platform-internal: the state of a CDC and the painter set-up shared by its source files.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/RecordingDC.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace gdi {

// Coordinates are limited to +-2^27, as on Windows, so that sums and differences of two of them
// never overflow; larger values are pinned to the limit.
inline int Coord(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, -(1LL << 27), 1LL << 27));
}

// A rectangle or region of logical pixels on the grid of a surface with `ratio` pixels each.
inline QRect ScaleRect(const QRect& r, int ratio)
{
    return ratio == 1 ? r : QRect(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
}
inline QRegion ScaleRegion(const QRegion& region, int ratio)
{
    if (ratio == 1) return region;
    QRegion out;
    for (const QRect& r : region) out += ScaleRect(r, ratio);
    return out;
}

struct DCState {
    ObjectPtr pen;
    ObjectPtr brush;
    ObjectPtr font;
    ObjectPtr bitmap;  // memory DCs only
    HGDIOBJ hPen = 0;
    HGDIOBJ hBrush = 0;
    HGDIOBJ hFont = 0;
    HGDIOBJ hBitmap = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_TOP | TA_LEFT;
    CPoint position;
    int arcDirection = AD_COUNTERCLOCKWISE;
    int polyFillMode = ALTERNATE;
    int stretchMode = COLORONCOLOR;
    bool hasClip = false;
    QRegion clip;  // device coordinates
    int mapMode = MM_TEXT;
    CSize windowExt{1, 1};
    CSize viewportExt{1, 1};
    CPoint windowOrg;
    CPoint viewportOrg;
    int breakExtra = 0;
    int breakCount = 0;
};

}  // namespace gdi

struct CDC::Impl {
    gdi::DCState s;
    std::vector<gdi::DCState> saved;
    bool memory = false;
    QPainter* external = nullptr;
    int externalWidth = 0;
    int externalHeight = 0;
    // Pixels per logical pixel of the painter's device when it is a whole number (drawing keeps
    // to the logical grid otherwise), and the ratio of bitmaps made for it.
    int externalRatio = 1;
    int externalCompatibleRatio = 1;
    // The ratio of the DC a memory DC was made compatible with.
    int compatibleRatio = 1;
    std::vector<GdiRecord>* recording = nullptr;
    // Printer DCs.
    QPagedPaintDevice* printer = nullptr;
    void (*printerAbort)(void*) = nullptr;
    void (*printerName)(void*, const char*) = nullptr;
    void* printerContext = nullptr;
    std::unique_ptr<QPainter> printPainter;
    bool docStarted = false;
    bool pageOpen = false;
    int pagesStarted = 0;

    bool HasSurface() const { return external != nullptr || (memory && s.bitmap); }
    gdi::BitmapData* Bitmap() const { return memory && s.bitmap ? &s.bitmap->bitmap : nullptr; }
    // Surface pixels per logical pixel.
    int Ratio() const
    {
        if (external != nullptr) return externalRatio;
        const gdi::BitmapData* b = Bitmap();
        return b != nullptr ? b->ratio : 1;
    }
    // The logical size of the surface.
    QSize DeviceSize() const;
    bool IdentityMapping() const;
    // Logical to device coordinates.
    QTransform Mapping() const;
    QRect ToDevice(const QRect& logical) const;

    void Record(GdiRecord record) const;
    GdiRecord MakeRecord(const char* op) const;
};

namespace gdi {

// Opens a painter on the DC's surface for one drawing call, set up with the mapping and the
// clip region, and puts the surface back in order afterwards. The painter is only begun when
// first used, so calls that write pixels directly cost nothing here.
class PaintScope {
public:
    explicit PaintScope(const CDC::Impl& dc);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    // Whether the DC has anything to draw on.
    bool ok() const { return usable_; }
    QPainter* operator->() { return Get(); }
    QPainter& operator*() { return *Get(); }
    // Tells the scope which logical area the call touched (for DIB sections, whose reserved
    // byte drawing resets).
    void Touch(const QRect& logical);

private:
    QPainter* Get();

    const CDC::Impl& dc_;
    bool usable_ = false;
    bool begun_ = false;
    QPainter own_;
    QPainter* painter_ = nullptr;
    QRect touched_;
};

// Fills whole-pixel rectangles in a colour: straight into a memory DC's pixels when the mapping
// is the identity, through the painter otherwise.
void FillRuns(const CDC::Impl& dc, PaintScope& p, const std::vector<QRect>& rects, COLORREF color);

// A brush in Qt terms; hatch gaps take the background colour when the mode is OPAQUE.
QBrush MakeQBrush(const BrushData& brush, int bkMode, COLORREF bkColor);

// Fills rectangles of whole pixels (device-exact under any integer mapping).
void FillPixelRects(QPainter& p, const std::vector<QRect>& rects, COLORREF color);

// Drawing helpers shared by the lines, shapes and fills.

// A rectangle of whole pixels from two corners in any order, right and bottom excluded.
inline QRect NormalRect(int l, int t, int r, int b)
{
    l = Coord(l);
    t = Coord(t);
    r = Coord(r);
    b = Coord(b);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

inline bool IsNullPen(const ObjectPtr& pen) { return !pen || pen->pen.style == PS_NULL; }
inline bool IsNullBrush(const ObjectPtr& brush) { return !brush || brush->brush.style == BS_NULL; }

inline bool IsThin(const CDC::Impl& dc)
{
    return dc.s.pen && dc.s.pen->pen.width <= 1 && dc.IdentityMapping();
}

Qt::PenJoinStyle JoinOf(const PenData& pen);

// Strokes a path of points with the selected pen. `closed` joins the last point to the first;
// an open path leaves out its last pixel, as every GDI line does.
void StrokePath(const CDC::Impl& dc, PaintScope& p, std::vector<QPoint> pts, bool closed);

// Fills with the selected brush (nothing for a null one).
template <typename Fill>
void WithBrush(const CDC::Impl& dc, PaintScope& p, Fill fill)
{
    if (IsNullBrush(dc.s.brush)) return;
    const BrushData& br = dc.s.brush->brush;
    p->setPen(Qt::NoPen);
    p->setBrush(MakeQBrush(br, dc.s.bkMode, dc.s.bkColor));
    fill();
}

inline QBrush QBrushOf(const CDC::Impl& dc, const ObjectPtr& brush)
{
    return MakeQBrush(brush->brush, dc.s.bkMode, dc.s.bkColor);
}

}  // namespace gdi
