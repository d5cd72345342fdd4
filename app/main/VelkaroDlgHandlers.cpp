// The main window's answers to its own buttons, lists and spins, and its hotkeys.
//
// A handler decides under DataLock and shows a refusal only after releasing it, so that the
// link's worker is never held up by an open message box.

#include "app/hotkeys/HotkeyTable.h"
#include "app/main/SettingSteps.h"
#include "app/main/VelkaroDlg.h"
#include "core/dispatch/OscDispatch.h"
#include "platform/ui/App.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

namespace {

constexpr int kAllTraces = -1;

int SpinDelta(const NMHDR* header)
{
    return header != nullptr ? reinterpret_cast<const NMUPDOWN*>(header)->iDelta : 0;
}

// The keyboard's actions reach the one main window, if there is one.
class MainWindowHotkeys : public HotkeyCommands {
public:
    void HotkeyStepTimebase(int delta) override
    {
        if (MainDialog != nullptr)
            MainDialog->StepTDivBy(delta);
    }
    void HotkeyShiftView(int delta) override
    {
        if (MainDialog != nullptr)
            MainDialog->MoveViewBy(delta);
    }
    void HotkeyToggleRun() override
    {
        if (MainDialog != nullptr)
            MainDialog->ToggleRun();
    }
};

MainWindowHotkeys main_window_hotkeys;
const bool hotkeys_registered = (SetHotkeyTarget(&main_window_hotkeys), true);

}  // namespace

BOOL CVelkaroDlg::PreTranslateMessage(MSG* msg)
{
    (void)hotkeys_registered;
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)
    {
        std::uint16_t mod = (msg->lParam & (LPARAM(1) << 24)) != 0 ? kHotkeyExtended : 0;
        if (msg->message == WM_SYSKEYDOWN)
            mod |= kHotkeyAlt;
        if (FindAndRunHotkey(mod, HotkeyTable::Instance(), static_cast<std::uint16_t>(msg->wParam & 0xFFFF)))
            return TRUE;
    }
    if (tooltip_.GetSafeHwnd() != nullptr)
        tooltip_.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

bool CVelkaroDlg::FromOwnControl() const
{
    const MSG* msg = GetCurrentMessage();
    if (msg == nullptr)
        return true;
    HWND from = nullptr;
    if (msg->message == WM_COMMAND)
        from = reinterpret_cast<HWND>(msg->lParam);
    else if (msg->message == WM_NOTIFY && msg->lParam != 0)
        from = reinterpret_cast<const NMHDR*>(msg->lParam)->hwndFrom;
    else
        return true;
    // A tool window passes its commands on with its own control's handle: not ours.
    return from != nullptr && IsChild(CWnd::FromHandle(from));
}

void CVelkaroDlg::MarkRedraw()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    d->status &= ~STATUS_FRAME_READY;
    d->status |= STATUS_REDRAW;
}

// A refusal is a balloon at the mouse: it blocks nothing, so it may be shown under DataLock.
void CVelkaroDlg::ShowRefusal(const std::string& text)
{
    if (text.empty())
        return;
    last_refusal_ = text;
    if (tooltip_.GetSafeHwnd() == nullptr)
    {
        MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONERROR);
        return;
    }
    CPoint cursor;
    GetCursorPos(&cursor);
    tooltip_.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), text, cursor);
}

// After a handler changed a setting: the edge image, the volts texts and the time/div list
// (its entries depend on the recorder and the peak detector) follow the model.
void CVelkaroDlg::RefreshControlsAfterChange()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    UpdateEdgeButton();
    UpdateLevelTexts(*d);
    FillTDivList(*d);
}

void CVelkaroDlg::ToggleRun()
{
    bool recorder = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->ToggleStop();
        if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
            refresh_offset = 1;
        recorder = (d->mode & MODE_RECORDER) != 0;
    }
    if (recorder)
        RefreshControlsAfterChange();
}

