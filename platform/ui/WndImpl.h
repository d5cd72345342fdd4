#pragma once
// Platform-internal: the window table and the Qt side of windows. Only platform/ui includes this.

#include "platform/ui/Menu.h"
#include "platform/ui/Wnd.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace uiimpl {

struct Record;

// What a window class does by itself: builds its widget, answers the messages of its class
// (LB_ADDSTRING, BM_SETCHECK, ...) and turns user actions into notifications to the parent.
class Behaviour {
public:
    virtual ~Behaviour() = default;
    virtual QWidget* CreateWidget(Record& r, QWidget* parent) = 0;
    // Called once the record is complete and the widget shows its initial state; notifications
    // are connected here so that creation itself notifies nobody.
    virtual void Connect(Record&) {}
    virtual bool DefProc(Record&, UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    virtual void SetText(Record& r, const std::string& text);
    virtual std::string GetText(const Record& r) const;
    // The Qt widget that input events of this control arrive at most of the time.
    virtual bool IsNativeControl() const { return true; }
    // Enter in this control belongs to the control (multi-line edits with ES_WANTRETURN).
    virtual bool WantsReturn(const Record&) const { return false; }
    virtual void ApplyFont(Record& r, const QFont& font);
    // After ModifyStyle: follow the style bits that can change while the window lives.
    virtual void StyleChanged(Record&) {}
    // The client area when it is not the whole widget (a border, scroll bars); false to take
    // the widget's size.
    virtual bool ClientRect(const Record&, RECT&) const { return false; }
};

struct Record {
    std::uint32_t id = 0;
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    int ctrlId = 0;
    HWND parent = nullptr;  // parent of a child window, owner of a popup
    std::vector<HWND> children;
    CWnd* wnd = nullptr;               // attached object
    std::unique_ptr<CWnd> temporary;   // handed out by FromHandle when nothing is attached
    QPointer<QWidget> widget;
    std::unique_ptr<Behaviour> behaviour;
    std::map<UINT_PTR, QTimer*> timers;
    CFont* font = nullptr;
    std::string text;
    bool dblclks = true;
    bool destroying = false;
    bool isDialog = false;
    bool ownsWidget = true;  // false for a part of another window's widget (a list's header)
    bool fixedSize = false;  // the window system is told the window's size is its only size
    // A top-level window shown while its owner is hidden waits for the next turn of the event
    // loop (see CWnd::ShowWindow); meanwhile it counts as visible and remembers how to show.
    bool showDeferred = false;
    int deferredShow = 0;
    // Sizes of a top-level window are outer sizes, frame included, and a window manager frames
    // a window only after it maps it. The outer size the program gave the window before its
    // frame was known waits here until it is, with the client size it got meanwhile (a window
    // resized since by anyone else keeps its size); frameSeen is the frame the window's sizes
    // were last worked out with.
    QSize wantedOuterSize;
    QSize clientWhileUnframed;
    QMargins frameSeen;
    // Where the program put the outer corner of the window while it was hidden: until the window
    // is shown, Qt's own frame geometry takes that corner for the client's.
    std::optional<QPoint> outerCornerWhileHidden;
    int defId = IDOK;
    std::unique_ptr<CMenu> systemMenu;
    HICON bigIcon = 0;
    HICON smallIcon = 0;
    HWND HandleValue() const { return IdToHandle<HWND>(id); }
};

// UI-thread only.
Record* Find(HWND hwnd);
Record* FindByWidget(const QWidget* widget);  // the record of the widget or of its nearest owner
HWND NewRecord(std::unique_ptr<Record> record);
void DestroyRecord(HWND hwnd);
std::vector<HWND> TopLevelWindows();

bool OnUiThread();
// Runs fn on the UI thread later (now queued); safe from any thread. Without an application
// object nothing can run and fn is dropped.
void PostToUi(std::function<void()> fn);

// Message delivery: through the attached object's WindowProc, else the class behaviour.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultProc(Record& r, UINT message, WPARAM wParam, LPARAM lParam);
// A control notification to the control's parent (WM_COMMAND with the code).
void NotifyParent(Record& r, UINT code);
LRESULT NotifyParent(Record& r, NMHDR& header);

// The widget a window is drawn on (null for an unknown window).
QWidget* WidgetOf(const CWnd* wnd);
QWidget* WidgetOf(HWND hwnd);

// Creation of a window of a class. parentWidget null for top-level windows.
struct CreateParams {
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    CRect rect;  // in the parent's client coordinates (screen for top-level windows)
    HWND parent = nullptr;
    int ctrlId = 0;
    bool isDialog = false;
};
HWND CreateWindowRecord(const CreateParams& params, CWnd* attach);
std::unique_ptr<Behaviour> MakeBehaviour(const std::string& className, DWORD style);
CWnd* MakeTemporaryFor(const Record& r);
// Set while SetWindowPos applies a position it has already offered to WM_WINDOWPOSCHANGING.
extern bool positioning;
// A top-level window without a thick frame has no size but the one the program gives it: the
// window system is told its smallest and largest size are that size, so that no window
// manager shrinks or stretches it. FollowSizeRule applies that after creation and a change of
// style; ResizeWindow changes the size of a window from code, fixed or not.
void FollowSizeRule(Record& r);
void ResizeWindow(Record& r, QSize size);
// The frame the window system draws around a top-level window (none before it has framed the
// window, or without a window manager), and the window's outer rectangle with it.
QMargins FrameMargins(const QWidget* window);
QRect OuterRect(const QWidget* window);
// Gives a top-level window its outer size: the client size is that less the frame, and is set
// again when the frame turns out other than it was.
void ResizeOuter(Record& r, QSize outer);
// The window system may have framed the window or changed its frame: its outer size and its
// smallest size follow (WindowStack.cpp calls this as the window's events come).
void FrameMayHaveChanged(Record& r);
// The frame an X11 window manager says it would draw around a window of this style (caption,
// thick frame) once it maps it; nothing when it cannot be asked: another window system, no
// window manager, or one that does not answer (WindowManagerHints.cpp).
std::optional<QMargins> AskFrameExtents(DWORD style);
// Tells an X11 window manager which functions and buttons the frame of a captioned top-level
// window offers, as its style says (WindowManagerHints.cpp); nothing elsewhere or before the
// window has its native window.
void TellFrameFunctions(const Record& r);

// Modal state: every running modal loop, innermost last.
struct ModalFrame {
    CWnd* wnd = nullptr;
    void* loop = nullptr;
};

// Modality (Modality.cpp). BeginModal shows window modal to its owner's windows and tells whether
// it was shown before; EndModal lifts the block it put on other windows, keeping the window shown
// when keepShown; ActivateAfterModal gives the keyboard back to the owner's window.
bool BeginModal(QWidget* window);
void EndModal(QWidget* window, bool keepShown);
void ActivateAfterModal(QWidget* owner);

// The message being handled on this thread.
struct CurrentMessage {
    MSG msg;
    bool defaultCalled = false;
    // Input offered to the object of a native control: the Qt event it came from. Default()
    // lets the control process it at once, as the original's default processing does.
    QObject* qtTarget = nullptr;
    QEvent* qtEvent = nullptr;
    bool delivered = false;
    CurrentMessage* previous = nullptr;
};
// Delivers the Qt event behind the message being handled, once (see CurrentMessage).
void DeliverPendingInput(CurrentMessage& frame);
CurrentMessage* TopMessage();
class MessageScope {
public:
    MessageScope(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~MessageScope();
    CurrentMessage frame;
};

// Input state kept from the events the UI thread has seen.
void TrackModifiers(Qt::KeyboardModifiers modifiers);
void TrackButtons(Qt::MouseButtons buttons);
void TrackCursor(const QPoint& globalPos);
void SetKeyDown(int vk, bool down);
HWND CaptureWindow();
bool IsKeyDown(int vk);
POINT CursorPosition();
// The widget being painted on this thread (null outside painting).
QWidget* PaintingWidget();
void SetCaptureWindow(HWND hwnd);

void EnsureEventFilter();
// Stacking and placement of top-level windows (WindowStack.cpp). RaiseWindow puts a window on
// top and then the windows it owns above it; LowerWindow puts it at the bottom, its owned
// windows still above it. StackingOrder gives the shown windows from the bottom up as the
// layer stacked them. KeepOnScreen moves a window that lies partly off its screen onto it.
// WatchWindowsShown does both for every window shown (EnsureEventFilter starts it).
void RaiseWindow(QWidget* window, int depth = 0);
void LowerWindow(QWidget* window);
std::vector<QWidget*> StackingOrder();
void KeepOnScreen(QWidget* window);
void WatchWindowsShown();
// Sends WM_ACTIVATEAPP to every top-level window when the program gains or loses the user's
// attention (AppActivation.cpp); EnsureEventFilter starts watching.
void WatchApplicationState();
void ApplicationActivationChanged(bool active);

// The Qt application the layer makes. It tells the input filter which event is being delivered,
// so that an event Qt offers again to the parents of a widget that ignored it is translated
// into a window message only once.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
struct InputDelivery {
    QEvent* event = nullptr;
    bool translated = false;
    InputDelivery* previous = nullptr;
};
InputDelivery* CurrentDelivery();

// The longest prefix of text of at most limit bytes that ends on a UTF-8 character boundary.
inline std::size_t CutOnCharacter(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit) return text.size();
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}
QFont DialogFont();
QFont FontOf(const Record& r);

// A key event in Windows terms; vk 0 when the key has no virtual-key code.
struct KeyTranslation {
    int vk = 0;
    bool extended = false;
};
// nativeScanCode is the key's X keycode when the window system gives one (0 otherwise): with a
// non-Latin layout the letter keys keep the virtual keys of their places, as on Windows.
KeyTranslation TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode = 0);

}  // namespace uiimpl
