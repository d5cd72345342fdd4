#include "platform/ui/testing/UiTest.h"

#include "platform/ui/App.h"
#include "platform/ui/WndImpl.h"
#include "platform/testing/RunFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cstdio>

// Font configuration keeps caches for the life of the process, and so does the session bus
// that Qt on X11 opens; they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

// Qt is not built with ThreadSanitizer: the locks behind its event queue and its own pooled
// threads are invisible to it, so a worker's post to the UI thread looks like a race. Reports
// with a Qt frame are Qt's; our code shares nothing with the worker except through posts and
// the dispatcher's and the log's own locks, which ThreadSanitizer does see.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libQt6Core.so\nrace:libQt6Gui.so\nrace:libQt6Widgets.so\n";
}

namespace uitest {

namespace {

// Input goes the way the window system's does: to the top-level QWindow, through Qt's
// window-system input path, so that Qt applies what it applies to a user's input: a window
// blocked by a modal one gets nothing, a disabled control gets nothing, keys reach the focus
// control of the window, the deepest child under the point takes a click, and a second press
// soon after the first at the same place makes a double click.

// Mouse event times in milliseconds: one apart, and a pause longer than the double-click
// interval after every button release, so that only DoubleClickAt makes a double click.
ulong mouseTime = 1000;
ulong NextMouseTime() { return ++mouseTime; }
void PauseAfterRelease() { mouseTime += static_cast<ulong>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) + 1; }

// Whether Qt holds input back from window because of a modal window: a shown modal window
// blocks every window outside its own family (application modal) or the family of its owner
// (window modal), but never the windows it owns itself. Qt keeps this state private; the close
// box and the wheel, which have no exported window-system entry, need it.
QWindow* Ancestor(QWindow* w)
{
    QWindow* p = w->parent();
    return p != nullptr ? p : w->transientParent();
}
bool BlockedBy(QWindow* window, QWindow* modal)
{
    if (window == modal || modal->isAncestorOf(window, QWindow::IncludeTransients)) return false;
    if (modal->modality() == Qt::ApplicationModal) return true;
    for (QWindow* w = window; w != nullptr; w = Ancestor(w))
        for (QWindow* m = modal; m != nullptr; m = Ancestor(m))
            if (m == w) return true;
    return false;
}
bool Blocked(QWindow* window)
{
    const auto windows = QGuiApplication::topLevelWindows();
    for (QWindow* modal : windows)
        if (modal->isVisible() && modal->modality() != Qt::NonModal && BlockedBy(window, modal)) return true;
    return false;
}

// A point of a widget as the window system has it: the top-level window and the point in it.
struct WindowPoint {
    QPointer<QWindow> window;
    QPointF local;
    QPointF global;
};

bool Locate(QWidget* w, QPoint local, WindowPoint& out)
{
    if (w == nullptr) return false;
    QWidget* top = w->window();
    QWindow* handle = top->windowHandle();
    // A window that is not on the screen takes no input.
    if (handle == nullptr || !top->isVisible() || !handle->isVisible()) {
        std::fprintf(stderr, "uitest: input to a window that is not shown is lost\n");
        return false;
    }
    out.window = handle;
    out.local = QPointF(w->mapTo(top, local));
    out.global = QPointF(w->mapToGlobal(local));
    return true;
}

void SendMouse(const WindowPoint& at, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    if (at.window == nullptr) return;
    qt_handleMouseEvent(at.window, at.local, at.global, buttons, button, type, Qt::NoModifier, static_cast<int>(NextMouseTime()));
}

// Press and release of one button at a point of w (a click), or two of them (a double click).
void Clicks(QWidget* w, QPoint local, Qt::MouseButton button, int count)
{
    WindowPoint at;
    if (!Locate(w, local, at)) return;
    for (int i = 0; i < count; ++i) {
        SendMouse(at, QEvent::MouseButtonPress, button, button);
        SendMouse(at, QEvent::MouseButtonRelease, button, Qt::NoButton);
    }
    PauseAfterRelease();
}

QPoint Centre(QWidget* w) { return QPoint(w->width() / 2, w->height() / 2); }

}  // namespace