void CVelkaroDlg::OnStopClicked()
{
    if (FromOwnControl())
        ToggleRun();
}

void CVelkaroDlg::OnSingleClicked()
{
    if (!FromOwnControl())
        return;
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    refresh_single_each_tick = 1;
    d->mode ^= MODE_SINGLE;
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
        refresh_offset = 1;
}

LRESULT CVelkaroDlg::StepTDivBy(int delta)
{
    LRESULT answer = 1;
    {
        CSingleLock lock(&DataLock, TRUE);
        if (StepTDivIndex(*GetOscData(), delta))
        {
            MarkRedraw();
            ClearTrail(kAllTraces);
            answer = 0;
        }
        SyncTDivCombo();
    }
    if (strip_.GetSafeHwnd() != nullptr)
        strip_.CheckDlgButton(kFullSweepId, BST_UNCHECKED);
    return answer;
}

void CVelkaroDlg::OnTDivSpin(NMHDR* header, LRESULT* result)
{
    *result = 1;
    if (FromOwnControl())
        *result = StepTDivBy(SpinDelta(header));
}

void CVelkaroDlg::OnVDivSpin(UINT id, NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!FromOwnControl())
        return;
    const int k = id == 1008 ? 0 : 1;
    {
        CSingleLock lock(&DataLock, TRUE);
        StepVDivIndex(*GetOscData(), k, SpinDelta(header));
        SyncVDivCombos();
        refresh_limits[k] = 1;
        ClearTrail(k);
    }
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnOffsetSpin(UINT id, NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (FromOwnControl())
        ShiftChannelOffset(SpinDelta(header), id == 1018 ? 0 : 1, false);
}

