// Where top-level windows are and how big: a window without a thick frame keeps the size the
// program gives it, whatever a window manager would do; one with a thick frame can be resized
// by the user, within the minimum its own code keeps.

#include "platform/ui/App.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>
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
SIZE 200 100
)";

// A window that keeps a minimum size of its own, as the chart windows do.
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
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Resizable, CDialog)
    ON_WM_WINDOWPOSCHANGING()
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
