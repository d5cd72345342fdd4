// Push buttons, check boxes, radio buttons and group boxes.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/HandlePixmaps.h"
#include "platform/ui/WndImpl.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <functional>
#include <vector>

namespace uiimpl {

namespace {

// What an arrow key does on a button that keeps it within its group: move on (forward: Down or
// Right); false leaves the key to the button itself.
struct GroupArrows {
    std::function<bool(bool forward)> arrows;
};

template <typename Base>
class WinButton : public Base, public GroupArrows {
public:
    using Base::Base;
    bool autoToggle = true;

protected:
    void nextCheckState() override
    {
        if (autoToggle) Base::nextCheckState();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const int key = e->key();
        const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
        const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
        if (arrows && plain && (forward || back) && arrows(forward)) {
            e->accept();
            return;
        }
        Base::keyPressEvent(e);
    }
    // The whole button rectangle takes clicks, not only the box and its text.
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// A group box whose frame runs through the middle of its title, as the dialog layouts assume:
// their first row of controls sits just under the title, where a frame drawn below the whole
// title would cross it.
class WinGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QFontMetrics fm(font());
        const int top = fm.height() / 2;
        const QRect frame = rect().adjusted(0, top, -1, -1);
        // An etched frame: a dark line with a light one beside it.
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(frame.adjusted(1, 1, 0, 0));
        if (title().isEmpty()) return;
        constexpr int kTitleIndent = 8;
        constexpr int kTitlePad = 2;
        const int titleWidth = std::min(fm.horizontalAdvance(title()) + 2 * kTitlePad, std::max(0, width() - 2 * kTitleIndent));
        const QRect titleRect(kTitleIndent, 0, titleWidth, fm.height());
        p.fillRect(titleRect, palette().color(QPalette::Window));
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(titleRect.adjusted(kTitlePad, 0, -kTitlePad, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fm.elidedText(title(), Qt::ElideRight, titleRect.width() - 2 * kTitlePad));
    }
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
            group_ = new WinGroupBox(parent);
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
        // The arrows walk a radio group rather than the whole tab order, and an automatic radio
        // button they reach is checked as a click would check it.
        if (IsRadio()) {
            if (auto* hook = dynamic_cast<GroupArrows*>(button_)) {
                hook->arrows = [h](bool forward) {
                    Record* rec = Find(h);
                    if (rec == nullptr) return false;
                    // Alone in its group, the button keeps the focus: the arrows never leave it.
                    MoveInGroup(*rec, forward);
                    return true;
                };
            }
        }
    }

    bool IsRadio() const { return Type() == BS_AUTORADIOBUTTON || Type() == BS_RADIOBUTTON; }

    // The controls of a window's group, in their order: its siblings from the nearest WS_GROUP
    // control at or before it up to the next one.
    static std::vector<HWND> GroupOf(const Record& r)
    {
        std::vector<HWND> group;
        Record* parent = Find(r.parent);
        if (parent == nullptr) return group;
        const std::vector<HWND>& list = parent->children;
        auto self = std::find(list.begin(), list.end(), r.HandleValue());
        if (self == list.end()) return group;
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
            group.push_back(*it);
        }
        return group;
    }

    static ButtonBehaviour* RadioOf(Record* r)
    {
        if (r == nullptr || r->className.empty() || std::toupper(static_cast<unsigned char>(r->className[0])) != 'B') return nullptr;
        auto* b = dynamic_cast<ButtonBehaviour*>(r->behaviour.get());
        return b != nullptr && b->IsRadio() ? b : nullptr;
    }

    // An automatic radio button checks itself and clears the other radio buttons of its group.
    void CheckInGroup(Record& r)
    {
        for (HWND h : GroupOf(r)) {
            Record* cr = Find(h);
            if (ButtonBehaviour* b = RadioOf(cr)) b->SetCheck(cr == &r ? BST_CHECKED : BST_UNCHECKED);
        }
    }

    // Moves the focus to the next (or previous) control of the group that can take it, round
    // from the last to the first.
    static void MoveInGroup(Record& r, bool forward)
    {
        const std::vector<HWND> group = GroupOf(r);
        const auto self = std::find(group.begin(), group.end(), r.HandleValue());
        if (self == group.end()) return;
        const std::size_t count = group.size();
        const auto at = static_cast<std::size_t>(self - group.begin());
        for (std::size_t step = 1; step < count; ++step) {
            const std::size_t index = forward ? (at + step) % count : (at + count - step) % count;
            const HWND h = group[index];
            Record* cr = Find(h);
            QWidget* w = cr != nullptr ? cr->widget.data() : nullptr;
            if (w == nullptr || !w->isVisible() || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus) continue;
            w->setFocus(Qt::TabFocusReason);
            ButtonBehaviour* b = RadioOf(cr);
            if (b != nullptr && b->Type() == BS_AUTORADIOBUTTON && b->button_ != nullptr) b->button_->click();
            return;
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
        text_ = text;
        if (group_ != nullptr) group_->setTitle(WithoutMnemonics(ToQ(text)));
        else if (button_ != nullptr) button_->setText(ImageOnly() ? QString() : ToQ(text));
    }

    std::string GetText(const Record& r) const override { return r.text; }
    // An icon or bitmap handle given to the button is drawn on it in place of nothing.
    void ShowImage()
    {
        if (button_ == nullptr) return;
        const QPixmap picture = PixmapOfHandle(image_);
        button_->setIcon(picture.isNull() ? QIcon() : QIcon(picture));
        if (!picture.isNull()) button_->setIconSize(picture.size());
        // An icon or bitmap button shows its image instead of its caption; the caption is
        // still its window text, and comes back when the image is taken away.
        button_->setText(ImageOnly() ? QString() : ToQ(text_));
    }
    bool ImageOnly() const { return (style_ & (BS_ICON | BS_BITMAP)) != 0 && image_ != 0; }
    DWORD image_ = 0;
    std::string text_;
    DWORD style_;

private:
    QAbstractButton* button_ = nullptr;
    QCheckBox* check_ = nullptr;
    QGroupBox* group_ = nullptr;
};

}  // namespace

std::unique_ptr<Behaviour> MakeButtonBehaviour(DWORD style) { return std::make_unique<ButtonBehaviour>(style); }

}  // namespace uiimpl

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
