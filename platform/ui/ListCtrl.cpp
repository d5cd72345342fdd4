#include "platform/ui/ListCtrl.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/ui/HandlePixmaps.h"
#include "platform/ui/WndImpl.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>

namespace uiimpl {

namespace {

class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Guard() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

constexpr int kDataRole = Qt::UserRole;
// A cell's image: its index in the small image list, or -1.
constexpr int kImageRole = Qt::UserRole + 1;
// A press this far into the first cell lands on the row's check box (the state image).
constexpr int kStateIconWidth = 20;

}  // namespace

class ListViewBehaviour;

namespace {

// Paints every cell after asking the parent for its colours (NM_CUSTOMDRAW).
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(HWND list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    HWND list_;
};

class HeaderBehaviour : public Behaviour {
public:
    explicit HeaderBehaviour(QHeaderView* header) : header_(header) {}
    QWidget* CreateWidget(Record&, QWidget*) override { return header_; }
    bool DefProc(Record&, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
    // Without HDS_BUTTONS the items are labels, not buttons.
    void StyleChanged(Record& r) override { header_->setSectionsClickable((r.style & HDS_BUTTONS) != 0); }
    QHeaderView* header_;
};

// The rows of an owner-drawn list go to its owner whole, one WM_DRAWITEM each.
class ListTree : public QTreeWidget {
public:
    ListTree(HWND list, QWidget* parent) : QTreeWidget(parent), list_(list) {}

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void DrawGridLines(QPainter* painter, const QRect& row) const;
    HWND list_;
};

}  // namespace

class ListViewBehaviour : public Behaviour {
public:
    explicit ListViewBehaviour(DWORD style) : style_(style) {}

