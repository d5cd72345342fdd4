#include "platform/gdi/Image.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/FileReplace.h"

#include <QBuffer>
#include <QByteArray>

#include <gif_lib.h>

#include <cstring>
#include <map>
#include <string_view>
#include <vector>

using namespace gdi;

const GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID ImageFormatBMP{0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatJPEG{0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatPNG{0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const GUID ImageFormatGIF{0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

bool GUID::operator==(const GUID& o) const
{
    return Data1 == o.Data1 && Data2 == o.Data2 && Data3 == o.Data3 && std::memcmp(Data4, o.Data4, sizeof Data4) == 0;
}

namespace {

enum class Format { None, Bmp, Png, Jpeg, Gif };

Format FormatOf(const GUID& guid, const char* path)
{
    if (guid == ImageFormatBMP) return Format::Bmp;
    if (guid == ImageFormatPNG) return Format::Png;
    if (guid == ImageFormatJPEG) return Format::Jpeg;
    if (guid == ImageFormatGIF) return Format::Gif;
    if (guid != GUID_NULL) return Format::None;
    const QString name = QString::fromUtf8(path);
    const qsizetype dot = name.lastIndexOf('.');
    const qsizetype slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    if (dot < 0 || dot < slash) return Format::None;
    const QString ext = name.mid(dot + 1).toLower();
    if (ext == "bmp" || ext == "dib" || ext == "rle") return Format::Bmp;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return Format::Jpeg;
    if (ext == "gif") return Format::Gif;
    if (ext == "png") return Format::Png;
    return Format::None;
}

int WriteToArray(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<QByteArray*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// GIF through giflib: the exact palette when the picture has at most 256 colours (charts
// usually do), otherwise a median-cut palette.
bool EncodeGif(const QImage& picture, QByteArray& out)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) return false;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<GifByteType> indices(n);
    std::vector<GifColorType> palette;
    std::map<QRgb, int> exact;
    bool fits = true;
    for (int y = 0; y < h && fits; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            auto [it, added] = exact.emplace(row[x] & 0x00FFFFFFu, static_cast<int>(exact.size()));
            if (added && exact.size() > 256) { fits = false; break; }
            indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                static_cast<GifByteType>(it->second);
        }
    }
    int colours = 256;
    if (fits) {
        palette.resize(256, GifColorType{0, 0, 0});
        for (const auto& [rgb, index] : exact)
            palette[static_cast<std::size_t>(index)] =
                GifColorType{static_cast<GifByteType>(qRed(rgb)), static_cast<GifByteType>(qGreen(rgb)), static_cast<GifByteType>(qBlue(rgb))};
    } else {
        std::vector<GifByteType> r(n), g(n), b(n);
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
                r[i] = static_cast<GifByteType>(qRed(row[x]));
                g[i] = static_cast<GifByteType>(qGreen(row[x]));
                b[i] = static_cast<GifByteType>(qBlue(row[x]));
            }
        }
        palette.resize(256);
        if (GifQuantizeBuffer(static_cast<unsigned>(w), static_cast<unsigned>(h), &colours, r.data(), g.data(), b.data(),
                              indices.data(), palette.data()) != GIF_OK)
            return false;
    }
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToArray, &error);
    if (gif == nullptr) return false;
    ColorMapObject* map = GifMakeMapObject(256, palette.data());
    bool ok = map != nullptr && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(gif, indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w), w) == GIF_OK;
    if (map != nullptr) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    return ok;
}

}  // namespace

CImage::CImage() = default;

CImage::~CImage()
{
    Destroy();
}

BOOL CImage::Create(int width, int height, int bitsPerPixel, DWORD /*flags*/)
{
    Destroy();
    if (bitsPerPixel != 32 && bitsPerPixel != 24) return FALSE;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_hBitmap = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    return m_hBitmap != 0 ? TRUE : FALSE;
}

void CImage::Destroy()
{
    m_dc.reset();
    m_dcUses = 0;
    if (m_hBitmap != 0) DeleteObject(m_hBitmap);
    m_hBitmap = 0;
}

void CImage::Attach(HBITMAP bitmap)
{
    Destroy();
    if (GetObjectKind(bitmap) == GdiObjectKind::Bitmap) m_hBitmap = bitmap;
}

HBITMAP CImage::Detach()
{
    m_dc.reset();
    m_dcUses = 0;
    return std::exchange(m_hBitmap, 0);
}

int CImage::GetWidth() const
{
    auto o = FindObject(m_hBitmap, GdiObjectKind::Bitmap);
    return o ? LogicalSize(o->bitmap).width() : 0;
}

int CImage::GetHeight() const
{
    auto o = FindObject(m_hBitmap, GdiObjectKind::Bitmap);
    return o ? LogicalSize(o->bitmap).height() : 0;
}

void* CImage::GetBits()
{
    auto o = FindObject(m_hBitmap, GdiObjectKind::Bitmap);
    if (!o || !o->bitmap.dibSection) return nullptr;
    QImage& img = o->bitmap.image;
    uchar* base = const_cast<uchar*>(img.constBits());
    return o->bitmap.bottomUp ? base + static_cast<std::size_t>(img.height() - 1) * static_cast<std::size_t>(img.bytesPerLine()) : base;
}

int CImage::GetPitch() const
{
    auto o = FindObject(m_hBitmap, GdiObjectKind::Bitmap);
    if (!o) return 0;
    const int bpl = static_cast<int>(o->bitmap.image.bytesPerLine());
    return o->bitmap.bottomUp ? -bpl : bpl;
}

HDC CImage::GetDC() const
{
    if (m_hBitmap == 0) return 0;
    if (!m_dc) {
        m_dc = std::make_unique<CDC>();
        m_dc->CreateCompatibleDC(nullptr);
        m_oldBitmap = m_dc->SelectObject(m_hBitmap);
    }
    ++m_dcUses;
    return m_dc->GetSafeHdc();
}

void CImage::ReleaseDC() const
{
    if (!m_dc || m_dcUses == 0) return;
    if (--m_dcUses == 0) {
        m_dc->SelectObject(m_oldBitmap);
        m_dc.reset();
    }
}

HRESULT CImage::Save(const char* path, const GUID& format) const
{
    if (path == nullptr || *path == '\0') return E_FAIL;
    auto o = FindObject(m_hBitmap, GdiObjectKind::Bitmap);
    if (!o) return E_FAIL;
    const Format f = FormatOf(format, path);
    if (f == Format::None) return E_FAIL;
    const QImage picture = OpaquePicture(o->bitmap);
    QByteArray bytes;
    bool ok = false;
    if (f == Format::Gif) {
        ok = EncodeGif(picture, bytes);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const char* name = f == Format::Bmp ? "BMP" : f == Format::Png ? "PNG" : "JPEG";
        ok = picture.save(&buffer, name, f == Format::Jpeg ? 90 : -1);
    }
    if (!ok || bytes.isEmpty()) return E_FAIL;
    // Written as every whole file is: a failure leaves no new file behind and, wherever a new
    // file can take the old one's place, the old one as it was.
    const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    switch (ReplaceFileContents(path, content)) {
    case FileWriteResult::Written: return S_OK;
    case FileWriteResult::NotCreated: return E_OPEN_FAILED;
    case FileWriteResult::NotWritten: break;
    }
    return E_WRITE_FAULT;
}
