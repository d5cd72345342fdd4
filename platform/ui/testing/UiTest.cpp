#include "platform/ui/testing/UiTest.h"

#include "platform/ui/App.h"
#include "platform/ui/WndImpl.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>

// Font configuration keeps caches for the life of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
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

// Mouse events go to the widget that really receives them: the viewport of scrolling views.
QWidget* MouseTarget(QWidget* w, QPoint& local)
{
    // As the window system would: the deepest child under the point takes the event.
    if (QWidget* child = w->childAt(local)) {
        local = child->mapFrom(w, local);
        return child;
    }
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
        local = area->viewport()->mapFrom(area, local);
        return area->viewport();
    }
    return w;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    if (w == nullptr) return;
    QWidget* target = MouseTarget(w, local);
    const QPointF global = target->mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

QPoint Centre(QWidget* w) { return QPoint(w->width() / 2, w->height() / 2); }

}  // namespace

void EnsureApplication()
{
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

void ClickAt(CWnd* wnd, CPoint p)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const HWND h = wnd->m_hWnd;
    SendMouse(w, QEvent::MouseButtonPress, QPoint(p.x, p.y), Qt::LeftButton, Qt::LeftButton);
    if ((w = uiimpl::WidgetOf(h)) != nullptr) SendMouse(w, QEvent::MouseButtonRelease, QPoint(p.x, p.y), Qt::LeftButton, Qt::NoButton);
}

void Click(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const QPoint c = Centre(w);
    ClickAt(wnd, CPoint(c.x(), c.y()));
}

void RightClickAt(CWnd* wnd, CPoint p)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const HWND h = wnd->m_hWnd;
    SendMouse(w, QEvent::MouseButtonPress, QPoint(p.x, p.y), Qt::RightButton, Qt::RightButton);
    if ((w = uiimpl::WidgetOf(h)) != nullptr) SendMouse(w, QEvent::MouseButtonRelease, QPoint(p.x, p.y), Qt::RightButton, Qt::NoButton);
}

void DoubleClickAt(CWnd* wnd, CPoint p)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const HWND h = wnd->m_hWnd;
    const QPoint q(p.x, p.y);
    SendMouse(w, QEvent::MouseButtonPress, q, Qt::LeftButton, Qt::LeftButton);
    if ((w = uiimpl::WidgetOf(h)) == nullptr) return;
    SendMouse(w, QEvent::MouseButtonRelease, q, Qt::LeftButton, Qt::NoButton);
    if ((w = uiimpl::WidgetOf(h)) == nullptr) return;
    SendMouse(w, QEvent::MouseButtonDblClick, q, Qt::LeftButton, Qt::LeftButton);
    if ((w = uiimpl::WidgetOf(h)) == nullptr) return;
    SendMouse(w, QEvent::MouseButtonRelease, q, Qt::LeftButton, Qt::NoButton);
}

void MiddleClickAt(CWnd* wnd, CPoint p)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const HWND h = wnd->m_hWnd;
    SendMouse(w, QEvent::MouseButtonPress, QPoint(p.x, p.y), Qt::MiddleButton, Qt::MiddleButton);
    if ((w = uiimpl::WidgetOf(h)) != nullptr) SendMouse(w, QEvent::MouseButtonRelease, QPoint(p.x, p.y), Qt::MiddleButton, Qt::NoButton);
}

void MiddleDoubleClickAt(CWnd* wnd, CPoint p)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const HWND h = wnd->m_hWnd;
    const QPoint q(p.x, p.y);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        if ((w = uiimpl::WidgetOf(h)) == nullptr) return;
        const bool down = type != QEvent::MouseButtonRelease;
        SendMouse(w, type, q, Qt::MiddleButton, down ? Qt::MiddleButton : Qt::NoButton);
    }
}

void MouseDown(CWnd* wnd, CPoint p, bool right)
{
    const Qt::MouseButton b = right ? Qt::RightButton : Qt::LeftButton;
    SendMouse(WidgetOf(wnd), QEvent::MouseButtonPress, QPoint(p.x, p.y), b, b);
}

