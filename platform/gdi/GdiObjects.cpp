#include "platform/gdi/GdiObjects.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace gdi {
namespace {

struct Entry {
    ObjectPtr data;
    CGdiObject* owner = nullptr;
    std::unique_ptr<CGdiObject> temporary;
};

constexpr HGDIOBJ kStockBase = 0x100;
constexpr int kStockCount = 21;  // DC_PEN (19) is the last stock object; 20 is the 1x1 bitmap
constexpr HGDIOBJ kFirstHandle = 0x10000;

class ObjectTable {
public:
    static ObjectTable& Instance()
    {
        static ObjectTable table;
        return table;
    }

    std::recursive_mutex mutex;
    std::map<HGDIOBJ, Entry> entries;
    HGDIOBJ next = kFirstHandle;

private:
    ObjectTable() { CreateStockObjects(); }
    ~ObjectTable()
    {
        // Wrappers still alive after the table must not reach back into it.
        for (auto& [handle, entry] : entries) {
            if (entry.temporary) entry.temporary->m_hObject = 0;
            if (entry.owner != nullptr) entry.owner->m_hObject = 0;
        }
    }

    void AddStock(int index, ObjectPtr object)
    {
        object->stock = true;
        entries[kStockBase + static_cast<HGDIOBJ>(index)].data = std::move(object);
    }

    ObjectPtr Pen(int style, COLORREF color)
    {
        auto o = std::make_shared<ObjectData>();
        o->kind = GdiObjectKind::Pen;
        o->pen.style = style;
        o->pen.color = color;
        return o;
    }

    ObjectPtr Brush(UINT style, COLORREF color)
    {
        auto o = std::make_shared<ObjectData>();
        o->kind = GdiObjectKind::Brush;
        o->brush.style = style;
        o->brush.color = color;
        return o;
    }

    ObjectPtr Font(const char* face, LONG height)
    {
        auto o = std::make_shared<ObjectData>();
        o->kind = GdiObjectKind::Font;
        o->font.lf.lfHeight = height;
        o->font.lf.lfWeight = FW_NORMAL;
        o->font.lf.lfCharSet = DEFAULT_CHARSET;
        SetLogFontFaceName(o->font.lf, face);
        return o;
    }

    void CreateStockObjects()
    {
        AddStock(WHITE_BRUSH, Brush(BS_SOLID, RGB(255, 255, 255)));
        AddStock(LTGRAY_BRUSH, Brush(BS_SOLID, RGB(192, 192, 192)));
        AddStock(GRAY_BRUSH, Brush(BS_SOLID, RGB(128, 128, 128)));
        AddStock(DKGRAY_BRUSH, Brush(BS_SOLID, RGB(64, 64, 64)));
        AddStock(BLACK_BRUSH, Brush(BS_SOLID, RGB(0, 0, 0)));
        AddStock(NULL_BRUSH, Brush(BS_NULL, 0));
        AddStock(WHITE_PEN, Pen(PS_SOLID, RGB(255, 255, 255)));
        AddStock(BLACK_PEN, Pen(PS_SOLID, 0));
        AddStock(NULL_PEN, Pen(PS_NULL, 0));
        AddStock(OEM_FIXED_FONT, Font("Courier New", -13));
        AddStock(ANSI_FIXED_FONT, Font("Courier New", -13));
        AddStock(ANSI_VAR_FONT, Font("MS Shell Dlg", -11));
        AddStock(SYSTEM_FONT, Font("MS Shell Dlg", -13));
        AddStock(DEVICE_DEFAULT_FONT, Font("MS Shell Dlg", -13));
        AddStock(SYSTEM_FIXED_FONT, Font("Courier New", -13));
        AddStock(DEFAULT_GUI_FONT, Font("MS Shell Dlg", -11));
        AddStock(DC_BRUSH, Brush(BS_SOLID, RGB(255, 255, 255)));
        AddStock(DC_PEN, Pen(PS_SOLID, 0));
        // The 1x1 bitmap a memory DC starts with.
        auto bitmap = std::make_shared<ObjectData>();
        bitmap->kind = GdiObjectKind::Bitmap;
        bitmap->bitmap.image = QImage(1, 1, QImage::Format_RGB32);
        bitmap->bitmap.image.fill(0xFF000000u);
        AddStock(kStockCount - 1, bitmap);
    }
};

std::unique_ptr<CGdiObject> MakeWrapper(GdiObjectKind kind)
{
    switch (kind) {
    case GdiObjectKind::Pen: return std::make_unique<CPen>();
    case GdiObjectKind::Brush: return std::make_unique<CBrush>();
    case GdiObjectKind::Font: return std::make_unique<CFont>();
    case GdiObjectKind::Bitmap: return std::make_unique<CBitmap>();
    case GdiObjectKind::Region: return std::make_unique<CRgn>();
    default: return std::make_unique<CGdiObject>();
    }
}

// Releases a wrapper's claim on its handle; the table keeps the object if nobody deletes it.
void ForgetOwner(HGDIOBJ handle, CGdiObject* owner)
{
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    auto it = table.entries.find(handle);
    if (it != table.entries.end() && it->second.owner == owner) it->second.owner = nullptr;
}

ObjectPtr NewObject(GdiObjectKind kind)
{
    auto o = std::make_shared<ObjectData>();
    o->kind = kind;
    return o;
}

}  // namespace

