// The overview strip on a real data model: what it shows for the model's state, and drags made
// with the mouse that move the view on the next redraw.

#include "app/strip/BufferDraw.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 300;  // strip pixels between the check box and the last column
constexpr int HEIGHT = 14;
constexpr int LEFT = CBufferDraw::MARGIN;

class TestMain : public CDialog {
public:
    std::vector<std::string> commands;
    void OnFullSweep()
    {
        commands.push_back("1083 from " + std::to_string(static_cast<std::uintptr_t>(GetCurrentMessage()->lParam)));
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestMain, CDialog)
    ON_BN_CLICKED(1083, &TestMain::OnFullSweep)
END_MESSAGE_MAP()

constexpr const char* MAIN_TEMPLATE = R"(DIALOG 9201
CAPTION "Main"
STYLE WS_POPUP | WS_CAPTION
SIZE 260 40
FONT 8 "MS Shell Dlg"
)";

void WithModel(const std::function<void(OscData&)>& change)
{
    CSingleLock lock(&DataLock, TRUE);
    change(*GetOscData());
}

// A model of the variant with one stored sample per screen point, so positions read plainly.
void UseModel(int version, int hwVersion)
{
    DeleteOscData();
    ASSERT_TRUE(SelectOscDataVersion(version, hwVersion));
    WithModel([](OscData& d) {
        d.x_zoom_out_hw = 1;
        d.x_zoom_out_sw = 1;
        d.x_zoom_in = 1;
        d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX));
        d.osc_sr = 0;
        d.mode |= MODE_STOPPED;
        d.x_offset = 0;
        d.trigger_offset_extra = 0;
        d.trigger_offset_samples = 0;
        d.last_num_catched_samples = 0;
    });
}

void TriggerOn(OscData& d, bool running)
{
    d.osc_cr |= OSC_CR_TRIGGER_ON;
    if (running)
        d.mode &= ~MODE_STOPPED;
    else
        d.mode |= MODE_STOPPED;
}

class BufferDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterDialogTemplateText(MAIN_TEMPLATE));
        ASSERT_TRUE(main.Create(9201));
        main.ShowWindow(SW_SHOW);
        ASSERT_TRUE(strip.Create(CBufferDraw::CLASS_NAME, "", WS_CHILD | WS_VISIBLE,
                                 CRect(0, 0, LEFT + WIDTH + 1, HEIGHT), &main, 1056));
        UseModel(2, 1);  // 3000 samples: ten to a strip pixel
    }

    void TearDown() override { DeleteOscData(); }

    COLORREF At(int x) const { return strip.GetShownPixel(x, HEIGHT / 2); }

    // Press at x, redraw, move to each x with the button held and redraw; the results of the
    // redraws after each move.
    std::vector<bool> Drag(int from, const std::vector<int>& to)
    {
        uitest::MouseDown(&strip, CPoint(from, HEIGHT / 2));
        strip.Redraw();
        std::vector<bool> moved;
        for (int x : to) {
            uitest::MouseMove(&strip, CPoint(x, HEIGHT / 2), true);
            moved.push_back(strip.Redraw());
        }
        uitest::MouseUp(&strip, CPoint(to.empty() ? from : to.back(), HEIGHT / 2));
        return moved;
    }

    TestMain main;
    CBufferDraw strip;
};

