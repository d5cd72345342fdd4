#include "platform/ui/Wnd.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiHooks.h"
#include "platform/ui/WndImpl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace uiimpl {

void PaintWindow(Record& r, QWidget* widget);  // PaintDC.cpp

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Set while SetWindowPos applies a position it has already offered to WM_WINDOWPOSCHANGING.
bool positioning = false;

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
            const QRect frame = frameGeometry();
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
        if ((p.style & WS_MAXIMIZEBOX) != 0 && (p.style & WS_CAPTION) == WS_CAPTION) flags |= Qt::WindowMaximizeButtonHint;
        w->setParent(parentWidget, flags);
        if ((p.exStyle & WS_EX_NOACTIVATE) != 0) w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setWindowTitle(QString::fromStdString(p.text));
        w->move(p.rect.left, p.rect.top);
        w->resize(std::max(0, p.rect.Width()), std::max(0, p.rect.Height()));
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

// ---- hooks ----

namespace uihooks {
namespace {
std::vector<ModalHandler>& Handlers()
{
    static auto* handlers = new std::vector<ModalHandler>();
    return *handlers;
}
bool autoAnswer = false;
std::vector<std::string>& BoxLog()
{
    static auto* log = new std::vector<std::string>();
    return *log;
}
}  // namespace

void PushModalHandler(ModalHandler handler) { Handlers().push_back(std::move(handler)); }
void ClearModalHandlers() { Handlers().clear(); }
std::size_t PendingModalHandlers() { return Handlers().size(); }
void SetAutoAnswer(bool on) { autoAnswer = on; }
bool AutoAnswer() { return autoAnswer; }
std::vector<std::string> TakeMessageBoxLog()
{
    std::vector<std::string> out;
    out.swap(BoxLog());
    return out;
}
void LogMessageBox(const std::string& caption, const std::string& text) { BoxLog().push_back(caption + "|" + text); }

void ModalLoopStarted(ModalContext context)
{
    if (!Handlers().empty()) {
        ModalHandler handler = std::move(Handlers().front());
        Handlers().erase(Handlers().begin());
        PostToUi([handler = std::move(handler), context]() mutable { handler(context); });
        return;
    }
    if (autoAnswer) {
        PostToUi([context] {
            const UINT buttons = context.type & MB_TYPEMASK;
            int answer = IDCANCEL;
            if (context.kind == ModalKind::MessageBox) answer = buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL;
            context.End(answer);
        });
    }
}
}  // namespace uihooks

// ---- helpers used by message-map thunks ----

CWnd* AfxWndFromHandle(HWND hwnd) { return CWnd::FromHandle(hwnd); }
CDC* AfxDCFromParam(WPARAM wParam) { return reinterpret_cast<CDC*>(wParam); }
const MSG* AfxGetCurrentMessage() { return CWnd::GetCurrentMessage(); }

// ---- CWnd ----

CWnd::CWnd() = default;

CWnd::CWnd(HWND place) : m_hWnd(place) {}

namespace {
// The z-order places are no windows: their objects never touch the window table.
bool IsPlace(HWND h) { return h == HWND_BOTTOM || h == HWND_TOPMOST || h == HWND_NOTOPMOST; }
}  // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd()
{
    if (m_hWnd == nullptr || IsPlace(m_hWnd)) return;
    Record* r = Find(m_hWnd);
    if (r != nullptr && r->wnd == this) {
        // The derived parts are gone: the window's last messages go to the default handling.
        r->wnd = nullptr;
        DestroyRecord(m_hWnd);
    }
    m_hWnd = nullptr;
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!OnUiThread()) return nullptr;
    Record* r = Find(hwnd);
    if (r == nullptr) return nullptr;
    if (r->wnd != nullptr) return r->wnd;
    if (r->temporary == nullptr) {
        r->temporary.reset(MakeTemporaryFor(*r));
        r->temporary->m_hWnd = hwnd;
    }
    return r->temporary.get();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    Record* r = Find(hwnd);
    return r != nullptr ? r->wnd : nullptr;
}

