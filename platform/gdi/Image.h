#pragma once
// A 32-bit image that drawing code renders into through its DC and that writes itself as BMP,
// PNG, JPEG or GIF.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"

#include <memory>

using HRESULT = LONG;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
// The two failures of a save that a caller words differently, in the system's codes for them:
// nothing could be created or opened under the name (ERROR_OPEN_FAILED), or the file was made
// but not all its bytes reached the disk (ERROR_WRITE_FAULT).
inline constexpr HRESULT E_OPEN_FAILED = static_cast<HRESULT>(0x8007006Eu);
inline constexpr HRESULT E_WRITE_FAULT = static_cast<HRESULT>(0x8007001Du);
inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
    bool operator==(const GUID& other) const;
    bool operator!=(const GUID& other) const { return !(*this == other); }
};

// "Pick the encoder from the file name's extension", and the four image formats.
extern const GUID GUID_NULL;
extern const GUID ImageFormatBMP;
extern const GUID ImageFormatPNG;
extern const GUID ImageFormatJPEG;
extern const GUID ImageFormatGIF;

class CImage {
public:
    CImage();
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // A 32-bit image (24 is accepted and stored as 32); positive heights store rows bottom-up.
    BOOL Create(int width, int height, int bitsPerPixel, DWORD flags = 0);
    void Destroy();
    bool IsNull() const { return m_hBitmap == 0; }
    // Takes ownership of a bitmap.
    void Attach(HBITMAP bitmap);
    HBITMAP Detach();
    operator HBITMAP() const { return m_hBitmap; }

    int GetWidth() const;
    int GetHeight() const;
    int GetBPP() const { return IsNull() ? 0 : 32; }
    // Address of the first row and the distance between rows (negative when bottom-up), as
    // for any DIB section.
    void* GetBits();
    int GetPitch() const;

    // A DC with the image selected, valid until the matching ReleaseDC.
    HDC GetDC() const;
    void ReleaseDC() const;

    // Writes the image. With GUID_NULL the extension picks the format (case does not matter):
    // .bmp .dib .rle, .jpg .jpeg .jpe .jfif, .gif, .png; an unknown extension writes nothing
    // and fails (E_FAIL, as for an image that cannot be encoded). A failed write leaves no new
    // file behind (nor a partial one) and says whether the file could not be created (E_OPEN_FAILED)
    // or not be written (E_WRITE_FAULT).
    HRESULT Save(const char* path, const GUID& format = GUID_NULL) const;

private:
    HBITMAP m_hBitmap = 0;
    mutable std::unique_ptr<CDC> m_dc;
    mutable int m_dcUses = 0;
    mutable HGDIOBJ m_oldBitmap = 0;
};
