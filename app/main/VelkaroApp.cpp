#include "app/icons/VelkaroIcons.h"
#include "app/main/VelkaroApp.h"

#include "app/main/VelkaroDlg.h"
#include "core/dialogs/DialogInterfaces.h"
#include "core/dialogs/DialogSetup.h"
#include "core/transport/Interfaces.h"
#include "core/transport/MessageBoxHook.h"
#include "core/transport/TransportRegistration.h"
#include "resources/Resources.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The transports and the link report failures from the worker thread too; the layer's
// message box posts them to the UI thread and never blocks the caller.
void ShowLinkMessage(const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_OK);
}

}  // namespace

CVelkaroApp::CVelkaroApp() : CWinAppEx(TRUE, "Velkaro") {}

bool CVelkaroApp::SetUpProgram()
{
    if (!RegisterVelkaroResources() || !RegisterVelkaroIcons())
        return false;
    SetMessageBoxHook(&ShowLinkMessage);
    Interfaces::Clear();
    RegisterTransports(TransportSet::Velkaro);
    if (registerDemo_)
        registerDemo_();
    InstallInterfaceChooser();
    InstallBaudDialog();
    return true;
}

BOOL CVelkaroApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    InitCommonControlsEx(&controls);
    CWinAppEx::InitInstance();

    if (!SetUpProgram())
    {
        AfxMessageBox("Velkaro: ресурсы программы повреждены.", MB_OK | MB_ICONSTOP);
        exitCode_ = 1;
        return FALSE;
    }

    {
        CVelkaroDlg dialog;
        dialog.SetServiceButtonsShown(serviceButtons_);
        m_pMainWnd = &dialog;
        errno = 0;
        if (dialog.DoModal() == -1)
        {
            const int error = errno;
            char text[512];
            std::snprintf(text, sizeof text, "%s failed with error %d: %s", "CVelkaroDlg::DoModal()", error,
                          std::strerror(error));
            AfxMessageBox(text, MB_OK | MB_ICONSTOP);
            exitCode_ = 1;
        }
        m_pMainWnd = nullptr;
    }
    SetMessageBoxHook(nullptr);
    return FALSE;
}
