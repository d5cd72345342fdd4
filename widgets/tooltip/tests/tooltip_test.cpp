// The tooltip as the main window uses it: tips on its controls after the cursor rests, hidden by
// time and by input, balloons at the cursor, links, fading, and no GDI objects left behind.
// Timers are fired through the test hook; input goes through the test driver.

#include "tooltip_support.h"

#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using tiptest::Owner;

class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }

    // Rests the cursor on a control and lets the show delay pass.
    static void ShowToolTip(Owner& owner, int id, CPoint at = CPoint(4, 4))
    {
        uitest::MouseMove(owner.GetDlgItem(id), at);
        ASSERT_EQ(uitest::TimerPeriod(&owner.tip, CPPToolTip::TIMER_SHOW), 500);
        ASSERT_TRUE(uitest::FireTimer(&owner.tip, CPPToolTip::TIMER_SHOW));
    }
    static bool Running(CPPToolTip& tip, UINT_PTR id) { return uitest::TimerPeriod(&tip, id) != 0; }
};

TEST_F(TooltipTest, TipAppearsAfterRestAndHidesForGoodAfterFiveSeconds)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_ANIMATION), 100);

    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(3, 3));
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_SHOW), 500);
    EXPECT_FALSE(tip.IsWindowVisible());
    // Moving on before the delay is over: the wait starts again, and no tip for the old point.
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(5, 5));
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_SHOW), 500);
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_SHOW));
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_SHOWN);
    EXPECT_EQ(tip.GetCurrentTool(), owner.GetDlgItem(1047)->m_hWnd);
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_HIDE), 5000);

    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_HIDE));
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
    // Still on the same control: it does not come back.
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(6, 6));
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_SHOW));
    // Off the control and back: it does.
    uitest::MouseMove(&owner, CPoint(2, 2));
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(4, 4));
    EXPECT_TRUE(Running(tip, CPPToolTip::TIMER_SHOW));
}

TEST_F(TooltipTest, CursorThatMovedOnGetsNoTip)
{
    Owner owner;
    uitest::MouseMove(owner.GetDlgItem(1023), CPoint(3, 3));
    // The cursor reaches the window's background without a relayed move (the wait is running).
    SetCursorPos(owner.ScreenPointOf(1023).x + 400, 1);
    ASSERT_TRUE(uitest::FireTimer(&owner.tip, CPPToolTip::TIMER_SHOW));
    EXPECT_FALSE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
}

TEST_F(TooltipTest, AnyKeyWheelOrOtherClickHidesAtOnce)
{
    Owner owner;
    const std::vector<std::pair<const char*, std::function<void(Owner&)>>> inputs{
        {"key", [](Owner& o) { uitest::Key(o.GetDlgItem(1002), 'A'); }},
        {"alt key", [](Owner& o) { uitest::Key(o.GetDlgItem(1002), 'X', uitest::Alt); }},
        {"wheel", [](Owner& o) { uitest::Wheel(&o, CPoint(3, 3), 120); }},
        {"right click", [](Owner& o) { uitest::RightClickAt(&o, CPoint(3, 3)); }},
        {"middle click", [](Owner& o) { uitest::MiddleClickAt(&o, CPoint(3, 3)); }},
        {"middle double click", [](Owner& o) { uitest::MiddleDoubleClickAt(&o, CPoint(3, 3)); }},
        {"left click", [](Owner& o) { uitest::ClickAt(&o, CPoint(3, 3)); }},
    };
    for (const auto& [name, input] : inputs) {
        // Leave the control so that the next rest on it is a new tip.
        uitest::MouseMove(&owner, CPoint(1, 1));
        ShowToolTip(owner, 1047);
        ASSERT_TRUE(owner.tip.IsWindowVisible()) << name;
        input(owner);
        EXPECT_FALSE(owner.tip.IsWindowVisible()) << name;
        EXPECT_EQ(owner.tip.GetState(), PPTOOLTIP_STATE_HIDDEN) << name;
        EXPECT_FALSE(Running(owner.tip, CPPToolTip::TIMER_HIDE)) << name;
    }
}