    // The area that shows the header and the rows: inside the border, without the scroll bars
    // shown now, so that columns adding up to its width fit without a sideways scroll bar. Taken
    // from the widget's own size rather than from its viewport: a list not shown yet has not laid
    // out its viewport, and dialogs size their columns before they show.
    bool ClientRect(const Record&, RECT& rect) const override
    {
        if (tree_ == nullptr) return false;
        const QRect inside = tree_->contentsRect();
        int width = inside.width();
        int height = inside.height();
        if (tree_->verticalScrollBar()->isVisibleTo(tree_)) width -= tree_->verticalScrollBar()->sizeHint().width();
        if (tree_->horizontalScrollBar()->isVisibleTo(tree_)) height -= tree_->horizontalScrollBar()->sizeHint().height();
        rect = RECT{0, 0, std::max(0, width), std::max(0, height)};
        return true;
    }

    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        tree_ = new ListTree(r.HandleValue(), parent);
        tree_->setRootIsDecorated(false);
        tree_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        tree_->setItemsExpandable(false);
        tree_->setUniformRowHeights(true);
        tree_->setColumnCount(0);
        tree_->setSelectionMode((style_ & LVS_SINGLESEL) != 0 ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
        tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree_->setHeaderHidden((style_ & LVS_NOCOLUMNHEADER) != 0);
        tree_->header()->setStretchLastSection(false);
        tree_->header()->setSectionsClickable(true);
        tree_->header()->setSectionsMovable(false);
        tree_->setItemDelegate(new CellDelegate(r.HandleValue(), tree_));
        if ((r.style & WS_BORDER) == 0 && (r.exStyle & WS_EX_CLIENTEDGE) == 0) tree_->setFrameStyle(QFrame::NoFrame);
        return tree_;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        // The header is a window of its own, a child of the list.
        auto header = std::make_unique<Record>();
        header->className = "SysHeader32";
        header->style = WS_CHILD | WS_VISIBLE | ((style_ & LVS_NOSORTHEADER) != 0 ? 0u : HDS_BUTTONS);
        header->parent = h;
        header->behaviour = std::make_unique<HeaderBehaviour>(tree_->header());
        header->widget = tree_->header();
        header->ownsWidget = false;
        header->font = r.font;
        headerHwnd_ = NewRecord(std::move(header));
        tree_->header()->setProperty("velkaro.hwnd", QVariant::fromValue<uint>(HandleToId(headerHwnd_)));
        r.children.push_back(headerHwnd_);

        filter_ = std::make_unique<ViewportFilter>(h);
        tree_->viewport()->installEventFilter(filter_.get());
        focusFilter_ = std::make_unique<FocusFilter>(this);
        tree_->installEventFilter(focusFilter_.get());
        QObject::connect(tree_, &QTreeWidget::itemChanged, tree_, [h](QTreeWidgetItem* item, int column) {
            Record* rec = Find(h);
            if (rec == nullptr || column != 0) return;
            auto* self = static_cast<ListViewBehaviour*>(rec->behaviour.get());
            if (self->programmatic_ || !self->Checkboxes()) return;
            const UINT now = item->checkState(0) == Qt::Checked ? INDEXTOSTATEIMAGEMASK(2) : INDEXTOSTATEIMAGEMASK(1);
            const UINT before = now == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2);
            self->NotifyChange(*rec, self->tree_->indexOfTopLevelItem(item), before, now);
        });
        QObject::connect(tree_, &QTreeWidget::currentItemChanged, tree_, [h](QTreeWidgetItem* now, QTreeWidgetItem* before) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ListViewBehaviour*>(rec->behaviour.get());
            // A move of the current cell within its row changes no row's state.
            if (self->programmatic_ || now == before) return;
            if (before != nullptr) self->NotifyChange(*rec, self->tree_->indexOfTopLevelItem(before), LVIS_SELECTED | LVIS_FOCUSED, 0);
            if ((rec = Find(h)) == nullptr) return;
            if (now != nullptr) self->NotifyChange(*rec, self->tree_->indexOfTopLevelItem(now), 0, LVIS_SELECTED | LVIS_FOCUSED);
        });
        QObject::connect(tree_->header(), &QHeaderView::sectionClicked, tree_, [h](int column) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ListViewBehaviour*>(rec->behaviour.get());
            Record* header = Find(self->headerHwnd_);
            if (header == nullptr || (header->style & HDS_BUTTONS) == 0) return;
            NMLISTVIEW nm;
            nm.hdr.code = LVN_COLUMNCLICK;
            nm.iItem = -1;
            nm.iSubItem = column;
            NotifyParent(*rec, nm.hdr);
        });
    }

    void NotifyChange(Record& r, int row, UINT before, UINT now)
    {
        if (row < 0) return;
        NMLISTVIEW nm;
        nm.hdr.code = LVN_ITEMCHANGED;
        nm.iItem = row;
        nm.uOldState = before;
        nm.uNewState = now;
        nm.uChanged = LVIF_STATE;
        nm.lParam = static_cast<LPARAM>(Data(row));
        NotifyParent(r, nm.hdr);
    }

    bool Checkboxes() const { return (exStyle_ & LVS_EX_CHECKBOXES) != 0; }
    QTreeWidgetItem* Item(int row) const { return row >= 0 && row < tree_->topLevelItemCount() ? tree_->topLevelItem(row) : nullptr; }
    DWORD_PTR Data(int row) const
    {
        QTreeWidgetItem* item = Item(row);
        return item != nullptr ? static_cast<DWORD_PTR>(item->data(0, kDataRole).toULongLong()) : 0;
    }

    void ApplyCheckboxes()
    {
        Guard guard(programmatic_);
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree_->topLevelItem(i);
            if (Checkboxes()) {
                if (!item->data(0, Qt::CheckStateRole).isValid()) item->setCheckState(0, Qt::Unchecked);
            } else {
                item->setData(0, Qt::CheckStateRole, QVariant());
            }
        }
    }

    // The row whose check box lies under a point of the viewport, or null. Qt's own toggling
    // (at the release, for user-checkable items) is not used: rows are never user-checkable.
    QTreeWidgetItem* StateIconAt(const QPoint& p) const
    {
        if (!Checkboxes()) return nullptr;
        const QModelIndex index = tree_->indexAt(p);
        if (!index.isValid() || index.column() != 0) return nullptr;
        if (p.x() >= tree_->visualRect(index).left() + kStateIconWidth) return nullptr;
        return tree_->topLevelItem(index.row());
    }

    // A user's toggle: the parent hears of it through itemChanged.
    static void Toggle(QTreeWidgetItem* item)
    {
        if (item != nullptr && item->data(0, Qt::CheckStateRole).isValid())
            item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }

    bool OwnerDraw() const { return (style_ & LVS_OWNERDRAWFIXED) != 0; }

    std::string GetText(const Record& r) const override { return r.text; }

    void StyleChanged(Record& r) override
    {
        style_ = r.style;
        tree_->setHeaderHidden((style_ & LVS_NOCOLUMNHEADER) != 0);
        tree_->setSelectionMode((style_ & LVS_SINGLESEL) != 0 ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    }

    QTreeWidget* tree_ = nullptr;
    DWORD style_;
    DWORD exStyle_ = 0;
    bool programmatic_ = false;
    HWND headerHwnd_ = nullptr;
    std::vector<int> formats_;
    LRESULT prepaint_ = CDRF_NOTIFYITEMDRAW;
    HIMAGELIST smallImages_ = nullptr;

private:
    class ViewportFilter : public QObject {
    public:
        explicit ViewportFilter(HWND h) : h_(h) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            Record* rec = Find(h_);
            if (rec == nullptr) return false;
            auto* self = static_cast<ListViewBehaviour*>(rec->behaviour.get());
            if (e->type() == QEvent::Paint) {
                NMLVCUSTOMDRAW cd;
                cd.nmcd.hdr.code = NM_CUSTOMDRAW;
                cd.nmcd.dwDrawStage = CDDS_PREPAINT;
                self->prepaint_ = NotifyParent(*rec, cd.nmcd.hdr);
                return false;
            }
            if ((e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) &&
                static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
                Toggle(self->StateIconAt(static_cast<QMouseEvent*>(e)->position().toPoint()));
                if ((rec = Find(h_)) == nullptr) return true;
            }
            if (e->type() != QEvent::MouseButtonDblClick && e->type() != QEvent::MouseButtonRelease) return false;
            auto* me = static_cast<QMouseEvent*>(e);
            const bool afterDouble = afterDouble_;
            afterDouble_ = e->type() == QEvent::MouseButtonDblClick;
            NMITEMACTIVATE nm;
            if (e->type() == QEvent::MouseButtonDblClick && me->button() == Qt::LeftButton) nm.hdr.code = NM_DBLCLK;
            else if (e->type() == QEvent::MouseButtonRelease && me->button() == Qt::RightButton) nm.hdr.code = NM_RCLICK;
            else if (e->type() == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton && !afterDouble) nm.hdr.code = NM_CLICK;
            else return false;
            const QPoint p = me->position().toPoint();
            const QModelIndex index = self->tree_->indexAt(p);
            nm.iItem = index.isValid() ? index.row() : -1;
            nm.iSubItem = index.isValid() ? index.column() : 0;
            const QPoint client = self->tree_->viewport()->mapTo(self->tree_, p);
            nm.ptAction = POINT{client.x(), client.y()};
            NotifyParent(*rec, nm.hdr);
            return false;
        }

    private:
        HWND h_;
        bool afterDouble_ = false;
    };
    std::unique_ptr<ViewportFilter> filter_;

    // Qt makes the first row current when the view gets the focus; no user chose it, so the
    // parent hears nothing of it. Space toggles the focused row's check box.
    class FocusFilter : public QObject {
    public:
        explicit FocusFilter(ListViewBehaviour* self) : self_(self) {}
        bool eventFilter(QObject* object, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space &&
                static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier && self_->Checkboxes()) {
                Toggle(self_->tree_->currentItem());
                return true;
            }
            if (e->type() != QEvent::FocusIn || delivering_) return false;
            Guard guard(self_->programmatic_);
            delivering_ = true;
            QCoreApplication::sendEvent(object, e);
            delivering_ = false;
            return true;
        }

    private:
        ListViewBehaviour* self_;
        bool delivering_ = false;
    };
    std::unique_ptr<FocusFilter> focusFilter_;
};

