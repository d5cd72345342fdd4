#pragma once
// Velkaro's application object: it sets up the transports, the chooser and the dialogs the
// transports need, then runs the main window modally; the program ends with the window.

#include "platform/ui/App.h"

#include <functional>

class CVelkaroApp : public CWinAppEx {
public:
    CVelkaroApp();

    BOOL InitInstance() override;

    // Registers the virtual instrument after the real transports (the --demo option); set
    // before InitInstance runs.
    void SetDemoRegistration(std::function<void()> registerDemo) { registerDemo_ = std::move(registerDemo); }
    // Offers the service and logic-generator buttons in the main window (the --service
    // option); set before InitInstance runs.
    void SetServiceButtonsShown(bool shown) { serviceButtons_ = shown; }

    // Everything InitInstance does before it shows the window. False when the program's
    // resources are broken.
    bool SetUpProgram();

private:
    std::function<void()> registerDemo_;
    bool serviceButtons_ = false;
};
