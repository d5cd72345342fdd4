#include "logic/digtrigger/DialogDigTrigLevel.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "logic/digtrigger/TriggerValueText.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"

#include <string>

namespace {

// The net's name from the main window; without one (a dialog opened on its own) the default
// name of the line.
std::string NetName(int channel, int line)
{
    if (MainDialog != nullptr) return MainDialog->GetNetName(channel, line);
    return std::string(1, static_cast<char>('A' + channel)) + std::to_string(line);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialogDigTrigLevel, CDialog)
    ON_EN_CHANGE(CDialogDigTrigLevel::kValueId, &CDialogDigTrigLevel::OnValueChange)
    ON_BN_CLICKED(CDialogDigTrigLevel::kApplyId, &CDialogDigTrigLevel::Apply)
    ON_MESSAGE(WM_REPORTCTRL_SELECT, &CDialogDigTrigLevel::OnReportCtrlSelect)
END_MESSAGE_MAP()

CDialogDigTrigLevel::CDialogDigTrigLevel(CWnd* parent) : CDialog(IDD, parent), value_text_("0x00") {}

void CDialogDigTrigLevel::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, kListId, list_);
    DDX_Text(dx, kValueId, value_text_);
}

BOOL CDialogDigTrigLevel::OnInitDialog()
{
    CDialog::OnInitDialog();
    list_.DisableSorting();
    list_.SetCheckMode(CReportCtrl::Multiple);
    list_.SetExtendedStyle(list_.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    list_.InsertColumn(0, "Цепь");
    list_.InsertColumn(1, "Имя");
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& data = *GetOscData();
        CheckRadioButton(kMaskModeId, kEqualModeId,
                         (data.osc_cr & OSC_CR_DIGITAL_TRIGGER) != 0 ? kEqualModeId : kMaskModeId);
        value_text_ = FormatTriggerValueText(data.trigger_digital).c_str();
        // Only a trigger on channel A looks at A's lines; B's serve every other source.
        channel_ = data.GetTriggerSource() == 1 ? 0 : 1;
        for (int row = 0; row < kLines; ++row) {
            const int line = kLines - 1 - row;
            const std::string label = std::string(1, static_cast<char>('A' + channel_)) + std::to_string(line);
            list_.InsertItem(row, label.c_str());
            list_.SetItemText(row, 1, NetName(channel_, line).c_str());
            list_.SetCheck(row, (data.trigger_digital & RowBit(row)) != 0);
        }
    }
    list_.AutoSizeColumn(0);
    list_.AutoSizeColumn(1);
    SetDlgItemText(kValueId, value_text_.c_str());
    return TRUE;
}

std::uint8_t CDialogDigTrigLevel::ShownValue() const
{
    CString text;
    GetDlgItemText(kValueId, text);
    return ParseTriggerValueText(text.c_str());
}

void CDialogDigTrigLevel::ShowChecks(std::uint8_t value)
{
    for (int row = 0; row < kLines && row < list_.GetItemCount(); ++row)
        list_.SetCheck(row, (value & RowBit(row)) != 0);
}

void CDialogDigTrigLevel::OnValueChange()
{
    ShowChecks(ShownValue());
}

LRESULT CDialogDigTrigLevel::OnReportCtrlSelect(WPARAM /*row*/, LPARAM /*message*/)
{
    std::uint8_t value = 0;
    for (int row = 0; row < kLines && row < list_.GetItemCount(); ++row)
        if ((list_.GetItemStates(row) & CReportCtrl::Checked) != 0) value |= RowBit(row);
    value_text_ = FormatTriggerValueText(value).c_str();
    SetDlgItemText(kValueId, value_text_.c_str());
    return 0;
}

void CDialogDigTrigLevel::Apply()
{
    const std::uint8_t value = ShownValue();
    const bool equalMode = IsDlgButtonChecked(kMaskModeId) != BST_CHECKED;
    CSingleLock lock(&DataLock, TRUE);
    OscData& data = *GetOscData();
    if (value != data.trigger_digital) {
        data.trigger_digital = value;
        data.changes |= CHANGE_TRIGGER;
    }
    if (equalMode != ((data.osc_cr & OSC_CR_DIGITAL_TRIGGER) != 0)) {
        if (equalMode) data.osc_cr = static_cast<std::uint16_t>(data.osc_cr | OSC_CR_DIGITAL_TRIGGER);
        else data.osc_cr = static_cast<std::uint16_t>(data.osc_cr & ~OSC_CR_DIGITAL_TRIGGER);
        data.changes |= CHANGE_CAPTURE;
    }
}

// Enter leaves the dialog like "Закрыть": applied, never discarded.
void CDialogDigTrigLevel::OnOK()
{
    Apply();
    EndDialog(IDCANCEL);
}

void CDialogDigTrigLevel::OnCancel()
{
    Apply();
    EndDialog(IDCANCEL);
}
