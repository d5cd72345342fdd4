// The asynchronous decoder's data page.

#include "logic/async/TabAsyncData.h"

#include "platform/ui/Controls.h"
#include "platform/ui/DataExchange.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kParityTexts[] = {"none", "odd", "even", "mark", "space"};
constexpr int kParityModes = 5;

CComboBox* Combo(CWnd& page, int id)
{
    return static_cast<CComboBox*>(page.GetDlgItem(id));
}

}  // namespace

BEGIN_MESSAGE_MAP(CTabAsyncData, CTabPageSSL)
    ON_CBN_SELCHANGE(CTabAsyncData::kCountId, &CTabAsyncData::OnCountChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, CTabAsyncData::kBitsId, CTabAsyncData::kParityId + CTabAsyncData::kRows - 1,
                     &CTabAsyncData::OnRowChange)
    ON_CONTROL_RANGE(BN_CLICKED, CTabAsyncData::kMsbId, CTabAsyncData::kMsbId + CTabAsyncData::kRows - 1,
                     &CTabAsyncData::OnMsbClicked)
END_MESSAGE_MAP()

CTabAsyncData::CTabAsyncData()
{
    for (auto& combo : data_net)
        combo = std::make_unique<CComboNet>();
}

CTabAsyncData::~CTabAsyncData()
{
    // The combos are attached to this page's controls: they go with the page's window.
    if (GetSafeHwnd() != 0)
        DestroyWindow();
}

void CTabAsyncData::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    for (int i = 0; i < kRows; ++i)
        DDX_Control(dx, kNetId + i, Net(i));
}

BOOL CTabAsyncData::OnInitDialog()
{
    CTabPageSSL::OnInitDialog();
    if (CComboBox* count = Combo(*this, kCountId))
        for (int n = 1; n <= kRows; ++n)
            count->AddString(std::to_string(n).c_str());
    for (int i = 0; i < kRows; ++i) {
        if (CComboBox* bits = Combo(*this, kBitsId + i))
            for (int b = kMinBits; b <= kMaxBits; ++b) {
                char text[32];
                std::snprintf(text, sizeof text, "%d бит", b);
                bits->AddString(text);
            }
        if (CComboBox* parityCombo = Combo(*this, kParityId + i))
            for (const char* text : kParityTexts)
                parityCombo->AddString(text);
    }
    ShowValues(false);
    return TRUE;
}

void CTabAsyncData::Sanitize()
{
    num_data_nets = std::clamp(num_data_nets, 1, kRows);
    for (std::size_t i = 0; i < kRows; ++i) {
        msb[i] = msb[i] != 0 ? 1 : 0;
        num_data[i] = std::clamp(num_data[i], kMinBits, kMaxBits);
        parity[i] = std::clamp(parity[i], 0, kParityModes - 1);
    }
}

void CTabAsyncData::ShowValues(bool fillNets)
{
    Sanitize();
    if (GetSafeHwnd() == 0)
        return;
    if (CComboBox* count = Combo(*this, kCountId))
        count->SetCurSel(num_data_nets - 1);
    for (int i = 0; i < kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (fillNets)
            Net(i).FillNets();
        CheckDlgButton(kMsbId + i, msb[row] != 0 ? BST_CHECKED : BST_UNCHECKED);
        if (CComboBox* bits = Combo(*this, kBitsId + i))
            bits->SetCurSel(num_data[row] - kMinBits);
        if (CComboBox* parityCombo = Combo(*this, kParityId + i))
            parityCombo->SetCurSel(parity[row]);
    }
    EnableRows();
}

void CTabAsyncData::EnableRows()
{
    if (GetSafeHwnd() == 0)
        return;
    for (int i = 0; i < kRows; ++i) {
        const BOOL on = i < num_data_nets ? TRUE : FALSE;
        for (const int id : {kNetId + i, kMsbId + i, kBitsId + i, kParityId + i})
            if (CWnd* control = GetDlgItem(id))
                control->EnableWindow(on);
    }
}

void CTabAsyncData::OnCountChange()
{
    if (CComboBox* count = Combo(*this, kCountId)) {
        const int sel = count->GetCurSel();
        if (sel >= 0)
            num_data_nets = std::clamp(sel + 1, 1, kRows);
    }
    EnableRows();
}

void CTabAsyncData::OnRowChange(UINT id)
{
    const int code = static_cast<int>(id);
    if (code >= kBitsId && code < kBitsId + kRows) {
        const int sel = Combo(*this, code)->GetCurSel();
        if (sel >= 0)
            num_data[static_cast<std::size_t>(code - kBitsId)] = sel + kMinBits;
    } else if (code >= kParityId && code < kParityId + kRows) {
        const int sel = Combo(*this, code)->GetCurSel();
        if (sel >= 0)
            parity[static_cast<std::size_t>(code - kParityId)] = sel;
    }
    EnableRows();
}

void CTabAsyncData::OnMsbClicked(UINT id)
{
    const int row = static_cast<int>(id) - kMsbId;
    if (row >= 0 && row < kRows)
        msb[static_cast<std::size_t>(row)] = IsDlgButtonChecked(static_cast<int>(id)) == BST_CHECKED ? 1 : 0;
}