TEST_F(TooltipTest, NothingToShowLeavesNoStateAndNoTimer)
{
    Owner owner;
    owner.tip.AddTool(owner.GetDlgItem(1047), "");
    ShowToolTip(owner, 1047);
    EXPECT_FALSE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
    EXPECT_FALSE(Running(owner.tip, CPPToolTip::TIMER_HIDE));
    // Markup that draws nothing is as empty.
    owner.tip.ShowTipAt(CPoint(300, 300), TipToolInfo{0, {0, 0, 0, 0}, "<b></b>"});
    EXPECT_FALSE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
}

TEST_F(TooltipTest, DisabledControlHasNoTipAndComboEditShowsTheCombosTip)
{
    Owner owner;
    owner.GetDlgItem(1047)->EnableWindow(FALSE);
    uitest::MouseMove(&owner, CPoint(1, 1));
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(4, 4));
    EXPECT_FALSE(Running(owner.tip, CPPToolTip::TIMER_SHOW));

    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 110, 120), &owner, 2001));
    owner.tip.AddTool(&combo, "combo");
    CWnd* edit = combo.GetWindow(GW_CHILD);
    ASSERT_NE(edit, nullptr);
    uitest::MouseMove(edit, CPoint(5, 5));
    ASSERT_TRUE(uitest::FireTimer(&owner.tip, CPPToolTip::TIMER_SHOW));
    EXPECT_EQ(owner.tip.GetCurrentTool(), combo.m_hWnd);
}

TEST_F(TooltipTest, BehaviourFlagsChangeWhatMovesAndTimeDo)
{
    const struct {
        DWORD behaviour;
        bool visibleAfterMoveOnTool;  // a second move over the same control
        bool hideTimerAfterMove;
        bool visibleAfterMoveOnTip;   // the cursor goes onto the tip itself
    } cases[] = {
        {0, false, false, false},
        {PPTOOLTIP_CLOSE_LEAVEWND, true, true, false},
        {PPTOOLTIP_DISABLE_AUTOPOP, false, false, false},
        {PPTOOLTIP_NOCLOSE_OVER, false, false, true},
        {PPTOOLTIP_TRACKING_MOUSE, true, true, false},
    };
    for (const auto& c : cases) {
        Owner owner;
        owner.tip.SetDefaultBehaviour(c.behaviour);
        ShowToolTip(owner, 1047);
        EXPECT_EQ(Running(owner.tip, CPPToolTip::TIMER_HIDE), (c.behaviour & PPTOOLTIP_DISABLE_AUTOPOP) == 0) << c.behaviour;
        // Clear of the tip's shadow, which ends a few pixels below the first point.
        uitest::MouseMove(owner.GetDlgItem(1047), CPoint(8, 14));
        EXPECT_EQ(owner.tip.IsWindowVisible() != FALSE, c.visibleAfterMoveOnTool) << c.behaviour;
        EXPECT_EQ(Running(owner.tip, CPPToolTip::TIMER_HIDE), c.hideTimerAfterMove) << c.behaviour;
        if ((c.behaviour & PPTOOLTIP_TRACKING_MOUSE) != 0) {
            CRect place;
            owner.tip.GetWindowRect(&place);
            EXPECT_EQ(place.TopLeft(), owner.ScreenPointOf(1047, CPoint(8, 14)));
        }
        if (c.visibleAfterMoveOnTool) continue;
        // Away and back for a fresh tip, then onto the tip's body.
        uitest::MouseMove(&owner, CPoint(1, 1));
        ShowToolTip(owner, 1047);
        uitest::MouseMove(&owner.tip, CPoint(30, 20));
        EXPECT_EQ(owner.tip.IsWindowVisible() != FALSE, c.visibleAfterMoveOnTip) << c.behaviour;
    }
}

