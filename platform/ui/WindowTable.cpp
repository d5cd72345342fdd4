// The window table, message delivery between threads, and the translation of Qt input events
// into window messages.

#include "platform/ui/WndImpl.h"

#include "platform/ui/UiHooks.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>

namespace uiimpl {

namespace {

std::mutex tableMutex;
std::unordered_map<std::uint32_t, std::unique_ptr<Record>>& Table()
{
    static auto* table = new std::unordered_map<std::uint32_t, std::unique_ptr<Record>>();
    return *table;
}
// Ids start high so that small integers (control ids, counts) are never mistaken for windows,
// and they are never reused: a stale handle finds nothing rather than another window.
std::uint32_t nextId = 0x00010000u;

std::array<std::atomic<bool>, 256> keyDown{};
std::atomic<int> cursorX{0};
std::atomic<int> cursorY{0};
HWND capture = nullptr;

thread_local CurrentMessage* topMessage = nullptr;
thread_local InputDelivery* delivery = nullptr;
bool trackedByApplication = false;

}  // namespace

Record* Find(HWND hwnd)
{
    if (hwnd == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(tableMutex);
    auto it = Table().find(HandleToId(hwnd));
    return it == Table().end() ? nullptr : it->second.get();
}

Record* FindByWidget(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant v = w->property("velkaro.hwnd");
        if (v.isValid()) return Find(IdToHandle<HWND>(v.toUInt()));
        // A popup of a control (a combo box's list) is no part of the control's window.
        if (w->isWindow()) return nullptr;
    }
    return nullptr;
}

HWND NewRecord(std::unique_ptr<Record> record)
{
    std::lock_guard<std::mutex> lock(tableMutex);
    const std::uint32_t id = nextId++;
    record->id = id;
    Table()[id] = std::move(record);
    return IdToHandle<HWND>(id);
}

std::vector<HWND> TopLevelWindows()
{
    std::lock_guard<std::mutex> lock(tableMutex);
    std::vector<HWND> out;
    for (auto& [id, r] : Table())
        if ((r->style & WS_CHILD) == 0 && !r->destroying) out.push_back(IdToHandle<HWND>(id));
    std::sort(out.begin(), out.end());
    return out;
}

void DestroyRecord(HWND hwnd)
{
    Record* r = Find(hwnd);
    if (r == nullptr || r->destroying) return;
    r->destroying = true;
    if (r->wnd != nullptr && r->wnd->ContinueModal()) r->wnd->EndModalLoop(-1);
    Send(hwnd, WM_DESTROY, 0, 0);

    // Children and owned popups go with their window.
    std::vector<HWND> dependents = r->children;
    {
        std::lock_guard<std::mutex> lock(tableMutex);
        for (auto& [id, other] : Table())
            if (other->parent == hwnd && (other->style & WS_CHILD) == 0) dependents.push_back(IdToHandle<HWND>(id));
    }
    for (HWND child : dependents) DestroyRecord(child);

    r = Find(hwnd);
    if (r == nullptr) return;
    for (auto& [id, timer] : r->timers) {
        timer->stop();
        timer->deleteLater();
    }
    r->timers.clear();
    if (capture == hwnd) capture = nullptr;
    if (Record* parent = Find(r->parent)) {
        auto& list = parent->children;
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
    }
    if (QWidget* w = r->widget) {
        w->setProperty("velkaro.hwnd", QVariant());
        if (r->ownsWidget) {
            w->hide();
            w->deleteLater();
        }
    }
    CWnd* attached = r->wnd;
    std::unique_ptr<Record> doomed;
    {
        std::lock_guard<std::mutex> lock(tableMutex);
        auto it = Table().find(HandleToId(hwnd));
        if (it != Table().end()) {
            doomed = std::move(it->second);
            Table().erase(it);
        }
    }
    if (attached != nullptr) {
        attached->m_hWnd = nullptr;
        attached->PostNcDestroy();  // may delete the object
    }
}

bool OnUiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void PostToUi(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

CurrentMessage* TopMessage() { return topMessage; }

InputDelivery* CurrentDelivery() { return delivery; }

namespace {

// The keyboard and mouse events the layer turns into window messages.
bool IsInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) { trackedByApplication = true; }

bool Application::notify(QObject* receiver, QEvent* event)
{
    if (!IsInputEvent(event->type()))
        return QApplication::notify(receiver, event);
    if (delivery != nullptr && delivery->event == event) return QApplication::notify(receiver, event);  // delivered again by Default()
    InputDelivery frame;
    frame.event = event;
    frame.previous = delivery;
    delivery = &frame;
    const bool result = QApplication::notify(receiver, event);
    delivery = frame.previous;
    return result;
}

void DeliverPendingInput(CurrentMessage& frame)
{
    if (frame.qtEvent == nullptr || frame.qtTarget == nullptr || frame.delivered) return;
    frame.delivered = true;
    // The input filter recognises the event object it is translating and lets it pass.
    QCoreApplication::sendEvent(frame.qtTarget, frame.qtEvent);
}

MessageScope::MessageScope(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    frame.msg.hwnd = hwnd;
    frame.msg.message = message;
    frame.msg.wParam = wParam;
    frame.msg.lParam = lParam;
    frame.msg.time = 0;
    frame.msg.pt = POINT{cursorX.load(), cursorY.load()};
    frame.previous = topMessage;
    topMessage = &frame;
}

MessageScope::~MessageScope() { topMessage = frame.previous; }

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!OnUiThread()) {
        // The UI thread handles it later; the worker does not wait. A text travels as a copy,
        // since the caller's buffer may be gone by then; other pointer arguments must outlive
        // the call.
        if (message == WM_SETTEXT) {
            std::string text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            PostToUi([hwnd, wParam, text] { Send(hwnd, WM_SETTEXT, wParam, reinterpret_cast<LPARAM>(text.c_str())); });
            return TRUE;
        }
        PostToUi([hwnd, message, wParam, lParam] { Send(hwnd, message, wParam, lParam); });
        return 0;
    }
    Record* r = Find(hwnd);
    if (r == nullptr) return 0;
    MessageScope scope(hwnd, message, wParam, lParam);
    if (r->wnd != nullptr) return r->wnd->WindowProc(message, wParam, lParam);
    return DefaultProc(*r, message, wParam, lParam);
}

