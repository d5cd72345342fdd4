// Tool windows as the user meets them: closing them, their buttons reaching the main window,
// the keys that must not close the main window, and their stored place and visibility.

#include "app/tooldialog/ToolDialog.h"
#include "app/tooldialog/ToolDialogList.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What happened, in order, across the main window and its tool windows.
std::vector<std::string>& Events()
{
    static std::vector<std::string> events;
    return events;
}

std::string Hex(const void* p)
{
    std::ostringstream out;
    out << p;
    return out.str();
}

// Stands in for the main window: records every command and notification its map receives,
// with the control that sent it.
class TestParent : public CDialog {
public:
    void OnClicked(UINT id)
    {
        Events().push_back("main " + std::to_string(id) + " " + Hex(reinterpret_cast<void*>(GetCurrentMessage()->lParam)));
    }
    void OnOkCommand() { Events().push_back("main IDOK"); }
    void OnCancelCommand() { Events().push_back("main IDCANCEL"); }
    void OnSpin(UINT id, NMHDR*, LRESULT*) { Events().push_back("main notify " + std::to_string(id)); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestParent, CDialog)
    ON_COMMAND(IDOK, &TestParent::OnOkCommand)
    ON_COMMAND(IDCANCEL, &TestParent::OnCancelCommand)
    ON_CONTROL_RANGE(BN_CLICKED, 1000, 1200, &TestParent::OnClicked)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1000, 1200, &TestParent::OnSpin)
END_MESSAGE_MAP()

class TestTool : public CToolDialog {
public:
    TestTool(const char* name, Forwarding forwarding) : CToolDialog(0, nullptr, forwarding), name_(name) {}

    void OnShowTool(bool shown) override { Events().push_back(name_ + (shown ? " shown" : " hidden")); }
    void Refresh() override { Events().push_back(name_ + " refresh"); }
    void OnClicked(UINT id) { Events().push_back(name_ + " " + std::to_string(id)); }
    void OnSpin(UINT id, NMHDR*, LRESULT*) { Events().push_back(name_ + " notify " + std::to_string(id)); }

protected:
    DECLARE_MESSAGE_MAP()

private:
    std::string name_;
};

BEGIN_MESSAGE_MAP(TestTool, CToolDialog)
    ON_CONTROL_RANGE(BN_CLICKED, 1000, 1200, &TestTool::OnClicked)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1000, 1200, &TestTool::OnSpin)
END_MESSAGE_MAP()

constexpr const char* MAIN_TEMPLATE = R"(DIALOG 9101
CAPTION "Main"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
SIZE 200 100
FONT 8 "MS Shell Dlg"
CONTROL Button 1074 "0" BS_PUSHBUTTON | WS_TABSTOP 5 5 40 14
)";

// The math window's spins: 1090 is handled by the main window too, 1095 is its own.
constexpr const char* MATH_TEMPLATE = R"(DIALOG 9102
CAPTION "Math"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
SIZE 120 60
FONT 8 "MS Shell Dlg"
CONTROL msctls_updown32 1090 "" 0 5 5 12 20
CONTROL msctls_updown32 1095 "" 0 30 5 12 20
)";

class ToolDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
        ASSERT_TRUE(RegisterDialogTemplateText(MAIN_TEMPLATE));
        ASSERT_TRUE(RegisterDialogTemplateText(MATH_TEMPLATE));
        ASSERT_TRUE(main.Create(9101));
        main.ShowWindow(SW_SHOW);
        ASSERT_TRUE(settings.Create(134, &main));
        ASSERT_TRUE(service.Create(135, &main));
        ASSERT_TRUE(plain.Create(134, &main));
        Events().clear();
    }

    void TearDown() override
    {
        Events().clear();
        uihooks::ClearModalHandlers();
    }

    static std::string Handle(CWnd* wnd) { return Hex(wnd->m_hWnd); }

    TestParent main;
    TestTool settings{"settings", CToolDialog::Forwarding::Commands};
    TestTool service{"service", CToolDialog::Forwarding::Commands};
    TestTool plain{"plain", CToolDialog::Forwarding::None};
};

using Events_ = std::vector<std::string>;

