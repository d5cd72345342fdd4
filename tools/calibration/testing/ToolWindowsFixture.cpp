#include "tools/calibration/testing/ToolWindowsFixture.h"

#include "platform/ui/testing/LeftOpen.h"

#include <memory>

CPropertiesDialog& ToolHostWindow::Properties() const
{
    return *static_cast<CPropertiesDialog*>(GetToolDialog(CToolDialogList::PROPERTIES));
}

CServiceDialog& ToolHostWindow::Service() const
{
    return *static_cast<CServiceDialog*>(GetToolDialog(CToolDialogList::SERVICE));
}

void ToolWindowsTest::SetUp()
{
    MainWindowTest::SetUp();
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        switch (slot) {
        case CToolDialogList::PROPERTIES:
            return std::make_unique<CPropertiesDialog>(&main);
        case CToolDialogList::SERVICE:
            return std::make_unique<CServiceDialog>(&main);
        default:
            return nullptr;
        }
    });
}

void ToolWindowsTest::TearDown()
{
    CVelkaroDlg::SetToolWindowFactory({});
    MainWindowTest::TearDown();
}

void ToolWindowsTest::RunHost(const std::function<void(ToolHostWindow&)>& body)
{
    ToolHostWindow dialog;
    dialog.SetConfigPath(configPath_);
    app_->m_pMainWnd = &dialog;
    uitest::OnNextModal([body](uihooks::ModalContext& m) {
        auto& d = *static_cast<ToolHostWindow*>(m.window);
        body(d);
        if (d.ContinueModal()) uitest::Click(d.GetDlgItem(IDCANCEL));
        uitest::EndIfLeftOpen(m, "\"Выход\"");
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    app_->m_pMainWnd = nullptr;
}

void ToolWindowsTest::Show(CToolDialog& window)
{
    window.ShowWindow(SW_SHOWNORMAL);
    window.OnShowTool(true);
    uitest::ProcessEvents();
}
