// A window of a registered class that paints itself and follows the mouse: the path the chart
// family takes.

#include "platform/gdi/DC.h"
#include "platform/ui/App.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

namespace {

class Scope : public CWnd {
public:
    Scope()
    {
        WNDCLASS wc;
        wc.style = CS_DBLCLKS;
        wc.lpszClassName = "ScopeTestCtrl";
        AfxRegisterClass(&wc);
    }
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        CRect r;
        GetClientRect(&r);
        dc.FillSolidRect(&r, RGB(0, 0, 0));
        CPen pen(PS_SOLID, 0, RGB(255, 0, 0));
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(0, r.Height() / 2);
        dc.LineTo(r.Width(), r.Height() / 2);
        dc.SelectObject(old);
        paints++;
        onScreen = dc.IsOnScreen();
    }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnLButtonDown(UINT, CPoint p)
    {
        SetCapture();
        events.push_back("down " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    afx_msg void OnLButtonUp(UINT, CPoint p)
    {
        ReleaseCapture();
        events.push_back("up " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    afx_msg void OnMouseMove(UINT flags, CPoint p)
    {
        events.push_back(std::string("move ") + ((flags & MK_LBUTTON) != 0 ? "drag " : "") + std::to_string(p.x) + "," +
                         std::to_string(p.y));
    }
    afx_msg void OnLButtonDblClk(UINT, CPoint) { events.push_back("dblclk"); }
    afx_msg BOOL OnMouseWheel(UINT, short delta, CPoint)
    {
        events.push_back("wheel " + std::to_string(delta));
        return TRUE;
    }
    afx_msg void OnSize(UINT, int cx, int cy) { events.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    int paints = 0;
    bool onScreen = false;
    std::vector<std::string> events;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Scope, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_SIZE()
END_MESSAGE_MAP()

class MinimumSize : public CDialog {
public:
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos)
    {
        pos->cx = std::max(pos->cx, 500);
        pos->cy = std::max(pos->cy, 300);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MinimumSize, CDialog)
    ON_WM_WINDOWPOSCHANGING()
END_MESSAGE_MAP()

DialogTemplate Host()
{
    DialogTemplate t;
    t.id = 9400;
    t.caption = "Осциллограф";
    t.rect = CRect(0, 0, 300, 180);
    return t;
}

}  // namespace

TEST(CustomWindow, PaintsThroughCPaintDcAndRendersToPng)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(Host()));
    Scope scope;
    ASSERT_TRUE(scope.Create("ScopeTestCtrl", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(10, 10, 210, 110), &host, 1000));
    host.ShowWindow(SW_SHOW);
    ASSERT_TRUE(uitest::RenderToPng(&scope, uitest::OutputPath("platform_ui/custom_window.png")));
    EXPECT_GE(scope.paints, 1);
    EXPECT_TRUE(scope.onScreen);
    QImage image(QString::fromStdString(uitest::OutputPath("platform_ui/custom_window.png")));
    ASSERT_EQ(image.width(), 200);
    EXPECT_EQ(image.pixelColor(100, 50), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(100, 20), QColor(0, 0, 0));

    // Drawing outside WM_PAINT reaches no screen.
    CClientDC outside(&scope);
    EXPECT_FALSE(outside.IsOnScreen());
}

TEST(CustomWindow, MouseMessagesCarryClientPointsAndCaptureKeepsTheDrag)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(Host()));
    Scope scope;
    ASSERT_TRUE(scope.Create("ScopeTestCtrl", "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 110), &host, 1000));
    host.ShowWindow(SW_SHOW);
    scope.events.clear();

    uitest::MouseDown(&scope, CPoint(20, 30));
    EXPECT_EQ(CWnd::GetCapture(), &scope);
    EXPECT_NE(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
    // The pointer leaves the window while the button is down: the moves still come here.
    uitest::MouseMove(&host, CPoint(5, 5), true);
    uitest::MouseUp(&scope, CPoint(40, 50));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
    uitest::DoubleClickAt(&scope, CPoint(7, 8));
    uitest::Wheel(&scope, CPoint(7, 8), -120);
    // The pointer moves to where a button goes down or up before it does, as a user's does.
    const std::vector<std::string> expected = {"move 20,30", "down 20,30", "move drag -5,-5", "move drag 40,50", "up 40,50",
                                               "move 7,8",   "down 7,8",   "up 7,8",          "dblclk",          "up 7,8",
                                               "wheel -120"};
    EXPECT_EQ(scope.events, expected);
    POINT cursor;
    GetCursorPos(&cursor);
    CPoint inScope = cursor;
    scope.ScreenToClient(&inScope);
    EXPECT_EQ(inScope, CPoint(7, 8));

    scope.events.clear();
    scope.MoveWindow(0, 0, 150, 60);
    EXPECT_EQ(scope.events, (std::vector<std::string>{"size 150x60"}));
}

TEST(CustomWindow, WindowPosChangingEnforcesAMinimumSize)
{
    uitest::EnsureApplication();
    MinimumSize dlg;
    ASSERT_TRUE(dlg.CreateIndirect(Host()));
    dlg.SetWindowPos(nullptr, 10, 20, 100, 100, SWP_NOZORDER);
    CRect r;
    dlg.GetWindowRect(&r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_GE(r.Width(), 500);
    EXPECT_GE(r.Height(), 300);
    dlg.MoveWindow(5, 5, 800, 600);
    dlg.GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 800);

    // An unregistered class makes no window.
    CWnd nothing;
    EXPECT_FALSE(nothing.Create("NoSuchWindowClass", "", WS_CHILD, CRect(0, 0, 5, 5), &dlg, 5));
}

namespace {
class Lifecycle : public CWnd {
public:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        created = cs != nullptr ? cs->cx : -1;
        return refuse ? -1 : 0;
    }
    afx_msg void OnDestroy() { destroyed++; }
    bool refuse = false;
    int created = 0;
    int destroyed = 0;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Lifecycle, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()
}  // namespace

TEST(CustomWindow, OnCreateCanRefuseAndOnDestroyRunsOnce)
{
    uitest::EnsureApplication();
    const char* cls = AfxRegisterWndClass(CS_DBLCLKS);
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(Host()));
    Lifecycle refused;
    refused.refuse = true;
    EXPECT_FALSE(refused.Create(cls, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &host, 1));
    EXPECT_EQ(refused.m_hWnd, nullptr);
    EXPECT_EQ(refused.created, 40);

    Lifecycle ok;
    ASSERT_TRUE(ok.Create(cls, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &host, 2));
    EXPECT_EQ(AfxRegisterWndClass(CS_DBLCLKS), cls) << "the same attributes give the same class";
    host.DestroyWindow();
    EXPECT_EQ(ok.destroyed, 1);
    EXPECT_EQ(ok.m_hWnd, nullptr);
}

TEST(CustomWindow, AToolTipPopupShowsWithoutActivationAndTakesARegion)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(Host()));
    host.ShowWindow(SW_SHOW);
    CWnd tip;
    ASSERT_TRUE(tip.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), "", WS_POPUP, 100, 100, 80, 40, host.m_hWnd, nullptr));
    EXPECT_FALSE(tip.IsWindowVisible());
    tip.ShowWindow(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ(CWnd::GetActiveWindow() == &tip, false);
    const HRGN round = CreateRoundRectRgn(0, 0, 80, 40, 10, 10);
    EXPECT_EQ(tip.SetWindowRgn(round, TRUE), 1);
    DeleteObject(round);  // the window keeps its own copy
    EXPECT_EQ(tip.SetWindowRgn(0, TRUE), 1);
    CRect r;
    tip.GetWindowRect(&r);
    EXPECT_EQ(r, CRect(100, 100, 180, 140));
}

TEST(CustomWindow, AModelessWindowCanRunAModalLoop)
{
    uitest::EnsureApplication();
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(Host()));
    uitest::OnNextModal([&dlg](uihooks::ModalContext& m) {
        EXPECT_EQ(m.window, &dlg);
        EXPECT_TRUE(dlg.ContinueModal());
        dlg.EndModalLoop(42);
        EXPECT_FALSE(dlg.ContinueModal());
    });
    EXPECT_EQ(dlg.RunModalLoop(), 42);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd)) << "the window outlives its modal loop";
}

TEST(CustomWindow, RedrawWindowPaintsAtOnceAndZOrderPlacesAreNoWindows)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(Host()));
    Scope scope;
    ASSERT_TRUE(scope.Create("ScopeTestCtrl", "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 60), &host, 1000));
    host.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    const int before = scope.paints;
    EXPECT_TRUE(scope.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE));
    EXPECT_EQ(scope.paints, before + 1);
    EXPECT_TRUE(host.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_FALSE(IsWindow(CWnd::wndTopMost.m_hWnd));
    EXPECT_EQ(CWnd::FromHandle(HWND_TOPMOST), nullptr);
}
