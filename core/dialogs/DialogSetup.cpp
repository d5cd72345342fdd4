#include "core/dialogs/DialogSetup.h"

#include "core/transport/CommFTDI.h"

#include <cstdlib>

namespace {

const char* const kRates[] = {"115200", "1000000", "2000000"};

DialogTemplate SetupTemplate()
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
    t.rect = CRect(0, 0, 80, 55);
    t.caption = "Параметры порта";
    t.fontFace = "MS Shell Dlg";
    t.fontPoints = 8;
    return t;
}

} // namespace

CDialogSetup::CDialogSetup(int baudRate, CWnd* parent) : baudRate_(baudRate)
{
    InitModalIndirect(SetupTemplate(), parent);
}

BOOL CDialogSetup::OnInitDialog()
{
    CDialog::OnInitDialog();
    font_.CreatePointFont(80, "MS Shell Dlg");

    CRect client;
    GetClientRect(&client);
    ok_.Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
               CRect(10, client.bottom - 34, client.right - 10, client.bottom - 10), this, IDOK);
    label_.Create("Введите скорость:", WS_CHILD | WS_VISIBLE, CRect(10, 10, client.right - 10, 30), this);
    rates_.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                  CRect(10, 30, client.right - 10, 48), this, kRateListId);
    ok_.SetFont(&font_);
    label_.SetFont(&font_);
    rates_.SetFont(&font_);

    for (const char* rate : kRates)
        rates_.AddString(rate);
    const CString current = StringFormat("%d", baudRate_);
    for (int i = 0; i < rates_.GetCount(); ++i)
    {
        CString text;
        rates_.GetLBText(i, text);
        if (text == current)
            rates_.SetCurSel(i);
    }
    rates_.SetFocus();
    SetForegroundWindow();
    return FALSE; // the focus is set
}

void CDialogSetup::OnOK()
{
    // With nothing selected the device keeps its rate rather than getting 0 from an empty text.
    const int selected = rates_.GetCurSel();
    if (selected >= 0)
    {
        CString text;
        rates_.GetLBText(selected, text);
        baudRate_ = std::atoi(text.c_str());
    }
    EndDialog(IDOK);
}

bool RunBaudDialog(int& rate, CWnd* parent)
{
    CDialogSetup dialog(rate, parent);
    if (dialog.DoModal() != IDOK)
        return false;
    rate = dialog.GetBaudRate();
    return true;
}

void InstallBaudDialog()
{
    CCommFTDI::SetBaudDialog(&RunBaudDialog);
}