void MouseUp(CWnd* wnd, CPoint p, bool right)
{
    SendMouse(WidgetOf(wnd), QEvent::MouseButtonRelease, QPoint(p.x, p.y), right ? Qt::RightButton : Qt::LeftButton, Qt::NoButton);
}

void MouseMove(CWnd* wnd, CPoint p, bool leftDown)
{
    SendMouse(WidgetOf(wnd), QEvent::MouseMove, QPoint(p.x, p.y), Qt::NoButton, leftDown ? Qt::LeftButton : Qt::NoButton);
}

void Wheel(CWnd* wnd, CPoint p, int delta)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    const QPointF local(p.x, p.y);
    QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
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
    default: return 0;
    }
}

void SendKey(CWnd* wnd, int qtKey, Qt::KeyboardModifiers mods, const QString& t)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return;
    // A dialog passes keys to its focused control.
    if (QWidget* focus = w->focusWidget(); focus != nullptr && w->isAncestorOf(focus)) w = focus;
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, t);
    QApplication::sendEvent(w, &press);
    if (QWidget* still = WidgetOf(wnd); still == nullptr) return;
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods, t);
    QApplication::sendEvent(w, &release);
}

}  // namespace

void Key(CWnd* wnd, int virtualKey, int modifiers)
{
    Qt::KeyboardModifiers mods;
    if ((modifiers & Shift) != 0) mods |= Qt::ShiftModifier;
    if ((modifiers & Control) != 0) mods |= Qt::ControlModifier;
    if ((modifiers & Alt) != 0) mods |= Qt::AltModifier;
    if ((modifiers & Keypad) != 0 || (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_DIVIDE)) mods |= Qt::KeypadModifier;
    QString text;
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE) text = QChar(virtualKey);
    if (virtualKey >= 'A' && virtualKey <= 'Z') text = QChar((modifiers & Shift) != 0 ? virtualKey : virtualKey + 32);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) text = QChar('0' + virtualKey - VK_NUMPAD0);
    if (virtualKey == VK_RETURN) text = QStringLiteral("\r");
    if (virtualKey == VK_ESCAPE) text = QChar(0x1B);
    if ((modifiers & (Control | Alt)) != 0) text.clear();
    SendKey(wnd, QtKeyOf(virtualKey), mods, text);
}

void PressEnter(CWnd* wnd) { Key(wnd, VK_RETURN); }
void PressEscape(CWnd* wnd) { Key(wnd, VK_ESCAPE); }

void TypeText(CWnd* edit, const std::string& text)
{
    QWidget* w = WidgetOf(edit);
    if (w == nullptr) return;
    w->setFocus();
    Key(edit, 'A', Control);
    const QString all = QString::fromStdString(text);
    if (all.isEmpty()) {
        Key(edit, VK_DELETE);
        return;
    }
    for (const QChar c : all) SendKey(edit, 0, Qt::NoModifier, QString(c));
}

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

void SelectComboItem(CWnd* comboBox, int index)
{
    auto* combo = qobject_cast<QComboBox*>(WidgetOf(comboBox));
    if (combo == nullptr || index < 0 || index >= combo->count()) return;
    // The keyboard way: Home, then Down to the item.
    combo->setFocus();
    if (combo->currentIndex() != 0 || index == 0) Key(comboBox, VK_HOME);
    for (int i = std::max(combo->currentIndex(), 0); i < index; ++i) Key(comboBox, VK_DOWN);
}

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
        const QPoint c = b->geometry().center();
        const HWND h = spin->m_hWnd;
        SendMouse(b, QEvent::MouseButtonPress, b->mapFrom(w, c), Qt::LeftButton, Qt::LeftButton);
        if (uiimpl::WidgetOf(h) != nullptr) SendMouse(b, QEvent::MouseButtonRelease, b->mapFrom(w, c), Qt::LeftButton, Qt::NoButton);
        return;
    }
}

void CloseWindow(CWnd* wnd)
{
    if (QWidget* w = WidgetOf(wnd)) w->window()->close();
}

bool RenderToPng(CWnd* wnd, const std::string& path)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return false;
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return w->grab().save(file, "PNG");
}

}  // namespace uitest