TEST_F(ToolDialogTest, EscAndTheCloseBoxHideTheWindowAndSaySo)
{
    for (TestTool* tool : {&settings, &plain}) {
        SCOPED_TRACE(tool == &plain ? "without forwarding" : "forwarding");
        const std::string name = tool == &plain ? "plain" : "settings";
        tool->ShowWindow(SW_SHOW);
        uitest::PressEscape(tool);
        EXPECT_FALSE(tool->IsWindowVisible());
        EXPECT_EQ(Events(), (Events_{name + " hidden"})) << "once, and the main window hears nothing";

        Events().clear();
        tool->ShowWindow(SW_SHOW);
        uitest::CloseWindow(tool);
        EXPECT_FALSE(tool->IsWindowVisible());
        EXPECT_EQ(Events(), (Events_{name + " hidden"}));
        EXPECT_TRUE(main.IsWindowVisible());
        Events().clear();
    }
}

TEST_F(ToolDialogTest, AButtonReachesTheMainWindowFirstWithItsOwnControl)
{
    settings.ShowWindow(SW_SHOW);
    service.ShowWindow(SW_SHOW);
    // 1073 is a check box in the settings window and "Сохранить лог" in the service window.
    CWnd* crossCheck = settings.GetDlgItem(1073);
    CWnd* saveLog = service.GetDlgItem(1073);
    ASSERT_NE(crossCheck, nullptr);
    ASSERT_NE(saveLog, nullptr);
    uitest::Click(crossCheck);
    uitest::Click(saveLog);
    uitest::Click(settings.GetDlgItem(1074));
    EXPECT_EQ(Events(), (Events_{"main 1073 " + Handle(crossCheck), "settings 1073",
                                 "main 1073 " + Handle(saveLog), "service 1073",
                                 "main 1074 " + Handle(settings.GetDlgItem(1074)), "settings 1074"}));
    EXPECT_NE(Handle(main.GetDlgItem(1074)), Handle(settings.GetDlgItem(1074)));
}

TEST_F(ToolDialogTest, AWindowWithoutForwardingKeepsItsCommands)
{
    plain.ShowWindow(SW_SHOW);
    uitest::Click(plain.GetDlgItem(1073));
    EXPECT_EQ(Events(), (Events_{"plain 1073"}));
}

TEST_F(ToolDialogTest, EnterInAToolWindowNeitherClosesTheMainWindowNorHidesItself)
{
    settings.ShowWindow(SW_SHOW);
    uitest::PressEnter(&settings);
    EXPECT_TRUE(settings.IsWindowVisible());
    EXPECT_TRUE(main.IsWindowVisible());
    EXPECT_EQ(Events(), Events_{});
}

TEST_F(ToolDialogTest, OnlyTheMathControlsNotificationsReachTheMainWindow)
{
    TestTool math("math", CToolDialog::Forwarding::CommandsAndNotifications);
    ASSERT_TRUE(math.Create(9102, &main));
    math.ShowWindow(SW_SHOW);
    TestTool other("other", CToolDialog::Forwarding::Commands);
    ASSERT_TRUE(other.Create(9102, &main));
    other.ShowWindow(SW_SHOW);
    Events().clear();
    uitest::ClickSpin(math.GetDlgItem(1090), true);
    uitest::ClickSpin(math.GetDlgItem(1095), true);
    uitest::ClickSpin(other.GetDlgItem(1090), true);
    EXPECT_EQ(Events(), (Events_{"main notify 1090", "math notify 1090", "math notify 1095", "other notify 1090"}));
}

TEST_F(ToolDialogTest, ResetHidesAndSaysSoButAWindowNotMadeIsLeftAlone)
{
    settings.ShowWindow(SW_SHOW);
    settings.Reset();
    EXPECT_FALSE(settings.IsWindowVisible());
    TestTool never("never", CToolDialog::Forwarding::None);
    never.Reset();
    EXPECT_EQ(Events(), (Events_{"settings hidden"}));
}

TEST_F(ToolDialogTest, TheListResetsAllButTheGeneratorAndRefreshesInOrder)
{
    CToolDialogList list;
    list.Set(CToolDialogList::MEASURE, &plain);
    list.Set(CToolDialogList::PROPERTIES, &settings);  // marker slot left empty
    list.Set(CToolDialogList::LGENERATOR, &service);
    for (CToolDialog* tool : list)
        if (tool != nullptr) tool->ShowWindow(SW_SHOW);
    list.ResetWindows();
    EXPECT_FALSE(plain.IsWindowVisible());
    EXPECT_FALSE(settings.IsWindowVisible());
    EXPECT_TRUE(service.IsWindowVisible()) << "the generator keeps its state";
    list.Refresh();
    EXPECT_EQ(Events(), (Events_{"plain hidden", "settings hidden", "plain refresh", "settings refresh", "service refresh"}));
    EXPECT_EQ(list.Get(CToolDialogList::MARKER), nullptr);
    EXPECT_EQ(list.Get(CToolDialogList::SLOT_COUNT), nullptr);
}

