#pragma once
// Test driver for windows: input delivered the way the window system delivers a user's (to the
// top-level window, through Qt's window-system input path, so that modal windows, disabled
// controls and the keyboard focus apply), modal loops that a test takes part in, and rendering
// of a window into a PNG file for a reviewer. A window that is not shown takes no input.
//
//   uitest::EnsureApplication();
//   uitest::OnNextModal([](uihooks::ModalContext& m) {
//       uitest::Click(m.window->GetDlgItem(IDOK));   // the dialog is shown; click OK
//   });
//   EXPECT_EQ(dialog.DoModal(), IDOK);

#include "platform/ui/Controls.h"
#include "platform/ui/UiHooks.h"
#include "platform/ui/Wnd.h"

#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace uitest {

// A Qt application (off screen when there is no display); modal handlers cleared.
void EnsureApplication();
// Runs pending events, deferred deletions included.
void ProcessEvents();

// The next modal loop (dialog, message box, file dialog) runs handler from inside the loop.
void OnNextModal(uihooks::ModalHandler handler);
// Answers the next message box with a button and records its text into *text (may be null).
void AnswerNextMessageBox(int answer, std::string* text = nullptr);

QWidget* WidgetOf(CWnd* wnd);

// Mouse, at a point in the window's client coordinates (the centre when omitted).
void Click(CWnd* wnd);
void ClickAt(CWnd* wnd, CPoint point);
void RightClickAt(CWnd* wnd, CPoint point);
void DoubleClickAt(CWnd* wnd, CPoint point);
// The middle button: a click, and a double click (press, release, double click, release).
void MiddleClickAt(CWnd* wnd, CPoint point);
void MiddleDoubleClickAt(CWnd* wnd, CPoint point);
void MouseDown(CWnd* wnd, CPoint point, bool right = false);
void MouseUp(CWnd* wnd, CPoint point, bool right = false);
// leftDown / rightDown: the buttons held during the move (a drag).
void MouseMove(CWnd* wnd, CPoint point, bool leftDown = false, bool rightDown = false);
void Wheel(CWnd* wnd, CPoint point, int delta);

// Keyboard, sent to the window (a control, or the focus control of a dialog when wnd is one).
// virtualKey is a VK_ code or 'A'..'Z' / '0'..'9'; modifiers are the bits below. Keypad makes
// the navigation keys those of the numeric keypad (not extended). VK_APPS, the Menu key, brings
// the context menu request X makes of it.
enum KeyModifier { Shift = 1, Control = 2, Alt = 4, Keypad = 8 };
void Key(CWnd* wnd, int virtualKey, int modifiers = 0);
// As a user types: to the window that has the keyboard (a message box, a file dialog).
void KeyToActiveWindow(int virtualKey, int modifiers = 0);
// Types text, character by character, to the window that has the keyboard.
void TypeToActiveWindow(const std::string& text);
// Qt's own dialogs (a file dialog, a message box) have no CWnd: the shown modal window, or its
// part with that Qt object name ("fileNameEdit", "fileTypeCombo", ...); null when there is none.
QWidget* ActiveModalPart(const char* objectName = nullptr);
// The window system takes the keyboard away from the window of wnd, as it does when another
// window (a message box) takes it. On X11 a window held back by a modal window hands the
// keyboard on to the window that holds it back, which for a window-modal box is the box's
// owner where that window is one of the owner's windows.
void KeyboardLeaves(CWnd* wnd);
void PressEnter(CWnd* wnd);
void PressEscape(CWnd* wnd);
// Replaces an edit's text the way a user does: select everything, then type.
void TypeText(CWnd* edit, const std::string& text);
// What another program left on the clipboard, for a paste (Ctrl+V) to take.
void SetClipboardText(const std::string& text);

// Controls.
void SelectListItem(CWnd* listBox, int index);
void DoubleClickListItem(CWnd* listBox, int index);
void SelectComboItem(CWnd* comboBox, int index);
void SelectComboItem(QWidget* comboBox, int index);
void DoubleClickTreeItem(CTreeCtrl* tree, HTREEITEM item);
void RightClickTreeItem(CTreeCtrl* tree, HTREEITEM item);
// up: the up (or right) arrow of a spin control.
void ClickSpin(CWnd* spin, bool up);
// Like the close box of the window's frame.
void CloseWindow(CWnd* wnd);

// Timers: the period in milliseconds of the window's running timer (0 when it is not
// running), and firing it now, its WM_TIMER handled before the call returns (false when it is
// not running). Tests fire timers instead of waiting for them.
int TimerPeriod(CWnd* wnd, UINT_PTR id);
bool FireTimer(CWnd* wnd, UINT_PTR id);
// The program gaining or losing the user's attention, as the window system reports it.
void SetApplicationActive(bool active);
// GDI objects and device contexts alive now (a leak shows as growth).
std::size_t LiveGdiCount();

// The smallest client size the window system is told the window takes (no minimum: 0 x 0).
CSize SmallestClientSize(CWnd* wnd);

// The shown top-level windows from the bottom up, as the layer stacked them (the window
// system of the tests cannot show stacking itself).
std::vector<QWidget*> StackedWindows();

// Where the picture of a scroll bar shows its thumb, as an eye finds it: the longest run along
// the bar's middle line, between its arrows, of pixels clearly darker than the lightest of the
// groove; first and last pixel in the bar's coordinates along its length, or {-1, -1} when
// nothing stands out.
std::pair<int, int> DrawnThumb(QWidget* scrollBar);

// Renders the window into a PNG file; true when it was written.
bool RenderToPng(CWnd* wnd, const std::string& path);
bool RenderToPng(QWidget* widget, const std::string& path);

// Where a test's PNG goes: the build tree's test-output folder.
inline std::string OutputPath(const std::string& name)
{
#ifdef VELKARO_TEST_OUTPUT_DIR
    return std::string(VELKARO_TEST_OUTPUT_DIR) + "/" + name;
#else
    return name;
#endif
}

}  // namespace uitest
