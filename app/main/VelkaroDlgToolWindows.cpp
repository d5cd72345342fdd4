// The main window's buttons that open its tool windows, and its save command.
//
// The tool windows and the save dialog are built on top of this window, so it knows them only
// through CToolDialog, the marker calls and the runner the program installs.

#include "app/main/MarkerWindowLink.h"
#include "app/main/VelkaroDlg.h"

#include "app/tooldialog/ToolDialog.h"

namespace {

CVelkaroDlg::SaveDialogRunner& SaveRunner()
{
    static CVelkaroDlg::SaveDialogRunner runner;
    return runner;
}

}  // namespace

void CVelkaroDlg::SetSaveDialogRunner(SaveDialogRunner runner)
{
    SaveRunner() = std::move(runner);
}

MarkerWindowLink* CVelkaroDlg::GetMarkerLink() const
{
    return dynamic_cast<MarkerWindowLink*>(GetToolDialog(CToolDialogList::MARKER));
}

void CVelkaroDlg::ToggleToolWindow(CToolDialogList::Slot slot)
{
    CToolDialog* tool = GetToolDialog(slot);
    if (tool == nullptr || tool->GetSafeHwnd() == nullptr)
        return;
    const bool show = !tool->IsWindowVisible();
    tool->ShowWindow(show ? SW_SHOW : SW_HIDE);
    tool->OnShowTool(show);
}

// A tool window with a control of the same id passes its clicks here too: only the main
// window's own buttons toggle.
void CVelkaroDlg::OnMeasureClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::MEASURE);
}

void CVelkaroDlg::OnMarkerClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::MARKER);
}

void CVelkaroDlg::OnSettingsClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::PROPERTIES);
}

void CVelkaroDlg::OnServiceClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::SERVICE);
}

void CVelkaroDlg::OnSaveClicked()
{
    if (!FromOwnControl())
        return;
    // No DataLock here: the dialog holds the acquisition itself and the link must keep
    // running while it waits for the capture to finish.
    if (const SaveDialogRunner& run = SaveRunner())
        def_save_type = run(*this, def_save_type);
}