TEST_F(TooltipTest, ForgettingTheToolShowsTheTipAgainInPlace)
{
    Owner owner;
    owner.tip.SetDefaultBehaviour(PPTOOLTIP_MULTIPLE_SHOW);
    ShowToolTip(owner, 1047);
    ASSERT_TRUE(uitest::FireTimer(&owner.tip, CPPToolTip::TIMER_HIDE));
    EXPECT_FALSE(owner.tip.IsWindowVisible());
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(8, 8));
    EXPECT_EQ(uitest::TimerPeriod(&owner.tip, CPPToolTip::TIMER_SHOW), 500);
}

TEST_F(TooltipTest, AddingAToolAgainReplacesItsText)
{
    Owner owner;
    CWnd* button = owner.GetDlgItem(1012);
    ASSERT_EQ(owner.tip.ToolRecordCount(button->m_hWnd), 1u);
    owner.tip.AddTool(button, "Выключение канала A");
    EXPECT_EQ(owner.tip.ToolRecordCount(button->m_hWnd), 1u);
    EXPECT_EQ(owner.tip.GetToolText(button->m_hWnd), "Выключение канала A");
}

TEST_F(TooltipTest, BalloonStaysThroughMovesAndTimeButNotAClickOrLeavingTheProgram)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    uitest::SetApplicationActive(true);
    tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Необходимо сначало включить канал B!", owner.ScreenPointOf(1013));
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_HIDE));
    uitest::MouseMove(owner.GetDlgItem(1047), CPoint(3, 3));
    uitest::MouseMove(&owner, CPoint(2, 2));
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_SHOW));

    uitest::ClickAt(&owner, CPoint(2, 2));
    EXPECT_FALSE(tip.IsWindowVisible());

    tip.ShowIconTip(0, "again", CPoint(300, 300));
    EXPECT_TRUE(tip.IsWindowVisible());
    uitest::SetApplicationActive(false);
    EXPECT_FALSE(tip.IsWindowVisible());
    uitest::SetApplicationActive(true);
    // After a balloon, tool tips work again.
    ShowToolTip(owner, 1047);
    EXPECT_TRUE(tip.IsWindowVisible());
}

namespace {

// A window of the program whose button answers with a balloon of the main window's tooltip, as
// the settings window's "Калибровка" does without the instrument.
class Asker : public CDialog {
public:
    explicit Asker(CPPToolTip& tip) : tip_(tip)
    {
        DialogTemplate t;
        t.id = 9301;
        t.caption = "Настройки";
        t.rect = CRect(0, 0, 120, 40);
        t.items = {{"Button", kAskId, "Калибровка", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 80, 19)}};
        CreateIndirect(t);
        ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == kAskId) tip_.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Необходимо подключиться!", CPoint(300, 300));
        return CDialog::OnCommand(wParam, lParam);
    }
    static constexpr int kAskId = 1100;

private:
    CPPToolTip& tip_;
};

}  // namespace

// A balloon belongs to the window whose action it answered: it goes when that window is hidden
// or destroyed, and stays when another one goes.
TEST_F(TooltipTest, BalloonGoesWithTheWindowItAnswered)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    uitest::SetApplicationActive(true);
    {
        Asker asker(tip);
        uitest::Click(asker.GetDlgItem(Asker::kAskId));
        ASSERT_TRUE(tip.IsWindowVisible());
        ASSERT_TRUE(Running(tip, CPPToolTip::TIMER_BALLOON_HOST));
        EXPECT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_BALLOON_HOST));
        EXPECT_TRUE(tip.IsWindowVisible()) << "its window is still there";
        asker.ShowWindow(SW_HIDE);
        EXPECT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_BALLOON_HOST));
        EXPECT_FALSE(tip.IsWindowVisible()) << "its window was hidden";
        EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
        EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_BALLOON_HOST)) << "nothing left to watch";

        asker.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        uitest::Click(asker.GetDlgItem(Asker::kAskId));
        ASSERT_TRUE(tip.IsWindowVisible());
        asker.DestroyWindow();
        EXPECT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_BALLOON_HOST));
        EXPECT_FALSE(tip.IsWindowVisible()) << "its window was destroyed";
    }

    // The main window's own balloon outlives a window it did not answer.
    Asker other(tip);
    tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Необходимо сначало включить канал B!", owner.ScreenPointOf(1013));
    ASSERT_TRUE(tip.IsWindowVisible());
    other.DestroyWindow();
    EXPECT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_BALLOON_HOST));
    EXPECT_TRUE(tip.IsWindowVisible());
}

