// The main window's 100 ms tick: everything the window shows is refreshed from here.

#include "app/main/MarkerWindowLink.h"
#include "app/main/RecorderPlayback.h"
#include "app/main/StatusText.h"
#include "app/main/VelkaroDlg.h"
#include "app/tooldialog/ToolDialog.h"

#include "core/link/DeviceLink.h"
#include "core/log/EventLog.h"
#include "platform/ui/App.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kUnsupported = "Неподдерживаемая аппаратная версия устройства! Обновите серверное ПО!";
const char* const kDeviceOutdated =
    "Аппаратная версия устройства устарела! Обновите ПО устройства! Некоторые функции возможно будут работать "
    "некорректно! (текущая аппаратная версия %d, поддерживаемая аппаратная версия %d)";
const char* const kHostOutdated =
    "Аппаратная версия серверного ПО устарела! Обновите серверное ПО! Некоторые функции возможно будут работать "
    "некорректно! (текущая аппаратная версия %d, поддерживаемая аппаратная версия %d)";

// Leaves the tick's re-entry guard set for exactly the tick's duration, exceptions included.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickGuard() { flag_ = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

void CVelkaroDlg::OnTimer(UINT_PTR)
{
    // Timers keep firing inside the tick's own message boxes; a nested tick would redraw from
    // under the one that waits there.
    if (in_tick_ || closing_)
        return;
    TickGuard guard(in_tick_);
    Tick();
}

void CVelkaroDlg::Tick()
{
    BeginChartUpdate();
    UpdateLogList();
    ShowQueuedMessages();
    // Before DataLock: a worker waiting in the queue holds nothing, the calls take the lock.
    call_queue_.RunQueuedCalls();

    bool newFrame = false;
    bool linked = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        GetOscData()->ProcessFrame();
        if ((GetOscData()->status & STATUS_LIMITS_APPLIED) != 0)
            CheckVersion(lock);
        // The version check may have let go of the lock: take the model afresh.
        OscData& d = *GetOscData();

        // A drag on the overview strip moved the view: the trigger-offset marker follows and
        // the old picture is no longer the screen's.
        if (strip_.GetSafeHwnd() != nullptr && strip_.Redraw())
        {
            refresh_offset = 1;
            d.status |= STATUS_REDRAW;
            d.status &= ~STATUS_FRAME_READY;
            ClearTrail(-1);
        }
        WatchModeAndDisplay(d);
        tool_list_.Refresh();

        ReadRecorderFiles(d);
        TakeSnapshot(d);
        ComputeMathChannel();
        UpdateTriggerLevelMarker();
        UpdateTriggerOffsetMarker();
        UpdateChannelMarkers();
        newFrame = DecideNewFrame(d);
        WatchInterpolation(d);
        linked = (d.mode & MODE_LINKED) != 0;
        SetDlgItemText(kStatusId, (linked ? BuildStatusText(d) : std::string()).c_str());
    }
    WatchChannels(linked);
    UpdateServiceStatus();

    const bool generation = trail_on != 0 && newFrame;
    for (int c = 0; c < SCREEN_TRACES; ++c)
        if (snapshot_.enabled[c])
            FillChannelSeries(c, newFrame);
    ShowTraces(generation);
    if (MarkerWindowLink* markers = GetMarkerLink())
        markers->UpdateVerticalMarkerReadouts(snapshot_);
    if (OverlayChanged())
        chart_.Redraw();
    chart_.ResumeRedraw();
}

bool CVelkaroDlg::OverlayChanged()
{
    // The overlay is painted only by a full redraw of the chart. What it would paint now is
    // recorded and held against what it painted last: a dragged rectangle, a decoder's new
    // results or a renamed net redraw the chart, an unchanged overlay does not.
    if (!overlay_recorder_)
        overlay_recorder_ = std::make_unique<CRecordingDC>(1, 1);
    overlay_recorder_->ClearRecords();
    DrawChartOverlay(*overlay_recorder_, &chart_);
    if (SameDrawing(overlay_recorder_->Records(), shown_overlay_))
        return false;
    shown_overlay_ = overlay_recorder_->Records();
    return true;
}

void CVelkaroDlg::UpdateLogList()
{
    // The lines are kept whether or not a service window shows them.
    const LogList::Update update = log_lines_.Tick();
    if (service_window != nullptr && service_window->GetSafeHwnd() != nullptr)
        if (auto* list = static_cast<CListBox*>(service_window->GetDlgItem(kServiceLogId)))
            ShowLogUpdate(*list, update);
}

void CVelkaroDlg::UpdateServiceStatus()
{
    if (service_window == nullptr || service_window->GetSafeHwnd() == nullptr)
        return;
    const std::string status = EventLog::Instance()->GetStatus();
    CWnd* line = service_window->GetDlgItem(kServiceStatusId);
    if (line == nullptr)
        return;
    // Compared with what the line shows rather than with the last text set, so that a window
    // made afresh gets the text too; setting the same text every tick would make it flicker.
    CString shown;
    line->GetWindowText(shown);
    if (status != shown)
        line->SetWindowText(status.c_str());
}