BOOL CWnd::Attach(HWND hwnd)
{
    Record* r = Find(hwnd);
    if (r == nullptr || m_hWnd != nullptr || (r->wnd != nullptr && r->wnd != this)) return FALSE;
    r->wnd = this;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (Record* r = Find(h); r != nullptr && r->wnd == this) r->wnd = nullptr;
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (parent == nullptr) return FALSE;
    CWnd* item = parent->GetDlgItem(static_cast<int>(id));
    return item != nullptr && SubclassWindow(item->m_hWnd);
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* context)
{
    return CreateEx(0, className, windowName, style, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void*)
{
    if (m_hWnd != nullptr || className == nullptr || !OnUiThread()) return FALSE;
    CreateParams p;
    p.className = className;
    p.text = windowName != nullptr ? windowName : "";
    p.style = style;
    p.exStyle = exStyle;
    p.rect = CRect(rect);
    p.parent = parent != nullptr ? parent->m_hWnd : nullptr;
    p.ctrlId = static_cast<int>(id);
    return CreateWindowRecord(p, this) != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU idOrMenu, void* context)
{
    const CRect rect(x, y, x + cx, y + cy);
    return CreateEx(exStyle, className, windowName, style, rect, FromHandle(parent),
                    static_cast<UINT>(HandleToId(idOrMenu)), context);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr || Find(m_hWnd) == nullptr) return FALSE;
    DestroyRecord(m_hWnd);
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? FromHandle(r->parent) : nullptr;
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    CWnd* old = GetParent();
    const HWND np = newParent != nullptr ? newParent->m_hWnd : nullptr;
    if (Record* op = Find(r->parent)) {
        auto& list = op->children;
        list.erase(std::remove(list.begin(), list.end(), m_hWnd), list.end());
    }
    r->parent = np;
    Record* nr = Find(np);
    if ((r->style & WS_CHILD) != 0 && nr != nullptr) {
        nr->children.push_back(m_hWnd);
        if (r->widget != nullptr) {
            const bool visible = !r->widget->isHidden();
            r->widget->setParent(nr->widget);
            r->widget->setVisible(visible);
        }
    }
    return old;
}

CWnd* CWnd::GetOwner() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr && (r->style & WS_CHILD) == 0 ? FromHandle(r->parent) : GetParent();
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    for (Record* r = Find(h); r != nullptr && (r->style & WS_CHILD) != 0; r = Find(h)) h = r->parent;
    return FromHandle(h);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    for (HWND c : r->children)
        if (Record* cr = Find(c); cr != nullptr && cr->ctrlId == id) return FromHandle(c);
    return nullptr;
}

int CWnd::GetDlgCtrlID() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->ctrlId : 0;
}

int CWnd::SetDlgCtrlID(int id)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    const int old = r->ctrlId;
    r->ctrlId = id;
    return old;
}

CWnd* CWnd::GetWindow(UINT cmd) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return nullptr;
    switch (cmd) {
    case GW_CHILD:
        return r->children.empty() ? nullptr : FromHandle(r->children.front());
    case GW_OWNER:
        return (r->style & WS_CHILD) == 0 ? FromHandle(r->parent) : nullptr;
    case GW_HWNDFIRST:
    case GW_HWNDLAST:
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        Record* p = Find(r->parent);
        if (p == nullptr || (r->style & WS_CHILD) == 0) return nullptr;
        const auto& list = p->children;
        auto it = std::find(list.begin(), list.end(), m_hWnd);
        if (it == list.end()) return nullptr;
        if (cmd == GW_HWNDFIRST) return FromHandle(list.front());
        if (cmd == GW_HWNDLAST) return FromHandle(list.back());
        if (cmd == GW_HWNDNEXT) return ++it == list.end() ? nullptr : FromHandle(*it);
        return it == list.begin() ? nullptr : FromHandle(*--it);
    }
    default:
        return nullptr;
    }
}

BOOL CWnd::IsChild(const CWnd* wnd) const
{
    if (wnd == nullptr) return FALSE;
    HWND h = wnd->m_hWnd;
    for (Record* r = Find(h); r != nullptr && (r->style & WS_CHILD) != 0; r = Find(h)) {
        h = r->parent;
        if (h == m_hWnd) return TRUE;
    }
    return FALSE;
}

