// The standard controls on Qt widgets. Every notification is sent from a handler of a user
// action; code that changes a control goes through a guard so that Qt's change signals, which
// fire for both, do not reach the parent.

#include "platform/ui/Controls.h"
#include "platform/ui/ListCtrl.h"

#include "platform/ui/WndImpl.h"

#include "platform/gdi/GdiInternal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <map>

namespace uiimpl {

namespace {

QString ToQ(const std::string& s) { return QString::fromStdString(s); }
QString ToQ(const char* s) { return s != nullptr ? QString::fromUtf8(s) : QString(); }
std::string FromQ(const QString& s) { return s.toStdString(); }

// Windows shows "&x" as an underlined x and "&&" as "&"; a label shows the plain text.
QString WithoutMnemonics(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// Sets a flag for the duration of a change made by code.
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Guard() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

// ---------------------------------------------------------------- buttons

template <typename Base>
class WinButton : public Base {
public:
    using Base::Base;
    bool autoToggle = true;

protected:
    void nextCheckState() override
    {
        if (autoToggle) Base::nextCheckState();
    }
    // The whole button rectangle takes clicks, not only the box and its text.
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

class ButtonBehaviour : public Behaviour {
public:
    explicit ButtonBehaviour(DWORD style) : style_(style) {}

    UINT Type() const { return style_ & BS_TYPEMASK; }

    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        const UINT type = Type();
        const bool pushLike = (style_ & BS_PUSHLIKE) != 0;
        if (type == BS_GROUPBOX) {
            group_ = new QGroupBox(parent);
            return group_;
        }
        if ((type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
             type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) && pushLike) {
            auto* b = new WinButton<QPushButton>(parent);
            b->setCheckable(true);
            b->autoToggle = type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE;
            button_ = b;
            return b;
        }
        switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            auto* b = new WinButton<QCheckBox>(parent);
            b->autoToggle = type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE;
            b->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            check_ = b;
            button_ = b;
            return b;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            // Groups follow WS_GROUP in template order, not Qt's sibling rule.
            auto* b = new WinButton<QRadioButton>(parent);
            b->setAutoExclusive(false);
            b->autoToggle = false;
            button_ = b;
            return b;
        }
        default: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            b->setDefault(type == BS_DEFPUSHBUTTON);
            button_ = b;
            return b;
        }
        }
    }

    void Connect(Record& r) override
    {
        if (button_ == nullptr) return;
        const HWND h = r.HandleValue();
        QObject::connect(button_, &QAbstractButton::clicked, button_, [h] {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ButtonBehaviour*>(rec->behaviour.get());
            if (self->Type() == BS_AUTORADIOBUTTON) self->CheckInGroup(*rec);
            NotifyParent(*rec, BN_CLICKED);
        });
    }

    // An automatic radio button checks itself and clears the others of its group: the radio
    // buttons among its siblings from the nearest WS_GROUP control before it to the next one.
    void CheckInGroup(Record& r)
    {
        Record* parent = Find(r.parent);
        if (parent == nullptr) return;
        const auto& list = parent->children;
        auto self = std::find(list.begin(), list.end(), r.HandleValue());
        if (self == list.end()) return;
        auto first = self;
        while (first != list.begin()) {
            Record* fr = Find(*first);
            if (fr != nullptr && (fr->style & WS_GROUP) != 0) break;
            --first;
        }
        for (auto it = first; it != list.end(); ++it) {
            Record* cr = Find(*it);
            if (cr == nullptr) continue;
            if (it != first && (cr->style & WS_GROUP) != 0) break;
            if (cr->className.empty() || std::toupper(static_cast<unsigned char>(cr->className[0])) != 'B') continue;
            auto* b = dynamic_cast<ButtonBehaviour*>(cr->behaviour.get());
            if (b == nullptr || (b->Type() != BS_AUTORADIOBUTTON && b->Type() != BS_RADIOBUTTON)) continue;
            b->SetCheck(cr == &r ? BST_CHECKED : BST_UNCHECKED);
        }
    }

    void SetCheck(int check)
    {
        if (check_ != nullptr && check_->isTristate()) {
            check_->setCheckState(check == BST_CHECKED ? Qt::Checked : check == BST_INDETERMINATE ? Qt::PartiallyChecked : Qt::Unchecked);
            return;
        }
        if (button_ != nullptr && button_->isCheckable()) button_->setChecked(check == BST_CHECKED);
    }

