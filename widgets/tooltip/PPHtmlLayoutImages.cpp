// Image tags (bitmaps, icons, frames of image strips) and string resources.

#include "widgets/tooltip/PPHtmlLayout.h"

#include "platform/ui/App.h"
#include "platform/ui/BitmapResources.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::uintmax_t kMaxImageFileBytes = 8u << 20;
constexpr int kMaxImageSide = 2048;
constexpr int kMaxSpeed = 10000;

bool AcceptableFile(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path p(path);
    if (path.empty() || !std::filesystem::is_regular_file(p, ec) || ec) return false;
    const std::uintmax_t size = std::filesystem::file_size(p, ec);
    return !ec && size <= kMaxImageFileBytes;
}

bool BitmapSize(HBITMAP bitmap, int& width, int& height)
{
    BITMAP info{};
    if (GetObjectKind(bitmap) != GdiObjectKind::Bitmap || GetObject(bitmap, sizeof(info), &info) == 0) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return width > 0 && height > 0;
}

// A size given as pixels or as a percentage ("50%") of the image's own size.
int SizeAttribute(const pphtml::Attributes& attributes, const char* name, int own)
{
    long long n = 0;
    const auto v = pphtml::FindAttribute(attributes, name);
    if (!v) return own;
    const std::string_view text = pphtml::TrimSpaces(*v);
    if (!text.empty() && text.back() == '%') {
        if (!pphtml::ParseNumber(text.substr(0, text.size() - 1), n)) return own;
        return MulDiv(own, static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxPercent)), 100);
    }
    if (!pphtml::ParseNumber(text, n)) return own;
    return static_cast<int>(std::clamp<long long>(n, 0, kMaxImageSide));
}

bool NumberAttribute(const pphtml::Attributes& attributes, const char* name, long long& value)
{
    const auto v = pphtml::FindAttribute(attributes, name);
    return v && pphtml::ParseNumber(pphtml::TrimSpaces(*v), value);
}

DWORD StyleFlags(const std::string& letters, bool gradientShadow)
{
    DWORD flags = 0;
    for (const char c : letters) {
        switch (c) {
        case 'g': flags |= CPPDrawManager::IMAGE_EFFECT_GRAYEN; break;
        case 'd': flags |= CPPDrawManager::IMAGE_EFFECT_DARKEN; break;
        case 'l': flags |= CPPDrawManager::IMAGE_EFFECT_LIGHTEN; break;
        case 's':
            flags |= CPPDrawManager::IMAGE_EFFECT_SHADOW;
            if (gradientShadow) flags |= CPPDrawManager::IMAGE_EFFECT_GRADIENT_SHADOW;
            break;
        default: break;
        }
    }
    return flags;
}

}  // namespace

HBITMAP LoadImageFile(const std::string& path)
{
    if (!AcceptableFile(path)) return 0;
    const HBITMAP bitmap = LoadBitmapFromFile(path.c_str());
    int w = 0, h = 0;
    if (!BitmapSize(bitmap, w, h) || w > kMaxImageSide || h > kMaxImageSide) {
        DeleteObject(bitmap);
        return 0;
    }
    return bitmap;
}

HICON LoadIconImageFile(const std::string& path, int cx, int cy)
{
    if (!AcceptableFile(path)) return 0;
    return LoadIconFromFile(path.c_str(), std::clamp(cx, 0, 1024), std::clamp(cy, 0, 1024));
}