void NotifyParent(Record& r, UINT code)
{
    if (r.parent == nullptr || (r.style & WS_CHILD) == 0) return;
    Send(r.parent, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(r.ctrlId), code),
         reinterpret_cast<LPARAM>(r.HandleValue()));
}

LRESULT NotifyParent(Record& r, NMHDR& header)
{
    header.hwndFrom = r.HandleValue();
    header.idFrom = static_cast<UINT_PTR>(r.ctrlId);
    if (r.parent == nullptr) return 0;
    return Send(r.parent, WM_NOTIFY, static_cast<WPARAM>(r.ctrlId), reinterpret_cast<LPARAM>(&header));
}

QWidget* WidgetOf(HWND hwnd)
{
    Record* r = Find(hwnd);
    return r != nullptr ? r->widget.data() : nullptr;
}

QWidget* WidgetOf(const CWnd* wnd) { return wnd != nullptr ? WidgetOf(wnd->m_hWnd) : nullptr; }

// ---- input state ----

void SetKeyDown(int vk, bool down)
{
    if (vk > 0 && vk < 256) keyDown[static_cast<std::size_t>(vk)].store(down);
}

void TrackModifiers(Qt::KeyboardModifiers modifiers)
{
    SetKeyDown(VK_SHIFT, modifiers.testFlag(Qt::ShiftModifier));
    SetKeyDown(VK_CONTROL, modifiers.testFlag(Qt::ControlModifier));
    SetKeyDown(VK_MENU, modifiers.testFlag(Qt::AltModifier));
}

void TrackButtons(Qt::MouseButtons buttons)
{
    SetKeyDown(VK_LBUTTON, buttons.testFlag(Qt::LeftButton));
    SetKeyDown(VK_RBUTTON, buttons.testFlag(Qt::RightButton));
    SetKeyDown(VK_MBUTTON, buttons.testFlag(Qt::MiddleButton));
}

void TrackCursor(const QPoint& globalPos)
{
    cursorX.store(globalPos.x());
    cursorY.store(globalPos.y());
}

bool IsKeyDown(int vk) { return vk > 0 && vk < 256 && keyDown[static_cast<std::size_t>(vk)].load(); }

POINT CursorPosition() { return POINT{cursorX.load(), cursorY.load()}; }

HWND CaptureWindow()
{
    if (capture != nullptr && Find(capture) == nullptr) capture = nullptr;
    return capture;
}

