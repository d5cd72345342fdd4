// Where top-level windows are and how big: a window without a thick frame keeps the size the
// program gives it, whatever a window manager would do; one with a thick frame can be resized
// by the user, within the minimum its own code keeps.

#include "platform/ui/App.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/testing/MapOrder.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

constexpr UINT kFixedId = 9601;
constexpr UINT kResizableId = 9602;

const char* kFixedText = R"(DIALOG 9601
CAPTION "Панель"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME
SIZE 200 100
CONTROL Button IDOK "OK" BS_DEFPUSHBUTTON | WS_TABSTOP 7 79 50 14
)";

const char* kResizableText = R"(DIALOG 9602
CAPTION "График"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX
SIZE 300 120
)";

// A window that keeps a minimum size of its own, as the chart windows do, and tells it.
class Resizable : public CDialog {
public:
    static constexpr int kMinWidth = 300;
    static constexpr int kMinHeight = 200;
    Resizable() : CDialog(kResizableId) {}

protected:
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos)
    {
        CDialog::OnWindowPosChanging(pos);
        if ((pos->flags & SWP_NOSIZE) != 0) return;
        pos->cx = std::max(pos->cx, kMinWidth);
        pos->cy = std::max(pos->cy, kMinHeight);
    }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info)
    {
        CDialog::OnGetMinMaxInfo(info);
        info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Resizable, CDialog)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

QWindow* WindowOf(CWnd* wnd)
{
    QWidget* w = uitest::WidgetOf(wnd);
    return w != nullptr ? w->window()->windowHandle() : nullptr;
}

class WindowPlace : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterDialogTemplateText(kFixedText));
        ASSERT_TRUE(RegisterDialogTemplateText(kResizableText));
    }
    void TearDown() override { uitest::ProcessEvents(); }
};

}  // namespace

TEST_F(WindowPlace, AWindowWithoutAThickFrameHasOneSizeAlsoAfterTheProgramResizesIt)
{
    CDialog fixed(kFixedId);
    ASSERT_TRUE(fixed.Create(kFixedId, nullptr));
    fixed.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    QWindow* window = WindowOf(&fixed);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->minimumSize(), window->size());
    EXPECT_EQ(window->maximumSize(), window->size());

    // Smaller in one direction and larger in the other: the window goes to that size.
    CRect before;
    fixed.GetWindowRect(&before);
    fixed.MoveWindow(before.left, before.top, before.Width() + 120, before.Height() - 20);
    uitest::ProcessEvents();
    CRect after;
    fixed.GetWindowRect(&after);
    EXPECT_EQ(after.Width(), before.Width() + 120);
    EXPECT_EQ(after.Height(), before.Height() - 20);
    EXPECT_EQ(window->minimumSize(), window->size());
    EXPECT_EQ(window->maximumSize(), window->size());
    CRect client;
    fixed.GetClientRect(&client);
    EXPECT_EQ(window->size(), QSize(client.Width(), client.Height()));

    // Given a thick frame, it can be resized again.
    fixed.ModifyStyle(0, WS_THICKFRAME);
    EXPECT_NE(window->minimumSize(), window->maximumSize());
    fixed.DestroyWindow();
}

// The caption offers the buttons of the window's style and no more; maximizing needs a thick
// frame, whatever the style says.
TEST_F(WindowPlace, TheCaptionOffersTheButtonsOfTheStyleAndMaximizeOnlyWithAThickFrame)
{
    const char* fixedWithMaximizeBox = R"(DIALOG 9603
CAPTION "Без рамки"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX
SIZE 100 60
)";
    ASSERT_TRUE(RegisterDialogTemplateText(fixedWithMaximizeBox));
    struct Case {
        UINT id;
        CWnd* owner;
        bool minimize;
        bool maximize;
    };
    CDialog owner(kFixedId);
    ASSERT_TRUE(owner.Create(kFixedId, nullptr));
    const Case cases[] = {
        {kFixedId, nullptr, true, false},  // a main window: left to itself it would be offered maximize
        {kFixedId, &owner, true, false},
        {9603, nullptr, false, false},
        {kResizableId, nullptr, false, true},
        {kResizableId, &owner, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << (c.owner != nullptr ? " owned" : ""));
        CDialog w(c.id);
        ASSERT_TRUE(w.Create(c.id, c.owner));
        w.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        QWindow* window = WindowOf(&w);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->flags().testFlag(Qt::WindowMaximizeButtonHint), c.maximize);
        EXPECT_EQ(window->flags().testFlag(Qt::WindowMinimizeButtonHint), c.minimize);
        EXPECT_TRUE(window->flags().testFlag(Qt::WindowCloseButtonHint));
        w.DestroyWindow();
    }
    owner.DestroyWindow();
}