void EnsureApplication()
{
    // Qt keeps its file dialog's history, places and column widths in the user's configuration:
    // a test process starts from none of that and leaves none behind for the next one.
    static const RunFolder qtConfiguration("qt-configuration");
    static const bool configured = qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(qtConfiguration.Path().string()));
    (void)configured;
    AfxEnsureApplication();
    uihooks::ClearModalHandlers();
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void OnNextModal(uihooks::ModalHandler handler) { uihooks::PushModalHandler(std::move(handler)); }

void AnswerNextMessageBox(int answer, std::string* text)
{
    OnNextModal([answer, text](uihooks::ModalContext& m) {
        if (text != nullptr) *text = m.text;
        m.End(answer);
    });
}

QWidget* WidgetOf(CWnd* wnd) { return uiimpl::WidgetOf(wnd); }

void ClickAt(CWnd* wnd, CPoint p) { Clicks(WidgetOf(wnd), QPoint(p.x, p.y), Qt::LeftButton, 1); }

void Click(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    Clicks(w, Centre(w), Qt::LeftButton, 1);
}

void RightClickAt(CWnd* wnd, CPoint p) { Clicks(WidgetOf(wnd), QPoint(p.x, p.y), Qt::RightButton, 1); }

void DoubleClickAt(CWnd* wnd, CPoint p) { Clicks(WidgetOf(wnd), QPoint(p.x, p.y), Qt::LeftButton, 2); }

void MiddleClickAt(CWnd* wnd, CPoint p) { Clicks(WidgetOf(wnd), QPoint(p.x, p.y), Qt::MiddleButton, 1); }

void MiddleDoubleClickAt(CWnd* wnd, CPoint p) { Clicks(WidgetOf(wnd), QPoint(p.x, p.y), Qt::MiddleButton, 2); }

void MouseDown(CWnd* wnd, CPoint p, bool right)
{
    WindowPoint at;
    if (!Locate(WidgetOf(wnd), QPoint(p.x, p.y), at)) return;
    const Qt::MouseButton b = right ? Qt::RightButton : Qt::LeftButton;
    SendMouse(at, QEvent::MouseButtonPress, b, b);
}

void MouseUp(CWnd* wnd, CPoint p, bool right)
{
    WindowPoint at;
    if (!Locate(WidgetOf(wnd), QPoint(p.x, p.y), at)) return;
    SendMouse(at, QEvent::MouseButtonRelease, right ? Qt::RightButton : Qt::LeftButton, Qt::NoButton);
    PauseAfterRelease();
}

void MouseMove(CWnd* wnd, CPoint p, bool leftDown, bool rightDown)
{
    WindowPoint at;
    if (!Locate(WidgetOf(wnd), QPoint(p.x, p.y), at)) return;
    Qt::MouseButtons held = Qt::NoButton;
    if (leftDown) held |= Qt::LeftButton;
    if (rightDown) held |= Qt::RightButton;
    SendMouse(at, QEvent::MouseMove, Qt::NoButton, held);
}