void SetCaptureWindow(HWND hwnd) { capture = hwnd; }

namespace {
// Letter and digit keys by their place on the keyboard (evdev codes, X keycodes less 8).
int VirtualKeyOfPlace(quint32 xKeycode)
{
    if (xKeycode < 8) return 0;
    const quint32 code = xKeycode - 8;
    if (code >= 2 && code <= 10) return static_cast<int>('1' + (code - 2));
    if (code == 11) return '0';
    static const char top[] = "QWERTYUIOP";
    static const char middle[] = "ASDFGHJKL";
    static const char bottom[] = "ZXCVBNM";
    if (code >= 16 && code <= 25) return top[code - 16];
    if (code >= 30 && code <= 38) return middle[code - 30];
    if (code >= 44 && code <= 50) return bottom[code - 44];
    return 0;
}
}  // namespace

KeyTranslation TranslateKey(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    KeyTranslation t;
    auto nav = [&](int vk) {
        t.vk = vk;
        t.extended = !keypad;  // the separate cluster is extended; the keypad's keys are not
    };
    if (key >= Qt::Key_A && key <= Qt::Key_Z) t.vk = 'A' + (key - Qt::Key_A);
    else if (key >= Qt::Key_0 && key <= Qt::Key_9) t.vk = keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0);
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) t.vk = VK_F1 + (key - Qt::Key_F1);
    else {
        switch (key) {
        case Qt::Key_Up: nav(VK_UP); break;
        case Qt::Key_Down: nav(VK_DOWN); break;
        case Qt::Key_Left: nav(VK_LEFT); break;
        case Qt::Key_Right: nav(VK_RIGHT); break;
        case Qt::Key_Home: nav(VK_HOME); break;
        case Qt::Key_End: nav(VK_END); break;
        case Qt::Key_PageUp: nav(VK_PRIOR); break;
        case Qt::Key_PageDown: nav(VK_NEXT); break;
        case Qt::Key_Insert: nav(VK_INSERT); break;
        case Qt::Key_Delete: nav(VK_DELETE); break;
        case Qt::Key_Return: t.vk = VK_RETURN; break;
        case Qt::Key_Enter: t.vk = VK_RETURN; t.extended = true; break;  // keypad Enter
        case Qt::Key_Escape: t.vk = VK_ESCAPE; break;
        case Qt::Key_Tab: case Qt::Key_Backtab: t.vk = VK_TAB; break;
        case Qt::Key_Backspace: t.vk = VK_BACK; break;
        case Qt::Key_Space: t.vk = VK_SPACE; break;
        case Qt::Key_Shift: t.vk = VK_SHIFT; break;
        case Qt::Key_Control: t.vk = VK_CONTROL; break;
        case Qt::Key_Alt: t.vk = VK_MENU; break;
        case Qt::Key_Pause: t.vk = VK_PAUSE; break;
        case Qt::Key_CapsLock: t.vk = VK_CAPITAL; break;
        case Qt::Key_NumLock: t.vk = VK_NUMLOCK; t.extended = true; break;
        case Qt::Key_ScrollLock: t.vk = VK_SCROLL; break;
        case Qt::Key_Print: t.vk = VK_SNAPSHOT; t.extended = true; break;
        case Qt::Key_Menu: t.vk = VK_APPS; t.extended = true; break;
        case Qt::Key_Asterisk: t.vk = keypad ? VK_MULTIPLY : '8'; break;
        case Qt::Key_Plus: t.vk = keypad ? VK_ADD : VK_OEM_PLUS; break;
        case Qt::Key_Minus: t.vk = keypad ? VK_SUBTRACT : VK_OEM_MINUS; break;
        case Qt::Key_Period: t.vk = keypad ? VK_DECIMAL : VK_OEM_PERIOD; break;
        case Qt::Key_Slash: t.vk = keypad ? VK_DIVIDE : VK_OEM_2; t.extended = keypad; break;
        case Qt::Key_Comma: t.vk = VK_OEM_COMMA; break;
        case Qt::Key_Equal: t.vk = VK_OEM_PLUS; break;
        case Qt::Key_Semicolon: t.vk = VK_OEM_1; break;
        case Qt::Key_QuoteLeft: t.vk = VK_OEM_3; break;
        case Qt::Key_BracketLeft: t.vk = VK_OEM_4; break;
        case Qt::Key_Backslash: t.vk = VK_OEM_5; break;
        case Qt::Key_BracketRight: t.vk = VK_OEM_6; break;
        case Qt::Key_Apostrophe: t.vk = VK_OEM_7; break;
        default: break;
        }
    }
    if (t.vk == 0 && !keypad) t.vk = VirtualKeyOfPlace(nativeScanCode);
    return t;
}

