// The main window's answers to controls that sit in its tool windows (settings, service and
// mathematics), which pass their commands here before handling them themselves; and the
// minimised window's icon.
//
// One id may name a control in two windows (1074 is channel A's "0" here and a check of the
// settings window; 1073 is a check of the settings window and a button of the service window),
// so each handler acts only for the window that owns its control, told by the control that sent
// the command. A slot without a window serves nothing.

#include "app/hotkeys/DialogHotkeys.h"
#include "app/hotkeys/HotkeyTable.h"
#include "app/main/SettingSteps.h"
#include "app/main/VelkaroDlg.h"
#include "app/tooldialog/ToolDialog.h"
#include "core/data/RecorderHeader.h"
#include "core/dispatch/OscDispatch.h"
#include "core/measure/OscFormat.h"
#include "platform/ui/PaintDC.h"
#include "platform/kernel/File.h"
#include "platform/ui/App.h"
#include "platform/ui/FileDialog.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartLineSerie.h"

#include <boost/date_time/posix_time/posix_time.hpp>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kAllTraces = -1;
constexpr int kMathTrace = 2;
constexpr UINT kMathOffsetLabelId = 1091;
constexpr UINT kMathVDivListId = 1094;
constexpr UINT kPeakDetectId = 1011;
constexpr UINT kInterpolationId = 1033;
constexpr UINT kTrailId = 1048;

int SpinDelta(const NMHDR* header)
{
    return header != nullptr ? reinterpret_cast<const NMUPDOWN*>(header)->iDelta : 0;
}

HWND SenderOfCurrentMessage()
{
    const MSG* msg = CWnd::GetCurrentMessage();
    if (msg == nullptr)
        return nullptr;
    if (msg->message == WM_COMMAND)
        return reinterpret_cast<HWND>(msg->lParam);
    if (msg->message == WM_NOTIFY && msg->lParam != 0)
        return reinterpret_cast<const NMHDR*>(msg->lParam)->hwndFrom;
    return nullptr;
}

// Two names for one file: the same file even when written differently (relative, "..", links).
bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code ea;
    std::error_code eb;
    const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ea);
    const std::filesystem::path cb = std::filesystem::weakly_canonical(b, eb);
    if (ea || eb)
        return a == b;
    return ca == cb;
}

// The header of a recorder file, when the whole of it can be read.
bool ReadRecorderHeader(const CString& path, RecorderHeader& header)
{
    if (path.empty())
        return false;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
        return false;
    unsigned char bytes[RECORDER_HEADER_SIZE];
    UINT got = 0;
    try
    {
        got = file.Read(bytes, sizeof bytes);
    }
    catch (...)
    {
        return false;
    }
    if (got != sizeof bytes)
        return false;
    std::memcpy(&header, bytes, sizeof header);
    return true;
}

// The files' start time back into a time of day; a value no calendar date gives is not a time.
boost::posix_time::ptime StartTimeOf(std::int64_t ticks)
{
    using namespace boost::posix_time;
    constexpr std::int64_t kPerDay = 86400000000LL;
    const boost::gregorian::date first(1400, 1, 1);
    const boost::gregorian::date last(9999, 12, 31);
    const std::int64_t low = static_cast<std::int64_t>(first.julian_day()) * kPerDay;
    const std::int64_t high = (static_cast<std::int64_t>(last.julian_day()) + 1) * kPerDay;
    if (ticks < low || ticks >= high)
        return ptime(not_a_date_time);
    return ptime(first) + microseconds(ticks - low);
}

bool SameRecording(const RecorderHeader& a, const RecorderHeader& b)
{
    return a.start_time == b.start_time && a.x_skip == b.x_skip && a.samples == b.samples && a.min_max == b.min_max;
}

}  // namespace

// ---- whose control -----------------------------------------------------------------------

CToolDialog* CVelkaroDlg::SenderTool(CToolDialogList::Slot slot) const
{
    CToolDialog* tool = GetToolDialog(slot);
    if (tool == nullptr || tool->GetSafeHwnd() == nullptr)
        return nullptr;
    const HWND from = SenderOfCurrentMessage();
    if (from == nullptr || !tool->IsChild(CWnd::FromHandle(from)))
        return nullptr;
    return tool;
}