// An image of a live image list at the list's size; null for a stale list or index.
QImage ImageListImage(HIMAGELIST list, int index)
{
    const CImageList* images = CImageList::FromHandle(list);
    const HICON icon = images != nullptr ? images->GetIcon(index) : 0;
    if (icon == 0) return QImage();
    const QImage picture = gdi::IconToImage(icon);
    if (picture.isNull() || picture.size() == QSize(images->Width(), images->Height())) return picture;
    return picture.scaled(images->Width(), images->Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

namespace {

void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    Record* r = Find(list_);
    auto* self = r != nullptr ? dynamic_cast<ListViewBehaviour*>(r->behaviour.get()) : nullptr;
    if (self == nullptr) return;
    if (index.column() != 0 && (self->exStyle_ & LVS_EX_SUBITEMIMAGES) == 0) return;
    const QVariant image = index.data(kImageRole);
    if (!image.isValid()) return;
    // Cells are painted often: each time the same pixmap, or Qt's pixmap cache would keep one
    // entry more per painted cell.
    const CImageList* images = CImageList::FromHandle(self->smallImages_);
    const HICON icon = images != nullptr ? images->GetIcon(image.toInt()) : 0;
    const QPixmap picture = icon != 0 ? PixmapOfHandle(icon, QSize(images->Width(), images->Height())) : QPixmap();
    if (picture.isNull()) return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = QIcon(picture);
    option->decorationSize = picture.size();
}

// A line under the row and one at the right edge of every column, in the grey of the 3D face,
// so that the cells read as a table even where their back colours are the same.
void ListTree::DrawGridLines(QPainter* painter, const QRect& row) const
{
    painter->save();
    painter->setPen(QPen(gdi::ToQColor(GetSysColor(COLOR_3DFACE)), 1));
    const int bottom = row.top() + row.height() - 1;
    const int right = header()->sectionViewportPosition(0) + header()->length() - 1;
    painter->drawLine(row.left(), bottom, std::max(row.left(), right), bottom);
    for (int column = 0; column < header()->count(); ++column) {
        if (header()->isSectionHidden(column)) continue;
        const int x = header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1;
        painter->drawLine(x, row.top(), x, bottom);
    }
    painter->restore();
}

void ListTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Record* r = Find(list_);
    auto* self = r != nullptr ? dynamic_cast<ListViewBehaviour*>(r->behaviour.get()) : nullptr;
    if (self == nullptr || !self->OwnerDraw()) {
        QTreeWidget::drawRow(painter, option, index);
        if (self != nullptr && (self->exStyle_ & LVS_EX_GRIDLINES) != 0) DrawGridLines(painter, option.rect);
        return;
    }
    QTreeWidgetItem* item = itemFromIndex(index.siblingAtColumn(0));
    if (item == nullptr || r->parent == nullptr) return;
    // The DC and the rectangle count from the header's top left corner, the corner of the client
    // area inside the frame: there the header's item rectangles and the rows meet as the owner
    // expects them to.
    const QPoint shift = header()->isHidden() ? QPoint(0, 0) : header()->pos() - viewport()->pos();
    const int left = header()->sectionViewportPosition(0);
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_LISTVIEW;
    dis.CtlID = static_cast<UINT>(r->ctrlId);
    dis.itemID = static_cast<UINT>(index.row());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (item->isSelected() ? ODS_SELECTED : 0u) | (currentItem() == item ? ODS_FOCUS : 0u);
    dis.hwndItem = list_;
    dis.rcItem = RECT{left - shift.x(), option.rect.top() - shift.y(), left + header()->length() - shift.x(),
                      option.rect.top() + option.rect.height() - shift.y()};
    dis.itemData = self->Data(index.row());
    painter->save();
    painter->translate(shift);
    CDC dc;
    dc.AttachPainter(painter, width(), height());
    dis.hDC = dc.m_hDC;
    const HWND parent = r->parent;
    const LRESULT drawn = Send(parent, WM_DRAWITEM, static_cast<WPARAM>(r->ctrlId), reinterpret_cast<LPARAM>(&dis));
    if (drawn == 0) {
        if (Record* again = Find(list_); again != nullptr && again->wnd != nullptr) {
            LRESULT ignored = 0;
            again->wnd->OnChildNotify(WM_DRAWITEM, static_cast<WPARAM>(dis.CtlID), reinterpret_cast<LPARAM>(&dis), &ignored);
        }
    }
    dc.DetachPainter();
    painter->restore();
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem o(option);
    Record* r = Find(list_);
    auto* self = r != nullptr ? dynamic_cast<ListViewBehaviour*>(r->behaviour.get()) : nullptr;
    if (self == nullptr || (self->prepaint_ & CDRF_NOTIFYITEMDRAW) == 0) {
        QStyledItemDelegate::paint(painter, o, index);
        return;
    }
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    NMLVCUSTOMDRAW cd;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index.row());
    cd.nmcd.uItemState = selected ? CDIS_SELECTED : 0;
    cd.nmcd.lItemlParam = static_cast<LPARAM>(self->Data(index.row()));
    const QRect rect = option.rect;
    cd.nmcd.rc = RECT{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    cd.clrText = GetSysColor(COLOR_WINDOWTEXT);
    cd.clrTextBk = GetSysColor(COLOR_WINDOW);
    cd.iSubItem = 0;
    LRESULT result = NotifyParent(*r, cd.nmcd.hdr);
    if ((result & CDRF_NOTIFYSUBITEMDRAW) != 0 && Find(list_) != nullptr) {
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        cd.iSubItem = index.column();
        result = NotifyParent(*r, cd.nmcd.hdr);
    }
    if ((result & CDRF_SKIPDEFAULT) != 0) return;
    if (!selected) {
        painter->fillRect(rect, gdi::ToQColor(cd.clrTextBk));
        o.palette.setColor(QPalette::Text, gdi::ToQColor(cd.clrText));
        o.backgroundBrush = QBrush(gdi::ToQColor(cd.clrTextBk));
    }
    QStyledItemDelegate::paint(painter, o, index);
}

}  // namespace

