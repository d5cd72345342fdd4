// Tab control, hot-key control and path shortening.

#include "platform/ui/Controls.h"

#include "platform/ui/WndImpl.h"

#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>

#include <cstring>
#include <functional>

#include <QFontMetrics>

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

class TabBehaviour : public Behaviour {
public:
    explicit TabBehaviour(DWORD style) : style_(style) {}

    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        box_ = new QWidget(parent);
        const bool vertical = (style_ & TCS_VERTICAL) != 0;
        const bool far = (style_ & TCS_BOTTOM) != 0;  // TCS_RIGHT for vertical tabs
        QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QHBoxLayout(box_)) : new QVBoxLayout(box_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        bar_ = new QTabBar(box_);
        bar_->setShape(vertical ? (far ? QTabBar::RoundedEast : QTabBar::RoundedWest) : (far ? QTabBar::RoundedSouth : QTabBar::RoundedNorth));
        bar_->setExpanding(false);
        bar_->setDrawBase(false);
        bar_->setFocusPolicy(Qt::NoFocus);
        bar_->setUsesScrollButtons((style_ & TCS_MULTILINE) == 0);
        frame_ = new QFrame(box_);
        frame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        if (far) {
            layout->addWidget(frame_, 1);
            layout->addWidget(bar_, 0);
        } else {
            layout->addWidget(bar_, 0);
            layout->addWidget(frame_, 1);
        }
        return box_;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        filter_ = std::make_unique<PressFilter>(h);
        bar_->installEventFilter(filter_.get());
        QObject::connect(bar_, &QTabBar::currentChanged, bar_, [h](int) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<TabBehaviour*>(rec->behaviour.get());
            if (self->programmatic_) return;
            NMHDR nm;
            nm.code = TCN_SELCHANGE;
            NotifyParent(*rec, nm);
        });
    }

    void Relayout()
    {
        // The bar only announces its new size while visible: drop the layout's stale copy.
        bar_->updateGeometry();
        if (QLayout* layout = box_->layout()) {
            layout->invalidate();
            layout->setGeometry(box_->rect());
        }
    }

    // The tab rectangle in the control's client coordinates.
    QRect TabRect(int index) const
    {
        const QRect r = bar_->tabRect(index);
        return QRect(bar_->mapTo(box_, r.topLeft()), r.size());
    }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        const int index = static_cast<int>(static_cast<std::intptr_t>(w));
        auto* item = reinterpret_cast<TCITEM*>(l);
        const bool valid = index >= 0 && index < bar_->count();
        Guard guard(programmatic_);
        switch (m) {
        case TCM_GETITEMCOUNT: result = bar_->count(); return true;
        case TCM_INSERTITEM: {
            if (item == nullptr || index < 0) {
                result = -1;
                return true;
            }
            const int at = std::min(index, bar_->count());
            const QString text = (item->mask & TCIF_TEXT) != 0 && item->pszText != nullptr ? QString::fromUtf8(item->pszText) : QString();
            const int selected = bar_->currentIndex();
            bar_->insertTab(at, text);
            bar_->setTabData(at, QVariant::fromValue<qlonglong>((item->mask & TCIF_PARAM) != 0 ? item->lParam : 0));
            images_.insert(images_.begin() + at, (item->mask & TCIF_IMAGE) != 0 ? item->iImage : -1);
            if (selected < 0) bar_->setCurrentIndex(0);
            // Tabs added before the window first shows (a dialog's initialisation) must still
            // give the bar its height: a hidden control's layout is not redone by itself.
            Relayout();
            result = at;
            return true;
        }
        case TCM_DELETEITEM:
            if (!valid) {
                result = FALSE;
                return true;
            }
            bar_->removeTab(index);
            images_.erase(images_.begin() + index);
            result = TRUE;
            return true;
        case TCM_DELETEALLITEMS:
            while (bar_->count() > 0) bar_->removeTab(0);
            images_.clear();
            result = TRUE;
            return true;
        case TCM_GETCURSEL: result = bar_->currentIndex(); return true;
        // Qt's tab bar keeps its tabs on one row (scrolling them when they do not fit).
        case TCM_GETROWCOUNT: result = bar_->count() > 0 ? 1 : 0; return true;
        case TCM_SETCURSEL: {
            result = bar_->currentIndex();
            if (!valid) result = -1;
            else bar_->setCurrentIndex(index);
            return true;
        }
        case TCM_GETITEM:
        case TCM_SETITEM:
            if (!valid || item == nullptr) {
                result = FALSE;
                return true;
            }
            if (m == TCM_GETITEM) {
                if ((item->mask & TCIF_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0) {
                    const std::string s = bar_->tabText(index).toStdString();
                    const std::size_t n = CutOnCharacter(s, static_cast<std::size_t>(item->cchTextMax) - 1);
                    std::memcpy(item->pszText, s.data(), n);
                    item->pszText[n] = '\0';
                }
                if ((item->mask & TCIF_PARAM) != 0) item->lParam = static_cast<LPARAM>(bar_->tabData(index).toLongLong());
                if ((item->mask & TCIF_IMAGE) != 0) item->iImage = images_[static_cast<std::size_t>(index)];
            } else {
                if ((item->mask & TCIF_TEXT) != 0) bar_->setTabText(index, QString::fromUtf8(item->pszText != nullptr ? item->pszText : ""));
                if ((item->mask & TCIF_PARAM) != 0) bar_->setTabData(index, QVariant::fromValue<qlonglong>(item->lParam));
                if ((item->mask & TCIF_IMAGE) != 0) images_[static_cast<std::size_t>(index)] = item->iImage;
            }
            result = TRUE;
            return true;
        case TCM_GETITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(l);
            if (!valid || rect == nullptr) {
                result = FALSE;
                return true;
            }
            const QRect r = TabRect(index);
            *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
            result = TRUE;
            return true;
        }
        case TCM_HITTEST: {
            auto* info = reinterpret_cast<TCHITTESTINFO*>(l);
            result = -1;
            if (info == nullptr) return true;
            info->flags = TCHT_NOWHERE;
            for (int i = 0; i < bar_->count(); ++i) {
                if (TabRect(i).contains(info->pt.x, info->pt.y)) {
                    info->flags = TCHT_ONITEM;
                    result = i;
                    break;
                }
            }
            return true;
        }
        case TCM_ADJUSTRECT: {
            auto* rect = reinterpret_cast<RECT*>(l);
            if (rect == nullptr) return true;
            // The display area is the control less the tab strip and a 2-pixel border.
            const bool vertical = (style_ & TCS_VERTICAL) != 0;
            const bool far = (style_ & TCS_BOTTOM) != 0;
            const int strip = vertical ? bar_->sizeHint().width() : bar_->sizeHint().height();
            const int d = w != 0 ? -1 : 1;  // inwards for the display area, outwards for the window
            rect->left += d * 2;
            rect->top += d * 2;
            rect->right -= d * 2;
            rect->bottom -= d * 2;
            if (vertical && far) rect->right -= d * strip;
            else if (vertical) rect->left += d * strip;
            else if (far) rect->bottom -= d * strip;
            else rect->top += d * strip;
            return true;
        }
        default: return false;
        }
    }

    QTabBar* bar_ = nullptr;
    bool programmatic_ = false;

