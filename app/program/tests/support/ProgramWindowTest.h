#pragma once
// The main window with its tool windows, dialogs and the digital trigger's dialog installed as
// the program installs them, and taken away again after each test.

#include "app/program/ToolWindows.h"

#include "app/main/testing/MainWindowFixture.h"

class ProgramWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        InstallToolWindows();
        uitest::SetApplicationActive(true);
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        CVelkaroDlg::SetSaveDialogRunner({});
        CVelkaroDlg::SetDigitalTriggerDialogRunner({});
        MainWindowTest::TearDown();
    }
};
