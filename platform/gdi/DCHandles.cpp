// The handle-level forms of the DC calls.

#include "platform/gdi/DC.h"

#include "platform/gdi/GdiInternal.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>

namespace {

// DCs made by the handle-level CreateCompatibleDC, owned until DeleteDC.
struct OwnedDCs {
    std::mutex mutex;
    std::map<HDC, std::unique_ptr<CDC>> dcs;
};

OwnedDCs& Owned()
{
    static OwnedDCs owned;
    return owned;
}

}  // namespace

HDC CreateCompatibleDC(HDC reference)
{
    auto dc = std::make_unique<CDC>();
    if (!dc->CreateCompatibleDC(CDC::FromHandle(reference))) return 0;
    const HDC h = dc->GetSafeHdc();
    auto& owned = Owned();
    std::lock_guard lock(owned.mutex);
    owned.dcs.emplace(h, std::move(dc));
    return h;
}

BOOL DeleteDC(HDC dc)
{
    std::unique_ptr<CDC> doomed;
    {
        auto& owned = Owned();
        std::lock_guard lock(owned.mutex);
        auto it = owned.dcs.find(dc);
        if (it == owned.dcs.end()) {
            CDC* other = CDC::FromHandle(dc);
            return other != nullptr ? other->DeleteDC() : FALSE;
        }
        doomed = std::move(it->second);
        owned.dcs.erase(it);
    }
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->SelectObject(object) : 0;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    CDC* d = CDC::FromHandle(dest);
    return d != nullptr && d->BitBlt(x, y, width, height, CDC::FromHandle(src), xSrc, ySrc, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc, int heightSrc,
                DWORD rop)
{
    CDC* d = CDC::FromHandle(dest);
    return d != nullptr &&
           d->StretchBlt(x, y, width, height, CDC::FromHandle(src), xSrc, ySrc, widthSrc, heightSrc, rop);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    CDC* d = CDC::FromHandle(dc);
    CBrush* b = CBrush::FromHandle(brush);
    if (d == nullptr || b == nullptr || rect == nullptr) return 0;
    d->FillRect(rect, b);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    CDC* d = CDC::FromHandle(dc);
    CBrush* b = CBrush::FromHandle(brush);
    if (d == nullptr || b == nullptr || rect == nullptr) return 0;
    d->FrameRect(rect, b);
    return 1;
}

int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->DrawText(text, length, rect, format) : 0;
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int length)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr && d->TextOut(x, y, text, length);
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->SetTextColor(color) : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->SetBkColor(color) : CLR_INVALID;
}

int SetBkMode(HDC dc, int mode)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->SetBkMode(mode) : 0;
}

int GetDeviceCaps(HDC dc, int index)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->GetDeviceCaps(index) : 0;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->GetPixel(x, y) : CLR_INVALID;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    CDC* d = CDC::FromHandle(dc);
    return d != nullptr ? d->SetPixel(x, y, color) : CLR_INVALID;
}

UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors)
{
    CDC* d = CDC::FromHandle(dc);
    CBitmap* bitmap = d != nullptr ? d->GetCurrentBitmap() : nullptr;
    const gdi::ObjectPtr o = bitmap != nullptr ? gdi::FindObject(bitmap->m_hObject, GdiObjectKind::Bitmap) : nullptr;
    if (!o || colors == nullptr || o->bitmap.image.format() != QImage::Format_Indexed8 || start >= 256) return 0;
    QList<QRgb> table = o->bitmap.image.colorTable();
    table.resize(256, 0xFF000000u);
    const UINT n = std::min<UINT>(count, 256 - start);
    for (UINT i = 0; i < n; ++i)
        table[static_cast<qsizetype>(start + i)] = qRgb(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
    o->bitmap.image.setColorTable(table);
    return n;
}

int GetDIBits(HDC /*dc*/, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT /*usage*/)
{
    const gdi::ObjectPtr o = gdi::FindObject(bitmap, GdiObjectKind::Bitmap);
    if (!o || info == nullptr) return 0;
    // Rows of logical pixels, whatever grid the bitmap is drawn on.
    const gdi::BitmapData b = gdi::LogicalView(o->bitmap);
    const int width = b.image.width();
    const int height = b.image.height();
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (bits == nullptr) {
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
        return height;
    }
    // The caller's buffer is sized by its header: it must describe this bitmap's width.
    if (h.biBitCount != 32 || h.biWidth != width || h.biHeight == 0 || h.biHeight == std::numeric_limits<LONG>::min())
        return 0;
    const bool bottomUp = h.biHeight > 0;
    const long long rows = std::min<long long>(std::llabs(static_cast<long long>(h.biHeight)), height);
    if (start >= rows) return 0;
    const long long count = std::min<long long>(lines, rows - start);
    auto* out = static_cast<std::uint32_t*>(bits);
    for (long long i = 0; i < count; ++i) {
        // Output row r (in the caller's order) shows picture row y, top = 0.
        const long long r = start + i;
        const int y = static_cast<int>(bottomUp ? height - 1 - r : r);
        const int memoryRow = b.bottomUp ? height - 1 - y : y;
        std::uint32_t* dst = out + i * width;
        if (b.image.format() == QImage::Format_Indexed8) {
            const uchar* src = b.image.constScanLine(memoryRow);
            for (int x = 0; x < width; ++x) dst[x] = b.image.color(src[x]) & 0x00FFFFFFu;
        } else {
            const auto* src = reinterpret_cast<const std::uint32_t*>(b.image.constScanLine(memoryRow));
            for (int x = 0; x < width; ++x) dst[x] = b.dibSection ? src[x] : (src[x] & 0x00FFFFFFu);
        }
    }
    return static_cast<int>(count);
}

BOOL PathCompactPath(HDC dc, char* path, UINT width)
{
    CDC* d = CDC::FromHandle(dc);
    if (d == nullptr || path == nullptr) return FALSE;
    const std::string original = path;
    std::string shorter = d->CompactPath(original, static_cast<int>(std::min<UINT>(width, 1u << 27)));
    if (shorter.size() > original.size()) {
        // Keep within the caller's buffer, cutting on a character boundary.
        std::size_t n = original.size();
        while (n > 0 && (static_cast<unsigned char>(shorter[n]) & 0xC0) == 0x80) --n;
        shorter.resize(n);
    }
    std::memcpy(path, shorter.c_str(), shorter.size() + 1);
    return TRUE;
}
