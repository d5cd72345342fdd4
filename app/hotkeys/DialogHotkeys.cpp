#include "app/hotkeys/DialogHotkeys.h"

#include "platform/ui/DataExchange.h"

BEGIN_MESSAGE_MAP(CDialogHotkeys, CDialog)
    ON_LBN_SELCHANGE(CDialogHotkeys::kListId, &CDialogHotkeys::OnSelChange)
END_MESSAGE_MAP()

CDialogHotkeys::CDialogHotkeys(CWnd* parent, HotkeyList* table)
    : CDialog(IDD, parent), table_(table != nullptr ? *table : HotkeyTable::Instance())
{
}

void CDialogHotkeys::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, kListId, list_);
    DDX_Control(dx, kKeyId, key_);
}

BOOL CDialogHotkeys::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const HotkeyBinding& b : table_.bindings)
        list_.AddString(b.name.c_str());
    current_ = 0;
    list_.SetCurSel(0);
    Show(0);
    return TRUE;
}

void CDialogHotkeys::StoreShown()
{
    if (current_ < 0 || static_cast<std::size_t>(current_) >= table_.bindings.size())
        return;
    WORD vkey = 0;
    WORD mod = 0;
    key_.GetHotKey(vkey, mod);
    table_.bindings[static_cast<std::size_t>(current_)].vkey = vkey;
    table_.bindings[static_cast<std::size_t>(current_)].mod = mod;
}

void CDialogHotkeys::Show(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= table_.bindings.size())
        return;
    const HotkeyBinding& b = table_.bindings[static_cast<std::size_t>(index)];
    key_.SetHotKey(static_cast<WORD>(b.vkey & 0xFF), static_cast<WORD>(b.mod & 0xFF));
}

void CDialogHotkeys::OnSelChange()
{
    StoreShown();
    const int selected = list_.GetCurSel();
    // No selection: the combination stays with the binding it was read from.
    if (selected == LB_ERR)
        return;
    current_ = selected;
    Show(current_);
}

// Enter closes like the close button: there is nothing to cancel.
void CDialogHotkeys::OnOK()
{
    StoreShown();
    EndDialog(IDOK);
}

void CDialogHotkeys::OnCancel()
{
    StoreShown();
    EndDialog(IDCANCEL);
}