void CVelkaroDlg::OnChannelOnClicked(UINT id)
{
    if (!FromOwnControl())
        return;
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    // A refused switch-off (the trigger's channel) leaves the box checked.
    if (id == 1012)
    {
        d->EnableChannelA((d->osc_cr & OSC_CR_CH_A_ON) == 0);
        CheckDlgButton(1012, (d->osc_cr & OSC_CR_CH_A_ON) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    else
    {
        d->EnableChannelB((d->osc_cr & OSC_CR_CH_B_ON) == 0);
        CheckDlgButton(1013, (d->osc_cr & OSC_CR_CH_B_ON) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

void CVelkaroDlg::OnTriggerSourceChange()
{
    if (!FromOwnControl())
        return;
    const int s = trigger_source_list_.GetCurSel();
    if (s < 0 || s > 3)
        return;
    std::string refusal;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if ((d->mode & MODE_STOPPED) != 0)
            refusal = "В режиме стоп переключение невозможно!";
        else
        {
            refresh_offset = 1;
            if (s == 1 && (d->osc_cr & OSC_CR_CH_A_ON) == 0)
                refusal = "Необходимо сначало включить канал A!";
            else if (s == 2 && (d->osc_cr & OSC_CR_CH_B_ON) == 0)
                refusal = "Необходимо сначало включить канал B!";
        }
        if (!refusal.empty())
            trigger_source_list_.SetCurSel(d->GetTriggerSource());
        else
        {
            SetTriggerSource(*d, s);
            const bool on = (d->osc_cr & OSC_CR_TRIGGER_ON) != 0;
            if (CWnd* edge = GetDlgItem(1046))
                edge->EnableWindow(on);
            if (CWnd* a = GetDlgItem(1012))
                a->EnableWindow(!(on && s == 1));
            if (CWnd* b = GetDlgItem(1013))
                b->EnableWindow(!(on && s == 2));
            CWnd* logicCondition = GetDlgItem(1082);
            if (on)
            {
                level_countdown = offset_countdown = kMarkerShowTicks;
                if (logicCondition != nullptr && s != 3)
                    logicCondition->EnableWindow((d->osc_cr & (s == 1 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B)) != 0);
            }
            else
            {
                level_countdown = offset_countdown = 0;
                for (ChartMarker* m : {&trigger_level_marker, &trigger_offset_marker})
                {
                    if (m->line != nullptr)
                        m->line->RemoveAllPoints();
                    if (m->mark != nullptr)
                        m->mark->RemoveAllPoints();
                }
                for (CChartPointsSerie* arrow : {trigger_level_arrow, trigger_offset_arrow})
                    if (arrow != nullptr)
                        arrow->RemoveAllPoints();
                if (logicCondition != nullptr)
                    logicCondition->EnableWindow(FALSE);
            }
            MarkRedraw();
            ClearTrail(kAllTraces);
        }
    }
    if (!refusal.empty())
        ShowRefusal(refusal);
    else
        RefreshControlsAfterChange();
}

void CVelkaroDlg::OnTriggerEdgeClicked()
{
    if (!FromOwnControl())
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        CycleTriggerEdge(*GetOscData());
        MarkRedraw();
        ClearTrail(kAllTraces);
    }
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnTriggerLevelSpin(NMHDR* header, LRESULT* result)
{
    *result = 1;
    if (!FromOwnControl())
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const std::uint16_t external = OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_EXT;
        if ((d->osc_cr & external) != external)
        {
            *result = 0;
            MoveTriggerLevel(*d, SpinDelta(header));
            level_countdown = kMarkerShowTicks;
        }
        MarkRedraw();
        ClearTrail(kAllTraces);
    }
    RefreshControlsAfterChange();
}

LRESULT CVelkaroDlg::MoveViewBy(int delta)
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    d->MoveHorizontal(-delta);
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
        offset_countdown = kMarkerShowTicks;
    MarkRedraw();
    ClearTrail(kAllTraces);
    return 1;
}

void CVelkaroDlg::OnHorizontalSpin(NMHDR* header, LRESULT* result)
{
    *result = 1;
    if (FromOwnControl())
        *result = MoveViewBy(SpinDelta(header));
}

void CVelkaroDlg::OnVDivList(UINT id)
{
    if (!FromOwnControl())
        return;
    CComboBox* list = Combo(static_cast<int>(id));
    const int selected = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return;
    const int k = id == 1051 ? 0 : 1;
    const std::int64_t v = static_cast<std::int64_t>(list->GetItemData(selected) & 0xFF);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        std::int64_t lower = d->GetVDivMin();
        std::int64_t upper = d->GetVDivMax();
        if ((d->mode & MODE_STOPPED) != 0)
        {
            const int gain = d->GetGainIndex(std::min<std::uint32_t>(d->u_div[k], VDIV_TABLE_SIZE - 1));
            lower = std::int64_t{gain} - 1;
            upper = std::int64_t{gain} + 1;
        }
        if (v >= lower && v <= upper)
        {
            d->u_div[k] = static_cast<std::uint32_t>(v);
            ApplyVDivIndex(*d, k);
        }
        else
            SelectItemData(static_cast<int>(id), d->u_div[k]);
        refresh_limits[k] = 1;
        ClearTrail(kAllTraces);
    }
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnTDivList()
{
    if (!FromOwnControl())
        return;
    CComboBox* list = Combo(1060);
    const int selected = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const int count = list->GetCount();
        auto tryEntry = [&](int i) {
            list->SetCurSel(i);
            return SetTDivKeepingCenter(*d, static_cast<std::uint32_t>(list->GetItemData(i)));
        };
        bool accepted = tryEntry(selected);
        for (int i = selected + 1; !accepted && i < count; ++i)
            accepted = tryEntry(i);
        for (int i = count - 1; !accepted && i >= 0; --i)
            accepted = tryEntry(i);
        // No entry accepted: the list shows what is still in use.
        if (!accepted)
            SelectItemData(1060, d->t_div);
        if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
            offset_countdown = kMarkerShowTicks;
        MarkRedraw();
        ClearTrail(kAllTraces);
    }
    if (strip_.GetSafeHwnd() != nullptr)
        strip_.CheckDlgButton(kFullSweepId, BST_UNCHECKED);
}

void CVelkaroDlg::OnZeroClicked(UINT id)
{
    if (FromOwnControl())
        ShiftChannelOffset(0, id == 1074 ? 0 : 1, true);
}

void CVelkaroDlg::OnZeroTriggerLevelClicked()
{
    if (!FromOwnControl())
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const int source = d->GetTriggerSource();
        if (source == 1 || source == 2)
        {
            SetTriggerLevel(*d, 0);
            level_countdown = kMarkerShowTicks;
        }
        MarkRedraw();
        ClearTrail(kAllTraces);
    }
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnFullSweepClicked()
{
    if (!FromOwnControl() || strip_.GetSafeHwnd() == nullptr)
        return;
    const bool checked = strip_.IsDlgButtonChecked(kFullSweepId) == BST_CHECKED;
    bool alreadyFull = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if (checked)
        {
            sweep_t_div_ = d->t_div;
            sweep_centre_ = GetViewCenterSample(*d);
            // Each accepted step raises t_div, so this ends at the variant's maximum.
            while (StepTDivIndex(*d, 1))
            {
            }
            alreadyFull = d->t_div == sweep_t_div_;
        }
        else
        {
            SetTDivKeepingCenter(*d, sweep_t_div_);
            SetViewCenterSample(*d, sweep_centre_);
        }
        SyncTDivCombo();
        MarkRedraw();
        ClearTrail(kAllTraces);
    }
    if (alreadyFull)
    {
        strip_.CheckDlgButton(kFullSweepId, BST_UNCHECKED);
        ShowRefusal("При данной комбинации параметров развертка уже максимальна!");
    }
}

