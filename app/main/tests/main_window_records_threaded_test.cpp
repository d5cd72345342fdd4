// The tool windows' records in the main window's settings: each window that exists comes back
// where it was and as visible as it was.

#include "app/main/testing/MainWindowFixture.h"
#include "platform/ui/testing/MapOrder.h"
#include "support/TestToolWindows.h"

#include <QWidget>

#include <fstream>
#include <sstream>

namespace {

class MainWindowRecordsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        InstallTestToolWindows();
    }
    void TearDown() override
    {
        RemoveTestToolWindows();
        MainWindowTest::TearDown();
    }
};

CRect WindowRect(CWnd* w)
{
    CRect r;
    w->GetWindowRect(&r);
    return r;
}

}  // namespace

TEST_F(MainWindowRecordsTest, ToolWindowsComeBackWhereTheyWere)
{
    CRect settingsPlace;
    RunWindow([&](CVelkaroDlg& d) {
        CToolDialog* settings = d.GetToolDialog(CToolDialogList::PROPERTIES);
        ASSERT_NE(settings, nullptr);
        settings->SetWindowPos(nullptr, 131, 97, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        settings->ShowWindow(SW_SHOWNORMAL);
        settingsPlace = WindowRect(settings);
    });

    std::ifstream file(configPath_);
    std::stringstream text;
    text << file.rdbuf();
    // Every window writes its record once, in list order.
    std::string::size_type at = 0;
    for (const char* name : {"measure_dlg", "marker_dlg", "properties_dlg", "service_dlg", "math_dlg",
                             "lanalyzer_dlg", "lgenerator_dlg"})
    {
        const std::string open = std::string("&lt;") + name;
        const auto found = text.str().find(open, at);
        ASSERT_NE(found, std::string::npos) << name;
        at = found + 1;
    }

    // The window restores the settings window while it sets itself up, hidden: a window
    // manager keeps a window above its owner only when the owner was mapped first.
    uitest::MapOrder order;
    RunWindow([&](CVelkaroDlg& d) {
        CToolDialog* settings = d.GetToolDialog(CToolDialogList::PROPERTIES);
        EXPECT_TRUE(settings->IsWindowVisible());
        ASSERT_TRUE(WaitUntil([&] { return uitest::WidgetOf(settings)->isVisible(); }));
        EXPECT_GE(order.Place(&d), 0);
        EXPECT_GT(order.Place(settings), order.Place(&d)) << "mapped after the main window";
        EXPECT_EQ(WindowRect(settings).TopLeft(), settingsPlace.TopLeft());
        EXPECT_FALSE(d.GetToolDialog(CToolDialogList::SERVICE)->IsWindowVisible());
        EXPECT_FALSE(d.GetToolDialog(CToolDialogList::MEASURE)->IsWindowVisible());
    });
}