bool CVelkaroDlg::SentBy(CToolDialogList::Slot slot) const
{
    return SenderTool(slot) != nullptr;
}

void CVelkaroDlg::TakeToolWindowPointers()
{
    service_window = GetToolDialog(CToolDialogList::SERVICE);
    if (service_window != nullptr && service_window->GetSafeHwnd() == nullptr)
        service_window = nullptr;
    max_buffer_list = nullptr;
    out_freq_list = nullptr;
    CToolDialog* settings = GetToolDialog(CToolDialogList::PROPERTIES);
    if (settings != nullptr && settings->GetSafeHwnd() != nullptr)
    {
        max_buffer_list = static_cast<CComboBox*>(settings->GetDlgItem(1058));
        out_freq_list = static_cast<CComboBox*>(settings->GetDlgItem(1050));
    }
}

// ---- the minimised window ----------------------------------------------------------------

void CVelkaroDlg::OnPaint()
{
    if (!IsIconic() || icon_ == 0)
    {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    dc.FillSolidRect(&rect, GetSysColor(COLOR_3DFACE));
    const int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, icon_);
}

HCURSOR CVelkaroDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(icon_);
}

// ---- settings window: capture and display options ----------------------------------------

void CVelkaroDlg::TogglePeakDetector()
{
    bool changed = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const bool hardware = (d->osc_cr & OSC_CR_MIN_MAX) != 0;
        if (minmax != 0)
        {
            if (hardware && !TogglePeakDetect(*d))
                ShowRefusal("Невозможно сейчас изменить!");
            else
            {
                minmax = 0;
                changed = true;
            }
        }
        else if (hardware || TogglePeakDetect(*d))
        {
            minmax = 1;
            changed = true;
        }
        else
            ShowRefusal("Невозможно сейчас изменить!");

        if (changed)
        {
            // What was captured in the other form cannot be drawn in this one.
            d->valid_points = 0;
            d->first_not_ready_sample = 0;
            for (auto& channel : line_)
                for (CChartLineSerie* s : channel)
                    if (s != nullptr)
                        s->RemoveAllPoints();
            for (auto& channel : band_)
                for (CChartBiLineSerie* s : channel)
                    if (s != nullptr)
                        s->RemoveAllPoints();
            refresh_offset = 1;
            MarkRedraw();
            ClearTrail(kAllTraces);
        }
    }
    if (CToolDialog* settings = GetToolDialog(CToolDialogList::PROPERTIES); settings != nullptr && settings->GetSafeHwnd() != nullptr)
    {
        settings->CheckDlgButton(kPeakDetectId, minmax != 0 ? BST_CHECKED : BST_UNCHECKED);
        settings->SetDlgItemText(kPeakDetectId, minmax != 0 ? "Пиковый детектор" : "Нормальный захват");
    }
    if (changed)
        RefreshControlsAfterChange();
}

void CVelkaroDlg::TogglePeakDrawForm()
{
    minmax_draw_type = minmax_draw_type != 0 ? 0 : 1;
    const bool incremental = minmax_draw_type != 0;
    chart_.SuspendRedraw();
    auto apply = [&](CChartBiLineSerie* s) {
        if (s == nullptr)
            return;
        s->SetIncremental(incremental);
        chart_.Redraw();
    };
    for (auto& channel : band_)
        for (CChartBiLineSerie* s : channel)
            apply(s);
    for (auto& age : logic_)
        for (auto& channel : age)
            for (CChartBiLineSerie* s : channel)
                apply(s);
    chart_.ResumeRedraw();
}

void CVelkaroDlg::OnPeakDetectClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        TogglePeakDetector();
}

void CVelkaroDlg::OnPeakDrawClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        TogglePeakDrawForm();
}

void CVelkaroDlg::OnInterpolationClicked()
{
    CToolDialog* settings = SenderTool(CToolDialogList::PROPERTIES);
    if (settings == nullptr)
        return;
    bool linear = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->mode ^= MODE_LINEAR;
        linear = (d->mode & MODE_LINEAR) != 0;
    }
    settings->SetDlgItemText(kInterpolationId, linear ? "лин" : "sinc");
}