void HtmlLayout::ImageTag(Block& b, int number, const pphtml::Attributes& attributes)
{
    long long n = 0;
    if (number == 20) {
        // String resources of this program; other modules are never loaded for markup.
        if (pphtml::FindAttribute(attributes, "idres") && NumberAttribute(attributes, "idres", n) && n > 0 && n <= 0xFFFF) {
            CString text;
            if (AfxLoadString(static_cast<UINT>(n), text) && !text.empty())
                PlaceText(b, pphtml::TransformCase(text, style.nTextTransform));
        }
        return;
    }

    const bool isIcon = number == 18;
    HBITMAP bitmap = 0;
    HICON icon = 0;
    bool owned = false;
    const int iconCx = std::max(1, GetSystemMetrics(SM_CXICON));
    const int iconCy = std::max(1, GetSystemMetrics(SM_CYICON));

    if (pphtml::FindAttribute(attributes, "idres")) {
        if (NumberAttribute(attributes, "idres", n) && n > 0 && n <= 0xFFFF) {
            if (isIcon) {
                icon = LoadIcon(nullptr, reinterpret_cast<const char*>(static_cast<std::uintptr_t>(n)));
            } else {
                bitmap = LoadBitmap(nullptr, static_cast<UINT>(n));
                owned = true;
            }
        }
    } else if (auto file = pphtml::FindAttribute(attributes, "file")) {
        owned = true;
        if (isIcon) icon = LoadIconImageFile(*file, 0, 0);
        else bitmap = LoadImageFile(*file);
    } else if (pphtml::FindAttribute(attributes, "iddll")) {
        return;  // code named by markup is never loaded
    } else if (NumberAttribute(attributes, "handle", n) && n > 0 && n <= 0xFFFFFFFFLL) {
        const auto handle = static_cast<HGDIOBJ>(n);
        // Only a live object of the right kind is drawn.
        if (isIcon && GetObjectKind(handle) == GdiObjectKind::Icon) icon = handle;
        if (!isIcon && GetObjectKind(handle) == GdiObjectKind::Bitmap) bitmap = handle;
    }
    struct Release {
        HBITMAP& bitmap;
        HICON& icon;
        bool owned;
        ~Release()
        {
            if (!owned) return;
            if (bitmap != 0) DeleteObject(bitmap);
            if (icon != 0) DestroyIcon(icon);
        }
    } release{bitmap, icon, owned};
    if (bitmap == 0 && icon == 0) return;

    int ownW = 0, ownH = 0;
    int frameW = 0, frameH = 0, frames = 0, frame = 0;
    if (isIcon) {
        ownW = iconCx;
        ownH = iconCy;
    } else {
        int bw = 0, bh = 0;
        if (!BitmapSize(bitmap, bw, bh)) return;
        if (number == 19) {
            long long cx = 0, cy = 0;
            const bool hasCx = NumberAttribute(attributes, "cx", cx) && cx > 0;
            const bool hasCy = NumberAttribute(attributes, "cy", cy) && cy > 0;
            if (hasCx && !hasCy) cy = cx;
            if (hasCy && !hasCx) cx = cy;
            if (!hasCx && !hasCy) cx = cy = std::min(bw, bh);
            frameW = static_cast<int>(std::min<long long>(cx, kMaxImageSide));
            frameH = static_cast<int>(std::min<long long>(cy, kMaxImageSide));
            const int columns = bw / frameW, rows = bh / frameH;
            frames = columns * rows;
            long long index = 0;
            NumberAttribute(attributes, "index", index);
            if (frames <= 0 || index < 0 || index >= frames) return;
            frame = static_cast<int>(index);
            ownW = frameW;
            ownH = frameH;
        } else {
            ownW = bw;
            ownH = bh;
        }
    }
    const int width = std::min(SizeAttribute(attributes, "width", ownW), kMaxImageSide);
    const int height = std::min(SizeAttribute(attributes, "height", ownH), kMaxImageSide);
    if (width <= 0 || height <= 0) return;

    DWORD flags = 0, hotFlags = 0;
    if (auto s = pphtml::FindAttribute(attributes, "style")) flags = hotFlags = StyleFlags(*s, d.m_bGradientShadow);
    if (auto s = pphtml::FindAttribute(attributes, "hotstyle")) hotFlags = StyleFlags(*s, d.m_bGradientShadow);
    constexpr DWORD kShadow = CPPDrawManager::IMAGE_EFFECT_SHADOW | CPPDrawManager::IMAGE_EFFECT_GRADIENT_SHADOW;
    const bool shadowRoom = ((flags | hotFlags) & kShadow) != 0;
    BOOL useMask = FALSE;
    COLORREF maskColor = RGB(255, 0, 255);
    if (auto m = pphtml::FindAttribute(attributes, "mask")) {
        useMask = TRUE;
        d.ParseColor(*m, maskColor);
    }

    // An animated strip: measuring records its state, drawing shows the state's current frame.
    long long speed = 0;
    if (number == 19 && NumberAttribute(attributes, "speed", speed) && speed > 0) {
        if (measuring) {
            d.m_arrAni.push_back({frame, frames, 0, static_cast<int>(std::min<long long>(speed, kMaxSpeed))});
        } else {
            ++aniIndex;
            if (aniIndex >= 0 && static_cast<std::size_t>(aniIndex) < d.m_arrAni.size()) {
                const int current = d.m_arrAni[static_cast<std::size_t>(aniIndex)].nIndex;
                if (current >= 0 && current < frames) frame = current;
            }
        }
    }

    const int roomW = width + (shadowRoom ? d.m_szOffsetShadowCx : 0);
    const int roomH = height + (shadowRoom ? d.m_szOffsetShadowCy : 0);
    const CPoint at = PlaceObject(b, roomW, roomH);
    if (measuring) return;

    const bool hot = style.nTypeLink != 0 && linkCounter == d.m_nHoverIndexLink;
    const DWORD use = hot ? hotFlags : flags;
    CPPDrawManager& dm = d.m_drawManager;
    const HDC hdc = dc->GetSafeHdc();
    const int sx = d.m_szOffsetShadowCx, sy = d.m_szOffsetShadowCy;
    const int bx = d.m_szDepthShadowCx, by = d.m_szDepthShadowCy;
    if (isIcon)
        dm.DrawIconImage(use, width, height, hdc, at.x, at.y, icon, shadowRoom, sx, sy, bx, by, d.m_crShadow);
    else if (number == 19)
        dm.DrawStripFrame(hdc, at.x, at.y, width, height, bitmap, frame, frameW, frameH, useMask, maskColor, use,
                          shadowRoom, sx, sy, bx, by, d.m_crShadow);
    else
        dm.DrawMaskedBitmap(width, height, hdc, at.x, at.y, bitmap, useMask, maskColor, use, shadowRoom, sx, sy, bx,
                            by, d.m_crShadow);
    AddLinkArea(CRect(at.x, at.y, at.x + roomW, at.y + roomH));
}
