#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <QPagedPaintDevice>
#include <QPdfWriter>

#include <cmath>
#include <map>
#include <mutex>

using namespace gdi;

namespace {

// --- DC handles ----------------------------------------------------------------------------------

struct DCTable {
    std::mutex mutex;
    std::map<HDC, CDC*> dcs;
    HDC next = 0x40000;
};

DCTable& Dcs()
{
    static DCTable table;
    return table;
}

HDC RegisterDC(CDC* dc)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    for (;;) {
        const HDC h = t.next++;
        if (t.next >= 0x7FFFFFF0u) t.next = 0x40000;
        if (t.dcs.emplace(h, dc).second) return h;
    }
}

void UnregisterDC(HDC h)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    t.dcs.erase(h);
}

QImage HatchImage(int hatch, COLORREF color, bool opaque, COLORREF bk)
{
    QImage img(8, 8, QImage::Format_ARGB32);
    const QRgb fg = ToRgb(color);
    const QRgb bg = opaque ? ToRgb(bk) : 0u;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            bool set = false;
            switch (hatch) {
            case HS_HORIZONTAL: set = y == 0; break;
            case HS_VERTICAL: set = x == 0; break;
            case HS_FDIAGONAL: set = x == y; break;
            case HS_BDIAGONAL: set = x + y == 7; break;
            case HS_CROSS: set = x == 0 || y == 0; break;
            case HS_DIAGCROSS: set = x == y || x + y == 7; break;
            default: break;
            }
            img.setPixel(x, y, set ? fg : bg);
        }
    }
    return img;
}

}  // namespace

// --- Impl helpers ------------------------------------------------------------------------------------

QSize CDC::Impl::DeviceSize() const
{
    if (external != nullptr) return QSize(externalWidth, externalHeight);
    if (const BitmapData* b = Bitmap()) return LogicalSize(*b);
    return QSize();
}

bool CDC::Impl::IdentityMapping() const
{
    if (s.windowOrg != CPoint() || s.viewportOrg != CPoint()) return false;
    return s.mapMode == MM_TEXT || (s.windowExt == s.viewportExt);
}

QTransform CDC::Impl::Mapping() const
{
    QTransform t;
    t.translate(s.viewportOrg.x, s.viewportOrg.y);
    if (s.mapMode == MM_ANISOTROPIC && s.windowExt.cx != 0 && s.windowExt.cy != 0)
        t.scale(static_cast<double>(s.viewportExt.cx) / s.windowExt.cx, static_cast<double>(s.viewportExt.cy) / s.windowExt.cy);
    t.translate(-s.windowOrg.x, -s.windowOrg.y);
    return t;
}

QRect CDC::Impl::ToDevice(const QRect& logical) const
{
    if (IdentityMapping()) return logical;
    const QRectF r = Mapping().mapRect(QRectF(logical.x(), logical.y(), logical.width(), logical.height()));
    return QRect(QPoint(static_cast<int>(std::lround(r.left())), static_cast<int>(std::lround(r.top()))),
                 QPoint(static_cast<int>(std::lround(r.right())) - 1, static_cast<int>(std::lround(r.bottom())) - 1));
}

GdiRecord CDC::Impl::MakeRecord(const char* op) const
{
    GdiRecord r;
    r.op = op;
    if (s.pen) {
        r.penStyle = s.pen->pen.style;
        r.penGeometric = s.pen->pen.geometric;
        r.penWidth = s.pen->pen.width;
        r.penColor = s.pen->pen.color;
        r.penDashes = s.pen->pen.dashes;
    }
    if (s.brush) {
        r.brushStyle = s.brush->brush.style;
        r.brushColor = s.brush->brush.color;
        r.brushHatch = s.brush->brush.hatch;
    }
    if (s.font) r.font = s.font->font.lf;
    r.textColor = s.textColor;
    r.bkColor = s.bkColor;
    r.bkMode = s.bkMode;
    r.textAlign = s.textAlign;
    return r;
}

void CDC::Impl::Record(GdiRecord record) const
{
    if (recording != nullptr) recording->push_back(std::move(record));
}

// --- PaintScope ------------------------------------------------------------------------------------

PaintScope::PaintScope(const CDC::Impl& dc) : dc_(dc)
{
    if (dc.external != nullptr) usable_ = true;
    else if (BitmapData* b = dc.Bitmap()) usable_ = b->image.format() == QImage::Format_RGB32;
}