void Wheel(CWnd* wnd, CPoint p, int delta)
{
    WindowPoint at;
    if (!Locate(WidgetOf(wnd), QPoint(p.x, p.y), at)) return;
    // Qt exports no window-system entry for the wheel: the modal check is the window system's,
    // then the window takes the event as that path hands it over and finds the (enabled) child.
    if (Blocked(at.window)) return;
    QWheelEvent e(at.local, at.global, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(at.window, &e);
}

namespace {

int QtKeyOf(int vk)
{
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
    switch (vk) {
    case VK_UP: return Qt::Key_Up;
    case VK_DOWN: return Qt::Key_Down;
    case VK_LEFT: return Qt::Key_Left;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_INSERT: return Qt::Key_Insert;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_RETURN: return Qt::Key_Return;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_TAB: return Qt::Key_Tab;
    case VK_BACK: return Qt::Key_Backspace;
    case VK_SPACE: return Qt::Key_Space;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_APPS: return Qt::Key_Menu;
    default: return 0;
    }
}

// Press and release of a key at a window, as the window system delivers it: the window's
// focus control takes it.
void SendKeyToWindow(QWindow* window, int qtKey, Qt::KeyboardModifiers mods, const QString& t)
{
    if (window == nullptr || !window->isVisible()) return;
    QPointer<QWindow> guard(window);
    qt_handleKeyEvent(window, QEvent::KeyPress, qtKey, mods, t);
    if (guard == nullptr) return;
    // X answers the Menu key with a context menu request of its own, after the key press and
    // whatever the press did, at the pointer; Qt exports no window-system entry for it, so the
    // window takes the event as that path hands it over.
    if (qtKey == Qt::Key_Menu && !Blocked(window)) {
        const QPoint global = QCursor::pos();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, window->mapFromGlobal(global), global, mods);
        QCoreApplication::sendEvent(window, &menu);
        if (guard == nullptr) return;
    }
    qt_handleKeyEvent(window, QEvent::KeyRelease, qtKey, mods, t);
}

void SendKeyToWidget(QWidget* w, int qtKey, Qt::KeyboardModifiers mods, const QString& t)
{
    if (w == nullptr) return;
    QWidget* top = w->window();
    // Keys aimed at a control go to it as the focus of its window (as after a click or Tab into
    // it); a disabled one cannot take the focus, and the key goes where the focus is.
    if (w != top) {
        QWidget* focus = top->focusWidget();
        if (focus == nullptr || (focus != w && !w->isAncestorOf(focus))) w->setFocus(Qt::OtherFocusReason);
    }
    WindowPoint at;
    if (!Locate(top, QPoint(), at)) return;
    SendKeyToWindow(at.window, qtKey, mods, t);
}

void SendKey(CWnd* wnd, int qtKey, Qt::KeyboardModifiers mods, const QString& t)
{
    SendKeyToWidget(WidgetOf(wnd), qtKey, mods, t);
}

// The text a key types.
QString KeyText(int virtualKey, int modifiers)
{
    QString text;
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE) text = QChar(virtualKey);
    if (virtualKey >= 'A' && virtualKey <= 'Z') text = QChar((modifiers & Shift) != 0 ? virtualKey : virtualKey + 32);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) text = QChar('0' + virtualKey - VK_NUMPAD0);
    if (virtualKey == VK_RETURN) text = QStringLiteral("\r");
    if (virtualKey == VK_ESCAPE) text = QChar(0x1B);
    if ((modifiers & (Control | Alt)) != 0) text.clear();
    return text;
}

Qt::KeyboardModifiers QtModifiers(int virtualKey, int modifiers)
{
    Qt::KeyboardModifiers mods;
    if ((modifiers & Shift) != 0) mods |= Qt::ShiftModifier;
    if ((modifiers & Control) != 0) mods |= Qt::ControlModifier;
    if ((modifiers & Alt) != 0) mods |= Qt::AltModifier;
    if ((modifiers & Keypad) != 0 || (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_DIVIDE)) mods |= Qt::KeypadModifier;
    return mods;
}

}  // namespace

void Key(CWnd* wnd, int virtualKey, int modifiers)
{
    SendKey(wnd, QtKeyOf(virtualKey), QtModifiers(virtualKey, modifiers), KeyText(virtualKey, modifiers));
}

namespace {
// The window a key goes to: the one with the keyboard, else the modal or active one.
QWindow* ActiveInputWindow()
{
    if (QWindow* window = QGuiApplication::focusWindow()) return window;
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr) top = QApplication::activeWindow();
    return top != nullptr ? top->windowHandle() : nullptr;
}
}  // namespace