    int GetCheck() const
    {
        if (check_ != nullptr && check_->isTristate())
            return check_->checkState() == Qt::Checked ? BST_CHECKED : check_->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE : BST_UNCHECKED;
        return button_ != nullptr && button_->isCheckable() && button_->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }

    bool DefProc(Record& r, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case BM_GETCHECK: result = GetCheck(); return true;
        case BM_SETCHECK: SetCheck(static_cast<int>(w)); return true;
        case BM_GETSTATE: result = (GetCheck() & 3) | (button_ != nullptr && button_->isDown() ? 0x4 : 0); return true;
        case BM_SETSTATE: if (button_ != nullptr) button_->setDown(w != 0); return true;
        case BM_CLICK: if (button_ != nullptr && button_->isEnabled()) button_->click(); return true;
        case BM_SETSTYLE: {
            const UINT type = static_cast<UINT>(w) & BS_TYPEMASK;
            if (auto* push = qobject_cast<QPushButton*>(button_); push != nullptr && !push->isCheckable()) {
                push->setDefault(type == BS_DEFPUSHBUTTON);
                style_ = (style_ & ~BS_TYPEMASK) | type;
                r.style = (r.style & ~BS_TYPEMASK) | type;
            }
            return true;
        }
        case BM_SETIMAGE:
            result = static_cast<LRESULT>(image_);
            image_ = static_cast<DWORD>(l);
            ShowImage();
            return true;
        case BM_GETIMAGE: result = static_cast<LRESULT>(image_); return true;
        default: return false;
        }
    }

    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        if (group_ != nullptr) group_->setTitle(WithoutMnemonics(ToQ(text)));
        else if (button_ != nullptr) button_->setText(ToQ(text));
    }

    std::string GetText(const Record& r) const override { return r.text; }
    // An icon or bitmap handle given to the button is drawn on it in place of nothing.
    void ShowImage()
    {
        if (button_ == nullptr) return;
        QImage image = gdi::IconToImage(image_);
        if (image.isNull()) {
            if (auto bitmap = gdi::FindObject(image_, GdiObjectKind::Bitmap)) image = bitmap->bitmap.image;
        }
        button_->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
        if (!image.isNull()) button_->setIconSize(image.size());
    }
    DWORD image_ = 0;
    DWORD style_;

private:
    QAbstractButton* button_ = nullptr;
    QCheckBox* check_ = nullptr;
    QGroupBox* group_ = nullptr;
};

// ---------------------------------------------------------------- statics

class StaticBehaviour : public Behaviour {
public:
    explicit StaticBehaviour(DWORD style) : style_(style) {}
    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        label_ = new QLabel(parent);
        label_->setTextFormat(Qt::PlainText);
        const UINT type = style_ & SS_TYPEMASK;
        Qt::Alignment align = Qt::AlignTop;
        align |= type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
        if ((style_ & SS_CENTERIMAGE) != 0) align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
        label_->setAlignment(align);
        label_->setWordWrap(type <= SS_RIGHT);
        if ((style_ & SS_SUNKEN) != 0) label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Plain statics let the mouse through to the window below, as on Windows.
        if ((style_ & SS_NOTIFY) == 0) label_->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label_;
    }
    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        // Statics break lines at "\n" and at "\r\n" alike.
        QString shown = WithoutMnemonics(ToQ(text));
        shown.remove(QLatin1Char('\r'));
        label_->setText(shown);
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM, LRESULT& result) override
    {
        constexpr UINT STM_SETICON = 0x0170;
        constexpr UINT STM_GETICON = 0x0171;
        if (m == STM_SETICON) {
            result = static_cast<LRESULT>(icon_);
            icon_ = static_cast<DWORD>(w);
            const QImage image = gdi::IconToImage(icon_);
            if (!image.isNull()) label_->setPixmap(QPixmap::fromImage(image));
            return true;
        }
        if (m == STM_GETICON) {
            result = static_cast<LRESULT>(icon_);
            return true;
        }
        return false;
    }

private:
    DWORD style_;
    QLabel* label_ = nullptr;
    DWORD icon_ = 0;
};

// ---------------------------------------------------------------- edits

std::string ToCrLf(const QString& text)
{
    std::string s = FromQ(text);
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

QString FromCrLf(const std::string& text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != '\r') s += c;
    return ToQ(s);
}