std::unique_ptr<Behaviour> MakeListViewBehaviour(const std::string& upper, DWORD style)
{
    if (upper == "SYSLISTVIEW32") return std::make_unique<ListViewBehaviour>(style);
    return nullptr;
}

ListViewBehaviour* ListOf(HWND h)
{
    Record* r = Find(h);
    return r != nullptr ? dynamic_cast<ListViewBehaviour*>(r->behaviour.get()) : nullptr;
}

}  // namespace uiimpl

using uiimpl::Guard;
using uiimpl::ListOf;
using uiimpl::ListViewBehaviour;

// ---- CHeaderCtrl ----

namespace {
QHeaderView* HeaderOf(HWND h)
{
    uiimpl::Record* r = uiimpl::Find(h);
    auto* b = r != nullptr ? dynamic_cast<uiimpl::HeaderBehaviour*>(r->behaviour.get()) : nullptr;
    return b != nullptr ? b->header_ : nullptr;
}
}  // namespace

int CHeaderCtrl::GetItemCount() const
{
    QHeaderView* h = HeaderOf(m_hWnd);
    return h != nullptr ? h->count() : -1;
}

BOOL CHeaderCtrl::GetItem(int index, HDITEM* item) const
{
    QHeaderView* h = HeaderOf(m_hWnd);
    uiimpl::Record* r = uiimpl::Find(m_hWnd);
    ListViewBehaviour* list = r != nullptr ? ListOf(r->parent) : nullptr;
    if (h == nullptr || list == nullptr || item == nullptr || index < 0 || index >= h->count()) return FALSE;
    if ((item->mask & HDI_WIDTH) != 0) item->cxy = h->sectionSize(index);
    if ((item->mask & HDI_FORMAT) != 0)
        item->fmt = static_cast<std::size_t>(index) < list->formats_.size() ? list->formats_[static_cast<std::size_t>(index)] : HDF_LEFT;
    if ((item->mask & HDI_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0) {
        const std::string s = list->tree_->headerItem()->text(index).toStdString();
        const std::size_t n = uiimpl::CutOnCharacter(s, static_cast<std::size_t>(item->cchTextMax) - 1);
        std::memcpy(item->pszText, s.data(), n);
        item->pszText[n] = '\0';
    }
    return TRUE;
}

BOOL CHeaderCtrl::GetItemRect(int index, LPRECT rect) const
{
    QHeaderView* h = HeaderOf(m_hWnd);
    if (h == nullptr || rect == nullptr || index < 0 || index >= h->count()) return FALSE;
    const int left = h->sectionPosition(index);
    *rect = RECT{left, 0, left + h->sectionSize(index), h->height()};
    return TRUE;
}

BOOL CHeaderCtrl::SetItem(int index, HDITEM* item)
{
    QHeaderView* h = HeaderOf(m_hWnd);
    uiimpl::Record* r = uiimpl::Find(m_hWnd);
    ListViewBehaviour* list = r != nullptr ? ListOf(r->parent) : nullptr;
    if (h == nullptr || list == nullptr || item == nullptr || index < 0 || index >= h->count()) return FALSE;
    if ((item->mask & HDI_WIDTH) != 0) h->resizeSection(index, std::max(0, item->cxy));
    if ((item->mask & HDI_TEXT) != 0) list->tree_->headerItem()->setText(index, QString::fromUtf8(item->pszText != nullptr ? item->pszText : ""));
    if ((item->mask & HDI_FORMAT) != 0 && static_cast<std::size_t>(index) < list->formats_.size()) list->formats_[static_cast<std::size_t>(index)] = item->fmt;
    return TRUE;
}

// ---- CListCtrl ----

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("SysListView32", "", style, rect, parent, id); }

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || column < 0) return -1;
    Guard guard(l->programmatic_);
    QTreeWidget* t = l->tree_;
    const int count = t->columnCount();
    const int at = std::min(column, count);
    QStringList titles;
    for (int i = 0; i < count; ++i) titles << t->headerItem()->text(i);
    titles.insert(at, QString::fromUtf8(heading != nullptr ? heading : ""));
    std::vector<int> widths;
    for (int i = 0; i < count; ++i) widths.push_back(t->header()->sectionSize(i));
    widths.insert(widths.begin() + at, width >= 0 ? width : 60);
    l->formats_.insert(l->formats_.begin() + at, format & 3);
    // Cells right of the new column move one place.
    for (int row = 0; row < t->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = t->topLevelItem(row);
        for (int c = count; c > at; --c) item->setText(c, item->text(c - 1));
        if (at < count || count == 0) item->setText(at, QString());
    }
    t->setColumnCount(count + 1);
    t->setHeaderLabels(titles);
    for (int i = 0; i <= count; ++i) {
        t->header()->resizeSection(i, widths[static_cast<std::size_t>(i)]);
        const int f = l->formats_[static_cast<std::size_t>(i)];
        const Qt::Alignment a = f == LVCFMT_RIGHT ? Qt::AlignRight : f == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        t->headerItem()->setTextAlignment(i, a | Qt::AlignVCenter);
        for (int row = 0; row < t->topLevelItemCount(); ++row) t->topLevelItem(row)->setTextAlignment(i, a | Qt::AlignVCenter);
    }
    return at;
}

