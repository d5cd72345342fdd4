// Combo boxes and the edit field of a drop-down combo box.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include <cstring>

namespace uiimpl {

namespace {

// The edit field inside a drop-down combo box: a window of its own, as the original's is, so
// that code finding windows by point sees it inside its combo box.
class EmbeddedEditBehaviour : public Behaviour {
public:
    explicit EmbeddedEditBehaviour(QLineEdit* edit) : edit_(edit) {}
    QWidget* CreateWidget(Record&, QWidget*) override { return edit_; }
    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        edit_->setText(ToQ(text));
    }
    std::string GetText(const Record&) const override { return FromQ(edit_->text()); }

private:
    QLineEdit* edit_;
};

class ComboBehaviour : public Behaviour {
public:
    explicit ComboBehaviour(DWORD style) : style_(style) {}
    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        combo_ = new QComboBox(parent);
        combo_->setEditable((style_ & 3) != CBS_DROPDOWNLIST);
        combo_->setInsertPolicy(QComboBox::NoInsert);
        combo_->setMaxVisibleItems(16);
        combo_->setCurrentIndex(-1);
        return combo_;
    }
    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        // The window rectangle of a combo box includes its drop-down list; the closed box is
        // one line high.
        if (combo_->height() > combo_->sizeHint().height()) combo_->resize(combo_->width(), combo_->sizeHint().height());
        QObject::connect(combo_, &QComboBox::currentIndexChanged, combo_, [h](int) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ComboBehaviour*>(rec->behaviour.get());
            if (!self->programmatic_) NotifyParent(*rec, CBN_SELCHANGE);
        });
        if (combo_->isEditable() && combo_->lineEdit() != nullptr) {
            auto edit = std::make_unique<Record>();
            edit->className = "Edit";
            edit->style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
            edit->ctrlId = 1001;
            edit->parent = h;
            edit->behaviour = std::make_unique<EmbeddedEditBehaviour>(combo_->lineEdit());
            edit->widget = combo_->lineEdit();
            edit->ownsWidget = false;
            edit->font = r.font;
            const HWND editHwnd = NewRecord(std::move(edit));
            combo_->lineEdit()->setProperty("velkaro.hwnd", QVariant::fromValue<uint>(HandleToId(editHwnd)));
            r.children.push_back(editHwnd);
        }
        if (combo_->isEditable()) {
            QObject::connect(combo_, &QComboBox::editTextChanged, combo_, [h](const QString&) {
                Record* rec = Find(h);
                if (rec == nullptr) return;
                auto* self = static_cast<ComboBehaviour*>(rec->behaviour.get());
                if (!self->programmatic_) NotifyParent(*rec, CBN_EDITCHANGE);
            });
        }
    }
    bool Valid(WPARAM index) const { return static_cast<std::intptr_t>(index) >= 0 && static_cast<int>(index) < combo_->count(); }
    QStringList Texts() const
    {
        QStringList out;
        for (int i = 0; i < combo_->count(); ++i) out << combo_->itemText(i);
        return out;
    }
    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        Guard guard(programmatic_);
        if (combo_->isEditable()) combo_->setEditText(ToQ(text));
    }
    std::string GetText(const Record&) const override { return FromQ(combo_->currentText()); }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        Guard guard(programmatic_);
        const int index = static_cast<int>(static_cast<std::intptr_t>(w));
        switch (m) {
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            const QString text = ToQ(reinterpret_cast<const char*>(l));
            int at = combo_->count();
            if (m == CB_ADDSTRING && (style_ & CBS_SORT) != 0) at = SortedPosition(Texts(), text);
            if (m == CB_INSERTSTRING && index >= 0) {
                if (index > combo_->count()) {
                    result = CB_ERR;
                    return true;
                }
                at = index;
            }
            const int selected = combo_->currentIndex();
            combo_->insertItem(at, text);
            // Windows keeps "no selection" when items arrive; Qt selects the first one.
            if (selected < 0) combo_->setCurrentIndex(-1);
            result = at;
            return true;
        }
        case CB_DELETESTRING:
            if (!Valid(w)) {
                result = CB_ERR;
                return true;
            }
            combo_->removeItem(index);
            result = combo_->count();
            return true;
        case CB_RESETCONTENT: combo_->clear(); return true;
        case CB_GETCOUNT: result = combo_->count(); return true;
        case CB_SETCURSEL:
            if (!Valid(w)) {
                combo_->setCurrentIndex(-1);
                result = CB_ERR;
                return true;
            }
            combo_->setCurrentIndex(index);
            result = index;
            return true;
        case CB_GETCURSEL: result = combo_->currentIndex() >= 0 ? combo_->currentIndex() : CB_ERR; return true;
        case CB_GETLBTEXTLEN: result = Valid(w) ? static_cast<LRESULT>(FromQ(combo_->itemText(index)).size()) : CB_ERR; return true;
        case CB_GETLBTEXT: {
            if (!Valid(w) || l == 0) {
                result = CB_ERR;
                return true;
            }
            const std::string s = FromQ(combo_->itemText(index));
            std::memcpy(reinterpret_cast<char*>(l), s.c_str(), s.size() + 1);
            result = static_cast<LRESULT>(s.size());
            return true;
        }
        case CB_SETITEMDATA:
            if (!Valid(w)) {
                result = CB_ERR;
                return true;
            }
            combo_->setItemData(index, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(l)));
            return true;
        case CB_GETITEMDATA: result = Valid(w) ? static_cast<LRESULT>(combo_->itemData(index).toULongLong()) : CB_ERR; return true;
        case CB_FINDSTRINGEXACT: {
            const QString text = ToQ(reinterpret_cast<const char*>(l));
            const int n = combo_->count();
            result = CB_ERR;
            for (int k = 0; k < n; ++k) {
                const int i = (index + 1 + k) % n;
                if (QString::compare(combo_->itemText(i), text, Qt::CaseInsensitive) == 0) {
                    result = i;
                    break;
                }
            }
            return true;
        }
        case CB_SHOWDROPDOWN:
            if (w != 0) combo_->showPopup();
            else combo_->hidePopup();
            return true;
        case CB_GETDROPPEDSTATE: result = combo_->view() != nullptr && combo_->view()->isVisible(); return true;
        default: return false;
        }
    }