class EditBehaviour : public Behaviour {
public:
    explicit EditBehaviour(DWORD style) : style_(style) {}
    bool Multi() const { return (style_ & ES_MULTILINE) != 0; }

    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        const bool frame = (r.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 || (r.style & WS_BORDER) != 0;
        if (Multi()) {
            multi_ = new QPlainTextEdit(parent);
            multi_->setReadOnly((style_ & ES_READONLY) != 0);
            multi_->setLineWrapMode((r.style & WS_HSCROLL) != 0 || (style_ & ES_AUTOHSCROLL) != 0 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
            multi_->setVerticalScrollBarPolicy((r.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            multi_->setTabChangesFocus(true);
            if (!frame) multi_->setFrameStyle(QFrame::NoFrame);
            return multi_;
        }
        line_ = new QLineEdit(parent);
        line_->setReadOnly((style_ & ES_READONLY) != 0);
        line_->setFrame(frame);
        if ((style_ & ES_PASSWORD) != 0) line_->setEchoMode(QLineEdit::Password);
        const UINT align = style_ & 3;
        line_->setAlignment(align == ES_CENTER ? Qt::AlignHCenter : align == ES_RIGHT ? Qt::AlignRight : Qt::AlignLeft);
        return line_;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        auto changed = [h] {
            if (Record* rec = Find(h)) NotifyParent(*rec, EN_CHANGE);
        };
        if (multi_ != nullptr) QObject::connect(multi_, &QPlainTextEdit::textChanged, multi_, changed);
        if (line_ != nullptr) QObject::connect(line_, &QLineEdit::textChanged, line_, changed);
    }

    bool WantsReturn(const Record&) const override { return Multi() && (style_ & ES_WANTRETURN) != 0; }

    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        if (multi_ != nullptr) multi_->setPlainText(FromCrLf(text));
        if (line_ != nullptr) line_->setText(ToQ(text));
    }

    std::string GetText(const Record&) const override
    {
        if (multi_ != nullptr) return ToCrLf(multi_->toPlainText());
        return line_ != nullptr ? FromQ(line_->text()) : std::string();
    }

    int Length() const { return multi_ != nullptr ? multi_->document()->characterCount() - 1 : line_->text().size(); }

    void SetSel(int start, int end)
    {
        const int length = Length();
        if (start < 0) {
            if (line_ != nullptr) line_->deselect();
            if (multi_ != nullptr) {
                QTextCursor c = multi_->textCursor();
                c.clearSelection();
                multi_->setTextCursor(c);
            }
            return;
        }
        if (end < 0 || end > length) end = length;
        start = Clamp(start, 0, length);
        if (line_ != nullptr) line_->setSelection(start, end - start);
        if (multi_ != nullptr) {
            QTextCursor c = multi_->textCursor();
            c.setPosition(start);
            c.setPosition(end, QTextCursor::KeepAnchor);
            multi_->setTextCursor(c);
        }
    }

    void GetSel(int& start, int& end) const
    {
        if (line_ != nullptr) {
            if (line_->hasSelectedText()) {
                start = line_->selectionStart();
                end = start + line_->selectedText().size();
            } else {
                start = end = line_->cursorPosition();
            }
        } else {
            const QTextCursor c = multi_->textCursor();
            start = c.selectionStart();
            end = c.selectionEnd();
        }
    }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case EM_SETSEL: SetSel(static_cast<int>(static_cast<std::intptr_t>(w)), static_cast<int>(l)); return true;
        case EM_GETSEL: {
            int s = 0;
            int e = 0;
            GetSel(s, e);
            if (w != 0) *reinterpret_cast<DWORD*>(w) = static_cast<DWORD>(s);
            if (l != 0) *reinterpret_cast<DWORD*>(l) = static_cast<DWORD>(e);
            result = MAKELPARAM(static_cast<unsigned>(s), static_cast<unsigned>(e));
            return true;
        }
        case EM_SCROLLCARET:
            if (multi_ != nullptr) multi_->ensureCursorVisible();
            return true;
        case EM_REPLACESEL: {
            const char* text = reinterpret_cast<const char*>(l);
            if (line_ != nullptr) line_->insert(ToQ(text));
            if (multi_ != nullptr) multi_->textCursor().insertText(FromCrLf(text != nullptr ? text : ""));
            return true;
        }
        case EM_SETREADONLY:
            style_ = w != 0 ? (style_ | ES_READONLY) : (style_ & ~ES_READONLY);
            if (line_ != nullptr) line_->setReadOnly(w != 0);
            if (multi_ != nullptr) multi_->setReadOnly(w != 0);
            result = TRUE;
            return true;
        case EM_LIMITTEXT:
            if (line_ != nullptr) line_->setMaxLength(w == 0 ? 32767 : static_cast<int>(std::min<WPARAM>(w, 0x7FFFFFFF)));
            return true;
        case EM_GETLINECOUNT:
            result = multi_ != nullptr ? multi_->document()->blockCount() : 1;
            return true;
        default: return false;
        }
    }

private:
    DWORD style_;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* multi_ = nullptr;
};