CWnd* CWnd::ChildWindowFromPoint(POINT point, UINT flags) const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return nullptr;
    if (!QRect(0, 0, r->widget->width(), r->widget->height()).contains(point.x, point.y)) return nullptr;
    for (HWND c : r->children) {
        Record* cr = Find(c);
        if (cr == nullptr || cr->widget == nullptr) continue;
        if ((flags & CWP_SKIPINVISIBLE) != 0 && cr->widget->isHidden()) continue;
        if ((flags & CWP_SKIPDISABLED) != 0 && !cr->widget->isEnabled()) continue;
        if (cr->widget->geometry().contains(point.x, point.y)) return FromHandle(c);
    }
    return const_cast<CWnd*>(this);
}

CWnd* CWnd::WindowFromPoint(POINT point)
{
    const QPoint global(point.x, point.y);
    QWidget* top = QApplication::widgetAt(global);
    // widgetAt ignores hidden widgets; disabled windows pass the point to their parent.
    for (QWidget* w = top; w != nullptr; w = w->parentWidget()) {
        Record* r = FindByWidget(w);
        if (r == nullptr) return nullptr;
        if (r->widget != nullptr && r->widget->isEnabled()) return FromHandle(r->HandleValue());
        w = r->widget;
        if (w == nullptr) return nullptr;
    }
    // Off-screen platforms do not always know which window lies on top: search our own.
    for (HWND h : TopLevelWindows()) {
        Record* r = Find(h);
        if (r == nullptr || r->widget == nullptr || !r->widget->isVisible()) continue;
        if (!r->widget->geometry().contains(global)) continue;
        HWND found = h;
        bool descended = true;
        while (descended) {
            descended = false;
            Record* fr = Find(found);
            for (auto it = fr->children.rbegin(); it != fr->children.rend(); ++it) {
                Record* cr = Find(*it);
                if (cr == nullptr || cr->widget == nullptr || !cr->widget->isVisible() || !cr->widget->isEnabled()) continue;
                if (QRect(cr->widget->mapToGlobal(QPoint(0, 0)), cr->widget->size()).contains(global)) {
                    found = *it;
                    descended = true;
                    break;
                }
            }
        }
        return FromHandle(found);
    }
    return nullptr;
}

DWORD CWnd::GetStyle() const
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    DWORD style = r->style & ~(WS_VISIBLE | WS_DISABLED);
    if (r->widget != nullptr && !r->widget->isHidden()) style |= WS_VISIBLE;
    if (r->widget != nullptr && r->widget->testAttribute(Qt::WA_ForceDisabled)) style |= WS_DISABLED;
    return style;
}