// ---- the input filter ----

namespace {

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons.testFlag(Qt::LeftButton)) flags |= MK_LBUTTON;
    if (buttons.testFlag(Qt::RightButton)) flags |= MK_RBUTTON;
    if (buttons.testFlag(Qt::MiddleButton)) flags |= MK_MBUTTON;
    if (modifiers.testFlag(Qt::ShiftModifier)) flags |= MK_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier)) flags |= MK_CONTROL;
    return flags;
}

// The window message of a mouse event, or 0.
UINT MouseMessage(const QMouseEvent* e, bool dblclks)
{
    const bool right = e->button() == Qt::RightButton;
    switch (e->type()) {
    case QEvent::MouseButtonPress: return right ? WM_RBUTTONDOWN : e->button() == Qt::LeftButton ? WM_LBUTTONDOWN : WM_MBUTTONDOWN;
    case QEvent::MouseButtonRelease: return right ? WM_RBUTTONUP : e->button() == Qt::LeftButton ? WM_LBUTTONUP : WM_MBUTTONUP;
    case QEvent::MouseButtonDblClick:
        if (e->button() == Qt::MiddleButton) return dblclks ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
        if (!dblclks) return right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        return right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    case QEvent::MouseMove: return WM_MOUSEMOVE;
    default: return 0;
    }
}

LPARAM PointParam(int x, int y) { return MAKELPARAM(static_cast<unsigned>(x & 0xFFFF), static_cast<unsigned>(y & 0xFFFF)); }

// Walks PreTranslateMessage from the target window up through its parents (owners for popups).
// Keyboard messages stop at the first top-level dialog, whose dialog-key handling is the last
// word on them; so a main window sees the keys of its own controls, not those of its popups.
bool WalkPreTranslate(MSG& msg)
{
    HWND h = msg.hwnd;
    int guard = 0;
    while (h != nullptr && guard++ < 64) {
        Record* r = Find(h);
        if (r == nullptr) return false;
        const bool topLevelDialog = r->isDialog && (r->style & WS_CHILD) == 0;
        HWND next = r->parent;
        if (CWnd* w = r->wnd) {
            if (w->PreTranslateMessage(&msg)) return true;
        }
        if (IsKeyMessage(msg.message) && topLevelDialog) return false;
        h = next;
    }
    return false;
}

// Offers a message to the attached object of a native control. True when its map handled the
// message and did not ask for the default processing (the Qt widget then never sees the event).
bool OfferToAttached(Record& r, UINT message, WPARAM wParam, LPARAM lParam, QObject* target, QEvent* event)
{
    if (r.wnd == nullptr) return false;
    CWnd* wnd = r.wnd;
    const HWND h = r.HandleValue();
    MessageScope scope(h, message, wParam, lParam);
    scope.frame.qtTarget = target;
    scope.frame.qtEvent = event;
    LRESULT result = 0;
    if (!wnd->OnWndMsg(message, wParam, lParam, &result)) return false;
    // Handled: the control saw the event only if the handler asked for the default processing.
    return true;
}

class InputFilter : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (!IsInputEvent(event->type()))
            return false;
        if (!object->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(object);
        // Qt offers an ignored event to the parent widgets again; translate it once.
        if (trackedByApplication) {
            InputDelivery* d = CurrentDelivery();
            if (d != nullptr && d->event == event) {
                if (d->translated) return false;
                d->translated = true;
            }
        } else {
            // Without the layer's application object: the nearest substitute.
            if (event == lastEvent_ && event->type() == lastType_) return false;
            lastEvent_ = event;
            lastType_ = event->type();
        }

        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            return OnKey(widget, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::Wheel) return OnWheel(widget, static_cast<QWheelEvent*>(event));
        return OnMouse(widget, static_cast<QMouseEvent*>(event));
    }