private:
    DWORD style_;
    QComboBox* combo_ = nullptr;
    bool programmatic_ = false;
};

}  // namespace

std::unique_ptr<Behaviour> MakeComboBehaviour(DWORD style) { return std::make_unique<ComboBehaviour>(style); }

}  // namespace uiimpl

using uiimpl::Text;

// ---- CComboBox ----
BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ComboBox", "", style, rect, parent, id); }
int CComboBox::AddString(const char* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, Text(text))); }
int CComboBox::InsertString(int index, const char* text)
{
    return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), Text(text)));
}
int CComboBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETCOUNT)); }
int CComboBox::SetCurSel(int select) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(select)))); }
int CComboBox::GetCurSel() const { return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETCURSEL)); }
int CComboBox::GetLBTextLen(int index) const
{
    return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(static_cast<std::intptr_t>(index))));
}
int CComboBox::GetLBText(int index, CString& text) const
{
    text.Empty();
    const int length = GetLBTextLen(index);
    if (length < 0) return CB_ERR;
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const_cast<CComboBox*>(this)->SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    text = CString(buffer.c_str());
    return length;
}
int CComboBox::SetItemData(int index, DWORD_PTR data)
{
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), static_cast<LPARAM>(data)));
}
DWORD_PTR CComboBox::GetItemData(int index) const
{
    return static_cast<DWORD_PTR>(const_cast<CComboBox*>(this)->SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index))));
}
int CComboBox::FindStringExact(int startAfter, const char* text) const
{
    return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(static_cast<std::intptr_t>(startAfter)), Text(text)));
}
void CComboBox::ShowDropDown(BOOL show) { SendMessage(CB_SHOWDROPDOWN, static_cast<WPARAM>(show)); }
BOOL CComboBox::GetDroppedState() const { return static_cast<BOOL>(const_cast<CComboBox*>(this)->SendMessage(CB_GETDROPPEDSTATE)); }
