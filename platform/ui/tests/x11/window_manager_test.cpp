// Top-level windows under a real window manager (openbox on the tests' own X server): what a
// window lays itself out for before it is first shown is what it gets on the screen, a window
// put back where it was left comes back there, a window of one size is offered no resizing,
// and a main window keeps the keyboard when the windows it owns come up after it.

#include "RealDisplay.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <memory>

namespace {

constexpr UINT kFixedId = 9701;
constexpr UINT kResizableId = 9702;
constexpr UINT kMainId = 9703;

const char* kFixedText = R"(DIALOG 9701
CAPTION "Сервис"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
SIZE 150 90
)";

const char* kResizableText = R"(DIALOG 9702
CAPTION "БПФ"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX
SIZE 200 120
)";

const char* kMainText = R"(DIALOG 9703
CAPTION "Главное"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
SIZE 300 200
)";

QWidget* Top(CWnd* wnd) { return uitest::WidgetOf(wnd)->window(); }
std::uint32_t XId(CWnd* wnd) { return static_cast<std::uint32_t>(Top(wnd)->winId()); }

// Shown, mapped and framed by the window manager, its frame known to Qt.
bool Framed(CWnd* wnd)
{
    QWidget* w = Top(wnd);
    if (!w->isVisible() || w->windowHandle() == nullptr) return false;
    const QMargins frame = w->windowHandle()->frameMargins();
    return realx::Property(XId(wnd), "_NET_FRAME_EXTENTS").size() == 4 && realx::Property(XId(wnd), "WM_STATE").size() >= 1 &&
           !frame.isNull() && frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
}

// A dialog that sizes itself for the client area it wants before it is shown and lays its
// buttons out against the client area it then reads, as the packet structure dialog does.
class SizesItself : public CDialog {
public:
    explicit SizesItself(UINT id) : CDialog(id) {}
    CRect clientAtInit;
    CButton ok;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        CRect outer;
        CRect client;
        GetWindowRect(&outer);
        GetClientRect(&client);
        SetWindowPos(nullptr, 0, 0, 260 + outer.Width() - client.Width(), 90 + outer.Height() - client.Height(),
                     SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(&clientAtInit);
        ok.Create("OK", WS_CHILD | WS_VISIBLE, CRect(10, clientAtInit.bottom - 32, 80, clientAtInit.bottom - 10), this, IDOK);
        return TRUE;
    }
};

class WindowManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        REALX_START_OR_SKIP();
        ASSERT_TRUE(RegisterDialogTemplateText(kFixedText));
        ASSERT_TRUE(RegisterDialogTemplateText(kResizableText));
        ASSERT_TRUE(RegisterDialogTemplateText(kMainText));
    }
    void TearDown() override { uitest::ProcessEvents(); }
};

}  // namespace

// The first window of its kind in the process: no window of the kind has been framed yet, so
// the client area comes from what the window manager says it will draw.
TEST_F(WindowManager, TheFirstWindowOfAKindLaysOutForTheClientAreaItGets)
{
    for (UINT id : {kFixedId, kResizableId}) {
        SCOPED_TRACE(id);
        SizesItself w(id);
        ASSERT_TRUE(w.Create(id, nullptr));
        w.ShowWindow(SW_SHOW);
        ASSERT_TRUE(realx::WaitFor([&] { return Framed(&w); }));
        EXPECT_EQ(w.clientAtInit.Size(), CSize(260, 90));
        const realx::Area shown = realx::ClientArea(XId(&w));
        EXPECT_EQ(CSize(shown.width, shown.height), CSize(260, 90)) << "the client area on the screen";
        CRect ok;
        w.ok.GetWindowRect(&ok);
        w.ScreenToClient(&ok);
        EXPECT_EQ(ok.bottom, shown.height - 10) << "OK stands 10 pixels above the bottom";
        w.DestroyWindow();
    }
}