private:
    bool OnKey(QWidget* widget, QKeyEvent* e)
    {
        TrackModifiers(e->modifiers());
        const KeyTranslation t = TranslateKey(e->key(), e->modifiers(), e->nativeScanCode());
        const bool down = e->type() == QEvent::KeyPress;
        if (t.vk != 0) SetKeyDown(t.vk, down);
        Record* r = FindByWidget(widget);
        if (r == nullptr || t.vk == 0) return false;
        const bool alt = e->modifiers().testFlag(Qt::AltModifier) || t.vk == VK_MENU;
        MSG msg;
        msg.hwnd = r->HandleValue();
        msg.message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        msg.wParam = static_cast<WPARAM>(t.vk);
        LPARAM lp = 1;
        if (t.extended) lp |= KF_EXTENDED_BIT;
        if (alt) lp |= KF_ALTDOWN_BIT;
        if (down && e->isAutoRepeat()) lp |= LPARAM(1) << 30;
        if (!down) lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
        msg.lParam = lp & 0xFFFFFFFF;
        msg.pt = POINT{cursorX.load(), cursorY.load()};
        if (WalkPreTranslate(msg)) return true;
        r = Find(msg.hwnd);
        if (r == nullptr) return true;
        if (r->behaviour->IsNativeControl()) return OfferToAttached(*r, msg.message, msg.wParam, msg.lParam, widget, e);
        return false;  // plain windows get their key messages from their own widget
    }

    bool OnWheel(QWidget* widget, QWheelEvent* e)
    {
        TrackModifiers(e->modifiers());
        TrackButtons(e->buttons());
        const QPoint global = e->globalPosition().toPoint();
        TrackCursor(global);
        Record* r = FindByWidget(widget);
        if (r == nullptr) return false;
        MSG msg;
        msg.hwnd = r->HandleValue();
        msg.message = WM_MOUSEWHEEL;
        const int delta = e->angleDelta().y();
        msg.wParam = MAKEWPARAM(MouseFlags(e->buttons(), e->modifiers()), static_cast<unsigned>(delta & 0xFFFF));
        msg.lParam = PointParam(global.x(), global.y());
        msg.pt = POINT{global.x(), global.y()};
        if (WalkPreTranslate(msg)) return true;
        r = Find(msg.hwnd);
        if (r == nullptr) return true;
        if (r->behaviour->IsNativeControl()) return OfferToAttached(*r, msg.message, msg.wParam, msg.lParam, widget, e);
        return false;
    }

    bool OnMouse(QWidget* widget, QMouseEvent* e)
    {
        TrackModifiers(e->modifiers());
        TrackButtons(e->buttons());
        const QPoint global = e->globalPosition().toPoint();
        TrackCursor(global);
        Record* r = FindByWidget(widget);
        if (r == nullptr) return false;

        HWND target = r->HandleValue();
        const HWND captured = CaptureWindow();
        const bool redirect = captured != nullptr && captured != target;
        if (redirect) {
            target = captured;
            r = Find(target);
            if (r == nullptr || r->widget == nullptr) return false;
        }
        const UINT message = MouseMessage(e, r->dblclks);
        if (message == 0) return false;
        const QPoint local = r->widget->mapFromGlobal(global);
        MSG msg;
        msg.hwnd = target;
        msg.message = message;
        msg.wParam = MouseFlags(e->buttons(), e->modifiers());
        msg.lParam = PointParam(local.x(), local.y());
        msg.pt = POINT{global.x(), global.y()};
        if (WalkPreTranslate(msg)) return true;
        r = Find(target);
        if (r == nullptr) return true;
        if (redirect) {
            Send(target, msg.message, msg.wParam, msg.lParam);
            return true;
        }
        if (r->behaviour->IsNativeControl()) return OfferToAttached(*r, msg.message, msg.wParam, msg.lParam, widget, e);
        return false;
    }

    QEvent* lastEvent_ = nullptr;
    QEvent::Type lastType_ = QEvent::None;
};

}  // namespace

void EnsureEventFilter()
{
    static InputFilter* filter = nullptr;
    if (filter != nullptr || QCoreApplication::instance() == nullptr) return;
    filter = new InputFilter();
    QCoreApplication::instance()->installEventFilter(filter);
    WatchApplicationState();
    WatchWindowsShown();
}

QFont DialogFont()
{
    // The dialogs' "MS Shell Dlg" 8 pt: 11 pixels at 96 dots per inch, in the face that
    // stands in for it.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

}  // namespace uiimpl