DWORD CWnd::GetExStyle() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->exStyle : 0;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    const DWORD old = GetStyle();  // visibility and enabling as they are now
    r->style = (old & ~remove) | add;
    if (((old ^ r->style) & WS_VISIBLE) != 0 && r->widget != nullptr) r->widget->setVisible((r->style & WS_VISIBLE) != 0);
    if (((old ^ r->style) & WS_DISABLED) != 0 && r->widget != nullptr) r->widget->setEnabled((r->style & WS_DISABLED) == 0);
    if (old != r->style) r->behaviour->StyleChanged(*r);
    return old != r->style;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    const DWORD old = r->exStyle;
    r->exStyle = (r->exStyle & ~remove) | add;
    return old != r->exStyle;
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (rect == nullptr) return;
    *rect = RECT{0, 0, 0, 0};
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return;
    QWidget* w = r->widget;
    QRect g;
    if (w->isWindow()) g = w->frameGeometry();
    else g = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    *rect = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CWnd::GetClientRect(LPRECT rect) const
{
    if (rect == nullptr) return;
    *rect = RECT{0, 0, 0, 0};
    QWidget* w = WidgetOf(m_hWnd);
    if (w != nullptr) *rect = RECT{0, 0, w->width(), w->height()};
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr || point == nullptr) return;
    const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    if (rect == nullptr) return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ScreenToClient(&a);
    ScreenToClient(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr || point == nullptr) return;
    const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    if (rect == nullptr) return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ClientToScreen(&a);
    ClientToScreen(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0u : SWP_NOREDRAW));
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    if (rect != nullptr) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    QWidget* w = r->widget;
    const bool top = w->isWindow();
    const QRect frame = top ? w->frameGeometry() : w->geometry();
    const int dw = top ? frame.width() - w->width() : 0;
    const int dh = top ? frame.height() - w->height() : 0;

    WINDOWPOS pos;
    pos.hwnd = m_hWnd;
    pos.hwndInsertAfter = insertAfter != nullptr ? insertAfter->m_hWnd : nullptr;
    pos.x = (flags & SWP_NOMOVE) != 0 ? frame.x() : x;
    pos.y = (flags & SWP_NOMOVE) != 0 ? frame.y() : y;
    pos.cx = (flags & SWP_NOSIZE) != 0 ? frame.width() : cx;
    pos.cy = (flags & SWP_NOSIZE) != 0 ? frame.height() : cy;
    pos.flags = flags;
    SendMessage(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    w = r->widget;
    positioning = true;
    if ((pos.flags & SWP_NOMOVE) == 0) w->move(pos.x, pos.y);
    if ((pos.flags & SWP_NOSIZE) == 0) w->resize(std::max(0, pos.cx - dw), std::max(0, pos.cy - dh));
    positioning = false;
    if ((pos.flags & SWP_NOZORDER) == 0) {
        const HWND place = insertAfter != nullptr ? insertAfter->m_hWnd : HWND_TOP;
        if (place == HWND_BOTTOM) w->lower();
        else if (place == HWND_TOP || place == HWND_TOPMOST) w->raise();
    }
    if ((pos.flags & SWP_SHOWWINDOW) != 0) ShowWindow((pos.flags & SWP_NOACTIVATE) != 0 ? SW_SHOWNA : SW_SHOW);
    if ((pos.flags & SWP_HIDEWINDOW) != 0) ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    CRect mine;
    GetWindowRect(&mine);
    CRect area;
    CWnd* owner = alternateOwner != nullptr ? alternateOwner : GetOwner();
    if (owner != nullptr && owner->IsWindowVisible()) owner->GetWindowRect(&area);
    else GetDesktopWindow()->GetWindowRect(&area);
    const int x = area.left + (area.Width() - mine.Width()) / 2;
    const int y = area.top + (area.Height() - mine.Height()) / 2;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::ShowWindow(int command)
{
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, command] {
            if (CWnd* w = FromHandle(h)) w->ShowWindow(command);
        });
        return FALSE;
    }
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return FALSE;
    QWidget* w = r->widget;
    const BOOL wasVisible = !w->isHidden();
    switch (command) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->show();
        break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: w->showMinimized(); break;
    case SW_RESTORE: w->showNormal(); break;
    default:
        w->show();
        if (w->isWindow() && !w->testAttribute(Qt::WA_ShowWithoutActivating)) w->raise();
        break;
    }
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && w->isVisible();
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, enable] {
            if (CWnd* w = FromHandle(h)) w->EnableWindow(enable);
        });
        return FALSE;
    }
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    const BOOL wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && !w->testAttribute(Qt::WA_ForceDisabled);
}

BOOL CWnd::IsIconic() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && w->isMinimized();
}

BOOL CWnd::IsZoomed() const
{
    QWidget* w = WidgetOf(m_hWnd);
    return w != nullptr && w->isMaximized();
}

CWnd* CWnd::SetFocus()
{
    CWnd* old = GetFocus();
    if (QWidget* w = WidgetOf(m_hWnd)) {
        if (QWidget* top = w->window(); top != nullptr && top->isVisible()) top->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
    }
    return old;
}

CWnd* CWnd::GetFocus()
{
    QWidget* w = QApplication::focusWidget();
    // Without a window system that activates windows, the focus is the one of the window on top.
    if (w == nullptr) {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr) top = QApplication::activeWindow();
        if (top != nullptr) w = top->focusWidget();
    }
    Record* r = FindByWidget(w);
    return r != nullptr ? FromHandle(r->HandleValue()) : nullptr;
}

BOOL CWnd::SetForegroundWindow()
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    w->window()->raise();
    w->window()->activateWindow();
    return TRUE;
}

