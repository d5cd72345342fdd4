// Tree views.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include <map>

namespace uiimpl {

class TreeBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        tree_ = new QTreeWidget(parent);
        tree_->setHeaderHidden(true);
        tree_->setColumnCount(1);
        tree_->setRootIsDecorated((r.style & TVS_LINESATROOT) != 0);
        tree_->setExpandsOnDoubleClick(false);
        if ((r.style & WS_BORDER) == 0 && (r.exStyle & WS_EX_CLIENTEDGE) == 0) tree_->setFrameStyle(QFrame::NoFrame);
        return tree_;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        viewportFilter_ = std::make_unique<ViewportFilter>(h);
        tree_->viewport()->installEventFilter(viewportFilter_.get());
        QObject::connect(tree_, &QTreeWidget::currentItemChanged, tree_, [h](QTreeWidgetItem* now, QTreeWidgetItem* before) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<TreeBehaviour*>(rec->behaviour.get());
            if (self->programmatic_) return;
            NMTREEVIEW nm;
            nm.hdr.code = TVN_SELCHANGED;
            nm.action = 1;
            nm.itemOld.hItem = self->HandleOf(before);
            nm.itemOld.lParam = static_cast<LPARAM>(self->GetData(nm.itemOld.hItem));
            nm.itemNew.hItem = self->HandleOf(now);
            nm.itemNew.lParam = static_cast<LPARAM>(self->GetData(nm.itemNew.hItem));
            NotifyParent(*rec, nm.hdr);
        });
    }

    HTREEITEM HandleOf(QTreeWidgetItem* item) const
    {
        return item != nullptr ? IdToHandle<HTREEITEM>(item->data(0, Qt::UserRole + 1).toUInt()) : nullptr;
    }
    QTreeWidgetItem* ItemOf(HTREEITEM h) const
    {
        auto it = items_.find(HandleToId(h));
        return it == items_.end() ? nullptr : it->second;
    }

    HTREEITEM Insert(const char* text, HTREEITEM parent, HTREEITEM after)
    {
        Guard guard(programmatic_);
        QTreeWidgetItem* parentItem = nullptr;
        if (parent != nullptr && parent != TVI_ROOT) {
            parentItem = ItemOf(parent);
            if (parentItem == nullptr) return nullptr;
        }
        auto* item = new QTreeWidgetItem();
        item->setText(0, ToQ(text));
        const std::uint32_t id = NextId();
        item->setData(0, Qt::UserRole + 1, QVariant::fromValue<uint>(id));
        item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(0));
        const int count = parentItem != nullptr ? parentItem->childCount() : tree_->topLevelItemCount();
        int at = count;
        if (after == TVI_FIRST) at = 0;
        else if (after == TVI_SORT) {
            at = 0;
            while (at < count) {
                QTreeWidgetItem* sibling = parentItem != nullptr ? parentItem->child(at) : tree_->topLevelItem(at);
                if (QString::compare(sibling->text(0), item->text(0), Qt::CaseInsensitive) > 0) break;
                ++at;
            }
        } else if (after != TVI_LAST && after != nullptr) {
            if (QTreeWidgetItem* a = ItemOf(after); a != nullptr && a->parent() == parentItem)
                at = (parentItem != nullptr ? parentItem->indexOfChild(a) : tree_->indexOfTopLevelItem(a)) + 1;
        }
        if (parentItem != nullptr) parentItem->insertChild(at, item);
        else tree_->insertTopLevelItem(at, item);
        items_[id] = item;
        return IdToHandle<HTREEITEM>(id);
    }

    void Forget(QTreeWidgetItem* item)
    {
        for (int i = 0; i < item->childCount(); ++i) Forget(item->child(i));
        items_.erase(item->data(0, Qt::UserRole + 1).toUInt());
    }

    BOOL Delete(HTREEITEM h)
    {
        Guard guard(programmatic_);
        if (h == TVI_ROOT || h == nullptr) {
            tree_->clear();
            items_.clear();
            return TRUE;
        }
        QTreeWidgetItem* item = ItemOf(h);
        if (item == nullptr) return FALSE;
        Forget(item);
        delete item;
        return TRUE;
    }

    DWORD_PTR GetData(HTREEITEM h) const
    {
        QTreeWidgetItem* item = ItemOf(h);
        return item != nullptr ? static_cast<DWORD_PTR>(item->data(0, Qt::UserRole).toULongLong()) : 0;
    }

    QTreeWidget* tree_ = nullptr;
    bool programmatic_ = false;

