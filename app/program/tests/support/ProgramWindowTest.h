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

    // The instrument variant `version` with the hardware version the window supports for it,
    // taken at the next tick.
    static void SwitchVariant(CVelkaroDlg& d, int version)
    {
        int hardware = 0;
        for (const auto& row : d.supported_versions)
            if (row.version == version)
                hardware = row.hwVersion;
        d.SwitchDataVersion(version, hardware);
        Tick(d);
    }
};
