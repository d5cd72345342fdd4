#include "widgets/tooltip/PPDrawPixels.h"

#include <cstring>
#include <new>

namespace ppdraw {

bool Pixels::Allocate(int w, int h, std::uint32_t fill)
{
    words.clear();
    width = height = 0;
    if (!SizeOk(w, h)) return false;
    try {
        words.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    } catch (const std::bad_alloc&) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    Pixels out;
    BITMAP info{};
    if (bitmap == 0 || GetObjectKind(bitmap) != GdiObjectKind::Bitmap) return out;
    if (GetObject(bitmap, sizeof(info), &info) == 0) return out;
    if (!out.Allocate(info.bmWidth, info.bmHeight)) return out;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;  // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    if (GetDIBits(0, bitmap, 0, static_cast<UINT>(info.bmHeight), out.words.data(), &header, DIB_RGB_COLORS) !=
        info.bmHeight)
        out = Pixels();
    return out;
}

Pixels Scale(const Pixels& source, int width, int height)
{
    if (source.width == width && source.height == height) return source;
    Pixels out;
    if (source.Empty() || !out.Allocate(width, height)) return out;
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) columns[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * source.width / width);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * source.height / height);
        const std::uint32_t* from = &source.words[static_cast<std::size_t>(sy) * source.width];
        std::uint32_t* to = &out.words[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x) to[x] = from[columns[static_cast<std::size_t>(x)]];
    }
    return out;
}

HBITMAP MakeBitmap(const Pixels& pixels)
{
    if (pixels.Empty()) return 0;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = pixels.width;
    header.bmiHeader.biHeight = -pixels.height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(&header, DIB_RGB_COLORS, &bits);
    if (bitmap == 0 || bits == nullptr) {
        DeleteObject(bitmap);
        return 0;
    }
    std::memcpy(bits, pixels.words.data(), pixels.words.size() * sizeof(std::uint32_t));
    return bitmap;
}

Surface::~Surface()
{
    if (dc_.GetSafeHdc() != 0) {
        if (old_ != 0) dc_.SelectObject(old_);
        dc_.DeleteDC();
    }
    if (bitmap_ != 0) DeleteObject(bitmap_);
}

bool Surface::Create(int width, int height, int ratio)
{
    if (bitmap_ != 0 || ratio < 1 || !SizeOk(width, height) || !SizeOk(width * ratio, height * ratio)) return false;
    void* bits = nullptr;
    // At a ratio of 1 this is the plain top-down 32-bit DIB section.
    const HBITMAP bitmap = CreateScaledDIBSection(width, height, ratio, &bits);
    if (bitmap == 0 || bits == nullptr) {
        DeleteObject(bitmap);
        return false;
    }
    if (!dc_.CreateCompatibleDC(nullptr)) {
        DeleteObject(bitmap);
        return false;
    }
    old_ = dc_.SelectObject(static_cast<HGDIOBJ>(bitmap));
    bitmap_ = bitmap;
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width * ratio;
    height_ = height * ratio;
    ratio_ = ratio;
    return true;
}

bool Surface::Create(const Pixels& pixels)
{
    if (!Create(pixels.width, pixels.height)) return false;
    std::memcpy(bits_, pixels.words.data(), pixels.words.size() * sizeof(std::uint32_t));
    return true;
}

bool Surface::CopyFrom(HDC hdc, int x, int y, int width, int height, int ratio)
{
    CDC* source = CDC::FromHandle(hdc);
    if (source == nullptr || source->GetSurfaceImage() == nullptr) return false;
    if (!Create(width, height, ratio)) return false;
    return dc_.BitBlt(0, 0, width, height, source, x, y, SRCCOPY) != FALSE;
}

}  // namespace ppdraw
