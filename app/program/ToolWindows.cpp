#include "app/program/ToolWindows.h"

#include "app/main/VelkaroDlg.h"
#include "tools/markers/MarkerDialog.h"
#include "tools/measure/MeasureDialog.h"
#include "tools/save/DialogSave.h"

void InstallToolWindows()
{
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        switch (slot)
        {
        case CToolDialogList::MEASURE:
            return std::make_unique<CMeasureDialog>(&main);
        case CToolDialogList::MARKER:
            return std::make_unique<CMarkerDialog>(&main);
        default:
            // Slots whose windows the program does not have yet stay empty; the main window
            // leaves their buttons without effect.
            return nullptr;
        }
    });
    CVelkaroDlg::SetSaveDialogRunner(
        [](CVelkaroDlg& main, int saveType) { return RunSaveDialog(&main.GetChart(), &main, saveType); });
}