void CVelkaroDlg::OnTrailClicked()
{
    CToolDialog* settings = SenderTool(CToolDialogList::PROPERTIES);
    if (settings == nullptr)
        return;
    const int on = settings->IsDlgButtonChecked(kTrailId) == BST_CHECKED ? 1 : 0;
    if (on == 0 && trail_on != 0)
        ClearTrail(kAllTraces);
    trail_on = on;
}

void CVelkaroDlg::OnKeepLevelClicked()
{
    if (!SentBy(CToolDialogList::PROPERTIES))
        return;
    not_hide_trigger_level = not_hide_trigger_level != 0 ? 0 : 1;
    if (not_hide_trigger_level != 0)
        level_countdown = kMarkerShowTicks;
}

// 1074 is channel A's "0" in this window and "Не прятать смещение триггера" in the settings
// window; the first entry for an id takes every command of it, so both are answered here.
void CVelkaroDlg::OnZeroOrKeepOffsetClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
    {
        not_hide_trigger_offset = not_hide_trigger_offset != 0 ? 0 : 1;
        if (not_hide_trigger_offset != 0)
            offset_countdown = kMarkerShowTicks;
        return;
    }
    OnZeroClicked(1074);
}

void CVelkaroDlg::OnLegendClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        show_legend = show_legend != 0 ? 0 : 1;
}

// The service window's 1073 ("Сохранить лог") is that window's own business.
void CVelkaroDlg::OnCrossClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        show_cross = show_cross != 0 ? 0 : 1;
}

void CVelkaroDlg::OnFullTimeClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        extra_tick_full_time = extra_tick_full_time != 0 ? 0 : 1;
}

// ---- settings window: lists --------------------------------------------------------------

void CVelkaroDlg::OnBusRadixList()
{
    if (CToolDialog* settings = SenderTool(CToolDialogList::PROPERTIES))
        settings->UpdateData(TRUE);
}

void CVelkaroDlg::OnOutFreqList()
{
    CToolDialog* settings = SenderTool(CToolDialogList::PROPERTIES);
    auto* list = settings != nullptr ? static_cast<CComboBox*>(settings->GetDlgItem(1050)) : nullptr;
    const int selected = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return;
    const auto divider = static_cast<std::uint32_t>(list->GetItemData(selected));
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    if (divider != d->out_freq)
    {
        d->out_freq = divider;
        d->changes |= CHANGE_OUT_FREQ;
    }
}

void CVelkaroDlg::OnMaxBufferList()
{
    CToolDialog* settings = SenderTool(CToolDialogList::PROPERTIES);
    auto* list = settings != nullptr ? static_cast<CComboBox*>(settings->GetDlgItem(1058)) : nullptr;
    const int selected = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return;
    bool accepted = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const std::uint32_t before = d->max_x_skip;
        // A stopped capture keeps the decimation it was taken with.
        if ((d->mode & MODE_STOPPED) == 0)
        {
            const int count = list->GetCount();
            for (int i = selected; i < count && !accepted; ++i)
            {
                list->SetCurSel(i);
                d->max_x_skip = static_cast<std::uint32_t>(list->GetItemData(i));
                accepted = d->SolveTimebase() == 0;
                if (!accepted)
                    d->max_x_skip = before;
            }
        }
        // Nothing taken: the list shows the size still in use.
        if (!accepted)
        {
            const int count = list->GetCount();
            for (int i = 0; i < count; ++i)
                if (list->GetItemData(i) == before)
                {
                    list->SetCurSel(i);
                    break;
                }
        }
    }
    if (strip_.GetSafeHwnd() != nullptr)
        strip_.CheckDlgButton(kFullSweepId, BST_UNCHECKED);
    if (accepted)
        RefreshControlsAfterChange();
}

// ---- settings window: the recorder's files -----------------------------------------------

void CVelkaroDlg::PickRecorderFile(int channel)
{
    for (;;)
    {
        CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "Все файлы (*.*)|*.*||", this);
        if (dialog.DoModal() != IDOK)
            return;
        const std::string path = dialog.GetPathName();
        bool same = false;
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData* d = GetOscData();
            same = SameFile(path, d->str_datalogger_fn[1 - channel]);
            if (!same)
                d->str_datalogger_fn[channel] = path;
        }
        if (!same)
            return;
        MessageBox("Файлы разных каналов должны отличаться!", nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CVelkaroDlg::OnRecorderFileAClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        PickRecorderFile(0);
}