// ---- stored place and visibility ---------------------------------------------------------

std::string Save(const CToolDialog& tool)
{
    std::ostringstream text;
    {
        boost::archive::xml_oarchive archive(text);
        archive << boost::serialization::make_nvp("base", tool);
    }
    return text.str();
}

void Load(CToolDialog& tool, const std::string& text)
{
    std::istringstream in(text);
    boost::archive::xml_iarchive archive(in);
    archive >> boost::serialization::make_nvp("base", tool);
}

TEST_F(ToolDialogTest, ARecordRoundTripsThroughTheArchive)
{
    CRect desktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
    service.SetWindowPos(nullptr, desktop.left + 40, desktop.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    service.ShowWindow(SW_SHOW);
    const CToolDialog::Placement before = service.GetPlacement();
    const std::string text = Save(service);
    for (const char* element : {"<x>", "<y>", "<cx>", "<cy>", "<is_visible>1</is_visible>"})
        EXPECT_NE(text.find(element), std::string::npos) << element;

    // Into a window of another size: the position comes along, the size does not.
    Load(settings, text);
    const CToolDialog::Placement after = settings.GetPlacement();
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_NE(after.cx, before.cx);
    EXPECT_TRUE(after.is_visible);
    EXPECT_EQ(Events(), (Events_{"settings shown"}));

    Events().clear();
    service.ShowWindow(SW_HIDE);
    Load(settings, Save(service));
    EXPECT_FALSE(settings.IsWindowVisible());
    EXPECT_EQ(Events(), (Events_{"settings hidden"}));
}

TEST_F(ToolDialogTest, AStoredPositionIsAppliedOnlyWithTheCentreOnTheDesktop)
{
    CRect desktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
    const int l = desktop.left;
    const int t = desktop.top;
    const int r = desktop.right;
    const int b = desktop.bottom;
    struct Case {
        const char* what;
        CToolDialog::Placement stored;
        bool applied;
    };
    const Case cases[] = {
        {"inside", {l + 50, t + 60, 200, 100, false}, true},
        {"x = 0", {0, t + 60, 200, 100, false}, false},
        {"y = 0", {l + 50, 0, 200, 100, false}, false},
        {"cx = 0", {l + 50, t + 60, 0, 100, false}, false},
        {"cy = 0", {l + 50, t + 60, 200, 0, false}, false},
        {"centre on the last column", {r - 101, t + 60, 200, 100, false}, true},
        {"centre right of the desktop", {r - 100, t + 60, 200, 100, false}, false},
        {"centre below the desktop", {l + 50, b - 50, 200, 100, false}, false},
        {"centre left of the desktop", {l - 150, t + 60, 200, 100, false}, false},
        {"centre above the desktop", {l + 50, t - 80, 200, 100, false}, false},
        {"hanging off the left, centre on it", {l - 90, t + 60, 200, 100, false}, true},
        {"numbers that would overflow", {2147483647, 2147483647, 2147483647, 2147483647, false}, false},
        {"negative size", {l + 250, t + 160, -200, -100, false}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.SetWindowPos(nullptr, l + 7, t + 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const CToolDialog::Placement before = settings.GetPlacement();
        settings.ApplyPlacement(c.stored);
        const CToolDialog::Placement after = settings.GetPlacement();
        if (c.applied) {
            EXPECT_EQ(after.x, c.stored.x);
            EXPECT_EQ(after.y, c.stored.y);
        } else {
            EXPECT_EQ(after.x, before.x);
            EXPECT_EQ(after.y, before.y);
        }
        EXPECT_EQ(after.cx, before.cx);
        EXPECT_EQ(after.cy, before.cy);
    }
}

TEST_F(ToolDialogTest, ARecordForAWindowNotMadeIsReadAndIgnored)
{
    TestTool never("never", CToolDialog::Forwarding::None);
    Load(never, Save(service));
    EXPECT_EQ(never.GetPlacement().cx, 0);
    EXPECT_EQ(Events(), Events_{});
}

}  // namespace