BOOL CListCtrl::DeleteColumn(int column)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || column < 0 || column >= l->tree_->columnCount()) return FALSE;
    Guard guard(l->programmatic_);
    QTreeWidget* t = l->tree_;
    const int count = t->columnCount();
    QStringList titles;
    for (int i = 0; i < count; ++i)
        if (i != column) titles << t->headerItem()->text(i);
    for (int row = 0; row < t->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = t->topLevelItem(row);
        for (int c = column; c + 1 < count; ++c) item->setText(c, item->text(c + 1));
    }
    l->formats_.erase(l->formats_.begin() + column);
    t->setColumnCount(count - 1);
    t->setHeaderLabels(titles);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int column) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr && column >= 0 && column < l->tree_->columnCount() ? l->tree_->header()->sectionSize(column) : 0;
}

BOOL CListCtrl::SetColumnWidth(int column, int width)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || column < 0 || column >= l->tree_->columnCount()) return FALSE;
    l->tree_->header()->resizeSection(column, std::max(0, width));
    return TRUE;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return nullptr;
    uiimpl::Record* r = uiimpl::Find(l->headerHwnd_);
    if (r == nullptr) return nullptr;
    if (r->wnd != nullptr) return dynamic_cast<CHeaderCtrl*>(r->wnd);
    if (r->temporary == nullptr) {
        r->temporary = std::make_unique<CHeaderCtrl>();
        r->temporary->m_hWnd = l->headerHwnd_;
    }
    return static_cast<CHeaderCtrl*>(r->temporary.get());
}