private:
    // A press on another tab asks the parent first; a nonzero answer keeps the current tab.
    class PressFilter : public QObject {
    public:
        explicit PressFilter(HWND h) : h_(h) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != QEvent::MouseButtonPress) return false;
            Record* rec = Find(h_);
            if (rec == nullptr) return false;
            auto* self = static_cast<TabBehaviour*>(rec->behaviour.get());
            const int index = self->bar_->tabAt(static_cast<QMouseEvent*>(e)->position().toPoint());
            if (index < 0 || index == self->bar_->currentIndex()) return false;
            NMHDR nm;
            nm.code = TCN_SELCHANGING;
            return NotifyParent(*rec, nm) != 0;
        }

    private:
        HWND h_;
    };

    DWORD style_;
    QWidget* box_ = nullptr;
    QFrame* frame_ = nullptr;
    std::vector<int> images_;
    std::unique_ptr<PressFilter> filter_;
};

// The key and modifiers typed into a hot-key field.
class HotKeyEdit : public QLineEdit {
public:
    explicit HotKeyEdit(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }
    WORD vk = 0;
    WORD modifiers = 0;
    std::function<void()> changed;

    void Show()
    {
        QString text;
        if ((modifiers & HOTKEYF_CONTROL) != 0) text += QStringLiteral("Ctrl + ");
        if ((modifiers & HOTKEYF_SHIFT) != 0) text += QStringLiteral("Shift + ");
        if ((modifiers & HOTKEYF_ALT) != 0) text += QStringLiteral("Alt + ");
        if (vk != 0) text += KeyName(vk, (modifiers & HOTKEYF_EXT) != 0);
        setText(vk == 0 && modifiers == 0 ? QStringLiteral("Нет") : text);
    }

