// The pixmaps of icon and bitmap handles, one per unchanged picture.

#include "platform/ui/HandlePixmaps.h"

#include "platform/gdi/GdiInternal.h"

#include <memory>
#include <unordered_map>

namespace uiimpl {

namespace {

// What a kept pixmap was made from: the object itself (a handle may be deleted and its number
// given to another object), and the keys of its images, which change whenever their pixels may
// have been written.
struct Kept {
    std::weak_ptr<gdi::ObjectData> object;
    qint64 colour = 0;
    qint64 mask = 0;
    QSize size;
    QPixmap pixmap;
};

std::unordered_map<DWORD, Kept>& Table()
{
    static auto* table = new std::unordered_map<DWORD, Kept>();  // outlives the application object
    return *table;
}

// Pictures of objects that are gone are given up, so the table holds at most one pixmap per
// live icon or bitmap.
void ForgetDeadObjects()
{
    auto& table = Table();
    for (auto i = table.begin(); i != table.end();) {
        if (i->second.object.expired()) i = table.erase(i);
        else ++i;
    }
}

QImage Sized(const QImage& image, QSize size)
{
    if (!size.isValid() || image.isNull() || image.size() == size) return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QPixmap PixmapOfHandle(DWORD handle, QSize size)
{
    const gdi::ObjectPtr object = gdi::FindObject(handle);
    if (!object) return QPixmap();
    const bool icon = object->kind == GdiObjectKind::Icon;
    if (!icon && object->kind != GdiObjectKind::Bitmap) return QPixmap();
    // A DIB section's pixels are written through the pointer its creator holds, behind the
    // image's back: its picture is taken afresh every time.
    if (!icon && object->bitmap.dibSection) return QPixmap::fromImage(Sized(object->bitmap.image, size));
    const qint64 colour = icon ? object->icon.color.cacheKey() : object->bitmap.image.cacheKey();
    const qint64 mask = icon ? object->icon.mask.cacheKey() : 0;

    ForgetDeadObjects();
    auto& table = Table();
    if (auto i = table.find(handle); i != table.end()) {
        const Kept& k = i->second;
        if (k.object.lock() == object && k.colour == colour && k.mask == mask && k.size == size) return k.pixmap;
    }
    const QImage image = icon ? gdi::IconToImage(handle) : object->bitmap.image;
    if (image.isNull()) {
        table.erase(handle);
        return QPixmap();
    }
    Kept& k = table[handle];
    k = Kept{object, colour, mask, size, QPixmap::fromImage(Sized(image, size))};
    return k.pixmap;
}

std::size_t KeptHandlePixmaps()
{
    ForgetDeadObjects();
    return Table().size();
}

}  // namespace uiimpl
