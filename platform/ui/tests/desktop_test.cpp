// What the layer tells windows about the desktop around them: the virtual screen, the program
// gaining and losing the user's attention, what the screen shows behind a window; and the
// program's bitmap resources and the hooks tests drive timers through.

#include "platform/gdi/DC.h"
#include "platform/ui/App.h"
#include "platform/ui/BitmapResources.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/ScreenDC.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A plain top-level window in one colour that logs the messages the tests look for.
class Panel : public CWnd {
public:
    Panel(COLORREF colour, DWORD exStyle, CRect place) : colour_(colour)
    {
        WNDCLASS wc;
        wc.style = CS_DBLCLKS;
        wc.lpszClassName = "DesktopTestPanel";
        AfxRegisterClass(&wc);
        CreateEx(exStyle, "DesktopTestPanel", "", WS_POPUP | WS_VISIBLE, place, nullptr, 0);
    }
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        CRect r;
        GetClientRect(&r);
        dc.FillSolidRect(&r, colour_);
        ++paints;
    }
    afx_msg LRESULT OnActivateApp(WPARAM active, LPARAM)
    {
        log.push_back(active != 0 ? "active" : "inactive");
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR id) { log.push_back("timer " + std::to_string(id)); }
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return TRUE; }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_MBUTTONDOWN) log.push_back("mdown");
        if (msg->message == WM_MBUTTONDBLCLK) log.push_back("mdblclk");
        return FALSE;
    }
    std::vector<std::string> log;
    int paints = 0;

private:
    COLORREF colour_;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Panel, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_MESSAGE(WM_ACTIVATEAPP, &Panel::OnActivateApp)
END_MESSAGE_MAP()

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
};

TEST_F(DesktopTest, VirtualScreenHoldsThePrimaryScreen)
{
    const CRect primary(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const CRect all(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    CRect both;
    both.UnionRect(&primary, &all);
    EXPECT_EQ(both, all);
    EXPECT_GE(GetSystemMetrics(SM_CMONITORS), 1);
}

TEST_F(DesktopTest, EveryTopLevelWindowHearsOfActivationChangesOnce)
{
    Panel a(RGB(255, 0, 0), 0, CRect(10, 10, 60, 60));
    Panel b(RGB(0, 0, 255), WS_EX_TOOLWINDOW, CRect(70, 10, 120, 60));
    uitest::SetApplicationActive(true);
    a.log.clear();
    b.log.clear();

    uitest::SetApplicationActive(false);
    uitest::SetApplicationActive(false);  // no change, nothing sent
    uitest::SetApplicationActive(true);
    const std::vector<std::string> expected{"inactive", "active"};
    EXPECT_EQ(a.log, expected);
    EXPECT_EQ(b.log, expected);
}

TEST_F(DesktopTest, ScreenDCShowsTheProgramsWindowsOverTheDesktopButNoTooltip)
{
    Panel red(RGB(255, 0, 0), 0, CRect(100, 100, 140, 140));
    Panel tip(RGB(0, 255, 0), WS_EX_TOOLWINDOW | WS_EX_TOPMOST, CRect(120, 100, 160, 140));
    uitest::ProcessEvents();

    const int paintsBefore = red.paints;
    CScreenDC screen(CRect(90, 90, 170, 150));
    // Reading the screen never runs a window's paint handler: callers may be in the middle of
    // changing what it shows.
    EXPECT_EQ(red.paints, paintsBefore);
    if (screen.FromScreen()) GTEST_SKIP() << "the screen itself is readable here";
    const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    EXPECT_EQ(screen.GetPixel(0, 0), desktop);           // (90, 90): nothing there
    EXPECT_EQ(screen.GetPixel(15, 15), RGB(255, 0, 0));  // (105, 105): the red window
    EXPECT_EQ(screen.GetPixel(55, 15), desktop);         // (145, 105): under the tooltip, nothing
    EXPECT_EQ(screen.GetPixel(79, 59), desktop);
}

TEST_F(DesktopTest, LoadedBitmapsAreCopiesTheCallerOwns)
{
    CBitmap source;
    source.CreateBitmap(3, 2, 1, 32, nullptr);
    RegisterBitmapResource(4242, source);
    EXPECT_EQ(LoadBitmap(nullptr, 4243u), 0u);

    const std::size_t before = uitest::LiveGdiCount();
    const HBITMAP first = LoadBitmap(nullptr, reinterpret_cast<const char*>(4242));
    const HBITMAP second = LoadBitmap(nullptr, 4242u);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    BITMAP bm{};
    ASSERT_TRUE(GetObject(first, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(uitest::LiveGdiCount(), before + 2);
    DeleteObject(first);
    DeleteObject(second);
    EXPECT_EQ(uitest::LiveGdiCount(), before);
    // The table's copy outlives the registered bitmap.
    source.DeleteObject();
    const HBITMAP third = LoadBitmap(nullptr, 4242u);
    EXPECT_NE(third, 0u);
    DeleteObject(third);
    RegisterBitmapResource(4242, 0);
    EXPECT_EQ(LoadBitmap(nullptr, 4242u), 0u);
}

TEST_F(DesktopTest, TimersReportTheirPeriodAndFireOnDemand)
{
    Panel p(RGB(0, 0, 0), 0, CRect(0, 0, 20, 20));
    EXPECT_EQ(uitest::TimerPeriod(&p, 7), 0);
    EXPECT_FALSE(uitest::FireTimer(&p, 7));
    p.SetTimer(7, 250);
    EXPECT_EQ(uitest::TimerPeriod(&p, 7), 250);
    EXPECT_TRUE(uitest::FireTimer(&p, 7));
    EXPECT_EQ(p.log, std::vector<std::string>{"timer 7"});
    p.KillTimer(7);
    EXPECT_EQ(uitest::TimerPeriod(&p, 7), 0);
}

TEST_F(DesktopTest, MiddleDoubleClickArrivesAsItsOwnMessage)
{
    Panel p(RGB(0, 0, 0), 0, CRect(0, 0, 40, 40));
    uitest::MiddleDoubleClickAt(&p, CPoint(5, 5));
    EXPECT_EQ(p.log, (std::vector<std::string>{"mdown", "mdblclk"}));
}

}  // namespace
