#include "platform/ui/Wnd.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WndImpl.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace uiimpl {

void PaintWindow(Record& r, QWidget* widget);  // PaintDC.cpp

bool positioning = false;

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct ClassEntry {
    WNDCLASS wc;
    std::string name;  // the registered spelling; wc.lpszClassName points here
};

std::map<std::string, ClassEntry>& Classes()
{
    static auto* classes = new std::map<std::string, ClassEntry>();
    return *classes;
}

// The widget of dialogs and of windows whose object paints them: every event becomes the
// window message the object expects.
class WndWidget : public QWidget {
public:
    WndWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (Record* r = Find(hwnd_)) PaintWindow(*r, this);
    }
    void resizeEvent(QResizeEvent*) override
    {
        Record* r = Find(hwnd_);
        if (r == nullptr) return;
        if (isWindow() && !adjusting_ && !positioning) {
            // A size the user dragged to is offered to WM_WINDOWPOSCHANGING like any other.
            const QRect frame = OuterRect(this);
            WINDOWPOS pos;
            pos.hwnd = hwnd_;
            pos.x = frame.x();
            pos.y = frame.y();
            pos.cx = frame.width();
            pos.cy = frame.height();
            pos.flags = SWP_NOMOVE | SWP_NOZORDER;
            Send(hwnd_, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
            if (pos.cx != frame.width() || pos.cy != frame.height()) {
                adjusting_ = true;
                resize(std::max(0, pos.cx - (frame.width() - width())), std::max(0, pos.cy - (frame.height() - height())));
                adjusting_ = false;
                return;  // the adjusted resize reports WM_SIZE
            }
        }
        const UINT type = isMaximized() ? SIZE_MAXIMIZED : isMinimized() ? SIZE_MINIMIZED : SIZE_RESTORED;
        Send(hwnd_, WM_SIZE, type, MAKELPARAM(static_cast<unsigned>(width()), static_cast<unsigned>(height())));
    }
    void moveEvent(QMoveEvent*) override
    {
        Send(hwnd_, WM_MOVE, 0, MAKELPARAM(static_cast<unsigned>(x() & 0xFFFF), static_cast<unsigned>(y() & 0xFFFF)));
    }
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();  // the window decides: dialogs turn the close box into IDCANCEL
        Record* r = Find(hwnd_);
        if (r != nullptr && !r->destroying) Send(hwnd_, WM_CLOSE, 0, 0);
    }
    void mousePressEvent(QMouseEvent* e) override { Mouse(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { Mouse(e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Mouse(e); }
    void mouseMoveEvent(QMouseEvent* e) override { Mouse(e); }
    void wheelEvent(QWheelEvent* e) override
    {
        const QPoint g = e->globalPosition().toPoint();
        const int delta = e->angleDelta().y();
        UINT flags = 0;
        if (e->buttons().testFlag(Qt::LeftButton)) flags |= MK_LBUTTON;
        if (e->buttons().testFlag(Qt::RightButton)) flags |= MK_RBUTTON;
        if (e->modifiers().testFlag(Qt::ShiftModifier)) flags |= MK_SHIFT;
        if (e->modifiers().testFlag(Qt::ControlModifier)) flags |= MK_CONTROL;
        Send(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(flags, static_cast<unsigned>(delta & 0xFFFF)),
             MAKELPARAM(static_cast<unsigned>(g.x() & 0xFFFF), static_cast<unsigned>(g.y() & 0xFFFF)));
        e->accept();
    }
    void keyPressEvent(QKeyEvent* e) override { Key(e, true); }
    void keyReleaseEvent(QKeyEvent* e) override { Key(e, false); }
    void contextMenuEvent(QContextMenuEvent* e) override
    {
        const QPoint g = e->globalPos();
        Send(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
             MAKELPARAM(static_cast<unsigned>(g.x() & 0xFFFF), static_cast<unsigned>(g.y() & 0xFFFF)));
    }
    void focusInEvent(QFocusEvent*) override { Send(hwnd_, WM_SETFOCUS, 0, 0); }
    void focusOutEvent(QFocusEvent*) override { Send(hwnd_, WM_KILLFOCUS, 0, 0); }

private:
    bool adjusting_ = false;
    void Mouse(QMouseEvent* e)
    {
        Record* r = Find(hwnd_);
        if (r == nullptr) return;
        UINT message = 0;
        const bool right = e->button() == Qt::RightButton;
        const bool middle = e->button() == Qt::MiddleButton;
        switch (e->type()) {
        case QEvent::MouseButtonPress: message = middle ? WM_MBUTTONDOWN : right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN; break;
        case QEvent::MouseButtonRelease: message = middle ? WM_MBUTTONUP : right ? WM_RBUTTONUP : WM_LBUTTONUP; break;
        case QEvent::MouseButtonDblClick:
            if (middle) message = r->dblclks ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
            else message = r->dblclks ? (right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK) : (right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
            break;
        case QEvent::MouseMove: message = WM_MOUSEMOVE; break;
        default: return;
        }
        if (e->button() != Qt::NoButton && !right && !middle && e->button() != Qt::LeftButton) return;
        UINT flags = 0;
        if (e->buttons().testFlag(Qt::LeftButton)) flags |= MK_LBUTTON;
        if (e->buttons().testFlag(Qt::RightButton)) flags |= MK_RBUTTON;
        if (e->buttons().testFlag(Qt::MiddleButton)) flags |= MK_MBUTTON;
        if (e->modifiers().testFlag(Qt::ShiftModifier)) flags |= MK_SHIFT;
        if (e->modifiers().testFlag(Qt::ControlModifier)) flags |= MK_CONTROL;
        const QPoint p = e->position().toPoint();
        if (message == WM_MOUSEMOVE)
            Send(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd_), MAKELPARAM(1u, WM_MOUSEMOVE));
        Send(hwnd_, message, flags, MAKELPARAM(static_cast<unsigned>(p.x() & 0xFFFF), static_cast<unsigned>(p.y() & 0xFFFF)));
        e->accept();
    }
    void Key(QKeyEvent* e, bool down)
    {
        const KeyTranslation t = TranslateKey(e->key(), e->modifiers(), e->nativeScanCode());
        e->accept();
        if (t.vk == 0) return;
        const bool alt = e->modifiers().testFlag(Qt::AltModifier) || t.vk == VK_MENU;
        LPARAM lp = 1;
        if (t.extended) lp |= KF_EXTENDED_BIT;
        if (alt) lp |= KF_ALTDOWN_BIT;
        if (!down) lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
        const UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        Send(hwnd_, message, static_cast<WPARAM>(t.vk), lp & 0xFFFFFFFF);
        if (down && !alt && !e->text().isEmpty() && e->text().at(0).isPrint())
            Send(hwnd_, WM_CHAR, static_cast<WPARAM>(e->text().at(0).unicode()), 1);
    }

    HWND hwnd_;
};

class GenericBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        auto* w = new WndWidget(r.HandleValue(), parent);
        if (r.isDialog) {
            w->setAutoFillBackground(true);
            w->setFocusPolicy(Qt::NoFocus);
        } else if ((r.style & WS_CHILD) != 0) {
            // A window of our own draws no focus and takes the keyboard only when its program
            // gives it the focus: Tab stops at it only when it asks to be a tab stop, and a
            // click leaves the focus where it was.
            w->setFocusPolicy((r.style & WS_TABSTOP) != 0 ? Qt::TabFocus : Qt::NoFocus);
        }
        return w;
    }
    bool IsNativeControl() const override { return false; }
};

}  // namespace

