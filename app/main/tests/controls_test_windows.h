#pragma once
// The main window with tool windows in its slots for the control tests: the settings window
// from its own template, and stand-ins for the mathematics and logic-analyser windows that
// carry just the controls the main window reaches (the math window binds the main window's
// volts/div list to its own, as the real one does).

#include "app/main/testing/MainWindowFixture.h"

#include "app/tooldialog/ToolDialog.h"
#include "core/data/OscData.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/testing/UiTest.h"

#include <string>
#include <utility>
#include <vector>

namespace controls_test {

constexpr UINT kMathTemplate = 9201;
constexpr UINT kAnalyserTemplate = 9202;

inline const char* const kTemplates[] = {
    R"(DIALOG 9201
CAPTION "Математика"
STYLE WS_POPUP | WS_CAPTION
SIZE 120 40
FONT 8 "MS Shell Dlg"
CONTROL ComboBox 1094 "" CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP 5 5 70 80
CONTROL Static 1091 "" SS_LEFT 5 22 70 10
)",
    R"(DIALOG 9202
CAPTION "Логический анализатор"
STYLE WS_POPUP | WS_CAPTION
SIZE 120 30
FONT 8 "MS Shell Dlg"
CONTROL Button 1129 "Метки" BS_AUTOCHECKBOX | WS_TABSTOP 5 5 70 10
)",
};

class ControlsWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const char* text : kTemplates)
            ASSERT_TRUE(RegisterDialogTemplateText(text));
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) {
            std::unique_ptr<CToolDialog> window;
            UINT id = 0;
            if (slot == CToolDialogList::PROPERTIES)
                id = 134;
            else if (slot == CToolDialogList::MATH)
                id = kMathTemplate;
            else if (slot == CToolDialogList::LANALYZER)
                id = kAnalyserTemplate;
            if (id == 0)
                return window;
            window = std::make_unique<CToolDialog>(id, &main, CToolDialog::Forwarding::Commands);
            if (!window->Create(id, &main))
                return std::unique_ptr<CToolDialog>();
            if (slot == CToolDialogList::MATH)
                main.math_vdiv_list.SubclassWindow(window->GetDlgItem(1094)->GetSafeHwnd());
            return window;
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory(nullptr);
        MainWindowTest::TearDown();
    }

    static CComboBox* List(CWnd* window, int id) { return static_cast<CComboBox*>(window->GetDlgItem(id)); }

    // Text and item data of each entry, top first.
    static std::vector<std::pair<std::string, DWORD_PTR>> Entries(CComboBox* list)
    {
        std::vector<std::pair<std::string, DWORD_PTR>> entries;
        for (int i = 0; i < list->GetCount(); ++i)
        {
            CString text;
            list->GetLBText(i, text);
            entries.emplace_back(text, list->GetItemData(i));
        }
        return entries;
    }

    static DWORD_PTR SelectedData(CComboBox* list)
    {
        const int i = list->GetCurSel();
        return i < 0 ? static_cast<DWORD_PTR>(-1) : list->GetItemData(i);
    }

    static std::string Text(CWnd* window, int id)
    {
        CString text;
        window->GetDlgItemText(id, text);
        return text;
    }

    template <class T>
    static T Read(const std::function<T(OscData&)>& f)
    {
        CSingleLock lock(&DataLock, TRUE);
        return f(*GetOscData());
    }

    // The device announces another variant: the switch, then the tick's version check.
    static void Announce(CVelkaroDlg& d, int version, int hwVersion)
    {
        d.SwitchDataVersion(version, hwVersion);
        Tick(d);
    }

    static HICON Icon(UINT id) { return AfxGetApp()->LoadIcon(id); }
};

// Supported hardware version of each variant: announcing it warns nothing.
inline int SupportedHardware(int version)
{
    static const int table[] = {0, 10, 1, 2, 0, 0};
    return table[version];
}

}  // namespace controls_test