int CListCtrl::InsertItem(int item, const char* text)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || item < 0) return -1;
    Guard guard(l->programmatic_);
    QTreeWidget* t = l->tree_;
    const int at = std::min(item, t->topLevelItemCount());
    auto* row = new QTreeWidgetItem();
    row->setText(0, QString::fromUtf8(text != nullptr ? text : ""));
    row->setData(0, uiimpl::kDataRole, QVariant::fromValue<qulonglong>(0));
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    for (int i = 0; i < static_cast<int>(l->formats_.size()); ++i) {
        const int f = l->formats_[static_cast<std::size_t>(i)];
        row->setTextAlignment(i, (f == LVCFMT_RIGHT ? Qt::AlignRight : f == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (l->Checkboxes()) row->setCheckState(0, Qt::Unchecked);
    t->insertTopLevelItem(at, row);
    return at;
}

BOOL CListCtrl::DeleteItem(int item)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr) return FALSE;
    Guard guard(l->programmatic_);
    delete l->tree_->takeTopLevelItem(item);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems()
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return FALSE;
    Guard guard(l->programmatic_);
    l->tree_->clear();
    return TRUE;
}

int CListCtrl::GetItemCount() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr ? l->tree_->topLevelItemCount() : 0;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr || subItem < 0 || subItem >= std::max(1, l->tree_->columnCount())) return FALSE;
    Guard guard(l->programmatic_);
    row->setText(subItem, QString::fromUtf8(text != nullptr ? text : ""));
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr || subItem < 0 || subItem >= std::max(1, l->tree_->columnCount())) return CString();
    return CString(row->text(subItem).toStdString());
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr) return FALSE;
    Guard guard(l->programmatic_);
    row->setData(0, uiimpl::kDataRole, QVariant::fromValue<qulonglong>(data));
    return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr ? l->Data(item) : 0;
}

BOOL CListCtrl::GetCheck(int item) const
{
    const UINT image = (GetItemState(item, LVIS_STATEIMAGEMASK) >> 12) & 0xF;
    return static_cast<BOOL>(image) - 1;
}