void Behaviour::SetText(Record& r, const std::string& text)
{
    r.text = text;
    if (r.widget != nullptr && (r.style & WS_CHILD) == 0) r.widget->setWindowTitle(QString::fromStdString(text));
}

std::string Behaviour::GetText(const Record& r) const { return r.text; }

void Behaviour::ApplyFont(Record&, const QFont&) {}

std::unique_ptr<Behaviour> MakeControlBehaviour(const std::string& upperName, DWORD style);  // Controls.cpp

std::unique_ptr<Behaviour> MakeBehaviour(const std::string& className, DWORD style)
{
    const std::string upper = Upper(className);
    if (upper == "#32770") return std::make_unique<GenericBehaviour>();
    if (auto b = MakeControlBehaviour(upper, style)) return b;
    if (Classes().count(upper) != 0) return std::make_unique<GenericBehaviour>();
    return nullptr;
}

namespace {

// The buttons of a caption are those its style asks for, and no more: left to itself the window
// system gives every main window a maximize button. A window without a thick frame has one size
// only, so it offers no maximize whatever its style says.
Qt::WindowFlags CaptionButtons(DWORD style)
{
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((style & WS_SYSMENU) != 0) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
    if ((style & WS_MAXIMIZEBOX) != 0 && (style & WS_THICKFRAME) != 0) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

}  // namespace

QFont FontOf(const Record& r)
{
    if (r.font != nullptr) {
        if (auto obj = gdi::FindObject(r.font->m_hObject, GdiObjectKind::Font)) return obj->font.font;
    }
    return DialogFont();
}

HWND CreateWindowRecord(const CreateParams& p, CWnd* attach)
{
    EnsureEventFilter();
    auto behaviour = MakeBehaviour(p.isDialog ? "#32770" : p.className, p.style);
    if (behaviour == nullptr) return nullptr;
    const bool child = (p.style & WS_CHILD) != 0;
    Record* parent = Find(p.parent);
    if (child && (parent == nullptr || parent->widget == nullptr)) return nullptr;

    // The standard classes keep one spelling, whatever the template wrote.
    static const char* const standard[] = {"Button", "Static", "Edit", "ListBox", "ComboBox", "SysTreeView32",
                                           "msctls_updown32", "msctls_progress32", "ScrollBar", "SysTabControl32",
                                           "msctls_hotkey32", "SysListView32"};
    std::string className = p.className;
    for (const char* name : standard)
        if (Upper(className) == Upper(name)) className = name;
    auto record = std::make_unique<Record>();
    record->className = p.isDialog ? "#32770" : className;
    record->style = p.style;
    record->exStyle = p.exStyle;
    record->ctrlId = child ? p.ctrlId : 0;
    record->parent = parent != nullptr ? p.parent : nullptr;
    record->behaviour = std::move(behaviour);
    record->isDialog = p.isDialog;
    record->text = p.text;
    {
        const auto it = Classes().find(Upper(p.className));
        record->dblclks = it == Classes().end() || (it->second.wc.style & CS_DBLCLKS) != 0;
    }
    const HWND hwnd = NewRecord(std::move(record));
    Record& r = *Find(hwnd);
    if (child) parent->children.push_back(hwnd);

    QWidget* parentWidget = parent != nullptr ? parent->widget.data() : nullptr;
    QWidget* w = r.behaviour->CreateWidget(r, child ? parentWidget : nullptr);
    r.widget = w;
    w->setProperty("velkaro.hwnd", QVariant::fromValue<uint>(r.id));
    if (!child) {
        Qt::WindowFlags flags = Qt::Window;
        const bool popupOnly = (p.style & WS_CAPTION) != WS_CAPTION;
        if ((p.exStyle & WS_EX_TOOLWINDOW) != 0 && popupOnly) flags = Qt::ToolTip;
        else if (parentWidget != nullptr) flags = Qt::Dialog;
        if (popupOnly && (p.style & WS_POPUP) != 0) flags |= Qt::FramelessWindowHint;
        if ((p.exStyle & WS_EX_TOPMOST) != 0) flags |= Qt::WindowStaysOnTopHint;
        if (!popupOnly) flags |= CaptionButtons(p.style);
        w->setParent(parentWidget, flags);
        if ((p.exStyle & WS_EX_NOACTIVATE) != 0) w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setWindowTitle(QString::fromStdString(p.text));
        w->move(p.rect.left, p.rect.top);
        w->resize(std::max(0, p.rect.Width()), std::max(0, p.rect.Height()));
        FollowSizeRule(r);
    } else {
        w->setGeometry(p.rect.left, p.rect.top, std::max(0, p.rect.Width()), std::max(0, p.rect.Height()));
    }
    if (parent != nullptr && parent->font != nullptr) r.font = parent->font;
    w->setFont(FontOf(r));
    r.behaviour->ApplyFont(r, FontOf(r));
    if (!p.text.empty()) r.behaviour->SetText(r, p.text);
    if ((p.style & WS_DISABLED) != 0) w->setEnabled(false);

    if (attach != nullptr) {
        attach->m_hWnd = hwnd;
        r.wnd = attach;
        attach->PreSubclassWindow();
    }
    r.behaviour->Connect(r);

    if (!p.isDialog) {
        CREATESTRUCT cs;
        cs.hwndParent = p.parent;
        cs.x = p.rect.left;
        cs.y = p.rect.top;
        cs.cx = p.rect.Width();
        cs.cy = p.rect.Height();
        cs.style = static_cast<LONG>(p.style);
        cs.dwExStyle = p.exStyle;
        cs.lpszName = p.text.c_str();
        cs.lpszClass = p.className.c_str();
        if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
            DestroyRecord(hwnd);
            return nullptr;
        }
    }
    if (Find(hwnd) == nullptr) return nullptr;
    // A Qt child shows with its parent unless it was hidden explicitly.
    if ((p.style & WS_VISIBLE) != 0 && !p.isDialog) Find(hwnd)->widget->show();
    else if (child) Find(hwnd)->widget->hide();
    return hwnd;
}