HGDIOBJ StockBitmapHandle() { return kStockBase + kStockCount - 1; }

HGDIOBJ AddObject(ObjectPtr object)
{
    if (!object) return 0;
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    for (int tries = 0; tries < 1 << 20; ++tries) {
        HGDIOBJ handle = table.next++;
        if (table.next == 0 || table.next >= 0x7FFFFFF0u) table.next = kFirstHandle;
        if (table.entries.count(handle) == 0) {
            table.entries[handle].data = std::move(object);
            return handle;
        }
    }
    return 0;
}

ObjectPtr FindObject(HGDIOBJ handle, GdiObjectKind kind)
{
    if (handle == 0) return nullptr;
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    auto it = table.entries.find(handle);
    if (it == table.entries.end()) return nullptr;
    if (kind != GdiObjectKind::None && it->second.data->kind != kind) return nullptr;
    return it->second.data;
}

void SetOwner(HGDIOBJ handle, CGdiObject* owner)
{
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    auto it = table.entries.find(handle);
    if (it != table.entries.end() && !it->second.data->stock) it->second.owner = owner;
}

QColor ToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

QString MapFaceName(const QString& face)
{
    const QString f = face.trimmed().toLower();
    if (f.isEmpty() || f == "ms shell dlg" || f == "ms shell dlg 2" || f == "microsoft sans serif" || f == "arial" ||
        f == "ms sans serif" || f == "tahoma" || f == "segoe ui" || f == "system")
        return "Liberation Sans";
    if (f.startsWith("courier new") || f == "courier" || f == "lucida console" || f == "consolas")
        return "Liberation Mono";
    if (f.startsWith("times new roman") || f == "times")
        return "Liberation Serif";
    if (f == "verdana")
        return "DejaVu Sans";
    return face;
}

