// List boxes.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QListWidget>

#include <algorithm>
#include <cstring>

namespace uiimpl {

namespace {

class ListBoxBehaviour : public Behaviour {
public:
    explicit ListBoxBehaviour(DWORD style) : style_(style) {}
    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        list_ = new QListWidget(parent);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setUniformItemSizes(true);
        return list_;
    }
    void Connect(Record& r) override
    {
        if ((style_ & LBS_NOTIFY) == 0) return;
        const HWND h = r.HandleValue();
        // After the selection has moved, so that the handler reads the new one.
        QObject::connect(list_, &QListWidget::itemSelectionChanged, list_, [h] {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ListBoxBehaviour*>(rec->behaviour.get());
            if (!self->programmatic_) NotifyParent(*rec, LBN_SELCHANGE);
        });
        QObject::connect(list_, &QListWidget::itemDoubleClicked, list_, [h](QListWidgetItem*) {
            if (Record* rec = Find(h)) NotifyParent(*rec, LBN_DBLCLK);
        });
    }
    QStringList Texts() const
    {
        QStringList out;
        for (int i = 0; i < list_->count(); ++i) out << list_->item(i)->text();
        return out;
    }
    bool Valid(WPARAM index) const { return static_cast<std::intptr_t>(index) >= 0 && static_cast<int>(index) < list_->count(); }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        Guard guard(programmatic_);
        const int index = static_cast<int>(static_cast<std::intptr_t>(w));
        switch (m) {
        case LB_ADDSTRING:
        case LB_INSERTSTRING: {
            const QString text = ToQ(reinterpret_cast<const char*>(l));
            int at = list_->count();
            if (m == LB_ADDSTRING && (style_ & LBS_SORT) != 0) at = SortedPosition(Texts(), text);
            if (m == LB_INSERTSTRING && index >= 0) {
                if (index > list_->count()) {
                    result = LB_ERR;
                    return true;
                }
                at = index;
            }
            list_->insertItem(at, text);
            result = at;
            return true;
        }
        case LB_DELETESTRING:
            if (!Valid(w)) {
                result = LB_ERR;
                return true;
            }
            delete list_->takeItem(index);
            result = list_->count();
            return true;
        case LB_RESETCONTENT: list_->clear(); return true;
        case LB_GETCOUNT: result = list_->count(); return true;
        case LB_SETCURSEL:
            if (!Valid(w)) {
                list_->setCurrentRow(-1);
                list_->clearSelection();
                result = index == -1 ? 0 : LB_ERR;
                return true;
            }
            list_->setCurrentRow(index);
            list_->scrollToItem(list_->item(index));
            result = index;
            return true;
        case LB_GETCURSEL: {
            const int row = list_->currentRow();
            result = row >= 0 && list_->item(row)->isSelected() ? row : LB_ERR;
            return true;
        }
        case LB_GETTEXTLEN:
            result = Valid(w) ? static_cast<LRESULT>(FromQ(list_->item(index)->text()).size()) : LB_ERR;
            return true;
        case LB_GETTEXT: {
            // As on Windows, the caller's buffer must hold LB_GETTEXTLEN + 1 bytes.
            if (!Valid(w) || l == 0) {
                result = LB_ERR;
                return true;
            }
            const std::string s = FromQ(list_->item(index)->text());
            std::memcpy(reinterpret_cast<char*>(l), s.c_str(), s.size() + 1);
            result = static_cast<LRESULT>(s.size());
            return true;
        }
        case LB_SETITEMDATA:
            if (!Valid(w)) {
                result = LB_ERR;
                return true;
            }
            list_->item(index)->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(l)));
            return true;
        case LB_GETITEMDATA:
            result = Valid(w) ? static_cast<LRESULT>(list_->item(index)->data(Qt::UserRole).toULongLong()) : LB_ERR;
            return true;
        case LB_SETHORIZONTALEXTENT: extent_ = index; return true;
        case LB_GETHORIZONTALEXTENT: result = extent_; return true;
        case LB_SETTOPINDEX:
            if (!Valid(w)) {
                result = LB_ERR;
                return true;
            }
            list_->scrollToItem(list_->item(index), QAbstractItemView::PositionAtTop);
            return true;
        case LB_GETTOPINDEX: {
            QListWidgetItem* top = list_->itemAt(2, 2);
            result = top != nullptr ? list_->row(top) : 0;
            return true;
        }
        case LB_ITEMFROMPOINT: {
            const QPoint p = list_->viewport()->mapFrom(list_, QPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
            QListWidgetItem* item = list_->itemAt(p);
            const int row = item != nullptr ? list_->row(item) : std::max(0, list_->count() - 1);
            result = MAKELPARAM(static_cast<unsigned>(row), item != nullptr ? 0u : 1u);
            return true;
        }
        default: return false;
        }
    }

private:
    DWORD style_;
    QListWidget* list_ = nullptr;
    int extent_ = 0;
    bool programmatic_ = false;
};

}  // namespace

std::unique_ptr<Behaviour> MakeListBoxBehaviour(DWORD style) { return std::make_unique<ListBoxBehaviour>(style); }

}  // namespace uiimpl

using uiimpl::Text;

// ---- CListBox ----
BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ListBox", "", style, rect, parent, id); }
int CListBox::AddString(const char* text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, Text(text))); }
int CListBox::InsertString(int index, const char* text)
{
    return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), Text(text)));
}
int CListBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
void CListBox::ResetContent() { SendMessage(LB_RESETCONTENT); }
int CListBox::GetCount() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETCOUNT)); }
int CListBox::SetCurSel(int select) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(select)))); }
int CListBox::GetCurSel() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETCURSEL)); }
int CListBox::GetTextLen(int index) const
{
    return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(static_cast<std::intptr_t>(index))));
}
int CListBox::GetText(int index, CString& text) const
{
    text.Empty();
    const int length = GetTextLen(index);
    if (length < 0) return LB_ERR;
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const_cast<CListBox*>(this)->SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    text = CString(buffer.c_str());
    return length;
}
int CListBox::SetItemData(int index, DWORD_PTR data)
{
    return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), static_cast<LPARAM>(data)));
}
DWORD_PTR CListBox::GetItemData(int index) const
{
    return static_cast<DWORD_PTR>(const_cast<CListBox*>(this)->SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index))));
}
void CListBox::SetHorizontalExtent(int extent) { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }
int CListBox::GetHorizontalExtent() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETHORIZONTALEXTENT)); }
int CListBox::SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(static_cast<std::intptr_t>(index)))); }
int CListBox::GetTopIndex() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTOPINDEX)); }
UINT CListBox::ItemFromPoint(CPoint point, BOOL& outside) const
{
    const LRESULT r = const_cast<CListBox*>(this)->SendMessage(LB_ITEMFROMPOINT, 0,
                                                               MAKELPARAM(static_cast<unsigned>(point.x & 0xFFFF), static_cast<unsigned>(point.y & 0xFFFF)));
    outside = HIWORD(static_cast<std::uintptr_t>(r)) != 0;
    return LOWORD(static_cast<std::uintptr_t>(r));
}