CWnd* CWnd::GetActiveWindow()
{
    Record* r = FindByWidget(QApplication::activeWindow());
    return r != nullptr ? FromHandle(r->HandleValue()) : nullptr;
}

namespace {
// The desktop: a window object whose rectangle is the primary screen's.
class DesktopWnd : public CWnd {};
}  // namespace

CWnd* CWnd::GetDesktopWindow()
{
    static DesktopWnd* desktop = nullptr;
    if (desktop == nullptr) {
        desktop = new DesktopWnd();
        CreateParams p;
        p.className = "#32770";
        p.isDialog = false;
        p.style = WS_POPUP;
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect g = screen != nullptr ? screen->geometry() : QRect(0, 0, 1920, 1080);
        p.rect = CRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
        p.isDialog = true;
        CreateWindowRecord(p, desktop);
    }
    return desktop;
}

void CWnd::SetWindowText(const char* text)
{
    const std::string copy = text != nullptr ? text : "";
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, copy] { Send(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())); });
        return;
    }
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

int CWnd::GetWindowText(char* buffer, int maxCount) const
{
    if (buffer == nullptr || maxCount <= 0) return 0;
    return static_cast<int>(uiimpl::Send(m_hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

void CWnd::GetWindowText(CString& text) const
{
    Record* r = Find(m_hWnd);
    text = r != nullptr ? CString(r->behaviour->GetText(*r)) : CString();
}

int CWnd::GetWindowTextLength() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? static_cast<int>(r->behaviour->GetText(*r).size()) : 0;
}

void CWnd::SetDlgItemText(int id, const char* text)
{
    if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    text.Empty();
    if (CWnd* item = GetDlgItem(id)) item->GetWindowText(text);
    return text.GetLength();
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    CString text;
    GetDlgItemText(id, text);
    char* end = nullptr;
    const char* s = text.c_str();
    while (*s == ' ') ++s;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    bool ok = end != s && errno == 0;
    while (ok && *end == ' ') ++end;
    ok = ok && *end == '\0';
    if (ok && !isSigned && (v < 0 || v > 0xFFFFFFFFLL)) ok = false;
    if (ok && isSigned && (v < INT32_MIN || v > INT32_MAX)) ok = false;
    if (translated != nullptr) *translated = ok;
    return ok ? static_cast<UINT>(v) : 0;
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    SetDlgItemText(id, isSigned ? StringFormat("%d", static_cast<int>(value)).c_str() : StringFormat("%u", value).c_str());
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    if (CWnd* item = GetDlgItem(id)) item->SendMessage(BM_SETCHECK, check, 0);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    CWnd* item = GetDlgItem(id);
    return item != nullptr ? static_cast<UINT>(item->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) CheckDlgButton(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const
{
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id) == BST_CHECKED) return id;
    return 0;
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, font != nullptr ? static_cast<WPARAM>(font->m_hObject) : 0, redraw);
}

CFont* CWnd::GetFont() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->font : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    HICON& slot = bigIcon ? r->bigIcon : r->smallIcon;
    const HICON old = slot;
    slot = icon;
    const QImage image = gdi::IconToImage(icon);
    if (r->widget != nullptr && r->widget->isWindow() && !image.isNull()) r->widget->setWindowIcon(QIcon(QPixmap::fromImage(image)));
    return old;
}

HICON CWnd::GetIcon(BOOL bigIcon) const
{
    Record* r = Find(m_hWnd);
    return r == nullptr ? 0 : bigIcon ? r->bigIcon : r->smallIcon;
}

int CWnd::SetWindowRgn(HRGN region, BOOL redraw)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return 0;
    if (region == 0) {
        w->clearMask();
    } else {
        auto obj = gdi::FindObject(region, GdiObjectKind::Region);
        if (obj == nullptr) return 0;
        w->setMask(obj->region.region);
    }
    if (redraw) w->update();
    return 1;
}

BOOL CWnd::RedrawWindow(const RECT* rect, void*, UINT flags)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return FALSE;
    if ((flags & RDW_INVALIDATE) != 0) InvalidateRect(rect, (flags & RDW_ERASE) != 0);
    if ((flags & RDW_UPDATENOW) != 0 && w->isVisible()) w->repaint();
    return TRUE;
}