QFont MakeQFont(const LOGFONT& lf)
{
    EnsureGuiApplication();
    // Widgets given a Windows face by name find the same family as the DCs do.
    static const bool substituted = [] {
        for (const char* face : {"MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "MS Sans Serif", "Arial",
                                 "Courier New", "Courier New Cyr", "Times New Roman", "Verdana"})
            QFont::insertSubstitution(face, MapFaceName(face));
        return true;
    }();
    (void)substituted;
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    QFont font(MapFaceName(QString::fromUtf8(face)));
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    // Negative heights are the em size, positive ones the whole cell (ascent + descent).
    int pixels = 13;
    if (lf.lfHeight < 0) {
        pixels = lf.lfHeight == std::numeric_limits<LONG>::min() ? 4096 : -lf.lfHeight;
    } else if (lf.lfHeight > 0) {
        QFont probe = font;
        probe.setPixelSize(100);
        QFontMetricsF fm(probe);
        const double cell = fm.ascent() + fm.descent();
        pixels = cell > 0 ? static_cast<int>(std::lround(lf.lfHeight * 100.0 / cell)) : lf.lfHeight;
    }
    font.setPixelSize(std::clamp(pixels, 1, 4096));
    if (lf.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if ((lf.lfPitchAndFamily & 0x03) == FIXED_PITCH) font.setFixedPitch(true);
    switch (lf.lfPitchAndFamily & 0xF0) {
    case FF_ROMAN: font.setStyleHint(QFont::Serif); break;
    case FF_SWISS: font.setStyleHint(QFont::SansSerif); break;
    case FF_MODERN: font.setStyleHint(QFont::TypeWriter); break;
    default: break;
    }
    return font;
}

void EnsureGuiApplication()
{
    if (QCoreApplication::instance() != nullptr) return;
    if (VelkaroEnsureApplication != nullptr) {
        VelkaroEnsureApplication();
        if (QCoreApplication::instance() != nullptr) return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velkaro";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = nullptr;
    app = new QGuiApplication(argc, argv);
    // Taken down at exit, so that the font system releases what it holds.
    std::atexit([] {
        delete app;
        app = nullptr;
    });
}

const QFont& FontOf(FontData& font)
{
    if (!font.resolved) {
        font.font = MakeQFont(font.lf);
        font.resolved = true;
    }
    return font.font;
}

QImage OpaquePicture(const BitmapData& b)
{
    QImage out(b.image.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < out.height(); ++y) {
        const int row = b.bottomUp ? b.image.height() - 1 - y : y;
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (b.image.format() == QImage::Format_Indexed8) {
            const uchar* src = b.image.constScanLine(row);
            for (int x = 0; x < out.width(); ++x) dst[x] = b.image.color(src[x]) | 0xFF000000u;
        } else {
            const auto* src = reinterpret_cast<const QRgb*>(b.image.constScanLine(row));
            for (int x = 0; x < out.width(); ++x) dst[x] = src[x] | 0xFF000000u;
        }
    }
    // A picture of a high-density screen is written at the size its callers know it by.
    if (b.ratio > 1) return out.scaled(LogicalSize(b), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

BitmapData LogicalView(const BitmapData& b)
{
    if (b.ratio <= 1) return b;
    BitmapData out;
    out.dibSection = b.dibSection;
    out.bottomUp = b.bottomUp;
    const QSize size = LogicalSize(b);
    out.image = QImage(size, b.image.format());
    if (out.image.isNull()) return out;
    if (b.image.format() == QImage::Format_Indexed8) out.image.setColorTable(b.image.colorTable());
    const int bytes = b.image.depth() / 8;
    for (int y = 0; y < size.height(); ++y) {
        const uchar* src = b.image.constScanLine(y * b.ratio);
        uchar* dst = out.image.scanLine(y);
        for (int x = 0; x < size.width(); ++x)
            std::memcpy(dst + static_cast<std::size_t>(x) * bytes, src + static_cast<std::size_t>(x) * b.ratio * bytes,
                        static_cast<std::size_t>(bytes));
    }
    return out;
}

int PixelRatioFor(qreal deviceRatio)
{
    if (!(deviceRatio > 1.0)) return 1;
    // A ratio a hair above a whole number is that number, not the next one.
    return std::clamp(static_cast<int>(std::ceil(deviceRatio - 1e-3)), 1, kMaxPixelRatio);
}

int ScreenPixelRatio()
{
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app != nullptr ? PixelRatioFor(app->devicePixelRatio()) : 1;
}

HBITMAP CreateBitmapFromImage(const QImage& image)
{
    if (image.isNull()) return 0;
    auto o = NewObject(GdiObjectKind::Bitmap);
    o->bitmap.image = image.convertToFormat(QImage::Format_RGB32);
    if (o->bitmap.image.isNull()) return 0;
    const int ratio = PixelRatioFor(image.devicePixelRatio());
    if (ratio > 1 && image.width() % ratio == 0 && image.height() % ratio == 0) {
        o->bitmap.ratio = ratio;
        o->bitmap.image.setDevicePixelRatio(ratio);
    } else {
        o->bitmap.image.setDevicePixelRatio(1.0);
    }
    return AddObject(o);
}

}  // namespace gdi

using namespace gdi;

void SetLogFontFaceName(LOGFONT& lf, const char* face)
{
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    if (face == nullptr) return;
    std::size_t n = std::strlen(face);
    if (n > LF_FACESIZE - 1) {
        n = LF_FACESIZE - 1;
        // Back off continuation bytes so the cut never splits a character.
        while (n > 0 && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80) --n;
    }
    std::memcpy(lf.lfFaceName, face, n);
}

GdiObjectKind GetObjectKind(HGDIOBJ object)
{
    auto o = FindObject(object);
    return o ? o->kind : GdiObjectKind::None;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto& table = ObjectTable::Instance();
    std::unique_ptr<CGdiObject> temporary;
    {
        std::lock_guard lock(table.mutex);
        auto it = table.entries.find(object);
        if (it == table.entries.end()) return FALSE;
        if (it->second.data->stock) return TRUE;
        if (it->second.owner != nullptr) it->second.owner->m_hObject = 0;
        temporary = std::move(it->second.temporary);
        table.entries.erase(it);
    }
    if (temporary) temporary->m_hObject = 0;
    return TRUE;
}

std::size_t GdiObjectCount()
{
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    std::size_t n = 0;
    for (const auto& [handle, entry] : table.entries)
        if (!entry.data->stock) ++n;
    return n;
}

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index >= kStockCount - 1 || index == 9 || index == DEFAULT_PALETTE) return 0;
    return kStockBase + static_cast<HGDIOBJ>(index);
}

int GetObject(HGDIOBJ object, int size, void* out)
{
    auto o = FindObject(object);
    if (!o) return 0;
    switch (o->kind) {
    case GdiObjectKind::Pen: {
        if (out == nullptr) return sizeof(LOGPEN);
        if (size < static_cast<int>(sizeof(LOGPEN))) return 0;
        LOGPEN lp{static_cast<UINT>(o->pen.style),
                  POINT{o->pen.width, 0}, o->pen.color};
        std::memcpy(out, &lp, sizeof lp);
        return sizeof(LOGPEN);
    }
    case GdiObjectKind::Brush: {
        if (out == nullptr) return sizeof(LOGBRUSH);
        if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
        LOGBRUSH lb{o->brush.style, o->brush.color, static_cast<std::uintptr_t>(o->brush.hatch)};
        std::memcpy(out, &lb, sizeof lb);
        return sizeof(LOGBRUSH);
    }
    case GdiObjectKind::Font: {
        if (out == nullptr) return sizeof(LOGFONT);
        const int n = std::min<int>(size, sizeof(LOGFONT));
        if (n <= 0) return 0;
        std::memcpy(out, &o->font.lf, static_cast<std::size_t>(n));
        return n;
    }
    case GdiObjectKind::Bitmap: {
        if (out == nullptr) return sizeof(::BITMAP);
        if (size < static_cast<int>(sizeof(::BITMAP))) return 0;
        const QImage& img = o->bitmap.image;
        const QSize size = LogicalSize(o->bitmap);
        ::BITMAP bm{};
        bm.bmWidth = size.width();
        bm.bmHeight = size.height();
        bm.bmWidthBytes = static_cast<LONG>(img.bytesPerLine() / o->bitmap.ratio);
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(img.depth());
        // The bits of a finer grid are not laid out as the header says: only the owner of a
        // scaled section (who asked for it) reads them.
        bm.bmBits = o->bitmap.dibSection && o->bitmap.ratio == 1 ? const_cast<uchar*>(img.constBits()) : nullptr;
        std::memcpy(out, &bm, sizeof bm);
        return sizeof(::BITMAP);
    }
    default: return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    const int s = style & PS_STYLE_MASK;
    if (s > PS_INSIDEFRAME) return 0;
    auto o = NewObject(GdiObjectKind::Pen);
    o->pen.style = s;
    o->pen.width = std::clamp(width, 0, 10000);
    o->pen.color = color & 0x00FFFFFF;
    // A pen wider than one pixel is geometric: round caps and joins, and its dashes scale
    // with the width.
    o->pen.geometric = o->pen.width > 1;
    return AddObject(o);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles)
{
    if (brush == nullptr) return 0;
    const int s = static_cast<int>(style & PS_STYLE_MASK);
    const bool geometric = (style & PS_TYPE_MASK) == static_cast<DWORD>(PS_GEOMETRIC);
    if (s > PS_ALTERNATE) return 0;
    if (s == PS_USERSTYLE) {
        if (styleCount == 0 || styleCount > 16 || styles == nullptr) return 0;
    } else if (styleCount != 0 || styles != nullptr) {
        return 0;
    }
    if (!geometric && width != 1) return 0;
    auto o = NewObject(GdiObjectKind::Pen);
    o->pen.style = s;
    o->pen.geometric = geometric;
    o->pen.width = static_cast<int>(std::min<DWORD>(width, 10000));
    o->pen.color = brush->lbStyle == BS_NULL ? 0 : (brush->lbColor & 0x00FFFFFF);
    if (brush->lbStyle == BS_NULL) o->pen.style = PS_NULL;
    o->pen.cap = static_cast<int>(style & PS_ENDCAP_MASK);
    o->pen.join = static_cast<int>(style & PS_JOIN_MASK);
    if (s == PS_USERSTYLE) o->pen.dashes.assign(styles, styles + styleCount);
    return AddObject(o);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto o = NewObject(GdiObjectKind::Brush);
    o->brush.style = BS_SOLID;
    o->brush.color = color & 0x00FFFFFF;
    return AddObject(o);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return 0;
    auto o = NewObject(GdiObjectKind::Brush);
    o->brush.style = BS_HATCHED;
    o->brush.color = color & 0x00FFFFFF;
    o->brush.hatch = hatch;
    return AddObject(o);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (brush == nullptr) return 0;
    switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_NULL: {
        auto o = NewObject(GdiObjectKind::Brush);
        o->brush.style = BS_NULL;
        return AddObject(o);
    }
    default: return 0;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    // One brush per system colour, kept for the life of the program like the system's own.
    static std::mutex mutex;
    static std::map<int, HBRUSH> brushes;
    std::lock_guard lock(mutex);
    auto it = brushes.find(index);
    if (it != brushes.end()) return it->second;
    auto o = NewObject(GdiObjectKind::Brush);
    o->brush.color = GetSysColor(index);
    o->stock = true;
    const HBRUSH h = AddObject(o);
    brushes[index] = h;
    return h;
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (font == nullptr) return 0;
    auto o = NewObject(GdiObjectKind::Font);
    o->font.lf = *font;
    // The face may come from a file: make sure it is terminated and whole.
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, font->lfFaceName, LF_FACESIZE);
    SetLogFontFaceName(o->font.lf, face);
    FontOf(o->font);
    return AddObject(o);
}

namespace {

bool SizeAllowed(long long width, long long height, int bytesPerPixel)
{
    return width > 0 && height > 0 && width <= 32768 && height <= 32768 &&
           width * height * bytesPerPixel <= (512LL << 20);
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) return 0;
    if (!SizeAllowed(width, height, 4)) return 0;
    auto o = NewObject(GdiObjectKind::Bitmap);
    QImage& img = o->bitmap.image;
    img = QImage(width, height, QImage::Format_RGB32);
    if (img.isNull()) return 0;
    img.fill(0xFF000000u);
    if (bits != nullptr) {
        const auto* src = static_cast<const uchar*>(bits);
        if (bitsPerPixel == 32) {
            for (int y = 0; y < height; ++y)
                std::memcpy(img.scanLine(y), src + static_cast<std::size_t>(y) * width * 4, static_cast<std::size_t>(width) * 4);
        } else {
            // Monochrome rows are padded to 16 bits; a set bit is white.
            const std::size_t stride = static_cast<std::size_t>((width + 15) / 16) * 2;
            for (int y = 0; y < height; ++y) {
                auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < width; ++x) {
                    const bool set = (src[y * stride + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
                    row[x] = set ? 0xFFFFFFFFu : 0xFF000000u;
                }
            }
        }
    }
    return AddObject(o);
}

HBITMAP CreateDIBSection(const BITMAPINFO* info, UINT /*usage*/, void** bits)
{
    if (bits != nullptr) *bits = nullptr;
    if (info == nullptr) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biCompression != BI_RGB) return 0;
    if (h.biBitCount != 32 && h.biBitCount != 8) return 0;
    if (h.biHeight == std::numeric_limits<LONG>::min()) return 0;
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (!SizeAllowed(width, height, h.biBitCount / 8)) return 0;
    auto o = NewObject(GdiObjectKind::Bitmap);
    BitmapData& b = o->bitmap;
    b.dibSection = true;
    b.bottomUp = h.biHeight > 0;
    if (h.biBitCount == 32) {
        b.image = QImage(width, height, QImage::Format_RGB32);
        if (b.image.isNull()) return 0;
        // Zero words: black, reserved byte clear (QImage::fill would set it).
        std::memset(b.image.bits(), 0, static_cast<std::size_t>(b.image.sizeInBytes()));
    } else {
        b.image = QImage(width, height, QImage::Format_Indexed8);
        if (b.image.isNull()) return 0;
        const DWORD used = h.biClrUsed == 0 || h.biClrUsed > 256 ? 256 : h.biClrUsed;
        QList<QRgb> table(256, 0xFF000000u);
        for (DWORD i = 0; i < used; ++i) {
            const RGBQUAD& q = info->bmiColors[i];
            table[static_cast<qsizetype>(i)] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        b.image.setColorTable(table);
        b.image.fill(0u);
    }
    const HBITMAP handle = AddObject(o);
    if (handle != 0 && bits != nullptr) *bits = b.image.bits();
    return handle;
}

HBITMAP CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, void** bits, void* /*section*/, DWORD /*offset*/)
{
    return CreateDIBSection(info, usage, bits);
}

HBITMAP gdi::CreateScaledBitmap(int width, int height, int ratio)
{
    if (ratio <= 1) return CreateBitmap(width, height, 1, 32, nullptr);
    if (ratio > kMaxPixelRatio || !SizeAllowed(static_cast<long long>(width) * ratio, static_cast<long long>(height) * ratio, 4))
        return 0;
    auto o = NewObject(GdiObjectKind::Bitmap);
    QImage& img = o->bitmap.image;
    img = QImage(width * ratio, height * ratio, QImage::Format_RGB32);
    if (img.isNull()) return 0;
    img.fill(0xFF000000u);
    img.setDevicePixelRatio(ratio);
    o->bitmap.ratio = ratio;
    return AddObject(o);
}

HBITMAP CreateScaledDIBSection(int width, int height, int ratio, void** bits)
{
    if (bits != nullptr) *bits = nullptr;
    ratio = std::clamp(ratio, 1, kMaxPixelRatio);
    if (!SizeAllowed(static_cast<long long>(width) * ratio, static_cast<long long>(height) * ratio, 4)) return 0;
    auto o = NewObject(GdiObjectKind::Bitmap);
    BitmapData& b = o->bitmap;
    b.dibSection = true;
    b.ratio = ratio;
    b.image = QImage(width * ratio, height * ratio, QImage::Format_RGB32);
    if (b.image.isNull()) return 0;
    std::memset(b.image.bits(), 0, static_cast<std::size_t>(b.image.sizeInBytes()));
    b.image.setDevicePixelRatio(ratio);
    const HBITMAP handle = AddObject(o);
    if (handle != 0 && bits != nullptr) *bits = b.image.bits();
    return handle;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (width == 0 || height == 0) { width = 1; height = 1; }
    const CDC* reference = dc != 0 ? CDC::FromHandle(dc) : nullptr;
    return CreateScaledBitmap(width, height, reference != nullptr ? reference->GetCompatiblePixelRatio() : ScreenPixelRatio());
}

COLORREF GetSysColor(int index)
{
    static const COLORREF colors[] = {
        RGB(200, 200, 200),  // COLOR_SCROLLBAR
        RGB(0, 0, 0),        // COLOR_BACKGROUND
        RGB(153, 180, 209),  // COLOR_ACTIVECAPTION
        RGB(191, 205, 219),  // COLOR_INACTIVECAPTION
        RGB(240, 240, 240),  // COLOR_MENU
        RGB(255, 255, 255),  // COLOR_WINDOW
        RGB(100, 100, 100),  // COLOR_WINDOWFRAME
        RGB(0, 0, 0),        // COLOR_MENUTEXT
        RGB(0, 0, 0),        // COLOR_WINDOWTEXT
        RGB(0, 0, 0),        // COLOR_CAPTIONTEXT
        RGB(180, 180, 180),  // COLOR_ACTIVEBORDER
        RGB(244, 247, 252),  // COLOR_INACTIVEBORDER
        RGB(171, 171, 171),  // COLOR_APPWORKSPACE
        RGB(51, 153, 255),   // COLOR_HIGHLIGHT
        RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
        RGB(240, 240, 240),  // COLOR_BTNFACE
        RGB(160, 160, 160),  // COLOR_BTNSHADOW
        RGB(109, 109, 109),  // COLOR_GRAYTEXT
        RGB(0, 0, 0),        // COLOR_BTNTEXT
        RGB(67, 78, 84),     // COLOR_INACTIVECAPTIONTEXT
        RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
        RGB(105, 105, 105),  // COLOR_3DDKSHADOW
        RGB(227, 227, 227),  // COLOR_3DLIGHT
        RGB(0, 0, 0),        // COLOR_INFOTEXT
        RGB(255, 255, 225),  // COLOR_INFOBK
        RGB(181, 181, 181),  // 25, unnamed
        RGB(0, 102, 204),    // COLOR_HOTLIGHT
        RGB(185, 209, 234),  // COLOR_GRADIENTACTIVECAPTION
        RGB(215, 228, 242),  // COLOR_GRADIENTINACTIVECAPTION
        RGB(51, 153, 255),   // COLOR_MENUHILIGHT
        RGB(240, 240, 240),  // COLOR_MENUBAR
    };
    if (index < 0 || index >= static_cast<int>(std::size(colors))) return 0;
    return colors[index];
}

// --- Regions -------------------------------------------------------------------------------------

namespace {

HRGN AddRegion(QRegion region)
{
    auto o = NewObject(GdiObjectKind::Region);
    o->region.region = std::move(region);
    return AddObject(o);
}

int RegionKind(const QRegion& r)
{
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

// Rows of a rounded shape: for each pixel row the run between the two curved sides. An ellipse
// is a rounded rectangle whose corners take the whole size.
QRegion gdi::RoundedRegion(int left, int top, int right, int bottom, int ew, int eh)
{
    left = std::clamp(left, -(1 << 27), 1 << 27);
    top = std::clamp(top, -(1 << 27), 1 << 27);
    right = std::clamp(right, -(1 << 27), 1 << 27);
    bottom = std::clamp(bottom, -(1 << 27), 1 << 27);
    ew = std::clamp(ew, -(1 << 28), 1 << 28);
    eh = std::clamp(eh, -(1 << 28), 1 << 28);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int w = right - left;
    const int h = bottom - top;
    if (w <= 0 || h <= 0) return QRegion();
    ew = std::min(std::abs(ew), w);
    eh = std::min(std::abs(eh), h);
    if (ew < 2 || eh < 2) return QRegion(left, top, w, h);
    // Curved edges are built row by row; a shape taller than any screen keeps its box.
    if (h > 65536) return QRegion(left, top, w, h);
    const double rx = ew / 2.0;
    const double ry = eh / 2.0;
    QRegion region;
    QList<QRect> rows;
    rows.reserve(h);
    for (int y = 0; y < h; ++y) {
        const double yc = y + 0.5;
        double dy = 0;
        if (yc < ry) dy = ry - yc;
        else if (yc > h - ry) dy = yc - (h - ry);
        double inset = 0;
        if (dy > 0) inset = rx - rx * std::sqrt(std::max(0.0, 1.0 - (dy / ry) * (dy / ry)));
        const int in = static_cast<int>(std::lround(inset));
        if (w - 2 * in > 0) rows.append(QRect(left + in, top + y, w - 2 * in, 1));
    }
    region.setRects(rows.constData(), static_cast<int>(rows.size()));
    return region;
}

namespace {

// Region coordinates are pinned to +-2^27 like drawing coordinates, so sizes never overflow.
int RegionCoord(int v) { return std::clamp(v, -(1 << 27), 1 << 27); }

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    left = RegionCoord(left);
    top = RegionCoord(top);
    right = RegionCoord(right);
    bottom = RegionCoord(bottom);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    return AddRegion(QRegion(left, top, right - left, bottom - top));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect != nullptr ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : 0;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse)
{
    return AddRegion(RoundedRegion(left, top, right, bottom, widthEllipse, heightEllipse));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    const long long w = std::llabs(static_cast<long long>(right) - left);
    const long long h = std::llabs(static_cast<long long>(bottom) - top);
    return AddRegion(RoundedRegion(left, top, right, bottom, static_cast<int>(std::min(w, 1LL << 28)),
                                   static_cast<int>(std::min(h, 1LL << 28))));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    if (points == nullptr || count < 2) return 0;
    QPolygon polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) polygon << QPoint(points[i].x, points[i].y);
    return AddRegion(QRegion(polygon, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto d = FindObject(dest, GdiObjectKind::Region);
    auto a = FindObject(src1, GdiObjectKind::Region);
    if (!d || !a) return ERROR_REGION;
    if (mode == RGN_COPY) {
        d->region.region = a->region.region;
        return RegionKind(d->region.region);
    }
    auto b = FindObject(src2, GdiObjectKind::Region);
    if (!b) return ERROR_REGION;
    QRegion result;
    switch (mode) {
    case RGN_AND: result = a->region.region.intersected(b->region.region); break;
    case RGN_OR: result = a->region.region.united(b->region.region); break;
    case RGN_XOR: result = a->region.region.xored(b->region.region); break;
    case RGN_DIFF: result = a->region.region.subtracted(b->region.region); break;
    default: return ERROR_REGION;
    }
    d->region.region = result;
    return RegionKind(result);
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    auto r = FindObject(region, GdiObjectKind::Region);
    if (!r) return ERROR_REGION;
    r->region.region.translate(dx, dy);
    return RegionKind(r->region.region);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    auto r = FindObject(region, GdiObjectKind::Region);
    return r && r->region.region.contains(QPoint(x, y)) ? TRUE : FALSE;
}

int GetRgnBox(HRGN region, RECT* box)
{
    auto r = FindObject(region, GdiObjectKind::Region);
    if (!r || box == nullptr) return ERROR_REGION;
    const QRect b = r->region.region.boundingRect();
    *box = r->region.region.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return RegionKind(r->region.region);
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    auto ra = FindObject(a, GdiObjectKind::Region);
    auto rb = FindObject(b, GdiObjectKind::Region);
    return ra && rb && ra->region.region == rb->region.region ? TRUE : FALSE;
}

// --- Wrappers ------------------------------------------------------------------------------------

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (object == 0 || !FindObject(object)) return FALSE;
    m_hObject = object;
    SetOwner(object, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    const HGDIOBJ h = m_hObject;
    if (h != 0) ForgetOwner(h, this);
    m_hObject = 0;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == 0) return FALSE;
    const HGDIOBJ h = Detach();
    return ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int index)
{
    const HGDIOBJ h = ::GetStockObject(index);
    if (h == 0) return FALSE;
    DeleteObject();
    m_hObject = h;
    return TRUE;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object)
{
    auto& table = ObjectTable::Instance();
    std::lock_guard lock(table.mutex);
    auto it = table.entries.find(object);
    if (it == table.entries.end()) return nullptr;
    Entry& e = it->second;
    if (e.owner != nullptr) return e.owner;
    if (!e.temporary) {
        e.temporary = MakeWrapper(e.data->kind);
        // A temporary wrapper must not delete the object when the table drops it.
        e.temporary->m_hObject = object;
    }
    return e.temporary.get();
}

namespace {

// Replaces a wrapper's object by a new handle, deleting the one it had.
BOOL Adopt(CGdiObject* wrapper, HGDIOBJ handle)
{
    if (handle == 0) return FALSE;
    wrapper->DeleteObject();
    wrapper->m_hObject = handle;
    SetOwner(handle, wrapper);
    return TRUE;
}

template <typename T>
T* TypedFromHandle(HGDIOBJ handle, GdiObjectKind kind)
{
    if (GetObjectKind(handle) != kind) return nullptr;
    return static_cast<T*>(CGdiObject::FromHandle(handle));
}

}  // namespace

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Adopt(this, ::CreatePen(style, width, color)); }
BOOL CPen::CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles)
{
    if (styleCount < 0) return FALSE;
    return Adopt(this, ::ExtCreatePen(static_cast<DWORD>(style), static_cast<DWORD>(std::max(width, 0)), brush,
                                      static_cast<DWORD>(styleCount), styles));
}
BOOL CPen::CreatePenIndirect(const LOGPEN* pen)
{
    return pen != nullptr && CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}
CPen* CPen::FromHandle(HPEN pen) { return TypedFromHandle<CPen>(pen, GdiObjectKind::Pen); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Adopt(this, ::CreateSolidBrush(color)); }
BOOL CBrush::CreateHatchBrush(int hatch, COLORREF color) { return Adopt(this, ::CreateHatchBrush(hatch, color)); }
BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* brush) { return Adopt(this, ::CreateBrushIndirect(brush)); }
BOOL CBrush::CreateSysColorBrush(int index) { return Adopt(this, ::CreateSolidBrush(::GetSysColor(index))); }
CBrush* CBrush::FromHandle(HBRUSH brush) { return TypedFromHandle<CBrush>(brush, GdiObjectKind::Brush); }