private:
    static std::uint32_t NextId()
    {
        static std::uint32_t next = 0x00100000u;
        return next++;
    }

    // Double and right clicks anywhere in the tree notify the parent, which hit-tests the
    // cursor position itself.
    class ViewportFilter : public QObject {
    public:
        explicit ViewportFilter(HWND h) : h_(h) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != QEvent::MouseButtonDblClick && e->type() != QEvent::MouseButtonRelease) return false;
            auto* me = static_cast<QMouseEvent*>(e);
            Record* rec = Find(h_);
            if (rec == nullptr) return false;
            NMHDR nm;
            // The release that ends a double click is no click of its own.
            const bool afterDouble = afterDouble_;
            afterDouble_ = e->type() == QEvent::MouseButtonDblClick;
            if (afterDouble && e->type() == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton) return false;
            if (e->type() == QEvent::MouseButtonDblClick && me->button() == Qt::LeftButton) nm.code = NM_DBLCLK;
            else if (e->type() == QEvent::MouseButtonRelease && me->button() == Qt::RightButton) nm.code = NM_RCLICK;
            else if (e->type() == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton) nm.code = NM_CLICK;
            else return false;
            const LRESULT handled = NotifyParent(*rec, nm);
            if (nm.code == NM_DBLCLK && handled == 0) {
                if (Record* again = Find(h_)) {
                    auto* self = static_cast<TreeBehaviour*>(again->behaviour.get());
                    QTreeWidgetItem* item = self->tree_->itemAt(me->position().toPoint());
                    if (item != nullptr && item->childCount() > 0) item->setExpanded(!item->isExpanded());
                }
            }
            return handled != 0;
        }

    private:
        HWND h_;
        bool afterDouble_ = false;
    };

    std::map<std::uint32_t, QTreeWidgetItem*> items_;
    std::unique_ptr<ViewportFilter> viewportFilter_;
};

namespace {

TreeBehaviour* TreeOf(HWND h)
{
    Record* r = Find(h);
    return r != nullptr ? dynamic_cast<TreeBehaviour*>(r->behaviour.get()) : nullptr;
}

}  // namespace

std::unique_ptr<Behaviour> MakeTreeBehaviour() { return std::make_unique<TreeBehaviour>(); }

}  // namespace uiimpl

using uiimpl::TreeOf;