// A window is put back at the outer corner and size it was left with (its rectangle as read
// back), hidden, before it is shown, as the programs restore their windows at a start; over
// restarts it stays where the user left it instead of creeping by its frame. Its owner comes
// up after it, so it is shown once the owner is.
TEST_F(WindowManager, AWindowPutBackWhereItWasLeftStaysThereOverRestarts)
{
    for (UINT id : {kFixedId, kResizableId}) {
        SCOPED_TRACE(id);
        CRect left(330, 240, 0, 0);
        for (int start = 0; start < 3; ++start) {
            SCOPED_TRACE(start);
            CDialog main(kMainId);
            ASSERT_TRUE(main.Create(kMainId, nullptr));
            CDialog w(id);
            ASSERT_TRUE(w.Create(id, &main));
            if (start == 0) {
                w.SetWindowPos(nullptr, left.left, left.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            } else {
                w.SetWindowPos(nullptr, left.left, left.top, left.Width(), left.Height(), SWP_NOZORDER);
            }
            w.ShowWindow(SW_SHOWNORMAL);
            main.ShowWindow(SW_SHOW);
            ASSERT_TRUE(realx::WaitFor([&] { return Framed(&w) && Framed(&main); }));
            CRect now;
            // The window system may report the window's place in steps.
            const auto onScreen = [&] {
                const realx::Area client = realx::ClientArea(XId(&w));
                const QMargins frame = Top(&w)->windowHandle()->frameMargins();
                return CPoint(client.x - frame.left(), client.y - frame.top());
            };
            realx::WaitFor([&] {
                w.GetWindowRect(&now);
                return now.TopLeft() == left.TopLeft() && onScreen() == left.TopLeft();
            }, std::chrono::seconds(5));
            EXPECT_EQ(now.TopLeft(), left.TopLeft());
            if (start > 0) {
                EXPECT_EQ(now.Size(), left.Size());
            }
            EXPECT_EQ(onScreen(), left.TopLeft()) << "on the screen";
            left = now;
            w.DestroyWindow();
            main.DestroyWindow();
        }
    }
}

// A window without a thick frame has one size: the window manager is offered neither resizing
// nor maximizing, and openbox then allows neither.
TEST_F(WindowManager, AWindowOfOneSizeIsOfferedNoResizingNorMaximizing)
{
    constexpr std::uint32_t kResize = 2, kMaximize = 16, kResizeHandle = 4, kMaximizeButton = 64;
    for (UINT id : {kMainId, kResizableId}) {
        SCOPED_TRACE(id);
        const bool fixed = id == kMainId;
        CDialog w(id);
        ASSERT_TRUE(w.Create(id, nullptr));
        w.ShowWindow(SW_SHOW);
        ASSERT_TRUE(realx::WaitFor([&] { return Framed(&w) && !realx::Property(XId(&w), "_NET_WM_ALLOWED_ACTIONS").empty(); }));
        const std::vector<std::uint32_t> motif = realx::Property(XId(&w), "_MOTIF_WM_HINTS");
        ASSERT_GE(motif.size(), 3u);
        EXPECT_EQ((motif[1] & (kResize | kMaximize)) == 0, fixed) << "functions " << motif[1];
        EXPECT_EQ((motif[2] & (kResizeHandle | kMaximizeButton)) == 0, fixed) << "decorations " << motif[2];
        const std::vector<std::uint32_t> allowed = realx::Property(XId(&w), "_NET_WM_ALLOWED_ACTIONS");
        for (const char* action : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ"}) {
            const bool offered = std::find(allowed.begin(), allowed.end(), realx::AtomOf(action)) != allowed.end();
            EXPECT_EQ(offered, !fixed) << action;
        }
        w.DestroyWindow();
    }
}

// A main window that restores the windows it owns while it sets itself up shows them after
// itself: they come up above it, and the keyboard stays with the main window, as it would
// had they been shown in the order a user opens them.
TEST_F(WindowManager, AMainWindowKeepsTheKeyboardWhenItsWindowsComeUpAfterIt)
{
    CDialog main(kMainId);
    ASSERT_TRUE(main.Create(kMainId, nullptr));
    CDialog tool(kFixedId);
    ASSERT_TRUE(tool.Create(kFixedId, &main));
    tool.SetWindowPos(nullptr, 600, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    tool.ShowWindow(SW_SHOW);  // while the main window is still hidden
    main.ShowWindow(SW_SHOW);
    ASSERT_TRUE(realx::WaitFor([&] { return Framed(&main) && Framed(&tool); }));
    // The window manager gives the keyboard to each window it maps; the main window takes it back.
    EXPECT_TRUE(realx::WaitFor([&] { return realx::ActiveWindow() == XId(&main) && Top(&main)->isActiveWindow(); },
                               std::chrono::seconds(3)))
        << "the keyboard is with " << std::hex << realx::ActiveWindow() << ", the main window is " << XId(&main);
    const std::vector<std::uint32_t> transientFor = realx::Property(XId(&tool), "WM_TRANSIENT_FOR");
    ASSERT_EQ(transientFor.size(), 1u);
    EXPECT_EQ(transientFor[0], XId(&main));
    tool.DestroyWindow();
    main.DestroyWindow();
}