void KeyToActiveWindow(int virtualKey, int modifiers)
{
    SendKeyToWindow(ActiveInputWindow(), QtKeyOf(virtualKey), QtModifiers(virtualKey, modifiers), KeyText(virtualKey, modifiers));
}

void TypeToActiveWindow(const std::string& text)
{
    for (const QChar c : QString::fromStdString(text)) SendKeyToWindow(ActiveInputWindow(), 0, Qt::NoModifier, QString(c));
}

QWidget* ActiveModalPart(const char* objectName)
{
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr) return nullptr;
    if (objectName == nullptr || *objectName == '\0') return top;
    return top->findChild<QWidget*>(QString::fromUtf8(objectName));
}

void KeyboardLeaves(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    QWindow* modal = QGuiApplication::modalWindow();
    if (w == nullptr || modal == nullptr || w->window()->windowHandle() == nullptr) return;
    QWindow* window = w->window()->windowHandle();
    if (window == modal || modal->isAncestorOf(window, QWindow::IncludeTransients)) return;
    // The window that holds it back: the modal window for an application-modal one, else the
    // first window of the modal window's line of owners that is also in window's own line.
    QWindow* holder = nullptr;
    if (modal->modality() == Qt::ApplicationModal) holder = modal;
    for (QWindow* mine = window; holder == nullptr && mine != nullptr; mine = Ancestor(mine))
        for (QWindow* m = modal; m != nullptr; m = Ancestor(m))
            if (m == mine) {
                holder = m;
                break;
            }
    if (holder != nullptr && holder != window) holder->requestActivate();
    ProcessEvents();
}

void PressEnter(CWnd* wnd) { Key(wnd, VK_RETURN); }
void PressEscape(CWnd* wnd) { Key(wnd, VK_ESCAPE); }

void TypeText(CWnd* edit, const std::string& text)
{
    QWidget* w = WidgetOf(edit);
    if (w == nullptr) return;
    Key(edit, 'A', Control);
    const QString all = QString::fromStdString(text);
    if (all.isEmpty()) {
        Key(edit, VK_DELETE);
        return;
    }
    for (const QChar c : all) SendKey(edit, 0, Qt::NoModifier, QString(c));
}

void SetClipboardText(const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); }

void SelectListItem(CWnd* listBox, int index)
{
    auto* list = qobject_cast<QListWidget*>(WidgetOf(listBox));
    if (list == nullptr || list->item(index) == nullptr) return;
    list->scrollToItem(list->item(index));
    const QRect r = list->visualItemRect(list->item(index));
    const QPoint p = list->viewport()->mapTo(list, r.center());
    ClickAt(listBox, CPoint(p.x(), p.y()));
}

void DoubleClickListItem(CWnd* listBox, int index)
{
    auto* list = qobject_cast<QListWidget*>(WidgetOf(listBox));
    if (list == nullptr || list->item(index) == nullptr) return;
    list->scrollToItem(list->item(index));
    const QRect r = list->visualItemRect(list->item(index));
    const QPoint p = list->viewport()->mapTo(list, r.center());
    DoubleClickAt(listBox, CPoint(p.x(), p.y()));
}

void SelectComboItem(QWidget* comboBox, int index)
{
    auto* combo = qobject_cast<QComboBox*>(comboBox);
    if (combo == nullptr || index < 0 || index >= combo->count()) return;
    // The keyboard way: Home, then Down to the item.
    combo->setFocus();
    if (combo->currentIndex() != 0 || index == 0) SendKeyToWidget(combo, Qt::Key_Home, Qt::NoModifier, QString());
    for (int i = std::max(combo->currentIndex(), 0); i < index; ++i) SendKeyToWidget(combo, Qt::Key_Down, Qt::NoModifier, QString());
}

void SelectComboItem(CWnd* comboBox, int index) { SelectComboItem(WidgetOf(comboBox), index); }

