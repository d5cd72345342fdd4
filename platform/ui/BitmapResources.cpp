#include "platform/ui/BitmapResources.h"

#include "platform/gdi/GdiInternal.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace {

struct BitmapTable {
    std::mutex mutex;
    std::map<UINT, gdi::ObjectPtr> bitmaps;  // private copies, never in the handle table
};

BitmapTable& Table()
{
    static auto* table = new BitmapTable();
    return *table;
}

gdi::ObjectPtr CopyOf(const gdi::ObjectData& source)
{
    auto copy = std::make_shared<gdi::ObjectData>();
    copy->kind = GdiObjectKind::Bitmap;
    copy->bitmap = source.bitmap;
    copy->bitmap.image = source.bitmap.image.copy();  // detached: the copies share no pixels
    return copy;
}

}  // namespace

void RegisterBitmapResource(UINT id, HBITMAP bitmap)
{
    auto source = gdi::FindObject(bitmap, GdiObjectKind::Bitmap);
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    if (source == nullptr) {
        t.bitmaps.erase(id);
        return;
    }
    t.bitmaps[id] = CopyOf(*source);
}

HBITMAP LoadBitmap(void* instance, UINT bitmapId)
{
    (void)instance;
    gdi::ObjectPtr copy;
    {
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        auto it = t.bitmaps.find(bitmapId);
        if (it == t.bitmaps.end()) return 0;
        copy = CopyOf(*it->second);
    }
    if (copy->bitmap.image.isNull()) return 0;
    return gdi::AddObject(std::move(copy));
}

HBITMAP LoadBitmap(void* instance, const char* bitmapId)
{
    const auto id = reinterpret_cast<std::uintptr_t>(bitmapId);
    if (id == 0 || id > 0xFFFF) return 0;  // only numbered resources exist here
    return LoadBitmap(instance, static_cast<UINT>(id));
}
