#include "tools/fir/CPropPageFIRType.h"

#include "tools/fir/CPropertySheetFIR.h"

#include "platform/kernel/CString.h"
#include "platform/ui/App.h"

#include <libalglib/ap.h>

#include <new>
#include <stdexcept>

CPropPageFIRType::CPropPageFIRType(UINT templateId, CPropertySheetFIR* sheet) : CPropertyPage(templateId), sheet_(sheet) {}

std::string CPropPageFIRType::NyquistText(UINT fs)
{
    const double half = fs / 2.0;
    if (half >= 1000000.0) return StringFormat("Частота Найквиста %.3f МГц", half / 1000000.0);
    if (half >= 1000.0) return StringFormat("Частота Найквиста %.3f КГц", half / 1000.0);
    return StringFormat("Частота Найквиста %.3f Гц", half);
}

void CPropPageFIRType::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_LENGTH, m_length);
    DDX_CBIndex(dx, IDC_LENGTH, sheet_->lengthIndex);
}

BOOL CPropPageFIRType::OnInitDialog()
{
    // The combo is filled before the base pushes the length index into it.
    auto* lengths = static_cast<CComboBox*>(GetDlgItem(IDC_LENGTH));
    for (const int len : CPropertySheetFIR::kLengths) lengths->AddString(StringFormat("%d", len).c_str());
    SetDlgItemText(IDC_NYQUIST, NyquistText(sheet_->Fs).c_str());
    CPropertyPage::OnInitDialog();
    return TRUE;
}

BOOL CPropPageFIRType::OnSetActive()
{
    sheet_->params.type = static_cast<FIRType>(GetSheet()->GetPageIndex(this));
    sheet_->activePage = this;
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

void CPropPageFIRType::OnOK()
{
    if (sheet_->activePage != this) return;
    // A failed design must not escape the OK button: the user learns why, and the sheet ends
    // without a filter, which its DoModal reports as a cancel.
    try {
        CreateFilter();
    } catch (const alglib::ap_error& e) {
        sheet_->filter.reset();
        AfxMessageBox(e.msg.c_str(), MB_OK | MB_ICONSTOP);
    } catch (const std::invalid_argument& e) {
        sheet_->filter.reset();
        AfxMessageBox(e.what(), MB_OK | MB_ICONSTOP);
    } catch (const std::bad_alloc& e) {
        sheet_->filter.reset();
        AfxMessageBox(e.what(), MB_OK | MB_ICONSTOP);
    }
}

void CPropPageFIRType::CreateFilter() { sheet_->params.len = sheet_->ChosenLength(); }
