// Window-side setting steps: the lists and per-channel state kept in step with the data model.

#include "app/main/SettingSteps.h"
#include "app/main/VelkaroDlg.h"

CComboBox* CVelkaroDlg::Combo(int id) const { return static_cast<CComboBox*>(GetDlgItem(id)); }

void CVelkaroDlg::SelectItemData(int id, DWORD_PTR data)
{
    CComboBox* list = Combo(id);
    if (list == nullptr)
        return;
    const int count = list->GetCount();
    for (int i = 0; i < count; ++i)
        if (list->GetItemData(i) == data)
        {
            list->SetCurSel(i);
            return;
        }
}

void CVelkaroDlg::SyncVDivCombos()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    // The math list lives in the math window; it joins here when that window exists.
    SelectItemData(1051, d->u_div[0]);
    SelectItemData(1055, d->u_div[1]);
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
        refresh_level = 1;
}

void CVelkaroDlg::SyncTDivCombo()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    SelectItemData(1060, d->t_div);
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
        offset_countdown = kMarkerShowTicks;
}

void CVelkaroDlg::ShiftChannelOffset(int value, int channel, bool absolute)
{
    if (channel < 0 || channel > 2)
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const std::int64_t wanted = absolute ? std::int64_t{value} : std::int64_t{d->y_offset[channel]} + value;
        d->y_offset[channel] = static_cast<std::int8_t>(std::clamp<std::int64_t>(wanted, -128, 127));
        refresh_zero[static_cast<std::size_t>(channel)] = 1;
        refresh_limits[static_cast<std::size_t>(channel)] = 1;
        refresh_level = 1;
        ClearTrail(channel);
    }
    RefreshControlsAfterChange();
}