TEST_F(WindowPlace, AWindowWithAThickFrameFollowsTheWindowSystemDownToItsMinimum)
{
    Resizable chart;
    ASSERT_TRUE(chart.Create(kResizableId, nullptr));
    chart.SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    chart.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    QWindow* window = WindowOf(&chart);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window->minimumSize(), window->maximumSize());

    window->resize(QSize(640, 480));  // as the user drags the frame
    uitest::ProcessEvents();
    CRect client;
    chart.GetClientRect(&client);
    EXPECT_EQ(client.Width(), 640);
    EXPECT_EQ(client.Height(), 480);

    window->resize(QSize(100, 50));
    uitest::ProcessEvents();
    CRect frame;
    chart.GetWindowRect(&frame);
    EXPECT_EQ(frame.Width(), Resizable::kMinWidth);
    EXPECT_EQ(frame.Height(), Resizable::kMinHeight);
    chart.DestroyWindow();
}

// The window system is told how small a window with a thick frame may be made, so a window
// manager refuses smaller frames: what the window answers, or the system's smallest frame. The
// sizes are outer sizes: the client area may be smaller by the frame the window system reports.
TEST_F(WindowPlace, AWindowWithAThickFrameTellsTheWindowSystemItsSmallestSize)
{
    Resizable own;
    ASSERT_TRUE(own.Create(kResizableId, nullptr));
    CDialog plain(kResizableId);
    ASSERT_TRUE(plain.Create(kResizableId, nullptr));
    CDialog fixed(kFixedId);
    ASSERT_TRUE(fixed.Create(kFixedId, nullptr));
    for (CDialog* w : {static_cast<CDialog*>(&own), &plain, &fixed}) w->ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    const QMargins frame = WindowOf(&own)->frameMargins();
    const CSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    EXPECT_EQ(uitest::SmallestClientSize(&own), CSize(Resizable::kMinWidth, Resizable::kMinHeight) - frameSize);
    EXPECT_EQ(uitest::SmallestClientSize(&plain), CSize(GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)) - frameSize);
    EXPECT_GT(GetSystemMetrics(SM_CXMINTRACK), 0);
    CRect client;
    fixed.GetClientRect(&client);
    EXPECT_EQ(uitest::SmallestClientSize(&fixed), client.Size()) << "one size only";
    for (CDialog* w : {static_cast<CDialog*>(&own), &plain, &fixed}) w->DestroyWindow();
}

// A size the program gives is the window's outer size, frame included, as GetWindowRect reads
// it back. A window placed at the size it was left with comes back that size. (Under a window
// manager, which frames a window only after it maps it: platform/ui/tests/x11.)
TEST_F(WindowPlace, AWindowComesBackTheSizeItWasLeftWith)
{
    CRect stored;
    CSize frame;
    {
        Resizable w;
        ASSERT_TRUE(w.Create(kResizableId, nullptr));
        w.SetWindowPos(nullptr, 40, 30, 500, 320, SWP_NOZORDER);
        w.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        const QMargins m = WindowOf(&w)->frameMargins();
        frame = CSize(m.left() + m.right(), m.top() + m.bottom());
        CRect outer;
        w.GetWindowRect(&outer);
        EXPECT_EQ(outer, CRect(40, 30, 540, 350));
        CRect client;
        w.GetClientRect(&client);
        EXPECT_EQ(client.Size(), CSize(500, 320) - frame);

        WindowOf(&w)->resize(QSize(700, 400));  // the user drags the frame
        uitest::ProcessEvents();
        w.GetWindowRect(&stored);
        EXPECT_EQ(stored.Size(), CSize(700, 400) + frame);
        w.DestroyWindow();
    }
    Resizable again;
    ASSERT_TRUE(again.Create(kResizableId, nullptr));
    again.SetWindowPos(nullptr, stored.left, stored.top, stored.Width(), stored.Height(), SWP_NOZORDER);
    again.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    CRect client;
    again.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(700, 400));
    CRect outer;
    again.GetWindowRect(&outer);
    EXPECT_EQ(outer, stored);
    again.DestroyWindow();
}