void CVelkaroDlg::OnRecorderFileBClicked()
{
    if (SentBy(CToolDialogList::PROPERTIES))
        PickRecorderFile(1);
}

void CVelkaroDlg::OnLoadRecorderClicked()
{
    if (!SentBy(CToolDialogList::PROPERTIES))
        return;
    std::string box;
    bool loaded = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if ((d->mode & MODE_RECORDER) == 0)
        {
            ShowRefusal("Режим самописца выключен!");
            return;
        }
        if ((d->mode & MODE_STOPPED) == 0)
        {
            ShowRefusal("Самописец запущен!");
            return;
        }
        RecorderHeader header[2]{};
        bool valid[2] = {false, false};
        for (int c = 0; c < 2; ++c)
            valid[c] = ReadRecorderHeader(d->str_datalogger_fn[c], header[c]) && header[c].magic == RECORDER_MAGIC &&
                       header[c].version == static_cast<std::uint32_t>(d->GetVersion());
        if (valid[0] && valid[1] && !SameRecording(header[0], header[1]))
        {
            // Asked with the lock held: the answer decides what the model becomes.
            const int answer = MessageBox("Сохраненные данные обоих каналов корректны,\nно записаны в различных режимах.\n"
                                          "Использовать канал A(да) или B(нет)?",
                                          nullptr, MB_YESNO | MB_ICONQUESTION);
            valid[answer == IDYES ? 1 : 0] = false;
        }
        else if (!valid[0] && !valid[1])
            box = "Ошибка файлов данных самописца обоих каналов!";

        if (box.empty())
        {
            // Switched on before the other goes off: a model never has both channels off.
            const std::uint16_t on[2] = {OSC_CR_CH_A_ON, OSC_CR_CH_B_ON};
            auto enable = [d](int c, bool state) { return c == 0 ? d->EnableChannelA(state) : d->EnableChannelB(state); };
            for (int c = 0; c < 2; ++c)
                if (valid[c] && (d->osc_cr & on[c]) == 0)
                    enable(c, true);
            for (int c = 0; c < 2; ++c)
                if (!valid[c] && (d->osc_cr & on[c]) != 0)
                    enable(c, false);

            const std::uint16_t logic[2] = {OSC_CR_LOGIC_A, OSC_CR_LOGIC_B};
            for (int c = 0; c < 2 && box.empty(); ++c)
            {
                if (!valid[c])
                    continue;
                // A copy: the header's fields are packed, unfit to bind references to.
                const RecorderHeader h = header[c];
                if ((h.min_max != 0) != ((d->osc_cr & OSC_CR_MIN_MAX) != 0))
                {
                    box = "Сохраненный режим работы не совпадает с текущим (пиковый детектор)!";
                    break;
                }
                if ((h.logic != 0) != ((d->osc_cr & logic[c]) != 0))
                {
                    box = "Сохраненный режим работы не совпадает с текущим (ЛА)!";
                    break;
                }
                if (h.x_skip != d->x_skip)
                {
                    const std::uint32_t tDiv = d->t_div;
                    const std::int32_t samples = d->recorder_samples;
                    const int direction = h.x_skip > d->x_skip ? 1 : -1;
                    // The recorder's range of time/div depends on what it holds: none, meanwhile.
                    d->recorder_samples = 0;
                    while (h.x_skip != d->x_skip && (direction > 0) == (h.x_skip > d->x_skip) && StepTDivIndex(*d, direction))
                    {
                    }
                    if (h.x_skip != d->x_skip)
                    {
                        // The data were taken at a rate no time/div gives: leave the view as it was.
                        if (d->t_div != tDiv && !SetTDivKeepingCenter(*d, tDiv))
                        {
                            d->t_div = tDiv;
                            d->FitTDivIndex();
                        }
                        d->recorder_samples = samples;
                        SyncTDivCombo();
                        box = "Не удается установить горизонтальную развертку!";
                        break;
                    }
                    SyncTDivCombo();
                }
                if (dispatch_ != nullptr)
                    dispatch_->CloseRecorderFiles();
                d->recorder_start_time = StartTimeOf(h.start_time);
                d->changes |= CHANGE_POSITION;
                const std::uint32_t stored = h.samples;
                const auto samples = static_cast<std::int32_t>(std::min<std::uint32_t>(stored, INT32_MAX));
                d->recorder_samples = samples;
                d->last_num_catched_samples = samples;
                d->valid_points = SCREEN_POINTS;
                d->x_offset = 0;
                loaded = true;
            }
        }
    }
    if (!box.empty())
    {
        MessageBox(box.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!loaded || strip_.GetSafeHwnd() == nullptr)
        return;
    // The whole recording in view, as a click on the full-sweep check gives it.
    if (CWnd* sweep = strip_.GetDlgItem(kFullSweepId))
    {
        strip_.CheckDlgButton(kFullSweepId, BST_CHECKED);
        SendMessage(WM_COMMAND, MAKEWPARAM(kFullSweepId, BN_CLICKED), reinterpret_cast<LPARAM>(sweep->m_hWnd));
    }
}