// ---------------------------------------------------------------- list boxes

int SortedPosition(const QStringList& items, const QString& text)
{
    int i = 0;
    while (i < items.size() && QString::compare(items[i], text, Qt::CaseInsensitive) <= 0) ++i;
    return i;
}

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

// ---------------------------------------------------------------- combo boxes

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

// ---------------------------------------------------------------- tree views

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

// ---------------------------------------------------------------- up-down (spin) controls

class UpDownBehaviour : public Behaviour {
public:
    explicit UpDownBehaviour(DWORD style) : style_(style) {}
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        auto* box = new QWidget(parent);
        const bool horizontal = (style_ & UDS_HORZ) != 0;
        QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(box)) : new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        less_ = new QToolButton(box);
        more_ = new QToolButton(box);
        less_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
        more_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
        for (QToolButton* b : {more_, less_}) {
            b->setAutoRepeat(true);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            b->setFocusPolicy(Qt::NoFocus);
        }
        if (horizontal) {
            layout->addWidget(less_);
            layout->addWidget(more_);
        } else {
            layout->addWidget(more_);
            layout->addWidget(less_);
        }
        (void)r;
        return box;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        if ((style_ & UDS_AUTOBUDDY) != 0) {
            if (Record* parent = Find(r.parent)) {
                auto it = std::find(parent->children.begin(), parent->children.end(), h);
                if (it != parent->children.end() && it != parent->children.begin()) buddy_ = *(it - 1);
            }
        }
        QObject::connect(more_, &QToolButton::clicked, more_, [h] { Step(h, +1); });
        QObject::connect(less_, &QToolButton::clicked, less_, [h] { Step(h, -1); });
    }

    // direction +1: the up (or right) arrow, which moves towards the upper end of the range.
    static void Step(HWND h, int direction)
    {
        Record* r = Find(h);
        if (r == nullptr) return;
        auto* self = static_cast<UpDownBehaviour*>(r->behaviour.get());
        const int delta = self->upper_ >= self->lower_ ? direction : -direction;
        NMUPDOWN nm;
        nm.hdr.code = UDN_DELTAPOS;
        nm.iPos = self->pos_;
        nm.iDelta = delta;
        const LRESULT refused = NotifyParent(*r, nm.hdr);
        r = Find(h);
        if (r == nullptr || refused != 0) return;
        self = static_cast<UpDownBehaviour*>(r->behaviour.get());
        const int lo = std::min(self->lower_, self->upper_);
        const int hi = std::max(self->lower_, self->upper_);
        long long next = static_cast<long long>(self->pos_) + nm.iDelta;
        if (next < lo) next = (self->style_ & UDS_WRAP) != 0 ? hi : lo;
        if (next > hi) next = (self->style_ & UDS_WRAP) != 0 ? lo : hi;
        self->pos_ = static_cast<int>(next);
        self->UpdateBuddy();
        const UINT scroll = (self->style_ & UDS_HORZ) != 0 ? WM_HSCROLL : WM_VSCROLL;
        Send(r->parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, static_cast<unsigned>(self->pos_ & 0xFFFF)), reinterpret_cast<LPARAM>(h));
        if (Find(h) != nullptr) Send(r->parent, scroll, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(h));
    }

    void UpdateBuddy()
    {
        if ((style_ & UDS_SETBUDDYINT) == 0 || buddy_ == nullptr) return;
        const std::string text = std::to_string(pos_);
        Send(buddy_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case UDM_SETRANGE:
            lower_ = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l)));
            upper_ = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l)));
            pos_ = Clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
            return true;
        case UDM_SETRANGE32:
            lower_ = static_cast<int>(static_cast<std::intptr_t>(w));
            upper_ = static_cast<int>(l);
            pos_ = Clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
            return true;
        case UDM_GETRANGE:
            result = MAKELPARAM(static_cast<unsigned>(upper_ & 0xFFFF), static_cast<unsigned>(lower_ & 0xFFFF));
            return true;
        case UDM_GETRANGE32:
            if (w != 0) *reinterpret_cast<int*>(w) = lower_;
            if (l != 0) *reinterpret_cast<int*>(l) = upper_;
            return true;
        case UDM_SETPOS:
        case UDM_SETPOS32: {
            const int old = pos_;
            const int v = m == UDM_SETPOS ? static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))) : static_cast<int>(l);
            pos_ = Clamp(v, std::min(lower_, upper_), std::max(lower_, upper_));
            UpdateBuddy();
            result = old;
            return true;
        }
        case UDM_GETPOS: result = MAKELPARAM(static_cast<unsigned>(pos_ & 0xFFFF), 0u); return true;
        case UDM_GETPOS32:
            if (l != 0) *reinterpret_cast<BOOL*>(l) = FALSE;
            result = pos_;
            return true;
        case UDM_SETBUDDY: result = reinterpret_cast<LRESULT>(buddy_); buddy_ = reinterpret_cast<HWND>(w); return true;
        case UDM_GETBUDDY: result = reinterpret_cast<LRESULT>(buddy_); return true;
        default: return false;
        }
    }