TEST_F(TooltipTest, BalloonWhileAToolTipShowsReplacesItAtOnce)
{
    Owner owner;
    ShowToolTip(owner, 1047);
    owner.tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Нельзя", CPoint(300, 300));
    EXPECT_TRUE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetState(), PPTOOLTIP_STATE_SHOWN);
    EXPECT_EQ(owner.tip.GetCurrentTool(), nullptr);
    EXPECT_FALSE(Running(owner.tip, CPPToolTip::TIMER_HIDE));
}

TEST_F(TooltipTest, NewToolWhileShownGoesThroughTheDelayAgain)
{
    Owner owner;
    ShowToolTip(owner, 1047);
    // Below the tip and its shadow, which end a few pixels under the cursor.
    uitest::MouseMove(owner.GetDlgItem(1023), CPoint(4, 16));
    EXPECT_FALSE(owner.tip.IsWindowVisible());
    ASSERT_TRUE(uitest::FireTimer(&owner.tip, CPPToolTip::TIMER_SHOW));
    EXPECT_TRUE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetCurrentTool(), owner.GetDlgItem(1023)->m_hWnd);
}

TEST_F(TooltipTest, AWindowOpenedWhereAnEarlierOneLeftThePointerStillGetsItsFirstMove)
{
    // The window system drops a move to the point the pointer already rests on: an earlier
    // window in the same place that ended with the pointer on this very point of its control
    // must not swallow the first rest of the next one.
    {
        Owner before;
        ShowToolTip(before, 1047);
    }
    uitest::ProcessEvents();
    Owner owner;
    ShowToolTip(owner, 1047);
    EXPECT_TRUE(owner.tip.IsWindowVisible());
    EXPECT_EQ(owner.tip.GetCurrentTool(), owner.GetDlgItem(1047)->m_hWnd);
}

TEST_F(TooltipTest, FadingStepsTwentyPerTickBothWays)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    tip.SetFadePeriods(30, 40);
    ShowToolTip(owner, 1047);
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_APPEARING);
    EXPECT_EQ(tip.GetTransparency(), 100);
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_FADE_IN), 30);
    for (int expected : {80, 60, 40, 20}) {
        ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_IN));
        EXPECT_EQ(tip.GetTransparency(), expected);
        EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_HIDE));
    }
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_IN));
    EXPECT_EQ(tip.GetTransparency(), 0);
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_SHOWN);
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_FADE_IN));
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_HIDE), 5000);

    // Another tool while shown: the tip fades out, then the new one waits its delay.
    uitest::MouseMove(owner.GetDlgItem(1023), CPoint(4, 16));
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_DISAPPEARING);
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_FADE_OUT), 40);
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_SHOW));
    for (int expected : {20, 40, 60, 80}) {
        ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_OUT));
        EXPECT_EQ(tip.GetTransparency(), expected);
        EXPECT_TRUE(tip.IsWindowVisible());
    }
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_OUT));
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(uitest::TimerPeriod(&tip, CPPToolTip::TIMER_SHOW), 500);
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_SHOW));
    EXPECT_EQ(tip.GetCurrentTool(), owner.GetDlgItem(1023)->m_hWnd);
}