BOOL CFont::CreateFontIndirect(const LOGFONT* font) { return Adopt(this, ::CreateFontIndirect(font)); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const char* face)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    SetLogFontFaceName(lf, face);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSize, const char* face, CDC* dc)
{
    LOGFONT lf{};
    lf.lfHeight = pointSize;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    SetLogFontFaceName(lf, face);
    return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* font, CDC* dc)
{
    if (font == nullptr) return FALSE;
    LOGFONT lf = *font;
    const int dpi = dc != nullptr ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    // Tenths of a point to device pixels, then to the DC's logical units, rounded to the
    // nearest unit: on a scaled printer page the text keeps its point size.
    const long long tenths = std::llabs(static_cast<long long>(lf.lfHeight));
    long long numerator = tenths * dpi;
    long long denominator = 720;
    if (dc != nullptr && dc->GetMapMode() == MM_ANISOTROPIC) {
        const CSize window = dc->GetWindowExt();
        const CSize viewport = dc->GetViewportExt();
        if (window.cy != 0 && viewport.cy != 0) {
            numerator *= std::llabs(static_cast<long long>(window.cy));
            denominator *= std::llabs(static_cast<long long>(viewport.cy));
        }
    }
    const long long height = std::min<long long>((numerator + denominator / 2) / denominator, 1LL << 20);
    lf.lfHeight = -static_cast<LONG>(height);
    return CreateFontIndirect(&lf);
}