private:
    DWORD style_;
    QToolButton* less_ = nullptr;
    QToolButton* more_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
    HWND buddy_ = nullptr;
};

// ---------------------------------------------------------------- progress bars

class ProgressBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        bar_ = new QProgressBar(parent);
        bar_->setTextVisible(false);
        bar_->setOrientation((r.style & PBS_VERTICAL) != 0 ? Qt::Vertical : Qt::Horizontal);
        Apply();
        return bar_;
    }
    void Apply()
    {
        // Qt shows an empty range as "busy"; Windows shows an empty bar.
        bar_->setRange(lower_, std::max(upper_, lower_ + 1));
        bar_->setValue(Clamp(pos_, lower_, std::max(upper_, lower_)));
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        const int old = pos_;
        switch (m) {
        case PBM_SETRANGE:
            result = MAKELPARAM(static_cast<unsigned>(lower_ & 0xFFFF), static_cast<unsigned>(upper_ & 0xFFFF));
            lower_ = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l)));
            upper_ = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l)));
            break;
        case PBM_SETRANGE32:
            result = MAKELPARAM(static_cast<unsigned>(lower_ & 0xFFFF), static_cast<unsigned>(upper_ & 0xFFFF));
            lower_ = static_cast<int>(static_cast<std::intptr_t>(w));
            upper_ = static_cast<int>(l);
            break;
        case PBM_GETRANGE:
            if (l != 0) {
                reinterpret_cast<int*>(l)[0] = lower_;
                reinterpret_cast<int*>(l)[1] = upper_;
            }
            result = w != 0 ? lower_ : upper_;
            return true;
        case PBM_SETPOS: pos_ = static_cast<int>(static_cast<std::intptr_t>(w)); result = old; break;
        case PBM_DELTAPOS: pos_ += static_cast<int>(static_cast<std::intptr_t>(w)); result = old; break;
        case PBM_SETSTEP: result = step_; step_ = static_cast<int>(static_cast<std::intptr_t>(w)); return true;
        case PBM_STEPIT:
            pos_ += step_;
            if (pos_ > upper_) pos_ = lower_ + (pos_ - upper_);  // steps wrap around
            result = old;
            break;
        case PBM_GETPOS: result = pos_; return true;
        default: return false;
        }
        pos_ = Clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
        Apply();
        return true;
    }

private:
    QProgressBar* bar_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
    int step_ = 10;
};

// ---------------------------------------------------------------- scroll bars

class ScrollBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        vertical_ = (r.style & SBS_VERT) != 0;
        bar_ = new QScrollBar(vertical_ ? Qt::Vertical : Qt::Horizontal, parent);
        Apply();
        return bar_;
    }
    int MaxPos() const { return std::max(min_, max_ - std::max(static_cast<int>(page_) - 1, 0)); }
    void Apply()
    {
        Guard guard(programmatic_);
        bar_->setRange(min_, MaxPos());
        bar_->setPageStep(std::max<int>(1, static_cast<int>(page_)));
        bar_->setSingleStep(1);
        bar_->setValue(pos_);
    }
    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        // An aligned scroll bar takes the system thickness at that edge of its rectangle.
        constexpr int thickness = 17;
        const QRect g = bar_->geometry();
        if (vertical_ && (r.style & SBS_LEFTALIGN) != 0) bar_->setGeometry(g.left(), g.top(), thickness, g.height());
        else if (vertical_ && (r.style & SBS_RIGHTALIGN) != 0) bar_->setGeometry(g.right() + 1 - thickness, g.top(), thickness, g.height());
        else if (!vertical_ && (r.style & SBS_TOPALIGN) != 0) bar_->setGeometry(g.left(), g.top(), g.width(), thickness);
        else if (!vertical_ && (r.style & SBS_BOTTOMALIGN) != 0) bar_->setGeometry(g.left(), g.bottom() + 1 - thickness, g.width(), thickness);
        QObject::connect(bar_, &QAbstractSlider::actionTriggered, bar_, [h](int action) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ScrollBehaviour*>(rec->behaviour.get());
            if (self->programmatic_) return;
            UINT code = SB_ENDSCROLL;
            int pos = 0;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
            case QAbstractSlider::SliderMove:
                code = SB_THUMBTRACK;
                pos = self->bar_->sliderPosition();
                self->trackPos_ = pos;
                break;
            default: return;
            }
            // The thumb stays where the program puts it, except while it is dragged.
            if (code != SB_THUMBTRACK) self->bar_->setSliderPosition(self->pos_);
            self->Notify(*rec, code, pos);
        });
        QObject::connect(bar_, &QAbstractSlider::sliderReleased, bar_, [h] {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ScrollBehaviour*>(rec->behaviour.get());
            const int pos = self->trackPos_;
            self->Notify(*rec, SB_THUMBPOSITION, pos);
            if ((rec = Find(h)) == nullptr) return;
            self->Apply();
            self->Notify(*rec, SB_ENDSCROLL, 0);
        });
    }
    void Notify(Record& r, UINT code, int pos)
    {
        const HWND h = r.HandleValue();
        Send(r.parent, vertical_ ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<unsigned>(pos & 0xFFFF)),
             reinterpret_cast<LPARAM>(h));
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case SBM_SETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(l);
            if (info == nullptr) return true;
            if ((info->fMask & SIF_RANGE) != 0) {
                min_ = info->nMin;
                max_ = std::max(info->nMin, info->nMax);
            }
            if ((info->fMask & SIF_PAGE) != 0) {
                const long long span = static_cast<long long>(max_) - min_ + 1;
                page_ = static_cast<UINT>(std::min<long long>(info->nPage, span));
            }
            if ((info->fMask & SIF_POS) != 0) pos_ = info->nPos;
            pos_ = Clamp(pos_, min_, MaxPos());
            Apply();
            result = pos_;
            return true;
        }
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(l);
            if (info == nullptr) return true;
            if ((info->fMask & SIF_RANGE) != 0) {
                info->nMin = min_;
                info->nMax = max_;
            }
            if ((info->fMask & SIF_PAGE) != 0) info->nPage = page_;
            if ((info->fMask & SIF_POS) != 0) info->nPos = pos_;
            if ((info->fMask & SIF_TRACKPOS) != 0) info->nTrackPos = bar_->isSliderDown() ? trackPos_ : pos_;
            result = TRUE;
            return true;
        }
        case SBM_SETPOS: {
            result = pos_;
            pos_ = Clamp(static_cast<int>(static_cast<std::intptr_t>(w)), min_, MaxPos());
            Apply();
            return true;
        }
        case SBM_GETPOS: result = pos_; return true;
        case SBM_SETRANGE:
            min_ = static_cast<int>(static_cast<std::intptr_t>(w));
            max_ = std::max(min_, static_cast<int>(l));
            pos_ = Clamp(pos_, min_, MaxPos());
            Apply();
            return true;
        case SBM_GETRANGE:
            if (w != 0) *reinterpret_cast<int*>(w) = min_;
            if (l != 0) *reinterpret_cast<int*>(l) = max_;
            return true;
        default: return false;
        }
    }

private:
    QScrollBar* bar_ = nullptr;
    bool vertical_ = false;
    int min_ = 0;
    int max_ = 100;
    UINT page_ = 0;
    int pos_ = 0;
    int trackPos_ = 0;
    bool programmatic_ = false;
};

}  // namespace

std::unique_ptr<Behaviour> MakeMoreControlBehaviour(const std::string& upper, DWORD style);  // TabHotKeyControls.cpp
std::unique_ptr<Behaviour> MakeListViewBehaviour(const std::string& upper, DWORD style);    // ListCtrl.cpp

