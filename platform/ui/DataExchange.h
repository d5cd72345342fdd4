#pragma once
// Dialog data exchange: DoDataExchange lists the controls and members of a dialog, and
// UpdateData(FALSE) fills the controls while UpdateData(TRUE) reads and validates them.
// A failed conversion or validation shows a message, puts the focus back on the field and
// aborts the exchange (UpdateData returns FALSE; members after the field keep their values).

#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

class CWnd;

// Thrown to abort an exchange; caught by UpdateData.
class CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_idLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    // The control with this id (the exchange fails when there is none).
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Focus back to the last prepared control (its text selected) and abort.
    [[noreturn]] void Fail();
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, BYTE& value);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// id names the first radio button of a group (the one with WS_GROUP); value is the index of
// the checked button in the group, -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
void DDV_MinMaxByte(CDataExchange* dx, BYTE value, BYTE minValue, BYTE maxValue);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int count);
