#include "app/program/ToolWindows.h"

#include "app/main/VelkaroDlg.h"
#include "logic/analyzer/LAnalyzerDialog.h"
#include "logic/digtrigger/DialogDigTrigLevel.h"
#include "logic/generator/LGeneratorDialog.h"
#include "tools/markers/MarkerDialog.h"
#include "tools/math/MathDialog.h"
#include "tools/measure/MeasureDialog.h"
#include "tools/properties/PropertiesDialog.h"
#include "tools/service/ServiceDialog.h"
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
        case CToolDialogList::PROPERTIES:
            return std::make_unique<CPropertiesDialog>(&main);
        case CToolDialogList::SERVICE:
            return std::make_unique<CServiceDialog>(&main);
        case CToolDialogList::MATH:
            return std::make_unique<CMathDialog>(&main);
        case CToolDialogList::LANALYZER:
            return std::make_unique<CLAnalyzerDialog>(&main);
        case CToolDialogList::LGENERATOR:
            return std::make_unique<CLGeneratorDialog>(&main);
        default:
            return nullptr;
        }
    });
    CVelkaroDlg::SetDigitalTriggerDialogRunner([](CVelkaroDlg& main) {
        CDialogDigTrigLevel dialog(&main);
        dialog.DoModal();
    });
    CVelkaroDlg::SetSaveDialogRunner(
        [](CVelkaroDlg& main, int saveType) { return RunSaveDialog(&main.GetChart(), &main, saveType); });
}