QPainter* PaintScope::Get()
{
    if (begun_) return painter_;
    begun_ = true;
    QTransform base;
    if (dc_.external != nullptr) {
        painter_ = dc_.external;
        painter_->save();
        base = painter_->transform();
    } else if (BitmapData* b = dc_.Bitmap(); b != nullptr && usable_ && own_.begin(&b->image)) {
        painter_ = &own_;
        if (b->bottomUp) {
            base.translate(0, b->image.height());
            base.scale(1, -1);
        }
    } else {
        // Nothing to draw on: a painter without a device ignores every call.
        painter_ = &own_;
        return painter_;
    }
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setOpacity(1.0);
    painter_->setTransform(base);
    if (dc_.s.hasClip) {
        if (dc_.external != nullptr && painter_->hasClipping())
            painter_->setClipRegion(dc_.s.clip, Qt::IntersectClip);
        else
            painter_->setClipRegion(dc_.s.clip);
    }
    painter_->setTransform(dc_.Mapping() * base);
    return painter_;
}

void PaintScope::Touch(const QRect& logical)
{
    touched_ = touched_.united(logical);
}

PaintScope::~PaintScope()
{
    if (!begun_ || painter_ == nullptr || !painter_->isActive()) return;
    const QTransform t = painter_->transform();
    if (painter_ == dc_.external) {
        painter_->restore();
        return;
    }
    own_.end();
    // GDI leaves the reserved byte of the pixels it draws at zero; only DIB sections show it.
    BitmapData* b = dc_.Bitmap();
    if (b == nullptr || !b->dibSection || touched_.isEmpty()) return;
    QRect area = ScaleRect(t.mapRect(QRectF(touched_).adjusted(-1, -1, 1, 1)).toAlignedRect(), b->ratio)
                     .intersected(b->image.rect());
    if (dc_.s.hasClip && !b->bottomUp) area = area.intersected(ScaleRect(dc_.s.clip.boundingRect(), b->ratio));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(b->image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) row[x] &= 0x00FFFFFFu;
    }
}

void gdi::FillRuns(const CDC::Impl& dc, PaintScope& p, const std::vector<QRect>& rects, COLORREF color)
{
    if (rects.empty()) return;
    BitmapData* b = dc.Bitmap();
    if (b == nullptr || !dc.IdentityMapping() || b->image.format() != QImage::Format_RGB32 || b->ratio != 1) {
        FillPixelRects(*p, rects, color);
        return;
    }
    QImage& img = b->image;
    const int h = img.height();
    // A DIB section's reserved byte is left at zero, a device bitmap's is kept opaque for Qt.
    const std::uint32_t word = (b->dibSection ? 0u : 0xFF000000u) | (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto fill = [&](const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const int row = b->bottomUp ? h - 1 - y : y;
            auto* line = reinterpret_cast<std::uint32_t*>(bits + row * bpl);
            for (int x = r.left(); x <= r.right(); ++x) line[x] = word;
        }
    };
    const QRect bounds = img.rect();
    if (!dc.s.hasClip || dc.s.clip.rectCount() <= 1) {
        const QRect limit = dc.s.hasClip ? dc.s.clip.boundingRect().intersected(bounds) : bounds;
        if (dc.s.hasClip && dc.s.clip.isEmpty()) return;
        for (const QRect& r : rects) fill(r.intersected(limit));
        return;
    }
    for (const QRect& clipRect : dc.s.clip) {
        const QRect limit = clipRect.intersected(bounds);
        for (const QRect& r : rects) fill(r.intersected(limit));
    }
}

QBrush gdi::MakeQBrush(const BrushData& br, int bkMode, COLORREF bkColor)
{
    if (br.style == BS_HATCHED) return QBrush(HatchImage(br.hatch, br.color, bkMode == OPAQUE, bkColor));
    return QBrush(ToQColor(br.color));
}

void gdi::FillPixelRects(QPainter& p, const std::vector<QRect>& rects, COLORREF color)
{
    if (rects.empty()) return;
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawRects(rects.data(), static_cast<int>(rects.size()));
}

// --- CDC basics --------------------------------------------------------------------------------------

CDC::CDC() : d(std::make_unique<Impl>())
{
    m_hDC = RegisterDC(this);
    d->s.hPen = ::GetStockObject(BLACK_PEN);
    d->s.pen = FindObject(d->s.hPen);
    d->s.hBrush = ::GetStockObject(WHITE_BRUSH);
    d->s.brush = FindObject(d->s.hBrush);
    d->s.hFont = ::GetStockObject(SYSTEM_FONT);
    d->s.font = FindObject(d->s.hFont);
}

CDC::~CDC()
{
    if (d->docStarted) AbortDoc();
    UnregisterDC(m_hDC);
}

std::size_t LiveDCCount()
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    return t.dcs.size();
}