    // The name of every key the keyboard can give the field (see TranslateKey); empty for a
    // key without one, which the field refuses rather than show as a number.
    static QString KeyName(int vk, bool extended)
    {
        if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return QString(QChar(vk));
        if (vk >= VK_F1 && vk <= VK_F24) return QStringLiteral("F%1").arg(vk - VK_F1 + 1);
        if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return QStringLiteral("Num %1").arg(vk - VK_NUMPAD0);
        const char* name = nullptr;
        // The navigation cluster also lives on the keypad, told apart by the extended flag.
        bool alsoOnKeypad = false;
        switch (vk) {
        case VK_UP: name = "Up"; alsoOnKeypad = true; break;
        case VK_DOWN: name = "Down"; alsoOnKeypad = true; break;
        case VK_LEFT: name = "Left"; alsoOnKeypad = true; break;
        case VK_RIGHT: name = "Right"; alsoOnKeypad = true; break;
        case VK_HOME: name = "Home"; alsoOnKeypad = true; break;
        case VK_END: name = "End"; alsoOnKeypad = true; break;
        case VK_PRIOR: name = "Page Up"; alsoOnKeypad = true; break;
        case VK_NEXT: name = "Page Down"; alsoOnKeypad = true; break;
        case VK_INSERT: name = "Insert"; alsoOnKeypad = true; break;
        case VK_DELETE: name = "Delete"; alsoOnKeypad = true; break;
        case VK_SPACE: name = "Space"; break;
        case VK_ADD: name = "Num +"; break;
        case VK_SUBTRACT: name = "Num -"; break;
        case VK_MULTIPLY: name = "Num *"; break;
        case VK_DIVIDE: name = "Num /"; break;
        case VK_DECIMAL: name = "Num Del"; break;
        case VK_RETURN: name = extended ? "Num Enter" : "Enter"; break;
        case VK_ESCAPE: name = "Esc"; break;
        case VK_TAB: name = "Tab"; break;
        case VK_BACK: name = "Backspace"; break;
        case VK_SHIFT: name = "Shift"; break;
        case VK_CONTROL: name = "Ctrl"; break;
        case VK_MENU: name = "Alt"; break;
        case VK_PAUSE: name = "Pause"; break;
        case VK_CAPITAL: name = "Caps Lock"; break;
        case VK_NUMLOCK: name = "Num Lock"; break;
        case VK_SCROLL: name = "Scroll Lock"; break;
        case VK_SNAPSHOT: name = "Print Screen"; break;
        case VK_APPS: name = "Menu"; break;
        // The punctuation keys by what they carry unshifted on the US layout, whose places
        // their virtual keys name.
        case VK_OEM_1: name = ";"; break;
        case VK_OEM_PLUS: name = "="; break;
        case VK_OEM_COMMA: name = ","; break;
        case VK_OEM_MINUS: name = "-"; break;
        case VK_OEM_PERIOD: name = "."; break;
        case VK_OEM_2: name = "/"; break;
        case VK_OEM_3: name = "`"; break;
        case VK_OEM_4: name = "["; break;
        case VK_OEM_5: name = "\\"; break;
        case VK_OEM_6: name = "]"; break;
        case VK_OEM_7: name = "'"; break;
        default: return QString();
        }
        QString s = QString::fromLatin1(name);
        if (alsoOnKeypad && !extended) s = QStringLiteral("Num ") + s;
        return s;
    }

protected:
    // The field catches keys; it holds no text to copy or select. The window system answers the
    // Menu key with a context menu besides the key itself: the key is the field's, the menu is
    // nobody's (passed on, it would open the window's own menu).
    void contextMenuEvent(QContextMenuEvent* e) override { e->accept(); }