TEST_F(BufferDrawTest, TheStripShowsTheFilledPartTheViewAndTheTrigger)
{
    struct Case {
        const char* what;
        std::function<void(OscData&)> state;
        int filled_right;  // the filled part ends here (LEFT: nothing filled)
        int view_left, view_right;
        int marker;        // -1: no trigger marker
    };
    const Case cases[] = {
        {"empty buffer, trigger off", [](OscData&) {}, LEFT, LEFT, LEFT + 30, -1},
        {"half a buffer, view moved", [](OscData& d) { d.last_num_catched_samples = 1500; d.x_offset = 100; },
         LEFT + 150, LEFT + 10, LEFT + 40, -1},
        {"trigger waiting: nothing filled", [](OscData& d) { TriggerOn(d, true); d.last_num_catched_samples = 1200; },
         LEFT, LEFT + 135, LEFT + 165, LEFT + 150},
        {"trigger seen, capture filling", [](OscData& d) {
             TriggerOn(d, true);
             d.osc_sr = OSC_SR_TROK;
             d.last_num_catched_samples = 1200;
             d.trigger_offset_samples = 400;
         },
         LEFT + 120, LEFT + 135, LEFT + 165, LEFT + 190},
        {"capture complete", [](OscData& d) {
             TriggerOn(d, false);
             d.osc_sr = OSC_SR_TROK | OSC_SR_CTCH;
             d.last_num_catched_samples = 10;
             d.trigger_offset_extra = -600;
         },
         LEFT + WIDTH, LEFT + 195, LEFT + 225, LEFT + 150},
        {"positions beyond the buffer stay inside the strip", [](OscData& d) {
             TriggerOn(d, false);
             d.trigger_offset_extra = INT_MAX;
             d.trigger_offset_samples = INT_MIN;
         },
         LEFT, LEFT, LEFT, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseModel(2, 1);
        WithModel(c.state);
        EXPECT_FALSE(strip.Redraw());
        EXPECT_EQ(strip.GetStripRect(), CRect(LEFT, 0, LEFT + WIDTH, HEIGHT));
        EXPECT_EQ(strip.GetVisibleRect(), CRect(c.view_left, 0, c.view_right, HEIGHT));
        for (int x = LEFT; x < LEFT + WIDTH; ++x) {
            COLORREF expected = x < c.filled_right ? CBufferDraw::FILLED : CBufferDraw::BACKGROUND;
            if (x >= c.view_left && x < c.view_right) expected = CBufferDraw::VISIBLE;
            if (c.marker >= 0 && x >= c.marker - 1 && x <= c.marker + 1) expected = CBufferDraw::MARKER;
            if (c.marker == -2) continue;
            ASSERT_EQ(At(x), expected) << "x " << x;
        }
        if (c.marker >= 0) {
            EXPECT_EQ(strip.GetTriggerMarkerX(), c.marker);
            EXPECT_EQ(strip.GetShownPixel(c.marker - 1, 1), CBufferDraw::MARKER);
            EXPECT_EQ(strip.GetShownPixel(c.marker + 1, HEIGHT - 1), At(c.marker + 2)) << "the side lines are short";
            EXPECT_EQ(strip.GetShownPixel(c.marker, HEIGHT - 1), CBufferDraw::MARKER);
        }
        EXPECT_EQ(strip.GetShownPixel(LEFT + WIDTH, 1), GetSysColor(COLOR_BTNFACE)) << "the last column";
    }
}

TEST_F(BufferDrawTest, AViewTooNarrowToSeeIsDrawnThreePixelsWide)
{
    UseModel(1, 10);  // 131072 samples: one screen is under a pixel
    WithModel([](OscData& d) {
        d.last_num_catched_samples = 131072;
        d.x_offset = 65536;
    });
    strip.Redraw();
    EXPECT_EQ(strip.GetVisibleRect(), CRect(LEFT + 149, 0, LEFT + 152, HEIGHT));
}

TEST_F(BufferDrawTest, AStripWithoutWidthDrawsOnlyItsBackground)
{
    CBufferDraw narrow;
    ASSERT_TRUE(narrow.Create(CBufferDraw::CLASS_NAME, "", WS_CHILD | WS_VISIBLE, CRect(0, 20, LEFT + 1, 20 + HEIGHT), &main, 1057));
    WithModel([](OscData& d) { TriggerOn(d, true); d.osc_sr = OSC_SR_TROK | OSC_SR_CTCH; });
    EXPECT_FALSE(narrow.Redraw());
    EXPECT_TRUE(narrow.GetVisibleRect().IsRectEmpty());
    uitest::MouseDown(&narrow, CPoint(LEFT, 3));
    EXPECT_FALSE(narrow.IsDragging());
}

TEST_F(BufferDrawTest, DraggingTheViewMovesItOnTheNextRedraw)
{
    WithModel([](OscData& d) { d.last_num_catched_samples = 3000; });
    strip.Redraw();
    // Taken 12 pixels into the view (120 points), carried 50 pixels right.
    EXPECT_EQ(Drag(LEFT + 12, {LEFT + 12, LEFT + 62}), (std::vector<bool>{false, true}));
    WithModel([](OscData& d) { EXPECT_EQ(d.x_offset, 500); });
    EXPECT_FALSE(strip.IsDragging());
    EXPECT_FALSE(strip.Redraw());
    EXPECT_EQ(strip.GetVisibleRect(), CRect(LEFT + 50, 0, LEFT + 80, HEIGHT));

    // Beside the view nothing is taken.
    EXPECT_EQ(Drag(LEFT + 150, {LEFT + 200}), (std::vector<bool>{false}));
    WithModel([](OscData& d) { EXPECT_EQ(d.x_offset, 500); });
}

TEST_F(BufferDrawTest, WhileRunningWithoutTriggerTheViewCannotBeMoved)
{
    WithModel([](OscData& d) {
        d.last_num_catched_samples = 3000;
        d.mode &= ~MODE_STOPPED;
    });
    strip.Redraw();
    EXPECT_EQ(Drag(LEFT + 12, {LEFT + 62}), (std::vector<bool>{false}));
    WithModel([](OscData& d) { EXPECT_EQ(d.x_offset, 0); });
}

TEST_F(BufferDrawTest, WhileRunningWithTriggerOnlyTheMarkerCanBeTaken)
{
    WithModel([](OscData& d) { TriggerOn(d, true); });
    strip.Redraw();
    ASSERT_EQ(strip.GetTriggerMarkerX(), LEFT + 150);
    ASSERT_EQ(strip.GetVisibleRect(), CRect(LEFT + 135, 0, LEFT + 165, HEIGHT));

    uitest::MouseDown(&strip, CPoint(LEFT + 140, HEIGHT / 2));  // in the view, off the marker
    EXPECT_FALSE(strip.IsDragging());
    uitest::MouseUp(&strip, CPoint(LEFT + 140, HEIGHT / 2));

    EXPECT_EQ(Drag(LEFT + 151, {LEFT + 160}), (std::vector<bool>{true}));
    WithModel([](OscData& d) { EXPECT_EQ(d.trigger_offset_samples, 90); });
    strip.Redraw();
    EXPECT_EQ(strip.GetTriggerMarkerX(), LEFT + 159);
}

TEST_F(BufferDrawTest, StoppedWithTriggerTheViewIsDraggedAndTheLeftMarginCountsAsTheEdge)
{
    UseModel(1, 10);  // room to move on both sides of the trigger
    WithModel([](OscData& d) { TriggerOn(d, false); });
    strip.Redraw();
    const CRect view = strip.GetVisibleRect();
    ASSERT_EQ(view, CRect(LEFT + 149, 0, LEFT + 150, HEIGHT));
    const int grab = view.left;
    std::vector<int> extras;
    for (int to : {2, LEFT, LEFT + 22}) {
        WithModel([](OscData& d) { d.trigger_offset_extra = 0; });
        strip.Redraw();
        Drag(grab, {to});
        WithModel([&](OscData& d) { extras.push_back(d.trigger_offset_extra); });
    }
    // Pixel 149 is sample 65099; pixel 22 is sample 9611.
    EXPECT_EQ(extras, (std::vector<int>{65099, 65099, 65099 - 9611}));
}

TEST_F(BufferDrawTest, AButtonReleasedElsewhereEndsTheDragAtTheNextRedraw)
{
    WithModel([](OscData& d) { d.last_num_catched_samples = 3000; });
    strip.Redraw();
    uitest::MouseDown(&strip, CPoint(LEFT + 5, HEIGHT / 2));
    EXPECT_TRUE(strip.IsDragging());
    uitest::MouseUp(&main, CPoint(400, 30));
    EXPECT_FALSE(strip.Redraw());
    EXPECT_FALSE(strip.IsDragging());
    uitest::MouseMove(&strip, CPoint(LEFT + 100, HEIGHT / 2), true);
    EXPECT_FALSE(strip.Redraw());
    WithModel([](OscData& d) { EXPECT_EQ(d.x_offset, 0); });
}

TEST_F(BufferDrawTest, TheFullSweepBoxReachesTheMainWindow)
{
    CWnd* box = strip.GetDlgItem(CBufferDraw::IDC_FULL_SWEEP);
    ASSERT_NE(box, nullptr);
    uitest::Click(box);
    EXPECT_EQ(main.commands, (std::vector<std::string>{"1083 from " + std::to_string(reinterpret_cast<std::uintptr_t>(box->m_hWnd))}));
    EXPECT_EQ(static_cast<CButton*>(box)->GetCheck(), BST_CHECKED);
}

// The main window's template holds the strip; the window object is attached to it afterwards.
TEST_F(BufferDrawTest, AStripFromADialogTemplateWorksOnceAttached)
{
    ASSERT_TRUE(RegisterDialogTemplateText(R"(DIALOG 9202
CAPTION "Main"
STYLE WS_POPUP | WS_CAPTION
SIZE 260 40
FONT 8 "MS Shell Dlg"
CONTROL BufferDraw 1056 "" 0 5 5 200 10
)"));
    TestMain withStrip;
    ASSERT_TRUE(withStrip.Create(9202));
    withStrip.ShowWindow(SW_SHOW);  // a user clicks only what is on the screen
    CBufferDraw attached;
    ASSERT_TRUE(attached.SubclassDlgItem(1056, &withStrip));
    WithModel([](OscData& d) { d.last_num_catched_samples = 3000; });
    attached.Redraw();
    const CRect strip = attached.GetStripRect();
    ASSERT_GT(strip.Width(), 0);
    EXPECT_EQ(attached.GetVisibleRect().left, strip.left);
    EXPECT_EQ(attached.GetShownPixel(strip.left, 2), CBufferDraw::VISIBLE);
    EXPECT_EQ(attached.GetShownPixel(strip.right - 1, 2), CBufferDraw::FILLED);
    CWnd* box = attached.GetDlgItem(CBufferDraw::IDC_FULL_SWEEP);
    ASSERT_NE(box, nullptr);
    uitest::Click(box);
    EXPECT_EQ(withStrip.commands.size(), 1u);
    withStrip.DestroyWindow();
}

TEST_F(BufferDrawTest, RendersForAReviewer)
{
    WithModel([](OscData& d) { d.last_num_catched_samples = 2000; d.x_offset = 700; });
    strip.Redraw();
    EXPECT_TRUE(uitest::RenderToPng(&main, uitest::OutputPath("strip_trigger_off.png")));
    WithModel([](OscData& d) {
        TriggerOn(d, true);
        d.osc_sr = OSC_SR_TROK;
        d.last_num_catched_samples = 2400;
        d.trigger_offset_samples = -500;
    });
    strip.Redraw();
    EXPECT_TRUE(uitest::RenderToPng(&main, uitest::OutputPath("strip_trigger_running.png")));
}

}  // namespace