std::unique_ptr<Behaviour> MakeControlBehaviour(const std::string& upper, DWORD style)
{
    if (auto more = MakeMoreControlBehaviour(upper, style)) return more;
    if (auto list = MakeListViewBehaviour(upper, style)) return list;
    if (upper == "BUTTON") return std::make_unique<ButtonBehaviour>(style);
    if (upper == "STATIC") return std::make_unique<StaticBehaviour>(style);
    if (upper == "EDIT") return std::make_unique<EditBehaviour>(style);
    if (upper == "LISTBOX") return std::make_unique<ListBoxBehaviour>(style);
    if (upper == "COMBOBOX") return std::make_unique<ComboBehaviour>(style);
    if (upper == "SYSTREEVIEW32") return std::make_unique<TreeBehaviour>();
    if (upper == "MSCTLS_UPDOWN32") return std::make_unique<UpDownBehaviour>(style);
    if (upper == "MSCTLS_PROGRESS32") return std::make_unique<ProgressBehaviour>();
    if (upper == "SCROLLBAR") return std::make_unique<ScrollBehaviour>();
    return nullptr;
}

CWnd* MakeTemporaryFor(const Record& r)
{
    std::string upper = r.className;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "BUTTON") return new CButton();
    if (upper == "STATIC") return new CStatic();
    if (upper == "EDIT") return new CEdit();
    if (upper == "LISTBOX") return new CListBox();
    if (upper == "COMBOBOX") return new CComboBox();
    if (upper == "SYSTREEVIEW32") return new CTreeCtrl();
    if (upper == "MSCTLS_UPDOWN32") return new CSpinButtonCtrl();
    if (upper == "MSCTLS_PROGRESS32") return new CProgressCtrl();
    if (upper == "SCROLLBAR") return new CScrollBar();
    if (upper == "SYSTABCONTROL32") return new CTabCtrl();
    if (upper == "MSCTLS_HOTKEY32") return new CHotKeyCtrl();
    if (upper == "SYSLISTVIEW32") return new CListCtrl();
    if (upper == "SYSHEADER32") return new CHeaderCtrl();
    return new CWnd();
}

}  // namespace uiimpl

using uiimpl::TreeOf;

CScrollBar* AfxScrollBarFromHandle(HWND hwnd) { return dynamic_cast<CScrollBar*>(CWnd::FromHandle(hwnd)); }

namespace {
LPARAM Text(const char* s) { return reinterpret_cast<LPARAM>(s != nullptr ? s : ""); }
}  // namespace

// ---- CButton ----
BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("Button", caption, style, rect, parent, id);
}
int CButton::GetCheck() const { return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
UINT CButton::GetState() const { return static_cast<UINT>(const_cast<CButton*>(this)->SendMessage(BM_GETSTATE)); }
void CButton::SetState(BOOL highlight) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(highlight)); }
UINT CButton::GetButtonStyle() const { return GetStyle() & 0xFFFF; }
void CButton::SetButtonStyle(UINT style, BOOL redraw) { SendMessage(BM_SETSTYLE, style, redraw); }
HICON CButton::SetIcon(HICON icon)
{
    uiimpl::Record* r = uiimpl::Find(m_hWnd);
    auto* b = r != nullptr ? dynamic_cast<uiimpl::ButtonBehaviour*>(r->behaviour.get()) : nullptr;
    if (b == nullptr) return 0;
    const DWORD old = b->image_;
    b->image_ = icon;
    b->ShowImage();
    return old;
}
HICON CButton::GetIcon() const
{
    uiimpl::Record* r = uiimpl::Find(m_hWnd);
    auto* b = r != nullptr ? dynamic_cast<uiimpl::ButtonBehaviour*>(r->behaviour.get()) : nullptr;
    return b != nullptr ? b->image_ : 0;
}
HBITMAP CButton::SetBitmap(HBITMAP bitmap) { return SetIcon(bitmap); }

// ---- CStatic ----
BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("Static", text, style, rect, parent, id);
}
HICON CStatic::SetIcon(HICON icon) { return static_cast<DWORD>(SendMessage(0x0170, icon)); }
HICON CStatic::GetIcon() const { return static_cast<DWORD>(const_cast<CStatic*>(this)->SendMessage(0x0171)); }

// ---- CEdit ----
BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("Edit", "", style, rect, parent, id); }
void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(start)), end);
    if (!noScroll) SendMessage(EM_SCROLLCARET);
}
void CEdit::SetSel(DWORD selection, BOOL noScroll)
{
    SetSel(static_cast<short>(LOWORD(selection)), static_cast<short>(HIWORD(selection)), noScroll);
}
void CEdit::GetSel(int& start, int& end) const
{
    DWORD s = 0;
    DWORD e = 0;
    const_cast<CEdit*>(this)->SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}