    void keyPressEvent(QKeyEvent* e) override
    {
        const KeyTranslation t = TranslateKey(e->key(), e->modifiers(), e->nativeScanCode());
        if (t.vk == 0 || t.vk == VK_SHIFT || t.vk == VK_CONTROL || t.vk == VK_MENU || t.vk == VK_TAB) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        // Backspace empties the field: the way to say an action has no key.
        if (t.vk == VK_BACK) {
            vk = 0;
            modifiers = 0;
            Show();
            if (changed) changed();
            return;
        }
        if (KeyName(t.vk, t.extended).isEmpty()) return;
        WORD mods = 0;
        if (e->modifiers().testFlag(Qt::ShiftModifier)) mods |= HOTKEYF_SHIFT;
        if (e->modifiers().testFlag(Qt::ControlModifier)) mods |= HOTKEYF_CONTROL;
        if (e->modifiers().testFlag(Qt::AltModifier)) mods |= HOTKEYF_ALT;
        if (t.extended) mods |= HOTKEYF_EXT;
        vk = static_cast<WORD>(t.vk);
        modifiers = mods;
        Show();
        if (changed) changed();
    }
};

class HotKeyBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        edit_ = new HotKeyEdit(parent);
        edit_->Show();
        return edit_;
    }
    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        edit_->changed = [h] {
            if (Record* rec = Find(h)) NotifyParent(*rec, EN_CHANGE);
        };
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM, LRESULT& result) override
    {
        if (m == HKM_SETHOTKEY) {
            edit_->vk = LOBYTE_(w);
            edit_->modifiers = static_cast<WORD>((w >> 8) & 0xFF);
            // A key no keyboard gives (from a damaged settings file, say) is no key: the field
            // holds what it shows.
            if (edit_->vk != 0 && HotKeyEdit::KeyName(edit_->vk, (edit_->modifiers & HOTKEYF_EXT) != 0).isEmpty()) {
                edit_->vk = 0;
                edit_->modifiers = 0;
            }
            edit_->Show();
            return true;
        }
        if (m == HKM_GETHOTKEY) {
            result = static_cast<LRESULT>(edit_->vk | (edit_->modifiers << 8));
            return true;
        }
        return false;
    }
    std::string GetText(const Record&) const override { return edit_->text().toStdString(); }

private:
    static WORD LOBYTE_(WPARAM w) { return static_cast<WORD>(w & 0xFF); }
    HotKeyEdit* edit_ = nullptr;
};

}  // namespace

std::unique_ptr<Behaviour> MakeMoreControlBehaviour(const std::string& upper, DWORD style)
{
    if (upper == "SYSTABCONTROL32") return std::make_unique<TabBehaviour>(style);
    if (upper == "MSCTLS_HOTKEY32") return std::make_unique<HotKeyBehaviour>();
    return nullptr;
}

}  // namespace uiimpl

