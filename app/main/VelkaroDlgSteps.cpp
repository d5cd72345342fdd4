// Window-side setting steps: the lists and per-channel state kept in step with the data model.

#include "app/main/SettingSteps.h"
#include "app/main/VelkaroDlg.h"

namespace {

// Selects the entry that carries `data`; false when the list holds none.
bool SelectEntryWithData(CComboBox& list, DWORD_PTR data)
{
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i)
        if (list.GetItemData(i) == data)
        {
            list.SetCurSel(i);
            return true;
        }
    return false;
}

}  // namespace

CComboBox* CVelkaroDlg::Combo(int id) const { return static_cast<CComboBox*>(GetDlgItem(id)); }

void CVelkaroDlg::SelectItemData(int id, DWORD_PTR data)
{
    if (CComboBox* list = Combo(id))
        SelectEntryWithData(*list, data);
}

void CVelkaroDlg::SyncVDivCombos()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    SelectItemData(1051, d->u_div[0]);
    SelectItemData(1055, d->u_div[1]);
    // The math list lives in the math window and exists only once that window does. It offers
    // just the steps around the current scale while the math spin may walk the whole range: a
    // scale the list does not hold moves the list to it, so the list never names a scale the
    // trace is not drawn at.
    if (math_vdiv_list.GetSafeHwnd() != nullptr && !SelectEntryWithData(math_vdiv_list, d->u_div[2]))
    {
        FillVDivList(*d, 2);
        if (!SelectEntryWithData(math_vdiv_list, d->u_div[2]))
            math_vdiv_list.SetCurSel(-1);
    }
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