DWORD CEdit::GetSel() const { return static_cast<DWORD>(const_cast<CEdit*>(this)->SendMessage(EM_GETSEL)); }
void CEdit::ReplaceSel(const char* text, BOOL canUndo) { SendMessage(EM_REPLACESEL, canUndo, Text(text)); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
void CEdit::LimitText(int chars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, chars))); }
int CEdit::GetLineCount() const { return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_GETLINECOUNT)); }

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

// ---- CSpinButtonCtrl ----
BOOL CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("msctls_updown32", "", style, rect, parent, id);
}
void CSpinButtonCtrl::SetRange(short lower, short upper)
{
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<unsigned short>(upper), static_cast<unsigned short>(lower)));
}
void CSpinButtonCtrl::SetRange32(int lower, int upper)
{
    SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(static_cast<std::intptr_t>(lower)), upper);
}
void CSpinButtonCtrl::GetRange(int& lower, int& upper) const
{
    const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}
int CSpinButtonCtrl::SetPos(int pos) { return static_cast<short>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<unsigned>(pos & 0xFFFF), 0))); }
int CSpinButtonCtrl::GetPos() const { return static_cast<int>(const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETPOS)); }
int CSpinButtonCtrl::SetPos32(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
int CSpinButtonCtrl::GetPos32(BOOL* error) const
{
    BOOL err = TRUE;
    const int pos = static_cast<int>(const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&err)));
    if (error != nullptr) *error = m_hWnd == nullptr ? TRUE : err;
    return pos;
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy != nullptr ? buddy->m_hWnd : nullptr))));
}
CWnd* CSpinButtonCtrl::GetBuddy() const
{
    return CWnd::FromHandle(reinterpret_cast<HWND>(const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETBUDDY)));
}

// ---- CProgressCtrl ----
BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("msctls_progress32", "", style, rect, parent, id);
}
void CProgressCtrl::SetRange(short lower, short upper)
{
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<unsigned short>(lower), static_cast<unsigned short>(upper)));
}
void CProgressCtrl::SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(static_cast<std::intptr_t>(lower)), upper); }
void CProgressCtrl::GetRange(int& lower, int& upper) const
{
    int range[2] = {0, 0};
    const_cast<CProgressCtrl*>(this)->SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(range));
    lower = range[0];
    upper = range[1];
}
int CProgressCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(pos)))); }
int CProgressCtrl::GetPos() const { return static_cast<int>(const_cast<CProgressCtrl*>(this)->SendMessage(PBM_GETPOS)); }
int CProgressCtrl::OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(delta)))); }
int CProgressCtrl::SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(static_cast<std::intptr_t>(step)))); }
int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }

// ---- CScrollBar ----
BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ScrollBar", "", style, rect, parent, id); }
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO info, BOOL redraw)
{
    if (info == nullptr) return FALSE;
    SendMessage(SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw), reinterpret_cast<LPARAM>(info));
    return TRUE;
}
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) const
{
    if (info == nullptr) return FALSE;
    info->fMask = mask;
    return static_cast<BOOL>(const_cast<CScrollBar*>(this)->SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}
int CScrollBar::SetScrollPos(int pos, BOOL redraw) { return static_cast<int>(SendMessage(SBM_SETPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(pos)), redraw)); }
int CScrollBar::GetScrollPos() const { return static_cast<int>(const_cast<CScrollBar*>(this)->SendMessage(SBM_GETPOS)); }
void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL) { SendMessage(SBM_SETRANGE, static_cast<WPARAM>(static_cast<std::intptr_t>(minPos)), maxPos); }
void CScrollBar::GetScrollRange(int* minPos, int* maxPos) const
{
    const_cast<CScrollBar*>(this)->SendMessage(SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
}
void CScrollBar::ShowScrollBar(BOOL show) { ShowWindow(show ? SW_SHOWNA : SW_HIDE); }
BOOL CScrollBar::EnableScrollBar(UINT arrows)
{
    EnableWindow(arrows != ESB_DISABLE_BOTH);
    return TRUE;
}
int CScrollBar::GetScrollLimit() const
{
    SCROLLINFO info;
    GetScrollInfo(&info, SIF_RANGE | SIF_PAGE);
    return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}