void CVelkaroDlg::OnHotkeysClicked()
{
    if (!SentBy(CToolDialogList::PROPERTIES))
        return;
    CDialogHotkeys dialog(this);
    dialog.DoModal();
}

// ---- service window ----------------------------------------------------------------------

void CVelkaroDlg::OnDebugClicked()
{
    if (!SentBy(CToolDialogList::SERVICE))
        return;
    CSingleLock lock(&DataLock, TRUE);
    GetOscData()->changes |= CHANGE_LG_CONFIG;
}

// ---- mathematics window ------------------------------------------------------------------

void CVelkaroDlg::SetMathOffsetLabel()
{
    CToolDialog* math = GetToolDialog(CToolDialogList::MATH);
    if (math == nullptr || math->GetSafeHwnd() == nullptr)
        return;
    std::string text;
    {
        CSingleLock lock(&DataLock, TRUE);
        text = FormatOffsetVolts(*GetOscData(), kMathTrace);
    }
    math->SetDlgItemText(kMathOffsetLabelId, text.c_str());
}

void CVelkaroDlg::OnMathVDivSpin(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!SentBy(CToolDialogList::MATH))
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        StepVDivIndex(*GetOscData(), kMathTrace, SpinDelta(header));
        SyncVDivCombos();
        refresh_limits[kMathTrace] = 1;
        ClearTrail(kMathTrace);
    }
    SetMathOffsetLabel();
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnMathOffsetSpin(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!SentBy(CToolDialogList::MATH))
        return;
    ShiftChannelOffset(SpinDelta(header), kMathTrace, false);
    SetMathOffsetLabel();
}

void CVelkaroDlg::OnMathZeroClicked()
{
    if (!SentBy(CToolDialogList::MATH))
        return;
    ShiftChannelOffset(0, kMathTrace, true);
    SetMathOffsetLabel();
}

// The math trace is computed from what was captured: only one step around its gain is offered.
void CVelkaroDlg::OnMathVDivList()
{
    CToolDialog* math = SenderTool(CToolDialogList::MATH);
    auto* list = math != nullptr ? static_cast<CComboBox*>(math->GetDlgItem(kMathVDivListId)) : nullptr;
    const int selected = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return;
    const std::int64_t v = static_cast<std::int64_t>(list->GetItemData(selected) & 0xFF);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        const int gain = d->GetGainIndex(std::min<std::uint32_t>(d->u_div[kMathTrace], VDIV_TABLE_SIZE - 1));
        if (v >= std::int64_t{gain} - 1 && v <= std::int64_t{gain} + 1)
        {
            d->u_div[kMathTrace] = static_cast<std::uint32_t>(v);
            ApplyVDivIndex(*d, kMathTrace);
        }
        else
        {
            const int count = list->GetCount();
            for (int i = 0; i < count; ++i)
                if (list->GetItemData(i) == d->u_div[kMathTrace])
                {
                    list->SetCurSel(i);
                    break;
                }
        }
        refresh_limits[kMathTrace] = 1;
        ClearTrail(kAllTraces);
    }
    SetMathOffsetLabel();
    RefreshControlsAfterChange();
}
