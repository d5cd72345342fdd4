// Up-down (spin) controls.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <string>

namespace uiimpl {

namespace {

// Longer buddy text is no number a user typed into a spin's edit.
constexpr LRESULT kLongestText = 64;

// Up and Down in a UDS_ARROWKEYS spin's buddy, turned into steps of the spin. It lives as long
// as the spin's widget; the buddy may go first, and a spin that is gone steps nothing.
class ArrowKeys : public QObject {
public:
    ArrowKeys(HWND spin, QObject* parent) : QObject(parent), spin_(spin) {}
    bool eventFilter(QObject*, QEvent* e) override;

private:
    HWND spin_;
};

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
                if (it != parent->children.end() && it != parent->children.begin()) SetBuddy(r, *(it - 1));
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
        // A step goes on from a number the user typed into the buddy.
        static_cast<UpDownBehaviour*>(r->behaviour.get())->TakeBuddy();
        r = Find(h);
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

    // With UDS_ARROWKEYS, Up and Down pressed in the buddy work the arrows: the spin watches the
    // buddy's keys after the program's own key handling has passed them on.
    void SetBuddy(Record& r, HWND buddy)
    {
        if (arrowKeys_ != nullptr) {
            if (QWidget* old = WidgetOf(buddy_)) old->removeEventFilter(arrowKeys_);
        }
        buddy_ = buddy;
        if ((style_ & UDS_ARROWKEYS) == 0 || r.widget == nullptr) return;
        QWidget* edit = WidgetOf(buddy_);
        if (edit == nullptr) return;
        if (arrowKeys_ == nullptr) arrowKeys_ = new ArrowKeys(r.HandleValue(), r.widget);
        edit->installEventFilter(arrowKeys_);
    }

    void UpdateBuddy()
    {
        if ((style_ & UDS_SETBUDDYINT) == 0 || buddy_ == nullptr) return;
        const std::string text = std::to_string(pos_);
        Send(buddy_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    enum class Typed { NoBuddy, Taken, Clamped, NotANumber };

    // Takes the buddy's text as the position when it is a whole decimal number (blanks around
    // it allowed); a number outside the range gives the nearer end of the range, any other
    // text (none included) leaves the position as it was.
    // Only plain digits are read: UpdateBuddy writes no thousands separators.
    Typed ReadBuddy()
    {
        if (buddy_ == nullptr || Find(buddy_) == nullptr) return Typed::NoBuddy;
        const HWND buddy = buddy_;
        const LRESULT length = Send(buddy, WM_GETTEXTLENGTH, 0, 0);
        if (length <= 0 || length > kLongestText) return Typed::NotANumber;
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT got = Send(buddy, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string::npos) return Typed::NotANumber;
        const auto last = text.find_last_not_of(" \t");
        const std::string number = text.substr(first, last - first + 1);
        long long value = 0;
        const char* begin = number.data();
        const char* end = number.data() + number.size();
        if (*begin == '+' && begin + 1 != end && begin[1] != '-') ++begin;
        const auto [stop, error] = std::from_chars(begin, end, value);
        if (stop != end || (error != std::errc() && error != std::errc::result_out_of_range)) return Typed::NotANumber;
        const int lo = std::min(lower_, upper_);
        const int hi = std::max(lower_, upper_);
        if (error == std::errc::result_out_of_range) {
            pos_ = *begin == '-' ? lo : hi;
            return Typed::Clamped;
        }
        if (value < lo || value > hi) {
            pos_ = value < lo ? lo : hi;
            return Typed::Clamped;
        }
        pos_ = static_cast<int>(value);
        return Typed::Taken;
    }

    // Reads the buddy, and when its text was not taken as it stands, makes it show the
    // position that is used instead: what the user reads beside the arrows is what the
    // program works with.
    Typed TakeBuddy()
    {
        const Typed typed = ReadBuddy();
        if (typed == Typed::Clamped || typed == Typed::NotANumber) UpdateBuddy();
        return typed;
    }

    bool DefProc(Record& r, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
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
        case UDM_GETPOS:
        case UDM_GETPOS32: {
            // The user may have typed into the buddy since the last step: its number is the
            // position (brought into the range). The error flag tells that the text was not
            // taken as it stood.
            const HWND self = r.HandleValue();
            const bool taken = TakeBuddy() == Typed::Taken;
            if (Find(self) == nullptr) return true;
            if (m == UDM_GETPOS) {
                result = MAKELPARAM(static_cast<unsigned>(pos_ & 0xFFFF), taken ? 0u : 1u);
            } else {
                if (l != 0) *reinterpret_cast<BOOL*>(l) = taken ? FALSE : TRUE;
                result = pos_;
            }
            return true;
        }
        case UDM_SETBUDDY:
            result = reinterpret_cast<LRESULT>(buddy_);
            SetBuddy(r, reinterpret_cast<HWND>(w));
            return true;
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
    ArrowKeys* arrowKeys_ = nullptr;
};

bool ArrowKeys::eventFilter(QObject*, QEvent* e)
{
    if (e->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(e);
    // Alt with an arrow is a system key, not a step.
    if ((key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) || key->modifiers().testFlag(Qt::AltModifier)) return false;
    Record* r = Find(spin_);
    // A disabled spin takes no steps from the keyboard, as its arrows take no clicks.
    if (r == nullptr || r->widget == nullptr || !r->widget->isEnabled()) return false;
    UpDownBehaviour::Step(spin_, key->key() == Qt::Key_Up ? +1 : -1);
    return true;
}

}  // namespace

std::unique_ptr<Behaviour> MakeUpDownBehaviour(DWORD style) { return std::make_unique<UpDownBehaviour>(style); }

}  // namespace uiimpl

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
int CSpinButtonCtrl::GetPos() const
{
    // The high word of the answer is the error flag, not part of the position.
    const LRESULT answer = const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETPOS);
    return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(answer)));
}
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