BOOL CListCtrl::SetCheck(int item, BOOL check)
{
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2u : 1u), LVIS_STATEIMAGEMASK);
}

UINT CListCtrl::GetItemState(int item, UINT mask) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr) return 0;
    UINT state = 0;
    if (row->isSelected()) state |= LVIS_SELECTED;
    if (l->tree_->currentItem() == row) state |= LVIS_FOCUSED;
    if (l->Checkboxes() && row->data(0, Qt::CheckStateRole).isValid())
        state |= INDEXTOSTATEIMAGEMASK(row->checkState(0) == Qt::Checked ? 2u : 1u);
    return state & mask;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return FALSE;
    if (item == -1) {  // every row
        for (int i = 0; i < l->tree_->topLevelItemCount(); ++i) SetItemState(i, state, mask);
        return TRUE;
    }
    QTreeWidgetItem* row = l->Item(item);
    if (row == nullptr) return FALSE;
    Guard guard(l->programmatic_);
    if ((mask & LVIS_FOCUSED) != 0) {
        if ((state & LVIS_FOCUSED) != 0) l->tree_->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
        else if (l->tree_->currentItem() == row) l->tree_->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
    }
    if ((mask & LVIS_SELECTED) != 0) row->setSelected((state & LVIS_SELECTED) != 0);
    if ((mask & LVIS_STATEIMAGEMASK) != 0 && l->Checkboxes()) {
        const UINT image = ((state & mask) >> 12) & 0xF;
        if (image == 0) row->setData(0, Qt::CheckStateRole, QVariant());
        else row->setCheckState(0, image >= 2 ? Qt::Checked : Qt::Unchecked);
    }
    return TRUE;
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    const int count = GetItemCount();
    for (int i = std::max(start + 1, 0); i < count; ++i) {
        const UINT s = GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED);
        if (flags == LVNI_ALL || (s & flags) == (flags & (LVIS_SELECTED | LVIS_FOCUSED))) return i;
    }
    return -1;
}

int CListCtrl::GetSelectionMark() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr && l->tree_->currentItem() != nullptr ? l->tree_->indexOfTopLevelItem(l->tree_->currentItem()) : -1;
}

DWORD CListCtrl::GetExtendedStyle() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr ? l->exStyle_ : 0;
}

DWORD CListCtrl::SetExtendedStyle(DWORD exStyle)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return 0;
    const DWORD old = l->exStyle_;
    l->exStyle_ = exStyle;
    if (((old ^ exStyle) & LVS_EX_CHECKBOXES) != 0) l->ApplyCheckboxes();
    l->tree_->setAlternatingRowColors(false);
    l->tree_->viewport()->update();
    return old;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || info == nullptr) return -1;
    const QPoint p = l->tree_->viewport()->mapFrom(l->tree_, QPoint(info->pt.x, info->pt.y));
    const QModelIndex index = l->tree_->indexAt(p);
    if (!index.isValid()) {
        info->flags = LVHT_NOWHERE;
        info->iItem = -1;
        info->iSubItem = -1;
        return -1;
    }
    info->iItem = index.row();
    info->iSubItem = index.column();
    info->flags = LVHT_ONITEMLABEL;
    if (index.column() == 0 && l->Checkboxes()) {
        const QRect cell = l->tree_->visualRect(index);
        if (p.x() < cell.left() + 20) info->flags = LVHT_ONITEMSTATEICON;
    }
    return index.row();
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const
{
    LVHITTESTINFO info;
    info.pt = point;
    const int row = SubItemHitTest(&info);
    if (flags != nullptr) *flags = info.flags;
    return row;
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr || subItem < 0 || subItem >= std::max(1, l->tree_->columnCount())) return FALSE;
    QRect r = l->tree_->visualItemRect(row);
    if (area != LVIR_BOUNDS || subItem != 0) {
        const int x = l->tree_->header()->sectionViewportPosition(subItem);
        r.setLeft(x);
        r.setWidth(l->tree_->header()->sectionSize(subItem));
        if (subItem == 0 && area == LVIR_LABEL && l->Checkboxes()) r.setLeft(r.left() + uiimpl::kStateIconWidth);
        if (subItem == 0 && area == LVIR_LABEL && row->data(0, uiimpl::kImageRole).isValid()) {
            const QImage image = uiimpl::ImageListImage(l->smallImages_, row->data(0, uiimpl::kImageRole).toInt());
            if (!image.isNull()) r.setLeft(r.left() + image.width());
        }
    }
    const QPoint topLeft = l->tree_->viewport()->mapTo(l->tree_, r.topLeft());
    rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height());
    return TRUE;
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const
{
    if (rect == nullptr) return FALSE;
    CRect r;
    if (!GetSubItemRect(item, 0, static_cast<int>(code), r)) return FALSE;
    *rect = r;
    return TRUE;
}

