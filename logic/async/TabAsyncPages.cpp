// The asynchronous decoder's condition, display and results pages.

#include "logic/async/TabAsyncCondition.h"
#include "logic/async/TabAsyncDisplay.h"
#include "logic/async/TabAsyncResults.h"

#include "platform/ui/Controls.h"

#include <algorithm>

namespace {

const char* const kDisplayTexts[] = {"Не отображать", "Старт/стоп", "Границы символа", "Границы и значение"};

}  // namespace

// ---- Condition -------------------------------------------------------------------------

BOOL CTabAsyncCondition::OnInitDialog()
{
    CTabPageSSL::OnInitDialog();
    if (auto* spin = static_cast<CSpinButtonCtrl*>(GetDlgItem(kSpinId))) {
        spin->SetBuddy(GetDlgItem(kEditId));
        spin->SetRange32(0, kTimeoutMax);
    }
    ShowValues();
    return TRUE;
}

int CTabAsyncCondition::GetTimeout() const
{
    if (GetSafeHwnd() == 0)
        return timeout_bit_;
    const auto* spin = static_cast<const CSpinButtonCtrl*>(GetDlgItem(kSpinId));
    return spin != nullptr ? std::clamp(spin->GetPos32(), 0, kTimeoutMax) : timeout_bit_;
}

int CTabAsyncCondition::GetUseMarkers() const
{
    if (GetSafeHwnd() == 0)
        return use_markers_;
    return GetCheckedRadioButton(kWholeId, kMarkersId) == kMarkersId ? 1 : 0;
}

void CTabAsyncCondition::SetValues(int timeout, int useMarkers)
{
    timeout_bit_ = std::clamp(timeout, 0, kTimeoutMax);
    use_markers_ = useMarkers != 0 ? 1 : 0;
    if (GetSafeHwnd() != 0)
        ShowValues();
}

void CTabAsyncCondition::ShowValues()
{
    if (GetSafeHwnd() == 0)
        return;
    if (auto* spin = static_cast<CSpinButtonCtrl*>(GetDlgItem(kSpinId)))
        spin->SetPos32(timeout_bit_);
    CheckRadioButton(kWholeId, kMarkersId, use_markers_ != 0 ? kMarkersId : kWholeId);
}

// ---- Display ---------------------------------------------------------------------------

BOOL CTabAsyncDisplay::OnInitDialog()
{
    CTabPageSSL::OnInitDialog();
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(kComboId)))
        for (const char* text : kDisplayTexts)
            combo->AddString(text);
    ShowValues();
    return TRUE;
}

int CTabAsyncDisplay::GetMode() const
{
    if (GetSafeHwnd() == 0)
        return display_data_;
    const auto* combo = static_cast<const CComboBox*>(GetDlgItem(kComboId));
    const int sel = combo != nullptr ? combo->GetCurSel() : -1;
    return sel >= NONE && sel <= BOUNDS_AND_VALUE ? sel : display_data_;
}

void CTabAsyncDisplay::SetMode(int mode)
{
    display_data_ = mode >= NONE && mode <= BOUNDS_AND_VALUE ? mode : BOUNDS_AND_VALUE;
    ShowValues();
}

void CTabAsyncDisplay::ShowValues()
{
    if (GetSafeHwnd() == 0)
        return;
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(kComboId)))
        combo->SetCurSel(display_data_);
}

// ---- Results ---------------------------------------------------------------------------

BOOL CTabAsyncResults::OnInitDialog()
{
    CTabPageSSL::OnInitDialog();
    SetDlgItemText(kEditId, text_.c_str());
    return TRUE;
}

void CTabAsyncResults::SetText(const std::string& text)
{
    text_ = text;
    if (GetSafeHwnd() != 0)
        SetDlgItemText(kEditId, text_.c_str());
}
