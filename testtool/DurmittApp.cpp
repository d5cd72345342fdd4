#include "testtool/DurmittApp.h"

#include "core/dialogs/DialogInterfaces.h"
#include "core/dialogs/DialogSetup.h"
#include "core/transport/Interfaces.h"
#include "core/transport/MessageBoxHook.h"
#include "core/transport/TransportRegistration.h"
#include "resources/Resources.h"
#include "testtool/DurmittDlg.h"

namespace {

// The transports and the link report failures from the worker thread too; the layer's
// message box posts them to the UI thread and never blocks the caller.
void ShowLinkMessage(const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_OK);
}

} // namespace

CDurmittApp::CDurmittApp() : CWinAppEx(FALSE, "Durmitt") {}

bool CDurmittApp::SetUpProgram()
{
    if (!RegisterDurmittResources())
        return false;
    SetMessageBoxHook(&ShowLinkMessage);
    Interfaces::Clear();
    RegisterTransports(TransportSet::Durmitt);
    if (registerDemo_)
        registerDemo_();
    InstallInterfaceChooser();
    InstallBaudDialog();
    return true;
}

BOOL CDurmittApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    InitCommonControlsEx(&controls);
    CWinAppEx::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Локальные приложения, созданные с помощью мастера приложений");

    if (!SetUpProgram())
    {
        AfxMessageBox("Durmitt: ресурсы программы повреждены.", MB_OK | MB_ICONSTOP);
        exitCode_ = 1;
        return FALSE;
    }

    CDurmittDlg dialog;
    m_pMainWnd = &dialog;
    if (dialog.DoModal() == -1)
        exitCode_ = 1;
    m_pMainWnd = nullptr;
    SetMessageBoxHook(nullptr);
    return FALSE;
}