void CVelkaroDlg::QueueMessage(const std::string& text)
{
    CSingleLock lock(&message_lock_, TRUE);
    messages_.push_back(text);
}

void CVelkaroDlg::ShowQueuedMessages()
{
    std::deque<std::string> texts;
    {
        CSingleLock lock(&message_lock_, TRUE);
        texts.swap(messages_);
    }
    // Shown without the lock, so a poster is never held by an open box.
    for (const std::string& text : texts)
        AfxMessageBox(text.c_str(), MB_OK);
}

void CVelkaroDlg::CheckVersion(CSingleLock& lock)
{
    OscData* d = GetOscData();
    d->status &= ~STATUS_LIMITS_APPLIED;
    const SavedVersion now{d->version, d->hw_version};
    const bool repeated = now == checked_version_;
    checked_version_ = now;

    const auto row = std::find_if(supported_versions.begin(), supported_versions.end(),
                                  [&](const SupportedVersion& r) { return r.version == now.version; });
    if (row == supported_versions.end())
    {
        EventLog::Instance()->Write("Unsupported version!");
        // Forget it, so the same device connected again is told again.
        checked_version_ = {-1, -1};
        // Neither the disconnection nor the box holds DataLock: the worker must be free to
        // finish its exchange meanwhile.
        lock.Unlock();
        if (link_ != nullptr)
            link_->Disconnect();
        AfxMessageBox(kUnsupported, MB_OK | MB_ICONSTOP);
        lock.Lock();
        return;
    }

    // A new variant: its lists, limits and channel buttons.
    UpdateControls();
    refresh_zero[0] = refresh_zero[1] = 1;
    refresh_limits[0] = refresh_limits[1] = 1;

    const int supported = row->hwVersion;
    const int hardware = now.hwVersion;
    if (repeated || supported == hardware)
        return;
    char text[512];
    if (supported > hardware)
        std::snprintf(text, sizeof text, kDeviceOutdated, hardware, supported);
    else
        std::snprintf(text, sizeof text, kHostOutdated, hardware, supported);
    lock.Unlock();
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    lock.Lock();
}

void CVelkaroDlg::ReadRecorderFiles(OscData& d)
{
    if ((d.mode & MODE_RECORDER) == 0 || (d.changes & (CHANGE_ZOOM | CHANGE_POSITION)) == 0)
        return;
    PlaybackWindow window;
    if (!ComputePlaybackWindow(d.x_offset, d.x_zoom_out_hw, d.x_zoom_out_sw, d.x_zoom_in, window))
        return;
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
    const std::uint16_t on[2] = {OSC_CR_CH_A_ON, OSC_CR_CH_B_ON};
    const std::uint16_t logic[2] = {OSC_CR_LOGIC_A, OSC_CR_LOGIC_B};
    bool read = false;
    for (int c = 0; c < 2; ++c)
    {
        if ((d.osc_cr & on[c]) == 0)
            continue;
        if (!playback_[c].IsOpen() &&
            !playback_[c].Open(d.str_datalogger_fn[c].c_str(),
                               CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary | CFile::osSequentialScan))
            continue;
        if (d.recorder_samples < window.end)
            continue;
        std::vector<std::int8_t> records;
        if (!ReadPlaybackRecords(playback_[c], window, minMax ? 2 : 1, records))
            continue;
        if ((d.osc_cr & logic[c]) != 0)
            ReduceLogic(records, window.perPoint * (minMax ? 2 : 1), d.logic_points[c]);
        else
            ReduceAnalog(records, window.perPoint, minMax, d.screen_points[c]);
        read = true;
    }
    if (read)
        d.changes &= ~(CHANGE_ZOOM | CHANGE_POSITION);
}

void CVelkaroDlg::TakeSnapshot(OscData& d)
{
    TakeScreenSnapshot(d, snapshot_);
}

void CVelkaroDlg::ComputeMathChannel()
{
    const int op = ComputeMathTrace(snapshot_, GetMathOperation());
    if (op != last_math_op_)
        refresh_zero[2] = 1;
    last_math_op_ = op;
}

bool CVelkaroDlg::DecideNewFrame(OscData& d)
{
    const bool ready = (d.status & STATUS_FRAME_READY) != 0;
    d.status &= ~STATUS_FRAME_READY;
    const bool complete = snapshot_.received == SCREEN_POINTS;
    if (snapshot_.trigger_source == 0)
        return ready && complete;
    // With a trigger a frame is new only once the trigger was seen and all of it arrived.
    if ((d.status & STATUS_TRIGGERED) != 0 && complete && ready)
    {
        d.status &= ~STATUS_TRIGGERED;
        return true;
    }
    return false;
}

std::string CVelkaroDlg::BuildStatusText(OscData& d) const
{
    if (snapshot_.recorder)
        return RecorderStatusText(d.recorder_samples, d.GetSampleRateKHz(), d.x_skip, d.recorder_start_time);
    return AcquisitionStatusText((d.osc_sr & OSC_SR_CTCH) != 0, snapshot_.trigger_source,
                                 (snapshot_.osc_sr & OSC_SR_TROK) != 0, (snapshot_.mode & MODE_WAIT_TRIGGER) != 0);
}
