// The main window's buttons that open its tool windows, and its save command.
//
// The tool windows and the save dialog are built on top of this window, so it knows them only
// through CToolDialog, the marker calls and the runner the program installs.

#include "app/main/LogicAnalyzerLink.h"
#include "app/main/MarkerWindowLink.h"
#include "app/main/MathWindowLink.h"
#include "app/main/VelkaroDlg.h"

#include "app/tooldialog/ToolDialog.h"

namespace {

CVelkaroDlg::SaveDialogRunner& SaveRunner()
{
    static CVelkaroDlg::SaveDialogRunner runner;
    return runner;
}

CVelkaroDlg::ModalRunner& DigitalTriggerRunner()
{
    static CVelkaroDlg::ModalRunner runner;
    return runner;
}

}  // namespace

void CVelkaroDlg::SetDigitalTriggerDialogRunner(ModalRunner runner)
{
    DigitalTriggerRunner() = std::move(runner);
}

void CVelkaroDlg::SetSaveDialogRunner(SaveDialogRunner runner)
{
    SaveRunner() = std::move(runner);
}

MarkerWindowLink* CVelkaroDlg::GetMarkerLink() const
{
    return dynamic_cast<MarkerWindowLink*>(GetToolDialog(CToolDialogList::MARKER));
}

LogicAnalyzerLink* CVelkaroDlg::GetLogicAnalyzerLink() const
{
    return dynamic_cast<LogicAnalyzerLink*>(GetToolDialog(CToolDialogList::LANALYZER));
}

int CVelkaroDlg::GetMathOperation() const
{
    const auto* math = dynamic_cast<const MathWindowLink*>(GetToolDialog(CToolDialogList::MATH));
    const int op = math != nullptr ? math->GetMathOperation() : 0;
    return op >= 0 && op <= 3 ? op : 0;
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

void CVelkaroDlg::OnMathClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::MATH);
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

void CVelkaroDlg::OnLogicAnalyzerClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::LANALYZER);
}

// The generator's own bus control carries the same id as this button: only the button toggles.
void CVelkaroDlg::OnLogicGeneratorClicked()
{
    if (FromOwnControl())
        ToggleToolWindow(CToolDialogList::LGENERATOR);
}

void CVelkaroDlg::OnLogicConditionClicked()
{
    if (!FromOwnControl())
        return;
    // No DataLock: the dialog takes it for each read and write while it runs.
    if (const ModalRunner& run = DigitalTriggerRunner())
        run(*this);
}
