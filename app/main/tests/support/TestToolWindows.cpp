#include "support/TestToolWindows.h"

#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogTemplate.h"

#include <memory>

namespace {

constexpr UINT kPlainTemplate = 9401;
constexpr UINT kMathTemplate = 9402;

// A stand-in for the windows without controls of the main window's.
constexpr const char* PLAIN_TEMPLATE = R"(DIALOG 9401
CAPTION "Tool"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
SIZE 120 40
FONT 8 "MS Shell Dlg"
CONTROL Button 1200 "Own" BS_PUSHBUTTON | WS_TABSTOP 5 5 40 14
)";

// The math trace's controls the main window serves, and one of the window's own.
constexpr const char* MATH_TEMPLATE = R"(DIALOG 9402
CAPTION "Математика"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
SIZE 160 60
FONT 8 "MS Shell Dlg"
CONTROL ComboBox 1094 "" CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP 5 5 70 120
CONTROL msctls_updown32 1093 "" 0 78 5 10 14
CONTROL Static 1091 "" SS_LEFT 5 24 70 10
CONTROL msctls_updown32 1090 "" 0 78 22 10 14
CONTROL Button 1092 "0" BS_PUSHBUTTON | WS_TABSTOP 92 22 20 13
CONTROL Button 1038 "Снятие АЧХ" BS_PUSHBUTTON | WS_TABSTOP 5 40 70 14
)";

const char* const kNames[] = {"measure", "marker", "settings", "service", "math", "analyser", "generator"};

}  // namespace

std::vector<std::string>& ToolEvents()
{
    static std::vector<std::string> events;
    return events;
}

void TestToolWindow::Reset()
{
    ToolEvents().push_back(name_ + " reset");
    CToolDialog::Reset();
}

void TestToolWindow::OnShowTool(bool shown)
{
    ToolEvents().push_back(name_ + (shown ? " shown" : " hidden"));
}

void TestToolWindow::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    if (GetDlgItem(1106) != nullptr)
        DDX_CBIndex(dx, 1106, radix);
}

void InstallTestToolWindows()
{
    RegisterDialogTemplateText(PLAIN_TEMPLATE);
    RegisterDialogTemplateText(MATH_TEMPLATE);
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        UINT id = kPlainTemplate;
        auto forwarding = CToolDialog::Forwarding::None;
        switch (slot)
        {
        case CToolDialogList::PROPERTIES:
            id = 134;
            forwarding = CToolDialog::Forwarding::Commands;
            break;
        case CToolDialogList::SERVICE:
            id = 135;
            forwarding = CToolDialog::Forwarding::Commands;
            break;
        case CToolDialogList::MATH:
            id = kMathTemplate;
            forwarding = CToolDialog::Forwarding::CommandsAndNotifications;
            break;
        case CToolDialogList::LANALYZER:
        case CToolDialogList::LGENERATOR:
            forwarding = CToolDialog::Forwarding::Commands;
            break;
        default:
            break;
        }
        auto window = std::make_unique<TestToolWindow>(kNames[slot], forwarding);
        if (!window->Create(id, &main))
            return nullptr;
        return window;
    });
    ToolEvents().clear();
}

void RemoveTestToolWindows()
{
    CVelkaroDlg::SetToolWindowFactory(nullptr);
    ToolEvents().clear();
}

TestToolWindow* TestTool(CVelkaroDlg& main, CToolDialogList::Slot slot)
{
    return dynamic_cast<TestToolWindow*>(main.GetToolDialog(slot));
}