CFont* CFont::FromHandle(HFONT font) { return TypedFromHandle<CFont>(font, GdiObjectKind::Font); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    // Like the screen's own bitmaps: 32-bit, contents black, and as fine as the screen the DC
    // draws for.
    if (width == 0 || height == 0) { width = 1; height = 1; }
    return Adopt(this, CreateScaledBitmap(width, height, dc != nullptr ? dc->GetCompatiblePixelRatio() : ScreenPixelRatio()));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Adopt(this, ::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

CSize CBitmap::GetBitmapDimension() const
{
    auto o = FindObject(m_hObject, GdiObjectKind::Bitmap);
    if (!o) return CSize();
    const QSize size = LogicalSize(o->bitmap);
    return CSize(size.width(), size.height());
}

DWORD CBitmap::GetBitmapBits(DWORD count, void* bits) const
{
    auto o = FindObject(m_hObject, GdiObjectKind::Bitmap);
    if (!o || bits == nullptr) return 0;
    const BitmapData view = LogicalView(o->bitmap);
    const QImage img = view.image.format() == QImage::Format_RGB32
                           ? QImage(view.image.constBits(), view.image.width(), view.image.height(),
                                    view.image.bytesPerLine(), QImage::Format_RGB32)
                           : view.image.convertToFormat(QImage::Format_RGB32);
    const std::size_t rowBytes = static_cast<std::size_t>(img.width()) * 4;
    DWORD done = 0;
    for (int y = 0; y < img.height() && done < count; ++y) {
        const int row = view.bottomUp ? img.height() - 1 - y : y;
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(rowBytes, count - done));
        std::memcpy(static_cast<uchar*>(bits) + done, img.constScanLine(row), n);
        done += n;
    }
    return done;
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits)
{
    auto o = FindObject(m_hObject, GdiObjectKind::Bitmap);
    if (!o || bits == nullptr || o->bitmap.image.format() != QImage::Format_RGB32) return 0;
    const int ratio = o->bitmap.ratio;
    const QSize size = LogicalSize(o->bitmap);
    QImage logical = ratio > 1 ? QImage(size, QImage::Format_RGB32) : QImage();
    QImage& img = ratio > 1 ? logical : o->bitmap.image;
    if (ratio > 1) logical.fill(0xFF000000u);
    const std::size_t rowBytes = static_cast<std::size_t>(img.width()) * 4;
    DWORD done = 0;
    int rows = 0;
    for (int y = 0; y < img.height() && done < count; ++y, ++rows) {
        const int row = o->bitmap.bottomUp ? img.height() - 1 - y : y;
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(rowBytes, count - done));
        std::memcpy(img.scanLine(row), static_cast<const uchar*>(bits) + done, n);
        done += n;
    }
    if (ratio > 1) {
        // Each pixel given covers its block of the finer grid.
        QImage& fine = o->bitmap.image;
        for (int y = 0; y < std::min(rows, size.height()) * ratio; ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(logical.constScanLine(y / ratio));
            auto* dst = reinterpret_cast<QRgb*>(fine.scanLine(y));
            for (int x = 0; x < fine.width(); ++x) dst[x] = src[x / ratio] | 0xFF000000u;
        }
    }
    return done;
}

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) { return TypedFromHandle<CBitmap>(bitmap, GdiObjectKind::Bitmap); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    return Adopt(this, ::CreateRectRgn(left, top, right, bottom));
}
BOOL CRgn::CreateRectRgnIndirect(const RECT* rect) { return Adopt(this, ::CreateRectRgnIndirect(rect)); }
BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int widthEllipse, int heightEllipse)
{
    return Adopt(this, ::CreateRoundRectRgn(left, top, right, bottom, widthEllipse, heightEllipse));
}
BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return Adopt(this, ::CreateEllipticRgn(left, top, right, bottom));
}
BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    return Adopt(this, ::CreatePolygonRgn(points, count, fillMode));
}
int CRgn::CombineRgn(const CRgn* src1, const CRgn* src2, int mode)
{
    return ::CombineRgn(m_hObject, src1 != nullptr ? src1->m_hObject : 0, src2 != nullptr ? src2->m_hObject : 0, mode);
}
int CRgn::CopyRgn(const CRgn* src) { return ::CombineRgn(m_hObject, src != nullptr ? src->m_hObject : 0, 0, RGN_COPY); }
int CRgn::OffsetRgn(int dx, int dy) { return ::OffsetRgn(m_hObject, dx, dy); }
BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion(m_hObject, x, y); }
int CRgn::GetRgnBox(RECT* box) const { return ::GetRgnBox(m_hObject, box); }
BOOL CRgn::EqualRgn(const CRgn* other) const { return other != nullptr && ::EqualRgn(m_hObject, other->m_hObject); }
CRgn* CRgn::FromHandle(HRGN region) { return TypedFromHandle<CRgn>(region, GdiObjectKind::Region); }

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long d = denominator;
    const bool negative = (product < 0) != (d < 0);
    unsigned long long p = product < 0 ? 0ULL - static_cast<unsigned long long>(product) : static_cast<unsigned long long>(product);
    unsigned long long q = d < 0 ? 0ULL - static_cast<unsigned long long>(d) : static_cast<unsigned long long>(d);
    unsigned long long result = (p + q / 2) / q;
    if (result > static_cast<unsigned long long>(std::numeric_limits<int>::max()) + (negative ? 1ULL : 0ULL)) return -1;
    return negative ? static_cast<int>(-static_cast<long long>(result)) : static_cast<int>(result);
}