// Code that wants a client area works its outer size out from the window's rectangles. Before
// the window system has a window of its own for it, the window is taken to get the frame the
// windows of its kind got so far, so the client area comes out as wanted.
TEST_F(WindowPlace, AWindowSizedForAClientAreaBeforeItIsShownGetsThatClientArea)
{
    Resizable first;
    ASSERT_TRUE(first.Create(kResizableId, nullptr));
    first.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    const QMargins m = WindowOf(&first)->frameMargins();

    Resizable next;
    ASSERT_TRUE(next.Create(kResizableId, nullptr));
    ASSERT_EQ(WindowOf(&next), nullptr) << "no window of the window system yet";
    CRect outer;
    CRect client;
    next.GetWindowRect(&outer);
    next.GetClientRect(&client);
    EXPECT_EQ(outer.Size() - client.Size(), CSize(m.left() + m.right(), m.top() + m.bottom()));
    next.SetWindowPos(nullptr, 0, 0, 640 + outer.Width() - client.Width(), 360 + outer.Height() - client.Height(),
                      SWP_NOMOVE | SWP_NOZORDER);
    next.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    next.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(640, 360));
    first.DestroyWindow();
    next.DestroyWindow();
}

namespace {

// Where w is in the stack of shown windows, from the bottom; -1 when it is not there.
int Level(CWnd* wnd)
{
    const std::vector<QWidget*> stack = uitest::StackedWindows();
    const auto it = std::find(stack.begin(), stack.end(), uitest::WidgetOf(wnd));
    return it == stack.end() ? -1 : static_cast<int>(it - stack.begin());
}

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QRect Frame(CWnd* wnd)
{
    CRect r;
    wnd->GetWindowRect(&r);
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// A main window and two windows it owns, made hidden, as the program makes them at start-up.
struct OwnerAndTwo {
    CDialog main{kFixedId};
    CDialog first{kFixedId};
    CDialog second{kFixedId};
    bool Create()
    {
        return main.Create(kFixedId, nullptr) && first.Create(kFixedId, &main) && second.Create(kFixedId, &main);
    }
};

}  // namespace

TEST_F(WindowPlace, OwnedWindowsStayAboveTheirOwnerThoughShownBeforeIt)
{
    // As at start-up: the main window restores its tool windows before it is shown itself.
    OwnerAndTwo windows;
    ASSERT_TRUE(windows.Create());
    auto& [main, first, second] = windows;
    CDialog stranger(kFixedId);
    ASSERT_TRUE(stranger.Create(kFixedId, nullptr));
    first.ShowWindow(SW_SHOWNA);
    second.ShowWindow(SW_SHOW);
    main.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    EXPECT_LT(Level(&main), Level(&first));
    EXPECT_LT(Level(&first), Level(&second)) << "the owned windows keep their own order";

    // Raised again, by any of the ways a program raises a window, the owner buries none of them.
    stranger.ShowWindow(SW_SHOW);
    main.SetForegroundWindow();
    EXPECT_LT(Level(&stranger), Level(&main));
    EXPECT_LT(Level(&main), Level(&first));
    EXPECT_LT(Level(&first), Level(&second));
    first.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    main.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_LT(Level(&main), Level(&second));
    EXPECT_LT(Level(&second), Level(&first));
    main.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(Level(&main), 0);
    EXPECT_LT(Level(&main), Level(&second));

    // A box of the owner comes up above all of it.
    int boxLevel = -1;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        const std::vector<QWidget*> stack = uitest::StackedWindows();
        boxLevel = static_cast<int>(stack.size()) - 1;
        EXPECT_GT(boxLevel, Level(&first));
        EXPECT_GT(boxLevel, Level(&second));
        EXPECT_EQ(qobject_cast<QMessageBox*>(stack.back()) != nullptr, true) << "the box is not on top";
        m.End(IDOK);
    });
    main.MessageBox("Проверка", "Velkaro", MB_OK);
    EXPECT_GE(boxLevel, 0);
    for (CDialog* w : {&first, &second, &stranger, &main}) w->DestroyWindow();
}