// ---- CTreeCtrl ----
BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("SysTreeView32", "", style, rect, parent, id); }
HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM insertAfter)
{
    auto* t = TreeOf(m_hWnd);
    return t != nullptr ? t->Insert(text, parent, insertAfter) : nullptr;
}
BOOL CTreeCtrl::DeleteItem(HTREEITEM item)
{
    auto* t = TreeOf(m_hWnd);
    return t != nullptr && t->Delete(item);
}
BOOL CTreeCtrl::DeleteAllItems() { return DeleteItem(TVI_ROOT); }
BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return FALSE;
    i->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(data));
    return TRUE;
}
DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    return t != nullptr ? t->GetData(item) : 0;
}
CString CTreeCtrl::GetItemText(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    return i != nullptr ? CString(i->text(0).toStdString()) : CString();
}
BOOL CTreeCtrl::SetItemText(HTREEITEM item, const char* text)
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return FALSE;
    i->setText(0, uiimpl::ToQ(text));
    return TRUE;
}
HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    return i != nullptr ? t->HandleOf(i->parent()) : nullptr;
}
HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    if (t == nullptr) return nullptr;
    if (item == nullptr || item == TVI_ROOT) return t->HandleOf(t->tree_->topLevelItem(0));
    QTreeWidgetItem* i = t->ItemOf(item);
    return i != nullptr && i->childCount() > 0 ? t->HandleOf(i->child(0)) : nullptr;
}
HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return nullptr;
    QTreeWidgetItem* p = i->parent();
    const int at = p != nullptr ? p->indexOfChild(i) : t->tree_->indexOfTopLevelItem(i);
    QTreeWidgetItem* next = p != nullptr ? p->child(at + 1) : t->tree_->topLevelItem(at + 1);
    return t->HandleOf(next);
}
HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return nullptr;
    QTreeWidgetItem* p = i->parent();
    const int at = p != nullptr ? p->indexOfChild(i) : t->tree_->indexOfTopLevelItem(i);
    if (at <= 0) return nullptr;
    return t->HandleOf(p != nullptr ? p->child(at - 1) : t->tree_->topLevelItem(at - 1));
}
HTREEITEM CTreeCtrl::GetRootItem() const { return GetChildItem(TVI_ROOT); }
HTREEITEM CTreeCtrl::GetSelectedItem() const
{
    auto* t = TreeOf(m_hWnd);
    return t != nullptr ? t->HandleOf(t->tree_->currentItem()) : nullptr;
}
HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const
{
    switch (code) {
    case TVGN_ROOT: return GetRootItem();
    case TVGN_NEXT: return GetNextSiblingItem(item);
    case TVGN_PREVIOUS: return GetPrevSiblingItem(item);
    case TVGN_PARENT: return GetParentItem(item);
    case TVGN_CHILD: return GetChildItem(item);
    case TVGN_CARET: return GetSelectedItem();
    default: return nullptr;
    }
}
BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
UINT CTreeCtrl::GetCount() const
{
    auto* t = TreeOf(m_hWnd);
    if (t == nullptr) return 0;
    UINT n = 0;
    for (QTreeWidgetItemIterator it(t->tree_); *it != nullptr; ++it) ++n;
    return n;
}
BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code)
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return FALSE;
    if (code == TVE_EXPAND) i->setExpanded(true);
    else if (code == TVE_COLLAPSE) i->setExpanded(false);
    else if (code == TVE_TOGGLE) i->setExpanded(!i->isExpanded());
    return TRUE;
}
BOOL CTreeCtrl::SelectItem(HTREEITEM item)
{
    auto* t = TreeOf(m_hWnd);
    if (t == nullptr) return FALSE;
    uiimpl::Guard guard(t->programmatic_);
    if (item == nullptr) {
        t->tree_->setCurrentItem(nullptr);
        return TRUE;
    }
    QTreeWidgetItem* i = t->ItemOf(item);
    if (i == nullptr) return FALSE;
    t->tree_->setCurrentItem(i);
    return TRUE;
}
BOOL CTreeCtrl::EnsureVisible(HTREEITEM item)
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr) return FALSE;
    t->tree_->scrollToItem(i);
    return TRUE;
}
HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const
{
    auto* t = TreeOf(m_hWnd);
    if (flags != nullptr) *flags = TVHT_NOWHERE;
    if (t == nullptr) return nullptr;
    const QPoint p = t->tree_->viewport()->mapFrom(t->tree_, QPoint(point.x, point.y));
    QTreeWidgetItem* i = t->tree_->itemAt(p);
    if (i != nullptr && flags != nullptr) {
        const QRect r = t->tree_->visualItemRect(i);
        const int textWidth = t->tree_->fontMetrics().horizontalAdvance(i->text(0)) + 6;
        *flags = p.x() < r.left() ? TVHT_ONITEMINDENT : p.x() <= r.left() + textWidth ? TVHT_ONITEMLABEL : TVHT_ONITEMRIGHT;
    }
    return t->HandleOf(i);
}
BOOL CTreeCtrl::GetItemRect(HTREEITEM item, LPRECT rect, BOOL) const
{
    auto* t = TreeOf(m_hWnd);
    QTreeWidgetItem* i = t != nullptr ? t->ItemOf(item) : nullptr;
    if (i == nullptr || rect == nullptr) return FALSE;
    QRect r = t->tree_->visualItemRect(i);
    r.moveTopLeft(t->tree_->viewport()->mapTo(t->tree_, r.topLeft()));
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}
