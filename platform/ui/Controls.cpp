// The standard controls on Qt widgets. Every notification is sent from a handler of a user
// action; code that changes a control goes through a guard so that Qt's change signals, which
// fire for both, do not reach the parent.

#include "platform/ui/Controls.h"
#include "platform/ui/ListCtrl.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <cctype>

namespace uiimpl {

std::unique_ptr<Behaviour> MakeMoreControlBehaviour(const std::string& upper, DWORD style);  // TabHotKeyControls.cpp
std::unique_ptr<Behaviour> MakeListViewBehaviour(const std::string& upper, DWORD style);    // ListCtrl.cpp

std::unique_ptr<Behaviour> MakeControlBehaviour(const std::string& upper, DWORD style)
{
    if (auto more = MakeMoreControlBehaviour(upper, style)) return more;
    if (auto list = MakeListViewBehaviour(upper, style)) return list;
    if (upper == "BUTTON") return MakeButtonBehaviour(style);
    if (upper == "STATIC") return MakeStaticBehaviour(style);
    if (upper == "EDIT") return MakeEditBehaviour(style);
    if (upper == "LISTBOX") return MakeListBoxBehaviour(style);
    if (upper == "COMBOBOX") return MakeComboBehaviour(style);
    if (upper == "SYSTREEVIEW32") return MakeTreeBehaviour();
    if (upper == "MSCTLS_UPDOWN32") return MakeUpDownBehaviour(style);
    if (upper == "MSCTLS_PROGRESS32") return MakeProgressBehaviour();
    if (upper == "SCROLLBAR") return MakeScrollBehaviour();
    return nullptr;
}

CWnd* MakeTemporaryFor(const Record& r)
{
    std::string upper = r.className;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "BUTTON") return new CButton();
    if (upper == "STATIC") return new CStatic();
    if (upper == "EDIT") return new CEdit();
    if (upper == "LISTBOX") return new CListBox();
    if (upper == "COMBOBOX") return new CComboBox();
    if (upper == "SYSTREEVIEW32") return new CTreeCtrl();
    if (upper == "MSCTLS_UPDOWN32") return new CSpinButtonCtrl();
    if (upper == "MSCTLS_PROGRESS32") return new CProgressCtrl();
    if (upper == "SCROLLBAR") return new CScrollBar();
    if (upper == "SYSTABCONTROL32") return new CTabCtrl();
    if (upper == "MSCTLS_HOTKEY32") return new CHotKeyCtrl();
    if (upper == "SYSLISTVIEW32") return new CListCtrl();
    if (upper == "SYSHEADER32") return new CHeaderCtrl();
    return new CWnd();
}

}  // namespace uiimpl