// ---- CTabCtrl ----
BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("SysTabControl32", "", style, rect, parent, id); }
LONG CTabCtrl::InsertItem(int item, const char* text) { return InsertItem(TCIF_TEXT, item, text, -1, 0); }
LONG CTabCtrl::InsertItem(UINT mask, int item, const char* text, int image, LPARAM lParam)
{
    TCITEM t;
    t.mask = mask;
    t.pszText = const_cast<char*>(text);
    t.iImage = image;
    t.lParam = lParam;
    return InsertItem(item, &t);
}
LONG CTabCtrl::InsertItem(int item, TCITEM* tabItem)
{
    return static_cast<LONG>(SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(static_cast<std::intptr_t>(item)), reinterpret_cast<LPARAM>(tabItem)));
}
BOOL CTabCtrl::DeleteItem(int item) { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(static_cast<std::intptr_t>(item)))); }
BOOL CTabCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
int CTabCtrl::GetItemCount() const { return static_cast<int>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_GETITEMCOUNT)); }
int CTabCtrl::GetRowCount() const { return static_cast<int>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_GETROWCOUNT)); }
int CTabCtrl::GetCurSel() const { return static_cast<int>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_GETCURSEL)); }
int CTabCtrl::SetCurSel(int item) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(item)))); }
BOOL CTabCtrl::GetItem(int item, TCITEM* tabItem) const
{
    return static_cast<BOOL>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_GETITEM, static_cast<WPARAM>(static_cast<std::intptr_t>(item)), reinterpret_cast<LPARAM>(tabItem)));
}
BOOL CTabCtrl::SetItem(int item, TCITEM* tabItem)
{
    return static_cast<BOOL>(SendMessage(TCM_SETITEM, static_cast<WPARAM>(static_cast<std::intptr_t>(item)), reinterpret_cast<LPARAM>(tabItem)));
}
BOOL CTabCtrl::GetItemRect(int item, LPRECT rect) const
{
    return static_cast<BOOL>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(static_cast<std::intptr_t>(item)), reinterpret_cast<LPARAM>(rect)));
}
int CTabCtrl::HitTest(TCHITTESTINFO* info) const
{
    return static_cast<int>(const_cast<CTabCtrl*>(this)->SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}
void CTabCtrl::AdjustRect(BOOL larger, LPRECT rect) { SendMessage(TCM_ADJUSTRECT, static_cast<WPARAM>(larger), reinterpret_cast<LPARAM>(rect)); }

// ---- CHotKeyCtrl ----
BOOL CHotKeyCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("msctls_hotkey32", "", style, rect, parent, id); }
void CHotKeyCtrl::SetHotKey(WORD virtualKey, WORD modifiers)
{
    SendMessage(HKM_SETHOTKEY, static_cast<WPARAM>((virtualKey & 0xFF) | ((modifiers & 0xFF) << 8)));
}
DWORD CHotKeyCtrl::GetHotKey() const { return static_cast<DWORD>(const_cast<CHotKeyCtrl*>(this)->SendMessage(HKM_GETHOTKEY)); }
void CHotKeyCtrl::GetHotKey(WORD& virtualKey, WORD& modifiers) const
{
    const DWORD v = GetHotKey();
    virtualKey = static_cast<WORD>(v & 0xFF);
    modifiers = static_cast<WORD>((v >> 8) & 0xFF);
}

// ---- path shortening ----
CString CompactPathToWidth(CWnd* wnd, const CString& path, int width)
{
    uiimpl::Record* r = wnd != nullptr ? uiimpl::Find(wnd->m_hWnd) : nullptr;
    const QFontMetrics fm(r != nullptr ? uiimpl::FontOf(*r) : uiimpl::DialogFont());
    const QString full = QString::fromStdString(path);
    if (fm.horizontalAdvance(full) <= width) return path;
    const int slash = full.lastIndexOf(QLatin1Char('/'));
    const QString name = full.mid(slash + 1);
    QString head = slash >= 0 ? full.left(slash) : QString();
    // Drop characters from the end of the folder part until "<head>.../<name>" fits.
    while (!head.isEmpty()) {
        head.chop(1);
        const QString candidate = head + QStringLiteral(".../") + name;
        if (fm.horizontalAdvance(candidate) <= width) return CString(candidate.toStdString());
    }
    const QString shortName = fm.elidedText(QStringLiteral(".../") + name, Qt::ElideRight, std::max(0, width));
    return CString(shortName.toStdString());
}