LRESULT DefaultProc(Record& r, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (r.behaviour->DefProc(r, message, wParam, lParam, result)) return result;
    const HWND hwnd = r.HandleValue();
    switch (message) {
    case WM_SETTEXT:
        r.behaviour->SetText(r, lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
        return TRUE;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(r.behaviour->GetText(r).size());
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0) return 0;
        const std::string text = r.behaviour->GetText(r);
        const std::size_t n = CutOnCharacter(text, wParam - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_SETFONT: {
        CGdiObject* obj = CGdiObject::FromHandle(static_cast<HGDIOBJ>(wParam));
        r.font = dynamic_cast<CFont*>(obj);
        if (r.widget != nullptr) {
            const QFont f = FontOf(r);
            r.widget->setFont(f);
            r.behaviour->ApplyFont(r, f);
            if (lParam != 0) r.widget->update();
        }
        return 0;
    }
    case WM_GETFONT:
        return r.font != nullptr ? static_cast<LRESULT>(r.font->m_hObject) : 0;
    case WM_CLOSE:
        if (r.isDialog) {
            HWND cancel = nullptr;
            for (HWND c : r.children)
                if (Record* cr = Find(c); cr != nullptr && cr->ctrlId == IDCANCEL) cancel = c;
            Send(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDCANCEL), BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        } else if (r.wnd != nullptr) {
            r.wnd->DestroyWindow();
        } else {
            DestroyRecord(hwnd);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) Send(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
        if ((r.style & WS_CHILD) != 0) return Send(r.parent, message, wParam, lParam);
        if (message == WM_CONTEXTMENU && r.systemMenu != nullptr && r.systemMenu->GetMenuItemCount() > 0 && r.widget != nullptr) {
            QMenu menu(r.widget);
            for (const CMenu::Item& item : r.systemMenu->Items()) {
                if ((item.flags & MF_SEPARATOR) != 0) {
                    menu.addSeparator();
                    continue;
                }
                QString text = QString::fromStdString(item.text);
                QAction* action = menu.addAction(text);
                action->setData(QVariant::fromValue<qulonglong>(item.id));
                action->setEnabled((item.flags & MF_GRAYED) == 0);
            }
            QAction* chosen = menu.exec(QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            if (chosen != nullptr) Send(hwnd, WM_SYSCOMMAND, static_cast<WPARAM>(chosen->data().toULongLong()), 0);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (r.widget != nullptr && LOWORD(lParam) == 1) r.widget->unsetCursor();
        return 0;
    default:
        return 0;
    }
}

}  // namespace uiimpl

using namespace uiimpl;

// ---- free functions ----

BOOL AfxRegisterClass(const WNDCLASS* wndClass)
{
    if (wndClass == nullptr || wndClass->lpszClassName == nullptr) return FALSE;
    const std::string name = Upper(wndClass->lpszClassName);
    if (Classes().count(name) == 0) {
        ClassEntry& entry = Classes()[name];
        entry.name = wndClass->lpszClassName;
        entry.wc = *wndClass;
        entry.wc.lpszClassName = entry.name.c_str();
    }
    return TRUE;
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static auto* names = new std::map<std::string, std::string>();
    const std::string name = StringFormat("Velkaro:%X:%X:%X:%X", classStyle, cursor, background, icon);
    auto it = names->find(name);
    if (it == names->end()) {
        it = names->emplace(name, name).first;
        WNDCLASS wc;
        wc.style = classStyle;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = it->second.c_str();
        AfxRegisterClass(&wc);
    }
    return it->second.c_str();
}

BOOL AfxGetClassInfo(const char* className, WNDCLASS* wndClass)
{
    if (className == nullptr) return FALSE;
    auto it = Classes().find(Upper(className));
    if (it == Classes().end()) return FALSE;
    if (wndClass != nullptr) *wndClass = it->second.wc;
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) != nullptr; }

int GetClassName(HWND hwnd, char* name, int maxCount)
{
    Record* r = Find(hwnd);
    if (r == nullptr || name == nullptr || maxCount <= 0) return 0;
    const std::size_t n = CutOnCharacter(r->className, static_cast<std::size_t>(maxCount) - 1);
    std::memcpy(name, r->className.data(), n);
    name[n] = '\0';
    return static_cast<int>(n);
}
