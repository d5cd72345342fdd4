#include "platform/ui/ImageList.h"

#include <map>
#include <mutex>

namespace {

// Image lists by handle. Handles count up and are never reused, so a stale one finds nothing.
struct Table {
    std::mutex mutex;
    std::map<std::uint32_t, CImageList*> lists;
    std::uint32_t next = 0x00A10000u;
};

Table& Lists()
{
    static Table table;
    return table;
}

}  // namespace

CImageList::~CImageList() { DeleteImageList(); }

CImageList* CImageList::FromHandle(HIMAGELIST list)
{
    Table& t = Lists();
    std::lock_guard lock(t.mutex);
    const auto it = t.lists.find(HandleToId(list));
    return it != t.lists.end() ? it->second : nullptr;
}

BOOL CImageList::Create(int cx, int cy, UINT, int, int)
{
    if (m_hImageList != nullptr || cx <= 0 || cy <= 0 || cx > 256 || cy > 256) return FALSE;
    cx_ = cx;
    cy_ = cy;
    Table& t = Lists();
    std::lock_guard lock(t.mutex);
    const std::uint32_t id = t.next++;
    t.lists[id] = this;
    m_hImageList = IdToHandle<HIMAGELIST>(id);
    return TRUE;
}

BOOL CImageList::DeleteImageList()
{
    if (m_hImageList == nullptr) return FALSE;
    {
        Table& t = Lists();
        std::lock_guard lock(t.mutex);
        t.lists.erase(HandleToId(m_hImageList));
    }
    m_hImageList = nullptr;
    for (HICON icon : icons_) DestroyIcon(icon);
    icons_.clear();
    return TRUE;
}

int CImageList::Add(HICON icon)
{
    if (m_hImageList == nullptr) return -1;
    const HICON copy = CopyIcon(icon);
    if (copy == 0) return -1;
    icons_.push_back(copy);
    return static_cast<int>(icons_.size()) - 1;
}

int CImageList::GetImageCount() const { return static_cast<int>(icons_.size()); }

HICON CImageList::GetIcon(int index) const
{
    return index >= 0 && index < GetImageCount() ? icons_[static_cast<std::size_t>(index)] : 0;
}