TEST_F(TooltipTest, HidingAtOnceDropsATipWaitingForTheFadeOut)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    tip.SetFadePeriods(0, 40);
    ShowToolTip(owner, 1047);
    uitest::MouseMove(owner.GetDlgItem(1023), CPoint(4, 16));
    ASSERT_EQ(tip.GetState(), PPTOOLTIP_STATE_DISAPPEARING);
    uitest::Key(owner.GetDlgItem(1002), 'A');
    EXPECT_FALSE(tip.IsWindowVisible());
    for (UINT_PTR id = CPPToolTip::TIMER_SHOW; id <= CPPToolTip::TIMER_FADE_OUT; ++id) EXPECT_FALSE(Running(tip, id)) << id;
    // The next tip that fades out brings back nothing stale after it.
    uitest::MouseMove(&owner, CPoint(1, 1));
    ShowToolTip(owner, 1047);
    uitest::MouseMove(&owner, CPoint(2, 2));
    ASSERT_EQ(tip.GetState(), PPTOOLTIP_STATE_DISAPPEARING);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_OUT));
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_FALSE(Running(tip, CPPToolTip::TIMER_SHOW));
    EXPECT_EQ(tip.GetState(), PPTOOLTIP_STATE_HIDDEN);
}

TEST_F(TooltipTest, HoveredLinkIsReportedAndTheTipRedrawn)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    tip.ShowTipAt(CPoint(300, 300), TipToolInfo{0, {0, 0, 0, 0}, "<a href=\"http://example.org/a\">ссылка ссылка</a>"});
    uitest::ProcessEvents();
    EXPECT_EQ(tip.GetDrawer().GetHoveredLink(), -2);
    uitest::MouseMove(&tip, CPoint(12 + 10, 12 + 5));
    EXPECT_EQ(tip.GetDrawer().GetHoveredLink(), 0);
    EXPECT_TRUE(tip.IsWindowVisible());
    uitest::MouseMove(&tip, CPoint(4, 4));
    EXPECT_EQ(tip.GetDrawer().GetHoveredLink(), -2);
}

TEST_F(TooltipTest, LinkClickedInTheTipOpensOnceAndHidesIt)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    std::vector<std::string> opened;
    tip.GetDrawer().SetLinkOpener([&opened](const std::string& target) { opened.push_back(target); });
    tip.ShowTipAt(CPoint(300, 300), TipToolInfo{0, {0, 0, 0, 0}, "<a href=\"http://example.org/a\">ссылка ссылка</a>"});
    ASSERT_TRUE(tip.IsWindowVisible());
    uitest::ProcessEvents();
    // The text starts at the margins; the tip lies above the point, its body at the window's top.
    uitest::ClickAt(&tip, CPoint(12 + 10, 12 + 5));
    EXPECT_EQ(opened, std::vector<std::string>{"http://example.org/a"});
    EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(TooltipTest, MainAndMathTooltipsWorkSideBySide)
{
    Owner main(CPoint(20, 20));
    ShowToolTip(main, 1047);
    Owner math(CPoint(60, 60));
    math.tip.ShowIconTip(0, "math", CPoint(400, 400));
    EXPECT_TRUE(main.tip.IsWindowVisible());
    EXPECT_TRUE(math.tip.IsWindowVisible());
    uitest::Key(math.GetDlgItem(1002), 'A');
    EXPECT_FALSE(math.tip.IsWindowVisible());
    EXPECT_TRUE(main.tip.IsWindowVisible());
}

TEST_F(TooltipTest, ThousandTipsLeaveNoGdiObjectBehind)
{
    Owner owner;
    owner.tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "warm-up", CPoint(300, 300));
    uitest::ClickAt(&owner, CPoint(2, 2));
    uitest::ProcessEvents();
    const std::size_t before = uitest::LiveGdiCount();
    for (int i = 0; i < 1000; ++i) {
        owner.tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "tip " + std::to_string(i), CPoint(100 + i % 300, 200));
        if (i % 100 == 0) uitest::ProcessEvents();  // some of them painted too
        uitest::Key(owner.GetDlgItem(1002), 'A');
    }
    uitest::ProcessEvents();
    EXPECT_EQ(uitest::LiveGdiCount(), before);
}

}  // namespace
