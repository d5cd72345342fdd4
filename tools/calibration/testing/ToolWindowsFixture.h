#pragma once
// The main window as the program runs it with the settings and service windows, each in its
// slot. Tests drive the windows through it as a user does.

#include "app/main/testing/MainWindowFixture.h"
#include "tools/properties/PropertiesDialog.h"
#include "tools/service/ServiceDialog.h"

#include <functional>

class ToolHostWindow : public CVelkaroDlg {
public:
    CPropertiesDialog& Properties() const;
    CServiceDialog& Service() const;
};

class ToolWindowsTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // As RunWindow, with the tool windows and their handlers.
    void RunHost(const std::function<void(ToolHostWindow&)>& body);

    // Shows a tool window as the main window's button does.
    static void Show(CToolDialog& window);
};