void CVelkaroDlg::OnBnClickedCheckDatalogger()
{
    if (!FromOwnControl())
        return;
    if (dispatch_ != nullptr)
        dispatch_->CloseRecorderFiles();
    std::string refusal;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if ((d->mode & MODE_RECORDER) != 0)
        {
            d->status &= ~(STATUS_RECORDER_START | STATUS_RECORDER_STOP);
            d->osc_cr &= static_cast<std::uint16_t>(~OSC_CR_RECORDER);
            d->mode &= ~MODE_RECORDER;
            if (!recorder_was_stopped_ && (d->mode & MODE_STOPPED) != 0)
                d->ToggleStop();
            // The time base of before the recording may not suit the mode now (a channel
            // switched to logic meanwhile): then the nearest one that does.
            if (!SetTDivKeepingCenter(*d, recorder_t_div_))
                d->FitTDivIndex();
            CheckDlgButton(kRecorderId, BST_UNCHECKED);
            trigger_source_list_.EnableWindow(TRUE);
            recorder_errors_.disconnect();
        }
        else if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
        {
            refusal = "Самописец не работает в режиме триггера!";
            CheckDlgButton(kRecorderId, BST_UNCHECKED);
        }
        else
        {
            d->mode |= MODE_RECORDER;
            recorder_was_stopped_ = (d->mode & MODE_STOPPED) != 0;
            recorder_t_div_ = d->t_div;
            d->recorder_samples = 0;
            d->valid_points = 0;
            d->first_not_ready_sample = 0;
            d->x_offset = 0;
            d->status &= ~STATUS_FRAME_READY;
            d->status |= STATUS_REDRAW;
            // The recorder starts paused.
            if ((d->mode & MODE_STOPPED) == 0)
                d->ToggleStop();
            d->FitTDivIndex();
            CheckDlgButton(kRecorderId, BST_CHECKED);
            trigger_source_list_.EnableWindow(FALSE);
            recorder_errors_.disconnect();
            recorder_errors_ = d->recorder_error.connect([this](const std::string& text) { QueueMessage(text); });
        }
    }
    if (!refusal.empty())
    {
        ShowRefusal(refusal);
        return;
    }
    RefreshControlsAfterChange();
}