BOOL CListCtrl::EnsureVisible(int item, BOOL)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr ? l->Item(item) : nullptr;
    if (row == nullptr) return FALSE;
    l->tree_->scrollToItem(row);
    return TRUE;
}

int CListCtrl::GetTopIndex() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return 0;
    const QModelIndex index = l->tree_->indexAt(QPoint(2, 2));
    return index.isValid() ? index.row() : 0;
}

int CListCtrl::GetCountPerPage() const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return 0;
    const int rowHeight = std::max(1, l->tree_->fontMetrics().height() + 4);
    return std::max(0, l->tree_->viewport()->height() / rowHeight);
}

int CListCtrl::GetStringWidth(const char* text) const
{
    uiimpl::Record* r = uiimpl::Find(m_hWnd);
    const QFontMetrics fm(r != nullptr ? uiimpl::FontOf(*r) : uiimpl::DialogFont());
    return fm.horizontalAdvance(QString::fromUtf8(text != nullptr ? text : ""));
}

BOOL CListCtrl::GetItem(LVITEM* item) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr && item != nullptr ? l->Item(item->iItem) : nullptr;
    if (row == nullptr || item->iSubItem < 0 || item->iSubItem >= std::max(1, l->tree_->columnCount())) return FALSE;
    if ((item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0) {
        const std::string s = row->text(item->iSubItem).toStdString();
        const std::size_t n = uiimpl::CutOnCharacter(s, static_cast<std::size_t>(item->cchTextMax) - 1);
        std::memcpy(item->pszText, s.data(), n);
        item->pszText[n] = '\0';
    }
    if ((item->mask & LVIF_IMAGE) != 0) {
        const QVariant image = row->data(item->iSubItem, uiimpl::kImageRole);
        item->iImage = image.isValid() ? image.toInt() : -1;
    }
    if ((item->mask & LVIF_PARAM) != 0 && item->iSubItem == 0) item->lParam = static_cast<LPARAM>(l->Data(item->iItem));
    if ((item->mask & LVIF_STATE) != 0 && item->iSubItem == 0) item->state = GetItemState(item->iItem, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::SetItem(const LVITEM* item)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    QTreeWidgetItem* row = l != nullptr && item != nullptr ? l->Item(item->iItem) : nullptr;
    if (row == nullptr || item->iSubItem < 0 || item->iSubItem >= std::max(1, l->tree_->columnCount())) return FALSE;
    {
        Guard guard(l->programmatic_);
        if ((item->mask & LVIF_TEXT) != 0) row->setText(item->iSubItem, QString::fromUtf8(item->pszText != nullptr ? item->pszText : ""));
        if ((item->mask & LVIF_IMAGE) != 0)
            row->setData(item->iSubItem, uiimpl::kImageRole, item->iImage >= 0 ? QVariant(item->iImage) : QVariant());
        if ((item->mask & LVIF_PARAM) != 0 && item->iSubItem == 0)
            row->setData(0, uiimpl::kDataRole, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(item->lParam)));
    }
    if ((item->mask & LVIF_STATE) != 0 && item->iSubItem == 0) return SetItemState(item->iItem, item->state, item->stateMask);
    return TRUE;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int kind)
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr || kind != LVSIL_SMALL) return nullptr;
    CImageList* old = CImageList::FromHandle(l->smallImages_);
    l->smallImages_ = list != nullptr ? list->m_hImageList : nullptr;
    l->tree_->viewport()->update();
    return old;
}

CImageList* CListCtrl::GetImageList(int kind) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    return l != nullptr && kind == LVSIL_SMALL ? CImageList::FromHandle(l->smallImages_) : nullptr;
}

int CListCtrl::GetScrollPos(int bar) const
{
    ListViewBehaviour* l = ListOf(m_hWnd);
    if (l == nullptr) return 0;
    if (bar == SB_HORZ) return l->tree_->horizontalScrollBar()->value();
    return bar == SB_VERT ? GetTopIndex() : 0;
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, result);
    auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
    if (dis == nullptr || dis->CtlType != ODT_LISTVIEW) return FALSE;
    DrawItem(dis);
    if (result != nullptr) *result = TRUE;
    return TRUE;
}