void CWnd::Invalidate(BOOL)
{
    if (QWidget* w = WidgetOf(m_hWnd)) w->update();
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase)
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w == nullptr) return;
    if (rect == nullptr) {
        Invalidate(erase);
        return;
    }
    w->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
}

void CWnd::UpdateWindow()
{
    QWidget* w = WidgetOf(m_hWnd);
    if (w != nullptr && w->isVisible()) w->repaint();
}

void CWnd::SetRedraw(BOOL redraw)
{
    if (QWidget* w = WidgetOf(m_hWnd)) {
        w->setUpdatesEnabled(redraw != FALSE);
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void (*timerProc)(HWND, UINT, UINT_PTR, DWORD))
{
    if (!OnUiThread()) return 0;
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    QTimer*& timer = r->timers[id];
    if (timer == nullptr) {
        timer = new QTimer();
        const HWND h = m_hWnd;
        // The tick is handed on as a posted call rather than run inside the timer's own slot:
        // Qt does not fire a timer again while its slot runs, but a WM_TIMER handler may open a
        // modal loop in which this very timer must keep ticking. As with WM_TIMER, at most one
        // tick of a timer waits at a time.
        auto pending = std::make_shared<bool>(false);
        QObject::connect(timer, &QTimer::timeout, timer, [h, id, timerProc, pending] {
            if (*pending) return;
            *pending = true;
            PostToUi([h, id, timerProc, pending] {
                *pending = false;
                Record* r = Find(h);
                if (r == nullptr || r->timers.count(id) == 0) return;  // killed meanwhile
                if (timerProc != nullptr) timerProc(h, WM_TIMER, id, 0);
                else uiimpl::Send(h, WM_TIMER, id, 0);
            });
        });
    }
    timer->start(static_cast<int>(std::max<UINT>(1, elapseMs)));
    return id != 0 ? id : 1;
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return FALSE;
    auto it = r->timers.find(id);
    if (it == r->timers.end()) return FALSE;
    it->second->stop();
    it->second->deleteLater();
    r->timers.erase(it);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return uiimpl::Send(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) { return ::PostMessage(m_hWnd, message, wParam, lParam); }

const MSG* CWnd::GetCurrentMessage()
{
    CurrentMessage* f = TopMessage();
    return f != nullptr ? &f->msg : nullptr;
}

LRESULT CWnd::Default()
{
    CurrentMessage* f = TopMessage();
    if (f == nullptr) return 0;
    f->defaultCalled = true;
    if (f->msg.hwnd == m_hWnd) DeliverPendingInput(*f);
    return DefWindowProc(f->msg.message, f->msg.wParam, f->msg.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? DefaultProc(*r, message, wParam, lParam) : 0;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT dummy = 0;
    if (result == nullptr) result = &dummy;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        *result = r;
        return TRUE;
    }
    AfxMsgCall call{message, wParam, lParam, 0};
    if (!DispatchToMap(message, 0, 0, call)) return FALSE;
    *result = call.result;
    return TRUE;
}

BOOL CWnd::DispatchToMap(UINT message, UINT code, UINT id, AfxMsgCall& call)
{
    const bool command = message == WM_COMMAND || message == WM_NOTIFY;
    const bool reflected = message == WM_COMMAND + WM_REFLECT_BASE || message == WM_NOTIFY + WM_REFLECT_BASE;
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e != nullptr && e->handler != nullptr; ++e) {
            if (e->nMessage != message) continue;
            if (command && (e->nCode != code || id < e->nID || id > e->nLastID)) continue;
            if (reflected && e->nCode != code) continue;
            return e->handler(this, call) ? TRUE : FALSE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr) {
        if (CWnd* child = FromHandlePermanent(control)) {
            LRESULT ignored = 0;
            if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
        }
    }
    AfxMsgCall call{WM_COMMAND, wParam, lParam, 0};
    return DispatchToMap(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), call);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr) return FALSE;
    if (CWnd* child = FromHandlePermanent(header->hwndFrom)) {
        if (child->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return TRUE;
    }
    AfxMsgCall call{WM_NOTIFY, wParam, lParam, 0};
    if (!DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), call)) return FALSE;
    if (result != nullptr) *result = call.result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    AfxMsgCall call{message, wParam, lParam, 0};
    if (message == WM_COMMAND) return DispatchToMap(WM_COMMAND + WM_REFLECT_BASE, HIWORD(wParam), 0, call);
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header == nullptr) return FALSE;
        if (!DispatchToMap(WM_NOTIFY + WM_REFLECT_BASE, header->code, 0, call)) return FALSE;
        if (result != nullptr) *result = call.result;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