namespace {
QPoint TreeItemPoint(CTreeCtrl* tree, HTREEITEM item)
{
    CRect r;
    if (!tree->GetItemRect(item, &r, TRUE)) return QPoint(-1, -1);
    return QPoint(r.left + 8, (r.top + r.bottom) / 2);
}
}  // namespace

void DoubleClickTreeItem(CTreeCtrl* tree, HTREEITEM item)
{
    const QPoint p = TreeItemPoint(tree, item);
    if (p.x() < 0) return;
    DoubleClickAt(tree, CPoint(p.x(), p.y()));
}

void RightClickTreeItem(CTreeCtrl* tree, HTREEITEM item)
{
    const QPoint p = TreeItemPoint(tree, item);
    if (p.x() < 0) return;
    RightClickAt(tree, CPoint(p.x(), p.y()));
}

void ClickSpin(CWnd* spin, bool up)
{
    QWidget* w = WidgetOf(spin);
    if (w == nullptr) return;
    const auto buttons = w->findChildren<QToolButton*>();
    for (QToolButton* b : buttons) {
        const bool isUp = b->arrowType() == Qt::UpArrow || b->arrowType() == Qt::RightArrow;
        if (isUp != up) continue;
        Clicks(b, Centre(b), Qt::LeftButton, 1);
        return;
    }
}

void CloseWindow(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    WindowPoint at;
    if (!Locate(w->window(), QPoint(), at)) return;
    // The window system offers no close to a window under a modal one.
    if (Blocked(at.window)) return;
    at.window->close();
}

std::vector<QWidget*> StackedWindows() { return uiimpl::StackingOrder(); }

bool RenderToPng(CWnd* wnd, const std::string& path) { return RenderToPng(WidgetOf(wnd), path); }

std::pair<int, int> DrawnThumb(QWidget* scrollBar)
{
    auto* bar = qobject_cast<QScrollBar*>(scrollBar);
    if (bar == nullptr || !bar->isVisible()) return {-1, -1};
    // Clearly darker: by more than the shading of a groove, less than a thumb stands out by.
    constexpr int kDarker = 32;
    // A shorter run is a line drawn round something, not a thumb.
    constexpr int kShortestThumb = 6;
    const QImage image = bar->grab().toImage();
    const bool vertical = bar->orientation() == Qt::Vertical;
    const int length = vertical ? image.height() : image.width();
    const int thickness = vertical ? image.width() : image.height();
    // The arrow buttons at the ends are as long as the bar is thick.
    std::vector<int> grey;
    for (int at = thickness; at < length - thickness; ++at)
        grey.push_back(qGray(vertical ? image.pixel(thickness / 2, at) : image.pixel(at, thickness / 2)));
    if (grey.empty()) return {-1, -1};
    const int lightest = *std::max_element(grey.begin(), grey.end());
    std::pair<int, int> best{-1, -1};
    int runStart = -1;
    for (std::size_t i = 0; i <= grey.size(); ++i) {
        const bool dark = i < grey.size() && grey[i] < lightest - kDarker;
        if (dark && runStart < 0) runStart = static_cast<int>(i);
        if (!dark && runStart >= 0) {
            const int end = static_cast<int>(i) - 1;
            if (end - runStart + 1 >= kShortestThumb && (best.first < 0 || end - runStart > best.second - best.first))
                best = {runStart + thickness, end + thickness};
            runStart = -1;
        }
    }
    return best;
}

bool RenderToPng(QWidget* w, const std::string& path)
{
    if (w == nullptr) return false;
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    // Written beside the target and renamed over it: a test that reads its picture back never
    // meets one half written by another run of the suite in the same build tree.
    const std::string part = path + ".part" + std::to_string(QCoreApplication::applicationPid());
    if (w->grab().save(QString::fromStdString(part), "PNG") && std::rename(part.c_str(), path.c_str()) == 0)
        return true;
    std::remove(part.c_str());
    return false;
}

}  // namespace uitest
