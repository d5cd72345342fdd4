#include "platform/ui/DataExchange.h"

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WndImpl.h"

#include <cerrno>
#include <cstdlib>

using namespace uiimpl;

namespace {

bool ParseSigned(const CString& text, long long& value)
{
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t') ++s;
    if (*s == '\0') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(s, &end, 10);
    if (errno != 0 || end == s) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

// The radio buttons of the group that starts at the control with the given id.
std::vector<HWND> RadioGroup(CWnd* dialog, int id)
{
    std::vector<HWND> group;
    Record* d = Find(dialog->m_hWnd);
    CWnd* first = dialog->GetDlgItem(id);
    if (d == nullptr || first == nullptr) return group;
    auto it = std::find(d->children.begin(), d->children.end(), first->m_hWnd);
    for (bool start = true; it != d->children.end(); ++it, start = false) {
        Record* r = Find(*it);
        if (r == nullptr) continue;
        if (!start && (r->style & WS_GROUP) != 0) break;
        const UINT type = r->style & BS_TYPEMASK;
        if (r->className == "Button" && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) group.push_back(*it);
    }
    return group;
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id)
{
    CWnd* control = m_pDlgWnd != nullptr ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    if (control == nullptr) {
        std::fprintf(stderr, "data exchange: no control %d\n", id);
        throw CUserException();
    }
    m_idLastControl = control->m_hWnd;
    m_bEditLastControl = FALSE;
    return control->m_hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND h = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_idLastControl != nullptr) {
        if (CWnd* control = CWnd::FromHandle(m_idLastControl)) {
            control->SetFocus();
            if (m_bEditLastControl) control->SendMessage(EM_SETSEL, 0, -1);
        }
    }
    throw CUserException();
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd != nullptr) return;
    const HWND h = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(h)) {
        std::fprintf(stderr, "data exchange: control %d is bound twice\n", id);
        throw CUserException();
    }
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    const HWND h = dx->PrepareEditCtrl(id);
    CWnd* control = CWnd::FromHandle(h);
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(StringFormat("%d", value).c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    long long v = 0;
    if (!ParseSigned(text, v) || v < INT32_MIN || v > INT32_MAX) {
        AfxMessageBox("Введите целое число.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    const HWND h = dx->PrepareEditCtrl(id);
    CWnd* control = CWnd::FromHandle(h);
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(StringFormat("%u", value).c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    long long v = 0;
    if (!ParseSigned(text, v) || v < 0 || v > 0xFFFFFFFFLL) {
        AfxMessageBox("Введите целое неотрицательное число.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<UINT>(v);
}

void DDX_Text(CDataExchange* dx, int id, BYTE& value)
{
    const HWND h = dx->PrepareEditCtrl(id);
    CWnd* control = CWnd::FromHandle(h);
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(StringFormat("%u", static_cast<unsigned>(value)).c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    long long v = 0;
    if (!ParseSigned(text, v) || v < 0 || v > 255) {
        AfxMessageBox("Введите целое число от 0 до 255.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<BYTE>(v);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    const HWND h = dx->PrepareEditCtrl(id);
    CWnd* control = CWnd::FromHandle(h);
    if (dx->m_bSaveAndValidate) control->GetWindowText(value);
    else control->SetWindowText(value.c_str());
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    CWnd* control = CWnd::FromHandle(dx->PrepareCtrl(id));
    if (dx->m_bSaveAndValidate) value = static_cast<int>(control->SendMessage(BM_GETCHECK));
    else control->SendMessage(BM_SETCHECK, static_cast<WPARAM>(value));
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    dx->PrepareCtrl(id);
    const std::vector<HWND> group = RadioGroup(dx->m_pDlgWnd, id);
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i)
            if (SendMessage(group[i], BM_GETCHECK) == BST_CHECKED) value = static_cast<int>(i);
        return;
    }
    for (std::size_t i = 0; i < group.size(); ++i)
        SendMessage(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    CWnd* control = CWnd::FromHandle(dx->PrepareCtrl(id));
    if (dx->m_bSaveAndValidate) index = static_cast<int>(control->SendMessage(CB_GETCURSEL));
    else control->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(index)));
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index)
{
    CWnd* control = CWnd::FromHandle(dx->PrepareCtrl(id));
    if (dx->m_bSaveAndValidate) index = static_cast<int>(control->SendMessage(LB_GETCURSEL));
    else control->SendMessage(LB_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(index)));
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    AfxMessageBox(StringFormat("Введите целое число от %d до %d.", minValue, maxValue).c_str(), MB_ICONEXCLAMATION);
    dx->Fail();
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue)
{
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    AfxMessageBox(StringFormat("Введите целое число от %u до %u.", minValue, maxValue).c_str(), MB_ICONEXCLAMATION);
    dx->Fail();
}

void DDV_MinMaxByte(CDataExchange* dx, BYTE value, BYTE minValue, BYTE maxValue)
{
    DDV_MinMaxUInt(dx, value, minValue, maxValue);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int count)
{
    if (!dx->m_bSaveAndValidate || value.GetLength() <= count) return;
    AfxMessageBox(StringFormat("Введите не более %d символов.", count).c_str(), MB_ICONEXCLAMATION);
    dx->Fail();
}