CDC* CDC::FromHandle(HDC dc)
{
    auto& t = Dcs();
    std::lock_guard lock(t.mutex);
    auto it = t.dcs.find(dc);
    return it != t.dcs.end() ? it->second : nullptr;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    const int ratio = dc != nullptr ? dc->GetCompatiblePixelRatio() : ScreenPixelRatio();
    DetachPainter();
    d->compatibleRatio = ratio;
    d->memory = true;
    d->s.hBitmap = StockBitmapHandle();
    d->s.bitmap = FindObject(d->s.hBitmap, GdiObjectKind::Bitmap);
    return d->s.bitmap ? TRUE : FALSE;
}

BOOL CDC::DeleteDC()
{
    if (!d->memory && d->external == nullptr) return FALSE;
    DetachPainter();
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->saved.clear();
    return TRUE;
}

void CDC::AttachPainter(QPainter* painter, int width, int height)
{
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->external = painter;
    d->externalWidth = width;
    d->externalHeight = height;
    const qreal deviceRatio = painter != nullptr && painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
    d->externalCompatibleRatio = PixelRatioFor(deviceRatio);
    d->externalRatio = std::abs(deviceRatio - d->externalCompatibleRatio) < 1e-3 ? d->externalCompatibleRatio : 1;
}

void CDC::DetachPainter()
{
    d->external = nullptr;
    d->externalWidth = d->externalHeight = 0;
    d->externalRatio = d->externalCompatibleRatio = 1;
}

bool CDC::HasSurface() const { return d->HasSurface(); }

int CDC::GetPixelRatio() const { return d->Ratio(); }

int CDC::GetCompatiblePixelRatio() const
{
    if (d->printer != nullptr) return 1;
    if (d->external != nullptr) return d->externalCompatibleRatio;
    if (!d->memory) return ScreenPixelRatio();
    if (d->s.bitmap && d->s.hBitmap != StockBitmapHandle()) return d->s.bitmap->bitmap.ratio;
    return d->compatibleRatio;
}

void CDC::AttachPrinter(QPagedPaintDevice* device, void (*abort)(void*), void* context, void (*name)(void*, const char*))
{
    d->printerName = name;
    if (d->docStarted) AbortDoc();
    DetachPainter();
    d->memory = false;
    d->s.bitmap.reset();
    d->s.hBitmap = 0;
    d->printer = device;
    d->printerAbort = abort;
    d->printerContext = context;
}

int CDC::StartDoc(const DOCINFO* info)
{
    return StartDoc(info != nullptr ? info->lpszDocName : nullptr);
}

int CDC::StartDoc(const char* documentName)
{
    if (d->printer == nullptr || d->docStarted) return SP_ERROR;
    // The job carries the document's name, as the print queue shows it.
    const char* name = documentName != nullptr ? documentName : "";
    if (d->printerName != nullptr) d->printerName(d->printerContext, name);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(d->printer)) pdf->setTitle(QString::fromUtf8(name));
    d->printPainter = std::make_unique<QPainter>();
    if (!d->printPainter->begin(d->printer)) {
        d->printPainter.reset();
        return SP_ERROR;
    }
    d->external = d->printPainter.get();
    d->externalWidth = d->printer->width();
    d->externalHeight = d->printer->height();
    d->docStarted = true;
    d->pagesStarted = 0;
    return 1;
}

int CDC::StartPage()
{
    if (!d->docStarted || d->pageOpen) return SP_ERROR;
    if (d->pagesStarted > 0 && !d->printer->newPage()) return SP_ERROR;
    ++d->pagesStarted;
    d->pageOpen = true;
    return 1;
}

int CDC::EndPage()
{
    if (!d->docStarted || !d->pageOpen) return SP_ERROR;
    d->pageOpen = false;
    return 1;
}

int CDC::EndDoc()
{
    if (!d->docStarted) return SP_ERROR;
    const bool ok = d->printPainter->end();
    d->printPainter.reset();
    d->external = nullptr;
    d->docStarted = false;
    d->pageOpen = false;
    return ok ? 1 : SP_ERROR;
}

int CDC::AbortDoc()
{
    if (!d->docStarted) return SP_ERROR;
    // The painter ends first, so the hook can discard whatever it left behind.
    if (d->printPainter->isActive()) d->printPainter->end();
    if (d->printerAbort != nullptr) d->printerAbort(d->printerContext);
    d->printPainter.reset();
    d->external = nullptr;
    d->docStarted = false;
    d->pageOpen = false;
    return 1;
}

BOOL CDC::IsPrinting() const { return d->printer != nullptr ? TRUE : FALSE; }

QImage* CDC::GetSurfaceImage() const
{
    BitmapData* b = d->Bitmap();
    return b != nullptr ? &b->image : nullptr;
}

void CDC::SetRecording(std::vector<GdiRecord>* sink) { d->recording = sink; }