CWnd* CWnd::SetCapture()
{
    CWnd* old = GetCapture();
    SetCaptureWindow(m_hWnd);
    return old;
}

CWnd* CWnd::GetCapture() { return FromHandle(CaptureWindow()); }

CMenu* CWnd::GetSystemMenu(BOOL revert)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || revert) return nullptr;
    if (r->systemMenu == nullptr) r->systemMenu = std::make_unique<CMenu>();
    return r->systemMenu.get();
}

int CWnd::RunModalLoop(DWORD)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return -1;
    if (modalEndPending_) {
        modalEndPending_ = false;
        return modalResult_;
    }
    const HWND h = m_hWnd;
    QEventLoop loop;
    modalLoop_ = &loop;
    inModalLoop_ = true;
    modalResult_ = -1;
    const QPointer<QWidget> owner = r->widget->parentWidget();
    const bool wasShown = BeginModal(r->widget);
    uihooks::ModalContext context;
    context.kind = uihooks::ModalKind::Dialog;
    context.window = this;
    context.caption = r->text;
    context.end = [h](int result, const uihooks::ModalContext&) {
        if (CWnd* w = FromHandlePermanent(h)) w->EndModalLoop(result);
    };
    uihooks::ModalLoopStarted(context);
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    inModalLoop_ = false;
    // However the loop ended (a button, Esc, the close box, EndModalLoop from code, the window
    // destroyed), the windows it blocked take input again. A window that was shown before the
    // loop stays shown; one the loop showed is left hidden.
    // The keyboard stays with a window that stays shown, and goes back to the owner otherwise.
    QWidget* w = WidgetOf(h);
    if (w != nullptr) EndModal(w, wasShown);
    ActivateAfterModal(w != nullptr && w->isVisible() ? w : owner.data());
    return modalResult_;
}

BOOL CWnd::ContinueModal() { return inModalLoop_; }

void CWnd::EndModalLoop(int result)
{
    // The loop is over from now on, even though it returns only when control gets back to it.
    modalResult_ = result;
    inModalLoop_ = false;
    if (modalLoop_ != nullptr) static_cast<QEventLoop*>(modalLoop_)->exit(result);
    else modalEndPending_ = true;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return 0; }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }

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

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record* r = Find(hwnd);
    return r != nullptr ? DefaultProc(*r, message, wParam, lParam) : 0;
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

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return uiimpl::Send(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (QCoreApplication::instance() == nullptr) return FALSE;
    PostToUi([hwnd, message, wParam, lParam] { uiimpl::Send(hwnd, message, wParam, lParam); });
    return TRUE;
}

BOOL ReleaseCapture()
{
    const HWND old = CaptureWindow();
    SetCaptureWindow(nullptr);
    if (old != nullptr) uiimpl::Send(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

int GetSystemMetrics(int index)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
    case SM_CXSCREEN: return screen != nullptr ? screen->geometry().width() : 1920;
    case SM_CYSCREEN: return screen != nullptr ? screen->geometry().height() : 1080;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN: {
        // The union of every screen's rectangle.
        QRect all;
        for (QScreen* s : QGuiApplication::screens()) all = all.united(s->geometry());
        if (all.isEmpty()) all = QRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        if (index == SM_XVIRTUALSCREEN) return all.left();
        if (index == SM_YVIRTUALSCREEN) return all.top();
        return index == SM_CXVIRTUALSCREEN ? all.width() : all.height();
    }
    case SM_CMONITORS: return std::max(1, static_cast<int>(QGuiApplication::screens().size()));
    default: return 0;
    }
}
