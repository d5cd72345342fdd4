// Top-level windows as the user finds them on the screen: a window comes up above the window
// that owns it and stays above it when the owner comes up or is raised later, as owned
// windows do on the desktop the programs were built for; and a window is shown whole on the
// screen, not partly off its edge.
//
// A window manager keeps a transient window above its parent, but without one nothing does:
// tool windows restored at start-up, shown before the main window, would lie under it. So the
// layer raises the owned windows itself after their owner, in the order it raised them last.

#include "platform/ui/WndImpl.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace uiimpl {

namespace {

// Top-level windows from the bottom up, in the order the layer raised them.
std::vector<QPointer<QWidget>>& Stack()
{
    static auto* stack = new std::vector<QPointer<QWidget>>();
    return *stack;
}

std::size_t PlaceInStack(const QWidget* w)
{
    const auto& stack = Stack();
    return static_cast<std::size_t>(std::find(stack.begin(), stack.end(), w) - stack.begin());
}

// The shown windows that window owns, lowest first.
std::vector<QWidget*> OwnedWindows(const QWidget* window)
{
    std::vector<QWidget*> owned;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !w->isVisible() || w->parentWidget() == nullptr) continue;
        if (w->windowType() == Qt::Popup) continue;  // menus and lists come and go by themselves
        if (w->parentWidget()->window() == window) owned.push_back(w);
    }
    std::stable_sort(owned.begin(), owned.end(), [](const QWidget* a, const QWidget* b) { return PlaceInStack(a) < PlaceInStack(b); });
    return owned;
}

void MoveToTop(QWidget* window)
{
    auto& stack = Stack();
    stack.erase(std::remove_if(stack.begin(), stack.end(), [window](const QPointer<QWidget>& p) { return p == nullptr || p == window; }),
                stack.end());
    stack.emplace_back(window);
}

// Shown windows are raised above their owner and kept on the screen; the window is placed
// before the window system maps it, so it never shows in the wrong place first. A window
// manager frames a window some time after it maps it, and the window learns of it as it is
// moved or resized: its sizes follow the frame then.
class ShowWatcher : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize) || !object->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(object);
        if (!w->isWindow()) return false;
        Record* r = FindByWidget(w);
        if (r != nullptr && r->widget != w) r = nullptr;
        if (type != QEvent::Show) {
            if (r != nullptr) FrameMayHaveChanged(*r);
            return false;
        }
        // Qt has just made the native window, which the window manager meets when it maps it
        // with the sizes and functions it is told now.
        if (r != nullptr) {
            r->outerCornerWhileHidden.reset();
            FollowSizeRule(*r);
            FrameMayHaveChanged(*r);
        }
        KeepOnScreen(w);
        RaiseWindow(w);
        return false;
    }
};

}  // namespace

void RaiseWindow(QWidget* window, int depth)
{
    if (window == nullptr || depth > 32) return;
    window->raise();
    MoveToTop(window);
    for (QWidget* owned : OwnedWindows(window)) RaiseWindow(owned, depth + 1);
}

void LowerWindow(QWidget* window)
{
    if (window == nullptr) return;
    window->lower();
    auto& stack = Stack();
    stack.erase(std::remove(stack.begin(), stack.end(), window), stack.end());
    stack.insert(stack.begin(), window);
    // An owned window never goes below its owner.
    for (QWidget* owned : OwnedWindows(window)) RaiseWindow(owned);
}

std::vector<QWidget*> StackingOrder()
{
    std::vector<QWidget*> out;
    for (const QPointer<QWidget>& w : Stack())
        if (w != nullptr && w->isVisible()) out.push_back(w);
    return out;
}

void KeepOnScreen(QWidget* window)
{
    if (window == nullptr || !window->isWindow()) return;
    // Popups and tips place themselves beside what they belong to.
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip) return;
    // Before its first showing the window's frame is not known to the widget yet; the layer's
    // margins are (the window system's, or those the window is taken to get).
    const QRect frame = window->geometry().marginsAdded(FrameMargins(window));
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr) screen = window->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    if (area.contains(frame)) return;
    // Whole on the screen where it fits; its top left corner on the screen where it does not.
    auto place = [](int at, int size, int first, int length) {
        if (size >= length) return first;
        return std::clamp(at, first, first + length - size);
    };
    window->move(place(frame.x(), frame.width(), area.x(), area.width()), place(frame.y(), frame.height(), area.y(), area.height()));
}

void WatchWindowsShown()
{
    static ShowWatcher* watcher = nullptr;
    if (watcher != nullptr || QCoreApplication::instance() == nullptr) return;
    watcher = new ShowWatcher();
    QCoreApplication::instance()->installEventFilter(watcher);
}

}  // namespace uiimpl
