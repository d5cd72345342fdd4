#include "widgets/tooltip/CeXDib.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kPaletteEntries = 256;
}

CCeXDib::CCeXDib() = default;

CCeXDib::~CCeXDib() { Release(); }

void CCeXDib::Release()
{
    if (m_dc) {
        if (m_oldBitmap != 0) m_dc->SelectObject(m_oldBitmap);
        m_dc->DeleteDC();
        m_dc.reset();
    }
    m_oldBitmap = 0;
    if (m_hSection != 0) DeleteObject(m_hSection);
    m_hSection = 0;
    m_sectionBits = nullptr;
    m_palette.clear();
    m_pixels.clear();
    m_header = BITMAPINFOHEADER{};
    m_lineWidth = 0;
    m_paletteSize = 0;
}

BOOL CCeXDib::Create(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return FALSE;
    const int lineWidth = (width * 8 + 31) / 32 * 4;
    try {
        m_pixels.assign(static_cast<std::size_t>(lineWidth) * static_cast<std::size_t>(height), 0);
        m_palette.assign(kPaletteEntries, RGBQUAD{0, 0, 0, 0});
    } catch (const std::bad_alloc&) {
        Release();
        return FALSE;
    }
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = 8;
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(lineWidth * height);
    m_lineWidth = lineWidth;
    m_paletteSize = kPaletteEntries;
    return TRUE;
}

void CCeXDib::BlendPalette(int percent, COLORREF color)
{
    percent = std::clamp(percent, 0, 100);
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    for (RGBQUAD& q : m_palette) {
        q.rgbRed = static_cast<BYTE>((r * percent + q.rgbRed * (100 - percent)) / 100);
        q.rgbGreen = static_cast<BYTE>((g * percent + q.rgbGreen * (100 - percent)) / 100);
        q.rgbBlue = static_cast<BYTE>((b * percent + q.rgbBlue * (100 - percent)) / 100);
    }
}

void CCeXDib::Draw(HDC hdc, int x, int y)
{
    CDC* target = CDC::FromHandle(hdc);
    if (target == nullptr || m_pixels.empty()) return;
    if (m_hSection == 0) {
        // Header followed by the palette, as the section wants it.
        std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + kPaletteEntries * sizeof(RGBQUAD));
        BITMAPINFOHEADER header = m_header;
        header.biClrUsed = kPaletteEntries;
        std::memcpy(info.data(), &header, sizeof(header));
        void* bits = nullptr;
        const HBITMAP section = CreateDIBSection(reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits);
        if (section == 0 || bits == nullptr) {
            DeleteObject(section);
            return;
        }
        auto dc = std::make_unique<CDC>();
        if (!dc->CreateCompatibleDC(target)) {
            DeleteObject(section);
            return;
        }
        m_oldBitmap = dc->SelectObject(static_cast<HGDIOBJ>(section));
        m_dc = std::move(dc);
        m_hSection = section;
        m_sectionBits = bits;
    }
    std::memcpy(m_sectionBits, m_pixels.data(), m_pixels.size());
    SetDIBColorTable(m_dc->GetSafeHdc(), 0, kPaletteEntries, m_palette.data());
    target->BitBlt(x, y, m_header.biWidth, m_header.biHeight, m_dc.get(), 0, 0, SRCCOPY);
}