// A window manager ties an owned window to its owner only when the owner is mapped first.
TEST_F(WindowPlace, OwnedWindowsShownBeforeTheirOwnerAreMappedAfterIt)
{
    OwnerAndTwo windows;
    ASSERT_TRUE(windows.Create());
    auto& [main, first, second] = windows;
    CDialog closedAgain(kFixedId);
    ASSERT_TRUE(closedAgain.Create(kFixedId, &main));
    uitest::MapOrder order;

    // As the main window restores its tool windows while it sets itself up: they are shown as
    // far as the program can tell at once.
    first.ShowWindow(SW_SHOWNA);
    EXPECT_FALSE(second.ShowWindow(SW_SHOWNORMAL));
    EXPECT_TRUE(second.ShowWindow(SW_SHOWNORMAL)) << "a second show finds the window shown";
    closedAgain.ShowWindow(SW_SHOW);
    closedAgain.ShowWindow(SW_HIDE);
    for (CDialog* w : {&first, &second}) {
        EXPECT_TRUE(w->IsWindowVisible());
        EXPECT_NE(w->GetStyle() & WS_VISIBLE, 0u);
    }
    EXPECT_FALSE(closedAgain.IsWindowVisible());
    main.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();

    ASSERT_EQ(order.mapped.size(), 3u) << "a window hidden again before its turn is never mapped";
    EXPECT_EQ(order.Place(&main), 0);
    EXPECT_GT(order.Place(&first), 0);
    EXPECT_GT(order.Place(&second), 0);
    EXPECT_TRUE(uitest::WidgetOf(&first)->isVisible());
    EXPECT_TRUE(uitest::WidgetOf(&second)->isVisible());
    EXPECT_FALSE(uitest::WidgetOf(&closedAgain)->isVisible());

    // An owner that stays hidden keeps its window back no longer than one turn.
    main.ShowWindow(SW_HIDE);
    first.ShowWindow(SW_HIDE);
    first.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    EXPECT_TRUE(uitest::WidgetOf(&first)->isVisible());
    for (CDialog* w : {&first, &second, &closedAgain, &main}) w->DestroyWindow();
}

TEST_F(WindowPlace, AWindowShownPartlyOffTheScreenComesUpOnIt)
{
    const QRect area = Available();
    CDialog w(kFixedId);
    ASSERT_TRUE(w.Create(kFixedId, nullptr));
    w.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    const QRect size = Frame(&w);
    struct Case {
        const char* name;
        QPoint at;
        QPoint expected;
    };
    const Case cases[] = {
        {"off the right and bottom edges", area.bottomRight() - QPoint(20, 10),
         QPoint(area.right() + 1 - size.width(), area.bottom() + 1 - size.height())},
        {"off the left and top edges", area.topLeft() - QPoint(50, 30), area.topLeft()},
        {"whole on the screen", area.topLeft() + QPoint(5, 7), area.topLeft() + QPoint(5, 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.ShowWindow(SW_HIDE);
        w.SetWindowPos(nullptr, c.at.x(), c.at.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        w.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        EXPECT_EQ(Frame(&w).topLeft(), c.expected);
        EXPECT_EQ(Frame(&w).size(), size.size());
    }

    // Bigger than the screen: its top left corner on the screen.
    w.ShowWindow(SW_HIDE);
    w.SetWindowPos(nullptr, area.x() + 100, area.y() + 100, area.width() + 40, area.height() + 40, SWP_NOZORDER);
    w.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    EXPECT_EQ(Frame(&w).topLeft(), area.topLeft());
    w.DestroyWindow();
}

TEST_F(WindowPlace, ADialogOverAnOwnerAtTheScreensEdgeComesUpWholeOnTheScreen)
{
    const QRect area = Available();
    CDialog owner(kFixedId);
    ASSERT_TRUE(owner.Create(kFixedId, nullptr));
    owner.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    owner.SetWindowPos(nullptr, area.right() + 1 - Frame(&owner).width(), area.y() + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    uitest::ProcessEvents();
    ASSERT_TRUE(area.contains(Frame(&owner)));

    // Wider than its owner, centred over it: it would stick out past the right edge.
    QRect shown;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        uitest::ProcessEvents();
        shown = Frame(m.window);
        m.End(IDCANCEL);
    });
    CDialog wide(kResizableId, &owner);
    wide.DoModal();
    ASSERT_GT(shown.width(), Frame(&owner).width());
    EXPECT_EQ(shown.right(), area.right());
    EXPECT_TRUE(area.contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
    owner.DestroyWindow();
}
